#pragma once

#include <QIcon>
#include <cstdint>

namespace platform {

// Icons are handed to the notification area as 32-bit handles. Handles are never
// reused within a run; 0 means "no icon".
class IconHandles {
public:
    static std::uint32_t handleFor(const QIcon& icon);
    static QIcon iconFor(std::uint32_t handle);
};

} // namespace platform
