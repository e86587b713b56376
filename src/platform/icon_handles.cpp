#include "icon_handles.h"

#include <QHash>

namespace platform {

namespace {
struct Registry {
    QHash<qint64, std::uint32_t> byKey;
    QHash<std::uint32_t, QIcon> byHandle;
    std::uint32_t next = 1;
};
Registry& registry() {
    static Registry r;
    return r;
}
} // namespace

std::uint32_t IconHandles::handleFor(const QIcon& icon) {
    if (icon.isNull())
        return 0;
    auto& r = registry();
    const auto found = r.byKey.constFind(icon.cacheKey());
    if (found != r.byKey.cend())
        return *found;
    const std::uint32_t handle = r.next++;
    r.byKey.insert(icon.cacheKey(), handle);
    r.byHandle.insert(handle, icon);
    return handle;
}

QIcon IconHandles::iconFor(std::uint32_t handle) {
    return registry().byHandle.value(handle);
}

} // namespace platform
