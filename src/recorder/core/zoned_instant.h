#pragma once

#include <cstdint>
#include <string>

namespace vt640 {

// Local wall-clock time as the recorder stamps it.
struct LocalTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// An instant of the real-time clock and the local time zone's offset from
// UTC at that instant: together they name the local time that was meant,
// also in the hour a daylight-saving change repeats.
struct ZonedInstant {
    std::int64_t utcMs = 0; // milliseconds since 1970-01-01T00:00:00Z
    int offsetMinutes = 0;  // local time = UTC + offset
    bool operator==(const ZonedInstant&) const = default;
};

// Offsets lie within a day either way (RFC 3339 writes them as +hh:mm).
inline constexpr int kMaxOffsetMinutes = 23 * 60 + 59;

// Whether `at` can be written as a date and time: UTC from 1970 on, the
// local time no later than the year 9999, and the offset within a day.
bool isWritable(const ZonedInstant& at);

// The local date and time `at` names.
LocalTime localTimeOf(const ZonedInstant& at);

// Milliseconds since 1970 of a date and time read as UTC: with `local` a
// local time, this minus the offset in milliseconds is the instant.
std::int64_t msSinceEpochOf(const LocalTime& t);
// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t daysSinceEpoch(int year, int month, int day);

// RFC 3339 with milliseconds and the offset, e.g.
// "2026-12-08T14:05:09.300+01:00"; appended to `out`. `at` must be writable.
void appendRfc3339(std::string& out, const ZonedInstant& at);
std::string rfc3339(const ZonedInstant& at);

} // namespace vt640
