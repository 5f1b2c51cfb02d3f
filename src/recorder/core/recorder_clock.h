#pragma once

#include <cstdint>

namespace vt640 {

// Local wall-clock time as the recorder stamps it.
struct LocalTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Where the recorder takes its time from: the local time for time stamps and
// the status-bar clock, and a millisecond tick for the gaps between records.
// Tests hand in a clock of their own so that time passes without waiting.
class RecorderClock {
public:
    virtual ~RecorderClock() = default;
    virtual LocalTime localTime() const = 0;
    // Milliseconds since some fixed point; never 0 (0 means "no tick yet").
    virtual std::uint32_t tickMs() const = 0;

    // The clock of the running program.
    static RecorderClock& system();
};

} // namespace vt640
