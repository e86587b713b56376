#pragma once

#include "platform/web_browser.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <memory>

class QLabel;

namespace platform {

class WebEngineLoader;

// A browser control that holds no web engine until it is first shown. Until then it only
// remembers what it was asked to open; on its first show it loads the korvant_web module,
// puts the engine's view inside itself and opens the last address it was given (a later
// navigation replaces an earlier one, so only the last is worth starting). If the module
// cannot be loaded, or the program runs as root (where the engine's sandbox cannot start
// and the engine is never run without it), it shows a plain notice instead of pages.
// It opens only web addresses (http and https) and a blank page for an empty address;
// any other address (javascript:, file:, data:, ...) is ignored and the page shown stays.
class LazyWebBrowser final : public WebBrowser {
    Q_OBJECT
public:
    LazyWebBrowser(std::shared_ptr<WebEngineLoader> loader, QWidget* parent);

    void Navigate(const QString& url) override;
    void Navigate2(const QString& url) override;
    void requestFocus() override;

    bool hasEngineView() const { return view_ != nullptr; }
    // The engine's view once the engine is started, else null.
    QWidget* engineView() const { return view_; }
    // The title of the page shown; empty while there is no engine view.
    QString pageTitle() const;
    // The notice shown in place of pages, empty while none is shown.
    QString notice() const;

    // How an address typed by the user becomes what the engine opens: an http or https
    // address, or about:blank for an empty one. Any other address gives an empty QUrl,
    // which is not opened.
    static QUrl toUrl(const QString& address);

signals:
    // A page finished loading; ok is false when the engine showed its own error page.
    void pageLoaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void navigate(const QString& address);
    void startEngine();

    std::shared_ptr<WebEngineLoader> loader_;
    QWidget* view_ = nullptr;
    QLabel* notice_ = nullptr;
    QUrl pending_;
    bool hasPending_ = false;
    bool started_ = false;
};

// Makes LazyWebBrowser controls that share one module loader. The module is looked for
// in `moduleFolder`, by default the folder of the program file.
class LazyWebBrowserFactory final : public WebBrowserFactory {
public:
    explicit LazyWebBrowserFactory(QString moduleFolder = {});
    ~LazyWebBrowserFactory() override;

    WebBrowser* create(QWidget* parent) override;

    // True once the web engine's module has been loaded into this process.
    bool engineLoaded() const;

    // For tests, which run as root: lets the engine start as root with its sandbox turned
    // off. The program never calls this; without it, a process running as root shows the
    // notice instead of pages and never loads the engine.
    void allowRootWithoutSandboxForTests();

private:
    std::shared_ptr<WebEngineLoader> loader_;
};

// The engine's flags made from the ones already in QTWEBENGINE_CHROMIUM_FLAGS: the
// engine's own background connections turned off, and every flag that would turn a part
// of the engine's sandbox off removed, unless `sandboxOff` (only ever for tests) asks for
// the sandbox to be off. Other flags already present are kept and not repeated.
QByteArray webEngineFlags(const QByteArray& existing, bool sandboxOff);

} // namespace platform
