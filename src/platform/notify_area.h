#pragma once

#include <cstdint>

namespace platform {

// The notification-area record in its first, 88-byte layout, handed over in its 8-bit
// form. Handles are 32-bit numbers: hWnd is the window's native id (what
// QWidget::winId() gives for a top-level window), hIcon a number from IconHandles.
struct NotifyIconData {
    std::uint32_t cbSize;
    std::uint32_t hWnd;
    std::uint32_t uID;
    std::uint32_t uFlags;
    std::uint32_t uCallbackMessage;
    std::uint32_t hIcon;
    char szTip[64];
};
static_assert(sizeof(NotifyIconData) == 88, "the record is 88 bytes");

inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_MODIFY = 1;
inline constexpr std::uint32_t NIM_DELETE = 2;
inline constexpr std::uint32_t NIF_MESSAGE = 1;
inline constexpr std::uint32_t NIF_ICON = 2;
inline constexpr std::uint32_t NIF_TIP = 4;

// Mouse message numbers the notification area reports for its icon.
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x202;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x205;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x206;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x207;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x208;
inline constexpr std::uint32_t WM_MBUTTONDBLCLK = 0x209;

// The desktop's notification area. Shell_NotifyIcon returns false when the request is
// refused: a second add for the same (hWnd, uID), a delete of an icon that is not there,
// or an add on a desktop that has no notification area at all.
//
// While an icon is shown, mouse activity on it is delivered to its window as a
// WindowMessageEvent (see window_message.h) carrying uCallbackMessage, with the mouse
// message number as lParam.
class NotifyArea {
public:
    virtual ~NotifyArea() = default;
    virtual bool Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) = 0;
};

} // namespace platform
