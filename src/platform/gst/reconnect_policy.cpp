#include "platform/gst/reconnect_policy.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace platform {

ReconnectPolicy::ReconnectPolicy(Clock clock) : clock_(std::move(clock)) {}

void ReconnectPolicy::reset() {
    losses_ = 0;
    playingSince_ = -1;
}

void ReconnectPolicy::playing() {
    playingSince_ = clock_();
}

int ReconnectPolicy::nextDelaySeconds() {
    if (playingSince_ >= 0 && clock_() - playingSince_ >= stablePlayMs)
        losses_ = 0;
    playingSince_ = -1;
    losses_ = std::min(losses_ + 1, maxDelaySeconds);
    return losses_;
}

std::int64_t ReconnectPolicy::steadyClock() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace platform
