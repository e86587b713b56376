// QtNotifyArea where no tray host exists (offscreen): what it refuses and how it reads the
// record. The behaviour against real tray hosts is in tray_host_test.cpp.
#include "platform/tray/qt_notify_area.h"

#include <QTextDocument>
#include <QWidget>
#include <cstring>
#include <gtest/gtest.h>

using platform::NotifyIconData;
using platform::QtNotifyArea;

namespace {

NotifyIconData recordFor(const QWidget& window, const char* tip) {
    NotifyIconData data{};
    data.cbSize = sizeof(NotifyIconData);
    data.hWnd = static_cast<std::uint32_t>(window.winId());
    data.uID = 1;
    data.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    data.uCallbackMessage = 512;
    std::memset(data.szTip, ' ', sizeof data.szTip);
    std::memcpy(data.szTip, tip, std::strlen(tip) + 1);
    return data;
}

} // namespace

TEST(QtNotifyAreaWithoutTray, RefusesToAddAnIconWhenTheDesktopHasNoTray) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    QWidget window;
    QtNotifyArea area;
    const auto data = recordFor(window, "Radio");

    EXPECT_FALSE(area.Shell_NotifyIcon(platform::NIM_ADD, data));
    EXPECT_EQ(area.trayIcon(data.hWnd, data.uID), nullptr);
    EXPECT_FALSE(area.Shell_NotifyIcon(platform::NIM_MODIFY, data));
    EXPECT_FALSE(area.Shell_NotifyIcon(platform::NIM_DELETE, data));
}

TEST(QtNotifyAreaRecord, IsRefusedForEveryRequestUnlessItIs88Bytes) {
    QWidget window;
    QtNotifyArea area;
    for (const std::uint32_t size : {0u, 87u, 89u, 152u, 504u}) {
        auto data = recordFor(window, "Radio");
        data.cbSize = size;
        for (const auto message : {platform::NIM_ADD, platform::NIM_MODIFY, platform::NIM_DELETE})
            EXPECT_FALSE(area.Shell_NotifyIcon(message, data)) << size << " " << message;
    }
}

TEST(QtNotifyAreaRecord, RefusesMessagesOtherThanAddModifyAndDelete) {
    QWidget window;
    QtNotifyArea area;
    const auto data = recordFor(window, "Radio");
    EXPECT_FALSE(area.Shell_NotifyIcon(3, data));
    EXPECT_FALSE(area.Shell_NotifyIcon(0xFFFFFFFFu, data));
}

TEST(QtNotifyAreaRecord, TipEndsAtTheFirstNulAndIgnoresThePaddingAfterIt) {
    QWidget window;
    EXPECT_EQ(QtNotifyArea::tipOf(recordFor(window, "Radio")), "Radio");
    EXPECT_EQ(QtNotifyArea::tipOf(recordFor(window, "")), "");

    auto spacesOnly = recordFor(window, "Radio");
    std::memset(spacesOnly.szTip, ' ', sizeof spacesOnly.szTip);
    spacesOnly.szTip[2] = '\0';
    EXPECT_EQ(QtNotifyArea::tipOf(spacesOnly), "  ");
}

TEST(QtNotifyAreaRecord, TipWithoutAnyNulIsReadAsAll64BytesAndNoFurther) {
    QWidget window;
    auto data = recordFor(window, "");
    std::memset(data.szTip, 'x', sizeof data.szTip);
    // Whatever follows the record in memory must not leak into the tip.
    struct {
        NotifyIconData record;
        char after[8];
    } guarded{data, {'L', 'E', 'A', 'K', 'E', 'D', '!', '\0'}};
    EXPECT_EQ(QtNotifyArea::tipOf(guarded.record), QString(64, 'x'));
}

// A tip that looks like markup would be rendered as such by the host or by Qt's fallback.
TEST(QtNotifyAreaRecord, ATipShowsAsPlainTextOnOneLineAndAPlainTipGoesAsItIs) {
    EXPECT_EQ(QtNotifyArea::toolTipFor("Radio"), "Radio");
    const QString tip = QtNotifyArea::toolTipFor("<b>R&B</b>\r\nNight");
    QTextDocument shown;
    shown.setHtml(tip);
    EXPECT_EQ(shown.toPlainText(), "<b>R&B</b> Night");
    EXPECT_FALSE(tip.contains("<b>")) << tip.toStdString();
}

TEST(QtNotifyAreaMouseMessages, AnEmbeddingHostReportsEachClickAsItsOwnMessage) {
    EXPECT_EQ(QtNotifyArea::mouseMessageFor(QSystemTrayIcon::Context, false), 517u);
    EXPECT_EQ(QtNotifyArea::mouseMessageFor(QSystemTrayIcon::DoubleClick, false), 515u);
    EXPECT_EQ(QtNotifyArea::mouseMessageFor(QSystemTrayIcon::Trigger, false), 514u);
    EXPECT_EQ(QtNotifyArea::mouseMessageFor(QSystemTrayIcon::MiddleClick, false), 520u);
    EXPECT_EQ(QtNotifyArea::mouseMessageFor(QSystemTrayIcon::Unknown, false), 0u);
}

TEST(QtNotifyAreaMouseMessages, ASingleActivationHostRestoresOnItsActivation) {
    EXPECT_EQ(QtNotifyArea::mouseMessageFor(QSystemTrayIcon::Trigger, true), 515u);
    EXPECT_EQ(QtNotifyArea::mouseMessageFor(QSystemTrayIcon::Context, true), 517u);
    EXPECT_EQ(QtNotifyArea::mouseMessageFor(QSystemTrayIcon::MiddleClick, true), 520u);
}
