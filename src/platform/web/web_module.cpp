// The korvant_web module: builds Qt WebEngine views for the program's browser controls.
#include "platform/web/web_module.h"

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

} // namespace

extern "C" Q_DECL_EXPORT QWidget* korvant_web_create_view(QWidget* parent) {
    auto* view = new QWebEngineView(profile(), parent);
    view->setAccessibleName(QStringLiteral("Web page"));
    return view;
}
