// QtNotifyArea against real tray hosts on an X display, started by run_tray_host_test.sh:
// KORVANT_TRAY_HOST=xembed runs under trayer (an XEmbed host, clicked with xdotool);
// KORVANT_TRAY_HOST=statusnotifier runs beside a StatusNotifier watcher on a private
// session bus that activates the icon the way such hosts do.
#include "platform/tray/qt_notify_area.h"
#include "platform/window_message.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QWidget>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "wait.h"

using platform::NotifyIconData;
using platform::QtNotifyArea;

namespace {

// A window that keeps the platform messages posted to it.
class RecordingWindow final : public QWidget {
public:
    struct Message {
        std::uint32_t message, wParam, lParam;
    };
    std::vector<Message> messages;

    std::vector<std::uint32_t> mouseMessages() const {
        std::vector<std::uint32_t> result;
        for (const auto& m : messages)
            result.push_back(m.lParam);
        return result;
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == platform::WindowMessageEvent::eventType()) {
            const auto* m = static_cast<platform::WindowMessageEvent*>(e);
            messages.push_back({m->message, m->wParam, m->lParam});
            return true;
        }
        return QWidget::event(e);
    }
};

NotifyIconData recordFor(const QWidget& window, std::uint32_t uID = 1) {
    NotifyIconData data{};
    data.cbSize = sizeof(NotifyIconData);
    data.hWnd = static_cast<std::uint32_t>(window.winId());
    data.uID = uID;
    data.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    data.uCallbackMessage = 512;
    std::memset(data.szTip, ' ', sizeof data.szTip);
    std::memcpy(data.szTip, "Radio", 6);
    return data;
}

using testsupport::waitFor;

void xdotool(const QStringList& args) {
    ASSERT_EQ(QProcess::execute("xdotool", args), 0) << args.join(' ').toStdString();
}

// Embedded: placed inside the host's panel. The icon has a rectangle as soon as its window
// exists, at the screen's origin until the host reparents it.
bool embedded(const QSystemTrayIcon* icon) {
    const QRect where = icon->geometry();
    return !where.isEmpty() && where.topLeft() != QPoint(0, 0);
}

bool hostIs(const char* kind) {
    return qgetenv("KORVANT_TRAY_HOST") == kind;
}

} // namespace

class XEmbedTrayHost : public ::testing::Test {
protected:
    void SetUp() override {
        if (!hostIs("xembed"))
            GTEST_SKIP() << "needs run_tray_host_test.sh xembed";
        window.setWindowTitle("tray host test");
    }
    RecordingWindow window;
    QtNotifyArea area;
};

TEST_F(XEmbedTrayHost, EmbedsTheAddedIconWithItsTipAndRefusesASecondAddForTheSameIcon) {
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
    const auto data = recordFor(window);
    ASSERT_TRUE(area.Shell_NotifyIcon(platform::NIM_ADD, data));
    QSystemTrayIcon* icon = area.trayIcon(data.hWnd, 1);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip(), "Radio");
    EXPECT_FALSE(icon->icon().isNull()) << "a record without a known icon still shows one";
    EXPECT_TRUE(waitFor([&] { return embedded(icon); })) << "trayer never embedded the icon";

    EXPECT_FALSE(area.Shell_NotifyIcon(platform::NIM_ADD, data));
    EXPECT_TRUE(area.Shell_NotifyIcon(platform::NIM_ADD, recordFor(window, 2)));
    EXPECT_TRUE(area.Shell_NotifyIcon(platform::NIM_DELETE, recordFor(window, 2)));
    EXPECT_EQ(area.trayIcon(data.hWnd, 1), icon) << "deleting one icon left the other alone";
}

TEST_F(XEmbedTrayHost, ReportsRightMiddleAndDoubleClicksOnTheIconToItsWindow) {
    const auto data = recordFor(window);
    ASSERT_TRUE(area.Shell_NotifyIcon(platform::NIM_ADD, data));
    QSystemTrayIcon* icon = area.trayIcon(data.hWnd, 1);
    ASSERT_TRUE(waitFor([&] { return embedded(icon); }));
    const QPoint centre = icon->geometry().center();
    xdotool({"mousemove", QString::number(centre.x()), QString::number(centre.y())});

    xdotool({"click", "3"});
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 1; }));
    xdotool({"click", "2"});
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 2; }));
    xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
    ASSERT_TRUE(waitFor([&] { return window.messages.size() >= 4; }));
    waitFor([] { return false; }, 300); // nothing further may arrive

    EXPECT_EQ(window.mouseMessages(), (std::vector<std::uint32_t>{517, 520, 514, 515}));
    for (const auto& m : window.messages) {
        EXPECT_EQ(m.message, 512u);
        EXPECT_EQ(m.wParam, 1u);
    }
}

TEST_F(XEmbedTrayHost, DeleteRemovesTheIconFromTheHostAndASecondDeleteIsRefused) {
    const auto data = recordFor(window);
    ASSERT_TRUE(area.Shell_NotifyIcon(platform::NIM_ADD, data));
    ASSERT_TRUE(waitFor([&] { return embedded(area.trayIcon(data.hWnd, 1)); }));
    EXPECT_TRUE(area.Shell_NotifyIcon(platform::NIM_DELETE, data));
    EXPECT_EQ(area.trayIcon(data.hWnd, 1), nullptr);
    EXPECT_FALSE(area.Shell_NotifyIcon(platform::NIM_DELETE, data));
    EXPECT_TRUE(area.Shell_NotifyIcon(platform::NIM_ADD, data)) << "the icon can come back";
}

TEST_F(XEmbedTrayHost, ActivityOnAnIconAddedWithoutACallbackReachesNoWindow) {
    auto data = recordFor(window);
    data.uFlags = platform::NIF_ICON | platform::NIF_TIP;
    ASSERT_TRUE(area.Shell_NotifyIcon(platform::NIM_ADD, data));
    QSystemTrayIcon* icon = area.trayIcon(data.hWnd, 1);
    ASSERT_TRUE(waitFor([&] { return embedded(icon); }));
    emit icon->activated(QSystemTrayIcon::Context);
    waitFor([] { return false; }, 200);
    EXPECT_TRUE(window.messages.empty());
}

class StatusNotifierHost : public ::testing::Test {
protected:
    void SetUp() override {
        if (!hostIs("statusnotifier"))
            GTEST_SKIP() << "needs run_tray_host_test.sh statusnotifier";
    }
    RecordingWindow window;
    QtNotifyArea area;
};

// The watcher activates every icon registered with it: Activate, then ContextMenu, then
// SecondaryActivate, as a host does for a left, right and middle click.
TEST_F(StatusNotifierHost, ReportsItsSingleActivationAsTheDoubleClickThatRestores) {
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
    const auto data = recordFor(window);
    ASSERT_TRUE(area.Shell_NotifyIcon(platform::NIM_ADD, data));
    ASSERT_TRUE(waitFor([&] { return window.messages.size() >= 3; }, 10000))
        << "the watcher's activations never arrived";
    EXPECT_TRUE(area.trayIcon(data.hWnd, 1)->geometry().isEmpty());
    EXPECT_EQ(window.mouseMessages(), (std::vector<std::uint32_t>{515, 517, 520}));
    EXPECT_TRUE(area.Shell_NotifyIcon(platform::NIM_DELETE, data));
}
