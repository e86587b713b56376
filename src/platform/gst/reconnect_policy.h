#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// When to try a lost stream again: 1 s after the first loss, then 2 s, 3 s ... up to 60 s.
// Playback that lasts a while counts as success and starts the series afresh; a station
// change or a user stop resets it too. The clock is injected so that tests need not wait.
class ReconnectPolicy {
public:
    using Clock = std::function<std::int64_t()>; // milliseconds, monotonic

    static constexpr int maxDelaySeconds = 60;
    static constexpr std::int64_t stablePlayMs = 10000;

    explicit ReconnectPolicy(Clock clock = steadyClock);

    void reset();
    // Playback has (re)started now.
    void playing();
    // The stream was lost now: seconds to wait before the next try.
    int nextDelaySeconds();

    static std::int64_t steadyClock();

private:
    Clock clock_;
    int losses_ = 0;
    std::int64_t playingSince_ = -1;
};

} // namespace platform
