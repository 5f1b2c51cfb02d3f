// Dating records without stamps: from --date and the times of day, a day
// later at each midnight; with stamped records leading the way.
#include "recorder/core/record_dating.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"
#include "recorder/core/recorder_clock.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vt640;

namespace {

TBRecord at(const char* timeText)
{
    TBRecord r;
    copyText(r.head.timeText, timeText);
    copyText(r.energyText, "----");
    return r;
}

// The dates `dating` gives the records with `texts`, as RFC 3339 ("-" for none,
// "~" before an inferred one).
std::vector<std::string> dates(RecordDating& dating, const std::vector<TBRecord>& records)
{
    std::vector<std::string> out;
    for (const TBRecord& r : records) {
        const auto d = dating.next(r);
        out.push_back(d ? (d->inferred ? "~" : "") + rfc3339(d->at) : "-");
    }
    return out;
}

int plusOneHour(std::int64_t) { return 60; }

} // namespace

TEST(RecordDating, DatesAndTimesOfDayAreReadStrictly)
{
    const auto d = parseCalendarDate("2024-02-29");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->year * 10000 + d->month * 100 + d->day, 20240229);
    for (const char* bad : {"2026-02-29", "2026-13-01", "2026-00-10", "2026-12-32", "1969-12-31", "2026-2-01",
                            "26-12-08", "2026-12-08 ", "2026/12/08", "", "2026-12-0x", "+026-12-08"})
        EXPECT_FALSE(parseCalendarDate(bad)) << bad;

    EXPECT_EQ(timeOfDayMs(" 14:05:09.3  "), ((14 * 60 + 5) * 60 + 9) * 1000 + 300);
    EXPECT_EQ(timeOfDayMs("  0:00:00.0  "), 0);
    EXPECT_EQ(timeOfDayMs(" 23:59:59.9"), 86'399'900);
    EXPECT_EQ(timeOfDayMs("8:07:06.54"), ((8 * 60 + 7) * 60 + 6) * 1000 + 540);
    EXPECT_EQ(timeOfDayMs("8:07:06"), ((8 * 60 + 7) * 60 + 6) * 1000);
    for (const char* bad : {"", "   ", " 24:00:00.0  ", " 14:60:00.0", " 14:05:60.0", " 14:5:09.3", " 14:05:09.",
                            " 14:05:09.3x", "14-05-09.3", " 1234:05:09.3", " 14:05:09.1234", "x14:05:09.3"})
        EXPECT_FALSE(timeOfDayMs(bad)) << bad;
}

TEST(RecordDating, MidnightStepsTheDateAndShortStepsBackDoNot)
{
    RecordDating dating(CalendarDate{2026, 12, 8}, plusOneHour);
    EXPECT_EQ(dates(dating, {at(" 23:59:50.0  "), at(" 23:59:59.9  "), at("  0:00:05.3  "), at(" 11:00:00.0  "),
                             at(" 10:40:00.0  "), // 20 minutes back: a clock set back, the same day
                             at(" 23:00:00.0  "), at(" 10:59:59.9  "),   // back by more than 12 hours
                             at(" 22:59:59.9  "), at(" 10:59:59.9  ")}), // back by exactly 12 hours
              (std::vector<std::string>{"~2026-12-08T23:59:50.000+01:00", "~2026-12-08T23:59:59.900+01:00",
                                        "~2026-12-09T00:00:05.300+01:00", "~2026-12-09T11:00:00.000+01:00",
                                        "~2026-12-09T10:40:00.000+01:00", "~2026-12-09T23:00:00.000+01:00",
                                        "~2026-12-10T10:59:59.900+01:00", "~2026-12-10T22:59:59.900+01:00",
                                        "~2026-12-10T10:59:59.900+01:00"}));
    EXPECT_EQ(dating.inferred(), 9);
    EXPECT_EQ(dating.stamped(), 0);
    EXPECT_EQ(dating.undated(), 0);

    // The last day of a year, and of February in a leap year.
    RecordDating newYear(CalendarDate{2024, 12, 31}, plusOneHour);
    EXPECT_EQ(dates(newYear, {at(" 23:00:00.0  "), at("  1:00:00.0  ")}),
              (std::vector<std::string>{"~2024-12-31T23:00:00.000+01:00", "~2025-01-01T01:00:00.000+01:00"}));
    RecordDating leap(CalendarDate{2024, 2, 28}, plusOneHour);
    EXPECT_EQ(dates(leap, {at(" 23:00:00.0  "), at("  1:00:00.0  "), at(" 13:00:00.0  "), at("  0:30:00.0  ")}),
              (std::vector<std::string>{"~2024-02-28T23:00:00.000+01:00", "~2024-02-29T01:00:00.000+01:00",
                                        "~2024-02-29T13:00:00.000+01:00", "~2024-03-01T00:30:00.000+01:00"}));
}

// A file of records from an older logger, then records logged here and
// appended, then one more from elsewhere: stamps win, and records without
// one follow the stamped record before them, its date and its zone.
TEST(RecordDating, StampedRecordsLeadAndUnstampedOnesFollowThem)
{
    TBRecord stamped = at(" 23:59:00.0  ");
    ASSERT_TRUE(writeRecordStamp(stamped, {msSinceEpochOf(LocalTime{2026, 12, 9, 4, 59, 0, 0}), -300}));
    TBRecord stampedLater = at("  8:00:00.0  ");
    ASSERT_TRUE(writeRecordStamp(stampedLater, {msSinceEpochOf(LocalTime{2026, 12, 12, 13, 0, 0, 0}), -300}));
    const std::vector<TBRecord> records = {at(" 23:58:00.0  "), stamped,      at(" 23:59:30.0  "), at("  0:00:10.0  "),
                                           at("garbage"),       stampedLater, at("  8:00:01.0  ")};

    // Without --date the records before the first stamp stay undated.
    RecordDating plain(std::nullopt, plusOneHour);
    EXPECT_EQ(dates(plain, records),
              (std::vector<std::string>{"-", "2026-12-08T23:59:00.000-05:00", "~2026-12-08T23:59:30.000-05:00",
                                        "~2026-12-09T00:00:10.000-05:00", "-", "2026-12-12T08:00:00.000-05:00",
                                        "~2026-12-12T08:00:01.000-05:00"}));
    EXPECT_EQ(plain.stamped(), 2);
    EXPECT_EQ(plain.inferred(), 3);
    EXPECT_EQ(plain.undated(), 2);

    // With it, they take that date and this machine's zone; a stamp still
    // wins over it.
    RecordDating withDate(CalendarDate{2026, 12, 1}, plusOneHour);
    const auto d = dates(withDate, records);
    EXPECT_EQ(d[0], "~2026-12-01T23:58:00.000+01:00");
    EXPECT_EQ(d[1], "2026-12-08T23:59:00.000-05:00");
    EXPECT_EQ(d[3], "~2026-12-09T00:00:10.000-05:00");
}

TEST(RecordDating, TheStartOfDaylightSavingInBerlin)
{
    test::ScopedTimeZone berlin("Europe/Berlin");
    ASSERT_EQ(RecorderClock::localZoneOffsetMinutes(msSinceEpochOf(LocalTime{2026, 7, 1})), 120)
        << "is tzdata installed?";
    // At 02:00 winter time the clocks go on to 03:00: 02:30 never shows on
    // a clock, and is kept with the offset before the change.
    RecordDating dating(CalendarDate{2026, 3, 28}, RecorderClock::localZoneOffsetMinutes);
    EXPECT_EQ(dates(dating, {at(" 23:00:00.0  "), at("  1:59:59.9  "), at("  2:30:00.0  "), at("  3:00:00.0  "),
                             at(" 12:00:00.0  ")}),
              (std::vector<std::string>{"~2026-03-28T23:00:00.000+01:00", "~2026-03-29T01:59:59.900+01:00",
                                        "~2026-03-29T02:30:00.000+01:00", "~2026-03-29T03:00:00.000+02:00",
                                        "~2026-03-29T12:00:00.000+02:00"}));
}
