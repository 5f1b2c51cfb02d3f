#pragma once

#include "recorder/core/zoned_instant.h"

#include <cstdint>

namespace vt640 {

// Where the recorder takes its time from: the real-time clock in UTC with
// the local zone's offset, for time stamps and the status-bar clock, and a
// millisecond tick for the gaps between records. Tests hand in a clock of
// their own so that time passes without waiting.
class RecorderClock {
public:
    virtual ~RecorderClock() = default;
    // The real-time clock: milliseconds since 1970-01-01T00:00:00Z.
    virtual std::int64_t utcMs() const = 0;
    // The local zone's offset from UTC at the instant `utcMs`, in minutes.
    virtual int utcOffsetMinutes(std::int64_t utcMs) const = 0;
    // Milliseconds since some fixed point, unaffected by steps of the
    // real-time clock; never 0 (0 means "no tick yet").
    virtual std::uint32_t tickMs() const = 0;

    // Now, with the offset that holds now; the local time is always the one
    // these two name.
    ZonedInstant now() const
    {
        const std::int64_t utc = utcMs();
        return {utc, utcOffsetMinutes(utc)};
    }
    LocalTime localTime() const { return localTimeOf(now()); }

    // The offset of the process's time zone (TZ, or the system's) at `utcMs`.
    static int localZoneOffsetMinutes(std::int64_t utcMs);

    // The clock of the running program.
    static RecorderClock& system();
};

} // namespace vt640
