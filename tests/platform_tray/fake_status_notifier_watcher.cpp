// A StatusNotifier watcher and host in one, for tests: owns org.kde.StatusNotifierWatcher
// on the session bus, says a host is present, and activates each item that registers the
// way a host does for a left, right and middle click (Activate, ContextMenu,
// SecondaryActivate, 300 ms apart). Prints "ready" once it owns its name.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <cstdio>

namespace {

class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return items_; }

public slots:
    void RegisterStatusNotifierHost(const QString&) {}
    void RegisterStatusNotifierItem(const QString& serviceOrPath, const QDBusMessage& message) {
        // An item names either its own bus name (object at /StatusNotifierItem) or only an
        // object path on the connection that called.
        const bool isPath = serviceOrPath.startsWith('/');
        const QString service = isPath ? message.service() : serviceOrPath;
        const QString path = isPath ? serviceOrPath : QStringLiteral("/StatusNotifierItem");
        items_ << service + path;
        std::printf("registered %s %s\n", qPrintable(service), qPrintable(path));
        std::fflush(stdout);
        int delay = 300;
        for (const char* method : {"Activate", "ContextMenu", "SecondaryActivate"}) {
            QTimer::singleShot(delay, this, [service, path, method] {
                auto call = QDBusMessage::createMethodCall(
                    service, path, QStringLiteral("org.kde.StatusNotifierItem"),
                    QString::fromLatin1(method));
                call << 10 << 10;
                QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
            });
            delay += 300;
        }
    }

private:
    QStringList items_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Watcher watcher;
    auto bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportAllSlots |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fprintf(stderr, "cannot own org.kde.StatusNotifierWatcher\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "fake_status_notifier_watcher.moc"
