#include "platform/web/lazy_web_browser.h"

#include "common/module_library.h"
#include "platform/web/web_module.h"

#include <QCoreApplication>
#include <QLabel>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QUrl>
#include <QVBoxLayout>
#include <unistd.h>

#ifndef KORVANT_WEB_MODULE_NAME
#define KORVANT_WEB_MODULE_NAME "korvant_web.so"
#endif

// Exported by QtGui but declared only in its private headers, which are not part of the
// packages this program builds with. The web engine reads the context through the same
// pair of functions.
void qt_gl_set_global_share_context(QOpenGLContext* context);
QOpenGLContext* qt_gl_global_share_context();

namespace platform {

namespace {

QtMessageHandler previousMessageHandler = nullptr;

void dropLateShareAttributeWarning(QtMsgType type, const QMessageLogContext& context,
                                   const QString& message) {
    if (type == QtWarningMsg && message.contains(QLatin1String("AA_ShareOpenGLContexts")))
        return;
    if (previousMessageHandler != nullptr)
        previousMessageHandler(type, context, message);
}

// The web engine renders with OpenGL contexts that share with one global context. Qt makes
// that context at start-up when the program asks for it, but the engine here arrives later
// from a module, and making the context at start-up would load the GL driver for a browser
// that may never be opened. So it is made here, the way the engine makes it itself when it
// is initialised before the application: once per process, with the default surface
// format. It is destroyed as the application shuts down, while the windowing system is
// still there. If the platform has no OpenGL, the context stays invalid, as Qt would
// leave it at start-up.
void prepareSharedOpenGl() {
    if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts)) {
        // Qt warns that the attribute comes after the application; here that is intended.
        previousMessageHandler = qInstallMessageHandler(dropLateShareAttributeWarning);
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        qInstallMessageHandler(previousMessageHandler);
    }
    if (qt_gl_global_share_context() != nullptr)
        return;
    auto* context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
    qAddPostRoutine([] {
        QOpenGLContext* shared = qt_gl_global_share_context();
        qt_gl_set_global_share_context(nullptr);
        delete shared;
    });
}

bool runningAsRoot() {
    return ::geteuid() == 0;
}

} // namespace

QByteArray webEngineFlags(const QByteArray& existing, bool sandboxOff) {
    QList<QByteArray> wanted = {
        "--disable-background-networking", // no update, metrics or variations fetches
        "--disable-component-update",
        "--disable-domain-reliability",
        "--no-pings",
    };
    if (sandboxOff)
        wanted << "--no-sandbox";
    // Each of these leaves pages' code running with less than the whole sandbox around it
    // (a single process puts the renderer inside the program itself).
    static const QList<QByteArray> unsandboxing = {
        "--no-sandbox",
        "--disable-setuid-sandbox",
        "--disable-namespace-sandbox",
        "--disable-seccomp-filter-sandbox",
        "--disable-gpu-sandbox",
        "--single-process",
    };
    QList<QByteArray> kept;
    for (const QByteArray& flag : existing.simplified().split(' ')) {
        if (flag.isEmpty() || kept.contains(flag))
            continue;
        const qsizetype equals = flag.indexOf('=');
        const QByteArray name = equals < 0 ? flag : flag.left(equals);
        if (!sandboxOff && unsandboxing.contains(name))
            continue;
        kept << flag;
    }
    for (const QByteArray& flag : wanted) {
        if (!kept.contains(flag))
            kept << flag;
    }
    return kept.join(' ');
}

// Loads the module once per process and hands out its view maker. The library is never
// unloaded: views made by it may live until the program ends.
class WebEngineLoader {
public:
    explicit WebEngineLoader(QString folder) : folder_(std::move(folder)) {}

    void allowRootWithoutSandbox() { rootWithoutSandbox_ = true; }

    web_module::CreateView createView() {
        if (!tried_) {
            tried_ = true;
            load();
        }
        return createView_;
    }
    bool loaded() const { return createView_ != nullptr; }
    // Why there are no pages, once createView() has failed.
    QString notice() const { return notice_; }

private:
    void load() {
        const bool asRoot = runningAsRoot();
        if (asRoot && !rootWithoutSandbox_) {
            // The engine's sandbox cannot start as root, and without it a hostile page that
            // gets past the engine's own checks has the whole system. Nothing of the engine
            // is loaded, so this costs nothing.
            notice_ = QCoreApplication::translate(
                "LazyWebBrowser",
                "The web browser is off because Korvant Lite is running as root (the system "
                "administrator). There the web engine could only run without its sandbox, "
                "which would let a hostile page reach the whole system.\n"
                "Start Korvant Lite as an ordinary user to see pages here.");
            return;
        }
        const bool sandboxOff = asRoot && rootWithoutSandbox_;
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                webEngineFlags(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), sandboxOff));
        if (!sandboxOff)
            qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        const QString folder = folder_.isEmpty() ? QCoreApplication::applicationDirPath() : folder_;
        prepareSharedOpenGl();
        QString error;
        createView_ = reinterpret_cast<web_module::CreateView>(
            common::moduleFunction(QStringLiteral(KORVANT_WEB_MODULE_NAME), folder,
                                   web_module::kCreateViewSymbol, &error));
        if (createView_ == nullptr)
            fail(error);
    }

    void fail(const QString& reason) {
        notice_ = QCoreApplication::translate(
                      "LazyWebBrowser",
                      "The web browser could not be started, so pages cannot be shown here.\n(%1)")
                      .arg(reason);
    }

    QString folder_;
    bool tried_ = false;
    web_module::CreateView createView_ = nullptr;
    bool rootWithoutSandbox_ = false;
    QString notice_;
};

LazyWebBrowser::LazyWebBrowser(std::shared_ptr<WebEngineLoader> loader, QWidget* parent)
    : WebBrowser(parent), loader_(std::move(loader)) {
    setAccessibleName(tr("Web browser"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void LazyWebBrowser::Navigate(const QString& url) {
    navigate(url);
}

void LazyWebBrowser::Navigate2(const QString& url) {
    navigate(url);
}

void LazyWebBrowser::requestFocus() {
    if (view_ != nullptr && isVisible())
        view_->setFocus(Qt::OtherFocusReason);
}

QString LazyWebBrowser::pageTitle() const {
    return view_ != nullptr ? view_->property("title").toString() : QString();
}

QString LazyWebBrowser::notice() const {
    return notice_ != nullptr ? notice_->text() : QString();
}

QUrl LazyWebBrowser::toUrl(const QString& address) {
    if (address.trimmed().isEmpty())
        return QUrl(QStringLiteral("about:blank"));
    // Only web pages: any other scheme would run code in the page shown (javascript:),
    // show local files (file:) or content made up by whoever wrote the address (data:).
    QUrl url = QUrl::fromUserInput(address);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    return url;
}

void LazyWebBrowser::navigate(const QString& address) {
    const QUrl url = toUrl(address);
    if (url.isEmpty())
        return;
    if (view_ != nullptr) {
        view_->setProperty("url", url);
        return;
    }
    pending_ = url;
    hasPending_ = true;
}

void LazyWebBrowser::showEvent(QShowEvent* event) {
    WebBrowser::showEvent(event);
    if (!started_) {
        started_ = true;
        startEngine();
    }
}

void LazyWebBrowser::startEngine() {
    const web_module::CreateView createView = loader_->createView();
    if (createView == nullptr) {
        notice_ = new QLabel(loader_->notice(), this);
        notice_->setTextFormat(Qt::PlainText);
        notice_->setWordWrap(true);
        notice_->setAlignment(Qt::AlignCenter);
        notice_->setAccessibleName(tr("Web browser notice"));
        layout()->addWidget(notice_);
        return;
    }
    view_ = createView(this);
    layout()->addWidget(view_);
    connect(view_, SIGNAL(loadFinished(bool)), this, SIGNAL(pageLoaded(bool)));
    if (hasPending_) {
        hasPending_ = false;
        view_->setProperty("url", pending_);
    }
}

LazyWebBrowserFactory::LazyWebBrowserFactory(QString moduleFolder)
    : loader_(std::make_shared<WebEngineLoader>(std::move(moduleFolder))) {}

LazyWebBrowserFactory::~LazyWebBrowserFactory() = default;

WebBrowser* LazyWebBrowserFactory::create(QWidget* parent) {
    return new LazyWebBrowser(loader_, parent);
}

bool LazyWebBrowserFactory::engineLoaded() const {
    return loader_->loaded();
}

void LazyWebBrowserFactory::allowRootWithoutSandboxForTests() {
    loader_->allowRootWithoutSandbox();
}

} // namespace platform
