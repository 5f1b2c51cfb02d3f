#pragma once

#include "recorder/core/record_dating.h"
#include "recorder/core/t_b_record.h"
#include "recorder/core/zoned_instant.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vt640::analysis {

// When a record of a file was logged, as far as the file tells.
//
// A record is dated by its stamp, or by the date given for a file without
// stamps (RecordDating). An undated record still has its time of day: such
// records are placed by the same rule on a time line of their own that
// starts on day 1, so that a run across midnight keeps its durations. Times
// on the two lines are never compared.
struct RecordTime {
    enum class Line : std::uint8_t {
        None,      // no stamp and a time text that is no time
        Dated,     // `ms` is milliseconds since 1970, UTC
        TimeOfDay, // `ms` is milliseconds since midnight of day 1
    };
    Line line = Line::None;
    std::int64_t ms = 0;
    std::optional<ZonedInstant> at; // with Line::Dated
    bool inferred = false;          // dated from the given date, not from the record's stamp

    // "2026-12-08T14:05:09.300+01:00" when dated, "day 2 00:15:03.100" on
    // the time-of-day line, empty with no time.
    std::string text() const;
};

// Milliseconds from `a` to `b` (negative when the clock went back); empty
// when they are not on one time line.
std::optional<std::int64_t> msBetween(const RecordTime& a, const RecordTime& b);

// Gives the records of one file their times, in file order.
class RecordTimes {
public:
    // `firstDate` is the date of the first record of a file without stamps
    // (--date); `offsetAt` gives this machine's zone, for the offset of such
    // dates.
    RecordTimes(std::optional<CalendarDate> firstDate, RecordDating::ZoneOffset offsetAt);

    RecordTime next(const TBRecord& record);

    std::int64_t stamped() const { return dating_.stamped(); }
    std::int64_t inferred() const { return dating_.inferred(); }
    // Records on the time-of-day line, and records with no time at all.
    std::int64_t timeOfDayOnly() const { return timeOfDayLine_.inferred(); }
    std::int64_t untimed() const { return timeOfDayLine_.undated(); }

private:
    RecordDating dating_;
    RecordDating timeOfDayLine_;
};

} // namespace vt640::analysis
