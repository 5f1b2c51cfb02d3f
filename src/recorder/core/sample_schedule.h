#pragma once

#include <cstdint>

namespace vt640 {

// Which readings automatic logging takes: the first one delivered after
// Start at once, then the first one delivered after each tick of the logging
// timer, which ticks every interval (500 ms at Full Speed, n x 1000 ms
// otherwise). Ticks that pass while no reading comes count once. The
// recorder's timer ticks it; the command-line logger, which has no timer,
// lets time pass to each reading instead. Either way the same readings are
// logged for the same frames.
class SampleSchedule {
public:
    static constexpr std::int32_t kFullSpeedMs = 500;

    // The interval for `seconds` as the interval dialog takes them: 0 is Full Speed.
    static std::int32_t intervalFor(std::int64_t seconds)
    {
        return seconds == 0 ? kFullSpeedMs : static_cast<std::int32_t>(seconds * 1000);
    }

    // Start at `nowMs` (a millisecond tick): the next reading is logged, and
    // the timer's first tick comes one interval later.
    void start(std::uint32_t nowMs, std::int32_t intervalMs)
    {
        intervalMs_ = intervalMs;
        nextTickMs_ = nowMs + static_cast<std::uint32_t>(intervalMs);
        requested_ = true;
    }
    // Stop: nothing is requested until the next start.
    void stop() { requested_ = false; }

    // The logging timer has ticked.
    void tick() { requested_ = true; }
    // Without a timer: the ticks due by `nowMs` have come (at most one counts).
    void advanceTo(std::uint32_t nowMs)
    {
        if (static_cast<std::int32_t>(nowMs - nextTickMs_) < 0)
            return;
        requested_ = true;
        while (static_cast<std::int32_t>(nowMs - nextTickMs_) >= 0)
            nextTickMs_ += static_cast<std::uint32_t>(intervalMs_ > 0 ? intervalMs_ : kFullSpeedMs);
    }

    bool requested() const { return requested_; }
    void setRequested(bool on) { requested_ = on; }
    // For the reading at hand: whether it is to be logged; the request is
    // taken with it.
    bool take()
    {
        const bool was = requested_;
        requested_ = false;
        return was;
    }

private:
    std::int32_t intervalMs_ = kFullSpeedMs;
    std::uint32_t nextTickMs_ = 0;
    bool requested_ = false;
};

} // namespace vt640
