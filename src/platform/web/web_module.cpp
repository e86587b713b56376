// The korvant_web module: builds Qt WebEngine views for the program's browser controls.
#include "platform/web/web_module.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// One engine profile for every view: kept in memory only, so that a page leaves nothing
// on disk, and without the engine's own extras that would reach out on their own. A page
// from a local file may read neither other local files nor web addresses (the engine's
// default lets it read every file the program can).
QWebEngineProfile* profile() {
    static QWebEngineProfile* const shared = [] {
        auto* p = QWebEngineProfile::defaultProfile();
        p->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        p->setSpellCheckEnabled(false);
        auto* settings = p->settings();
        settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        return p;
    }();
    return shared;
}

// Keeps every address inside the engine. The engine hands an address of a scheme it does
// not handle itself (mailto:, a custom one) to the desktop once the page asks for it on a
// click, and the desktop starts whatever program is registered for it; here no page may.
class Page final : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        static const QStringList inside = {
            QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("about"),
            QStringLiteral("data"), QStringLiteral("blob"),  QStringLiteral("file"),
        };
        if (!inside.contains(url.scheme()))
            return false;
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
};

} // namespace

extern "C" Q_DECL_EXPORT QWidget* korvant_web_create_view(QWidget* parent) {
    auto* page = new Page(profile());
    auto* view = new QWebEngineView(page, parent);
    page->setParent(view);
    view->setAccessibleName(QStringLiteral("Web page"));
    return view;
}
