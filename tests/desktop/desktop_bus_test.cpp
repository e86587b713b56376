// The desktop session on a private session bus, seen from other connections on that bus:
// a recording notification server and a media widget reading and setting properties.
#include "fakes.h"
#include "private_bus.h"
#include "wait.h"

#include "common/program_options.h"
#include "desktop/desktop_session.h"
#include "desktop/notifier.h"

#include <QAction>
#include <QDBusArgument>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace desktop_bus_test {

// Owns org.freedesktop.Notifications and records every Notify call. Ids are handed out as
// a server does: the one replaced, or a new one.
class RecordingNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QVariantMap hints;
        uint answeredId;
    };
    std::vector<Call> calls;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& /*appIcon*/,
                const QString& summary, const QString& body, const QStringList& /*actions*/,
                const QVariantMap& hints, int /*expireTimeout*/) {
        const uint id = replacesId != 0 ? replacesId : ++lastId_;
        calls.push_back({appName, replacesId, summary, body, hints, id});
        return id;
    }
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }

private:
    uint lastId_ = 40;
};

// Records the properties a PropertiesChanged signal carried.
class PropertiesListener : public QObject {
    Q_OBJECT
public:
    QString interface;
    QVariantMap heard;

public slots:
    void onChanged(const QString& iface, const QVariantMap& changed, const QStringList&) {
        interface = iface;
        heard.insert(changed);
    }
};

// The program's side: a fake player, one favourite, a window that is in the tray or not,
// and the session joined to the private bus as the program's session bus.
class DesktopBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The session bus is joined once per process; ctest runs every test in its own.
        static bool sessionUsed = false;
        if (sessionUsed)
            GTEST_SKIP() << "needs a process of its own (run through ctest)";
        sessionUsed = true;
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
        savedAddress = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        hadAddress = qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
        savedCache = qgetenv("XDG_CACHE_HOME");
        hadCache = qEnvironmentVariableIsSet("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", dir.filePath("cache").toUtf8());

        server = bus.connect(QStringLiteral("notification server"));
        ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                          &notifications, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
        widget = bus.connect(QStringLiteral("media widget"));

        desktop::ProgramHooks hooks;
        hooks.stationNames = [] {
            return QStringList{"Loop & <Sine>", "", "", "", "", "", "", "", "", ""};
        };
        hooks.stationUrls = [] {
            return QStringList{"http://127.0.0.1:9/one", "", "", "", "", "", "", "", "", ""};
        };
        hooks.playStation = [this](int) { player.setURL("http://127.0.0.1:9/one"); };
        hooks.hiddenInTray = [this] { return inTray; };
        session = std::make_unique<desktop::DesktopSession>(desktop::DesktopSession::Setup{
            player, hooks, dir.path() + "/", QStringLiteral(":/korvant.png"), {}});
        entry = session->addNotificationsEntry(&menu);
        busName = session->joinBus();
        ASSERT_EQ(busName, "org.mpris.MediaPlayer2.KorvantLite");
    }
    void TearDown() override {
        session.reset();
        if (hadAddress)
            qputenv("DBUS_SESSION_BUS_ADDRESS", savedAddress);
        else
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        if (hadCache)
            qputenv("XDG_CACHE_HOME", savedCache);
        else
            qunsetenv("XDG_CACHE_HOME");
    }
    void announce(const QString& title) {
        player.titleText = title;
        emit player.changed();
    }
    bool sawSummary(const QString& summary) const {
        return std::any_of(notifications.calls.begin(), notifications.calls.end(),
                           [&](const auto& c) { return c.summary == summary; });
    }
    // The program answers on this thread, so the widget's call must not block it.
    QDBusMessage widgetCalls(const QDBusMessage& call) {
        QDBusPendingCall pending = widget.asyncCall(call);
        testsupport::waitFor([&] { return pending.isFinished(); }, 10000);
        return pending.reply();
    }
    QVariantMap widgetReadsAll(const QString& interface) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            busName, "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties", "GetAll");
        call << interface;
        const QDBusReply<QVariantMap> reply = widgetCalls(call);
        EXPECT_TRUE(reply.isValid()) << reply.error().message().toStdString();
        return reply.value();
    }

    testsupport::PrivateBus bus;
    QTemporaryDir dir;
    QByteArray savedAddress, savedCache;
    bool hadAddress = false, hadCache = false;
    QDBusConnection server{QString()};
    QDBusConnection widget{QString()};
    RecordingNotificationServer notifications;
    fakes::FakeMediaPlayer player;
    bool inTray = false;
    QMenu menu;
    QAction* entry = nullptr;
    std::unique_ptr<desktop::DesktopSession> session;
    QString busName;
};

TEST_F(DesktopBusTest, NotifiesNewTitlesOnlyFromTheTrayReplacingThePreviousAndNotWhenTurnedOff) {
    ASSERT_TRUE(entry->isChecked());
    player.setURL("http://127.0.0.1:9/one");

    announce("Heard on screen"); // the window is up: the user sees the title there
    inTray = true;
    announce("First <b>tune</b>");
    ASSERT_TRUE(testsupport::waitFor([&] { return notifications.calls.size() >= 1; }, 10000));
    ASSERT_EQ(notifications.calls.size(), 1u);
    const auto first = notifications.calls[0];     // a copy: calls grows
    EXPECT_EQ(first.summary, "First <b>tune</b>"); // the summary is plain text already
    EXPECT_EQ(first.body, "Loop &amp; &lt;Sine&gt;");
    EXPECT_EQ(first.appName, "Korvant Lite");
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.hints.value("desktop-entry").toString(), "org.korvant.KorvantLite");

    // Two titles in quick succession: the second waits for the first's id.
    announce("Second");
    announce("Third");
    ASSERT_TRUE(testsupport::waitFor([&] { return sawSummary("Third"); }, 10000));
    for (std::size_t i = 1; i < notifications.calls.size(); ++i)
        EXPECT_EQ(notifications.calls[i].replacesId, first.answeredId) << i;

    // Off from the menu: saved in the options file, and no notification until it is on.
    entry->trigger();
    EXPECT_FALSE(common::readProgramOptions(dir.filePath("korvant.ini")).notifications);
    announce("Unseen");
    entry->trigger();
    announce("Fourth");
    ASSERT_TRUE(testsupport::waitFor([&] { return sawSummary("Fourth"); }, 10000));
    EXPECT_FALSE(sawSummary("Unseen"));
    EXPECT_FALSE(sawSummary("Heard on screen"));
}

TEST_F(DesktopBusTest, TellsAMediaWidgetWhoItIsAndWhatPlaysAndReportsAVolumeItSets) {
    const QVariantMap root = widgetReadsAll("org.mpris.MediaPlayer2");
    EXPECT_EQ(root.value("Identity").toString(), "Korvant Lite");
    EXPECT_EQ(root.value("DesktopEntry").toString(), "org.korvant.KorvantLite");
    EXPECT_TRUE(root.value("CanRaise").toBool());
    EXPECT_TRUE(root.value("CanQuit").toBool());
    EXPECT_FALSE(root.value("HasTrackList").toBool());

    player.setURL("http://127.0.0.1:9/one");
    player.state = platform::psTransitioning;
    emit player.changed();
    const QVariantMap props = widgetReadsAll("org.mpris.MediaPlayer2.Player");
    EXPECT_EQ(props.value("PlaybackStatus").toString(), "Playing");
    EXPECT_FALSE(props.value("CanSeek").toBool());
    for (const char* can : {"CanControl", "CanPlay", "CanPause", "CanGoNext", "CanGoPrevious"})
        EXPECT_TRUE(props.value(can).toBool()) << can;
    // The metadata's values keep their protocol types: an object path and a list of names.
    QVariantMap metadata;
    props.value("Metadata").value<QDBusArgument>() >> metadata;
    EXPECT_EQ(metadata.value("mpris:trackid").userType(), qMetaTypeId<QDBusObjectPath>());
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"Loop & <Sine>"});
    EXPECT_EQ(metadata.value("xesam:title").toString(), "Loop & <Sine>");
    const QUrl art(metadata.value("mpris:artUrl").toString());
    EXPECT_TRUE(art.isLocalFile() && QFile::exists(art.toLocalFile()))
        << art.toString().toStdString();

    // A widget sets the volume and hears of it as a change of the player's properties.
    PropertiesListener listener;
    ASSERT_TRUE(widget.connect(busName, "/org/mpris/MediaPlayer2",
                               "org.freedesktop.DBus.Properties", "PropertiesChanged", &listener,
                               SLOT(onChanged(QString, QVariantMap, QStringList))));
    QDBusMessage set = QDBusMessage::createMethodCall(busName, "/org/mpris/MediaPlayer2",
                                                      "org.freedesktop.DBus.Properties", "Set");
    set << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Volume")
        << QVariant::fromValue(QDBusVariant(0.25));
    const QDBusMessage answer = widgetCalls(set);
    EXPECT_NE(answer.type(), QDBusMessage::ErrorMessage) << answer.errorMessage().toStdString();
    ASSERT_TRUE(testsupport::waitFor([&] { return listener.heard.contains("Volume"); }, 10000));
    EXPECT_EQ(listener.interface, "org.mpris.MediaPlayer2.Player");
    EXPECT_DOUBLE_EQ(listener.heard.value("Volume").toDouble(), 0.25);
    EXPECT_EQ(player.vol, 25);
    EXPECT_DOUBLE_EQ(widgetReadsAll("org.mpris.MediaPlayer2.Player").value("Volume").toDouble(),
                     0.25);
}

} // namespace desktop_bus_test

#include "desktop_bus_test.moc"
