// The icon record as the notification area receives it, and the answers to adding and
// removing the icon.
#include "fakes.h"
#include "tray/mdl_tray.h"
#include "tray/send_to_tray.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

std::uint32_t word(const QByteArray& bytes, int index) {
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + 4 * index);
}

TEST(TrayRecord, IsAllZeroBeforeTheFirstAdd) {
    fakes::FakeNotifyArea area;
    tray::mdlTray tray(area);
    EXPECT_EQ(tray::recordBytes(tray.TrayIconRecord()), QByteArray(88, '\0'));
    EXPECT_FALSE(tray.iconShown());
}

TEST(TrayRecord, AfterAddingHoldsTheEightyEightBytesOfTheIcon) {
    fakes::FakeNotifyArea area;
    tray::mdlTray tray(area);
    ASSERT_TRUE(tray.AddTrayIcon(0x01234567u, 0x89abcdefu, "Radio", 512));
    const QByteArray bytes = tray::recordBytes(tray.TrayIconRecord());
    ASSERT_EQ(bytes.size(), 88);
    EXPECT_EQ(word(bytes, 0), 88u);
    EXPECT_EQ(word(bytes, 1), 0x01234567u);
    EXPECT_EQ(word(bytes, 2), 1u);
    EXPECT_EQ(word(bytes, 3), 7u);
    EXPECT_EQ(word(bytes, 4), 512u);
    EXPECT_EQ(word(bytes, 5), 0x89abcdefu);
    EXPECT_EQ(bytes.mid(24), QByteArray("Radio") + '\0' + QByteArray(58, ' '));
    EXPECT_EQ(bytes.left(4), QByteArray("\x58\0\0\0", 4)) << "little-endian";
    ASSERT_EQ(area.calls.size(), 1u);
    EXPECT_EQ(tray::recordBytes(area.calls[0].data), bytes)
        << "the record handed over is the one kept";
}

TEST(TrayRecord, ALongTipIsCutSoThatItsNulStillFits) {
    fakes::FakeNotifyArea area;
    tray::mdlTray tray(area);
    tray.AddTrayIcon(1, 2, QString(100, 'x'), 512);
    const QByteArray tip = tray::recordBytes(tray.TrayIconRecord()).mid(24);
    EXPECT_EQ(tip, QByteArray(63, 'x') + '\0');
}

TEST(TrayIcon, AddDeleteDuplicateAddAndMissingDeleteAnswerAsTheAreaDoes) {
    fakes::FakeNotifyArea area;
    tray::mdlTray tray(area);
    EXPECT_FALSE(tray.RemoveTrayIcon()) << "nothing to delete yet";
    EXPECT_FALSE(tray.iconShown());

    EXPECT_TRUE(tray.AddTrayIcon(10, 20, "Radio", 512));
    EXPECT_TRUE(tray.iconShown());
    EXPECT_FALSE(tray.AddTrayIcon(10, 20, "Radio", 512)) << "a duplicate add is refused";
    EXPECT_TRUE(tray.iconShown()) << "a refused duplicate leaves the icon shown";
    EXPECT_EQ(area.icons.size(), 1u);

    EXPECT_TRUE(tray.RemoveTrayIcon());
    EXPECT_FALSE(tray.iconShown());
    EXPECT_TRUE(area.icons.empty());
    EXPECT_FALSE(tray.RemoveTrayIcon());
    ASSERT_EQ(area.calls.size(), 5u);
    EXPECT_EQ(area.calls[3].message, platform::NIM_DELETE);
    EXPECT_EQ(area.calls[3].data.hWnd, 10u);
    EXPECT_EQ(area.calls[3].data.uID, 1u);
}

TEST(TrayIcon, WithoutANotificationAreaTheAddIsRefused) {
    fakes::FakeNotifyArea area;
    area.available = false;
    tray::mdlTray tray(area);
    EXPECT_FALSE(tray.AddTrayIcon(10, 20, "Radio", 512));
    EXPECT_FALSE(tray.iconShown());
}

TEST(TrayNotification, OnlyADoubleClickRestoresAndOnlyARightButtonReleasePopsUp) {
    for (std::uint32_t message = 500; message <= 530; ++message) {
        SCOPED_TRACE(message);
        const auto request = tray::decodeTrayNotification(static_cast<float>(message) * 15.0f);
        const auto expected = message == 515   ? tray::TrayRequest::Restore
                              : message == 517 ? tray::TrayRequest::PopUpMenu
                                               : tray::TrayRequest::None;
        EXPECT_EQ(request, expected);
    }
    EXPECT_EQ(tray::decodeTrayNotification(515.0f), tray::TrayRequest::None)
        << "pixel 515 of a pointer move is 34 and a third in message numbers";
    EXPECT_EQ(tray::decodeTrayNotification(7726.0f), tray::TrayRequest::None);
}

} // namespace
