#pragma once

#include <QEvent>
#include <cstdint>

namespace platform {

// A message posted to a window by the platform (the notification area posts its icon's
// mouse activity this way). Windows that expect such messages handle this event type.
class WindowMessageEvent : public QEvent {
public:
    static QEvent::Type eventType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    WindowMessageEvent(std::uint32_t msg, std::uint32_t wp, std::uint32_t lp)
        : QEvent(eventType()), message(msg), wParam(wp), lParam(lp) {}

    const std::uint32_t message;
    const std::uint32_t wParam;
    const std::uint32_t lParam;
};

} // namespace platform
