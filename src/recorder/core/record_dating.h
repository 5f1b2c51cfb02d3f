#pragma once

#include "recorder/core/t_b_record.h"
#include "recorder/core/zoned_instant.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace vt640 {

// A day of the calendar.
struct CalendarDate {
    int year = 1970, month = 1, day = 1;
};

// "YYYY-MM-DD", a day that exists, in the years 1970 to 9999; empty for
// anything else.
std::optional<CalendarDate> parseCalendarDate(std::string_view text);

// The time of day a record's time text gives ("%3d:%02d:%02d.%-3d": hour,
// minute, second, tenths), in milliseconds since midnight; empty for a text
// that is not one.
std::optional<std::int64_t> timeOfDayMs(std::string_view timeText);

// When each record of a file was logged, record by record in file order.
//
// A stamped record gives its own instant. A record without a stamp is
// dated from its time text: the first such record takes the date given
// (--date), or the local date of the stamped record before it; from there
// the date steps to the next day whenever the time of day goes back by
// more than 12 hours (midnight), and stays when it goes back by less (a
// daylight-saving change, a clock set back). Such a date is inferred.
//
// Its offset is the one of the stamped record before it, which tells the
// logger's zone; before any stamp, the one the zone `offsetAt` (this
// machine's) gives for that local time: where the local time occurs twice
// (the hour repeated in autumn) the earlier instant is taken unless it
// would go back before the previous record's, and where it does not occur
// (spring) the offset before the change.
//
// Records without a stamp before any date is known, and records whose time
// text is no time, stay undated.
class RecordDating {
public:
    struct Dated {
        ZonedInstant at;
        bool inferred = false; // from --date or an earlier record, not from a stamp
    };
    // The offset in minutes of the zone at an instant (milliseconds since 1970, UTC).
    using ZoneOffset = std::function<int(std::int64_t utcMs)>;

    explicit RecordDating(std::optional<CalendarDate> firstDate, ZoneOffset offsetAt);

    // The next record's date and time; empty when it stays undated.
    std::optional<Dated> next(const TBRecord& record);

    std::int64_t stamped() const { return stamped_; }
    std::int64_t inferred() const { return inferred_; }
    std::int64_t undated() const { return undated_; }

private:
    ZonedInstant zoned(std::int64_t localMs);

    ZoneOffset offsetAt_;
    bool anchored_ = false;
    std::int64_t dayMs_ = 0; // the current date: its midnight in milliseconds, local time read as UTC
    std::optional<std::int64_t> lastTimeOfDay_;
    std::optional<std::int64_t> lastUtcMs_;
    std::optional<int> stampOffset_; // the offset of the last stamped record
    // The offset that holds all over the day starting at cachedDayMs_, when
    // one does: most days need no look-up of the zone per record.
    std::optional<std::int64_t> cachedDayMs_;
    std::optional<int> dayOffset_;
    std::int64_t stamped_ = 0, inferred_ = 0, undated_ = 0;
};

} // namespace vt640
