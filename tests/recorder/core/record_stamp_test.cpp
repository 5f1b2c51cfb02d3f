// Records' dates: the calendar and RFC 3339 texts, the stamp in a record's
// spare bytes, and the stamps the recorder writes as its clock runs on,
// across a daylight-saving change and a clock set back.
#include "recorder/core/logger_file_reader.h"
#include "recorder/core/record_dating.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"
#include "recorder/core/recorder_core.h"
#include "support/test_readings.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <limits>
#include <set>
#include <string>
#include <vector>

using namespace vt640;
using vt640::test::FakeClock;
using vt640::test::ScopedTimeZone;
using vt640::test::volts;

namespace {

std::int64_t utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return msSinceEpochOf(LocalTime{y, mo, d, h, mi, s, ms});
}

std::string bytesOf(const TBRecord& r) { return std::string(reinterpret_cast<const char*>(&r), sizeof r); }

TBRecord sample(const char* energy = "00.123")
{
    TBRecord r;
    copyText(r.head.mainText, "1.234");
    copyText(r.head.exponentText, "3");
    r.head.functionCode = code::ActivePower1;
    copyText(r.head.timeText, " 14:05:09.3  ");
    copyText(r.head.valueText, "1234");
    copyText(r.head.unitText, "W");
    r.head.value = 1234.0f;
    copyText(r.sub.subText, "0.98");
    copyText(r.sub.subFunction, "PF");
    r.sub.status = 3;
    copyText(r.energyText, energy);
    return r;
}

// CRC-8 as the block's description gives it: polynomial 0x07, initial 0xFF.
std::uint8_t crc8(const unsigned char* p, std::size_t n)
{
    std::uint8_t c = 0xFF;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int bit = 0; bit < 8; ++bit)
            c = static_cast<std::uint8_t>(c & 0x80 ? (c << 1) ^ 0x07 : c << 1);
    }
    return c;
}

unsigned char* block(TBRecord& r) { return reinterpret_cast<unsigned char*>(&r) + kStampOffset; }

} // namespace

TEST(ZonedInstant, CalendarAgreesWithTheCLibrary)
{
    // Instants from 1970 to 9999, a prime stride apart, against gmtime_r.
    for (std::int64_t ms = 0; ms < utc(9999, 12, 31); ms += 7'777'777'777'7) {
        const LocalTime t = localTimeOf({ms, 0});
        const std::time_t s = static_cast<std::time_t>(ms / 1000);
        std::tm tm{};
        ASSERT_TRUE(gmtime_r(&s, &tm));
        ASSERT_EQ(t.year, tm.tm_year + 1900) << ms;
        ASSERT_EQ(t.month, tm.tm_mon + 1) << ms;
        ASSERT_EQ(t.day, tm.tm_mday) << ms;
        ASSERT_EQ(t.hour * 3600 + t.minute * 60 + t.second, tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec) << ms;
        ASSERT_EQ(t.millisecond, ms % 1000);
        ASSERT_EQ(msSinceEpochOf(t), ms);
    }
}

TEST(ZonedInstant, Rfc3339WithOffsetAndMilliseconds)
{
    EXPECT_EQ(rfc3339({utc(2026, 12, 8, 13, 5, 9, 300), 60}), "2026-12-08T14:05:09.300+01:00");
    EXPECT_EQ(rfc3339({utc(2026, 1, 1, 2, 0, 0, 5), -330}), "2025-12-31T20:30:00.005-05:30");
    EXPECT_EQ(rfc3339({utc(2024, 2, 29, 23, 59, 59, 999), 0}), "2024-02-29T23:59:59.999+00:00");
    EXPECT_EQ(rfc3339({0, 0}), "1970-01-01T00:00:00.000+00:00");
    EXPECT_EQ(rfc3339({0, -60}), "1969-12-31T23:00:00.000-01:00");
    EXPECT_EQ(rfc3339({utc(9999, 12, 31, 23, 59, 59, 999), 0}), "9999-12-31T23:59:59.999+00:00");

    EXPECT_TRUE(isWritable({0, -kMaxOffsetMinutes}));
    EXPECT_FALSE(isWritable({-1, 0}));
    EXPECT_FALSE(isWritable({0, kMaxOffsetMinutes + 1}));
    EXPECT_FALSE(isWritable({utc(9999, 12, 31, 23), 60})); // local time in the year 10000
    EXPECT_FALSE(isWritable({std::numeric_limits<std::int64_t>::max(), 0}));
}

TEST(RecordStamp, SitsAfterTheEnergyTextAndChangesNoOtherByte)
{
    TBRecord r = sample();
    const std::string before = bytesOf(r);
    const ZonedInstant at{utc(2026, 12, 8, 13, 5, 9, 347), 60};
    ASSERT_TRUE(writeRecordStamp(r, at));
    const std::string after = bytesOf(r);
    EXPECT_EQ(after.substr(0, 112), before.substr(0, 112));
    EXPECT_EQ(fieldText(r.energyText), "00.123");

    // The block as documented, for readers of other programs.
    const unsigned char* b = block(r);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b), 4), std::string("VTS\x01", 4));
    std::uint64_t ms = 0;
    for (int i = 0; i < 8; ++i)
        ms |= static_cast<std::uint64_t>(b[4 + i]) << (8 * i);
    EXPECT_EQ(static_cast<std::int64_t>(ms), at.utcMs);
    EXPECT_EQ(b[12], 60);
    EXPECT_EQ(b[13], 0);
    EXPECT_EQ(b[14], 0);
    EXPECT_EQ(b[15], crc8(b, 15));

    EXPECT_EQ(recordStamp(r), at);
    EXPECT_EQ(LoggerFileReader::instantOf(r), at);
    EXPECT_EQ(recordDateTimeTip(r), "2026-12-08 14:05:09.347 UTC+01:00");
    clearRecordStamp(r);
    EXPECT_EQ(bytesOf(r), before);
    EXPECT_FALSE(recordStamp(r));
    EXPECT_EQ(recordDateTimeTip(r), "");

    // West of UTC, half hours.
    ASSERT_TRUE(writeRecordStamp(r, {utc(2026, 7, 1), -570}));
    EXPECT_EQ(recordStamp(r), (ZonedInstant{utc(2026, 7, 1), -570}));
}

TEST(RecordStamp, AnythingButAWholeValidBlockIsNoStamp)
{
    const ZonedInstant at{utc(2026, 12, 8, 13, 5, 9, 347), 60};
    EXPECT_FALSE(recordStamp(sample())); // zeroed spare bytes, as before stamps

    // Any single bit changed in the block.
    TBRecord stamped = sample();
    ASSERT_TRUE(writeRecordStamp(stamped, at));
    for (std::size_t bit = 0; bit < kStampSize * 8; ++bit) {
        TBRecord r = stamped;
        block(r)[bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
        EXPECT_FALSE(recordStamp(r)) << "bit " << bit;
    }

    // An energy text that reaches offset 112 leaves no room: nothing is
    // written, and bytes there are text, not a block, even a valid-looking one.
    TBRecord wide = sample("12345678901234567.890");
    const std::string wideBytes = bytesOf(wide);
    EXPECT_FALSE(writeRecordStamp(wide, at));
    EXPECT_EQ(bytesOf(wide), wideBytes);
    TBRecord covered = stamped;
    std::memset(covered.energyText, '9', 16);
    EXPECT_FALSE(recordStamp(covered));
    TBRecord justFits = sample("123456789012345"); // its NUL at offset 111
    EXPECT_TRUE(writeRecordStamp(justFits, at));
    EXPECT_EQ(recordStamp(justFits), at);

    // Instants no date can be written for.
    TBRecord r = sample();
    EXPECT_FALSE(writeRecordStamp(r, {-1, 0}));
    EXPECT_FALSE(writeRecordStamp(r, {0, kMaxOffsetMinutes + 1}));
    EXPECT_EQ(bytesOf(r), bytesOf(sample()));
    // ... nor read, with a check byte that matches.
    unsigned char* b = block(stamped);
    std::memset(b + 4, 0xFF, 8); // -1 ms
    b[15] = crc8(b, 15);
    EXPECT_FALSE(recordStamp(stamped));
    b[11] = 0x7F; // the largest int64
    b[15] = crc8(b, 15);
    EXPECT_FALSE(recordStamp(stamped));

    // Records widened from the older layouts carry none, whatever the
    // older record held after its texts.
    TARecord older;
    std::memset(static_cast<void*>(&older), 0xA5, sizeof older);
    EXPECT_FALSE(recordStamp(TBRecord::fromOlder(older)));
}

TEST(RecorderStamps, TheTimeTextAndTheStampNameTheSameInstant)
{
    FakeClock clock;
    clock.utc = utc(2026, 12, 8, 13, 5, 9, 347);
    clock.offsetMinutes = 60;
    RecorderCore core{clock};
    ASSERT_TRUE(core.logOneRecord(volts(1.0)));
    clock.advance(700);
    ASSERT_TRUE(core.makeRecord(volts(2.0))); // the command-line logger's way
    ASSERT_TRUE(core.logOneRecord(volts(3.0)));
    const RecordBuffer& b = core.buffer();
    EXPECT_EQ(fieldText(b[0].head.timeText), " 14:05:09.3  ");
    EXPECT_EQ(recordStamp(b[0]), (ZonedInstant{utc(2026, 12, 8, 13, 5, 9, 347), 60}));
    EXPECT_EQ(fieldText(b[0].energyText), "----");
    EXPECT_EQ(fieldText(b[1].head.timeText), " 14:05:10.0  ");
    EXPECT_EQ(recordStamp(b[1]), (ZonedInstant{utc(2026, 12, 8, 13, 5, 10, 47), 60}));
}

TEST(RecorderStamps, TheEndOfDaylightSavingInBerlinNeitherReordersNorRepeats)
{
    ScopedTimeZone berlin("Europe/Berlin");
    ASSERT_EQ(RecorderClock::localZoneOffsetMinutes(utc(2026, 7, 1)), 120) << "is tzdata installed?";
    FakeClock clock;
    clock.zoneRules = true;
    clock.utc = utc(2026, 10, 25, 0, 30); // 02:30 summer time; at 01:00 UTC the clocks go back to 02:00
    RecorderCore core{clock};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(core.logOneRecord(volts(230.0 + i)));
        clock.advance(10 * 60'000);
    }
    const char* const texts[] = {"  2:30:00.0  ", "  2:40:00.0  ", "  2:50:00.0  ", "  2:00:00.0  ", "  2:10:00.0  "};
    const char* const iso[] = {"2026-10-25T02:30:00.000+02:00", "2026-10-25T02:40:00.000+02:00",
                               "2026-10-25T02:50:00.000+02:00", "2026-10-25T02:00:00.000+01:00",
                               "2026-10-25T02:10:00.000+01:00"};
    std::vector<TBRecord> unstamped;
    for (int i = 0; i < 5; ++i) {
        const TBRecord& r = core.buffer()[i];
        EXPECT_EQ(fieldText(r.head.timeText), texts[i]);
        const auto at = recordStamp(r);
        ASSERT_TRUE(at);
        EXPECT_EQ(rfc3339(*at), iso[i]);
        EXPECT_EQ(at->utcMs, utc(2026, 10, 25, 0, 30) + i * 10 * 60'000LL);
        unstamped.push_back(r);
        clearRecordStamp(unstamped.back());
    }

    // The same records without stamps, dated from their times of day in
    // this zone, come out the same.
    RecordDating dating(CalendarDate{2026, 10, 25}, RecorderClock::localZoneOffsetMinutes);
    for (int i = 0; i < 5; ++i) {
        const auto dated = dating.next(unstamped[static_cast<std::size_t>(i)]);
        ASSERT_TRUE(dated);
        EXPECT_TRUE(dated->inferred);
        EXPECT_EQ(rfc3339(dated->at), iso[i]);
    }
}

TEST(RecorderStamps, AClockSetBackNeverMovesAStampBack)
{
    FakeClock clock;
    clock.offsetMinutes = 60;
    clock.utc = utc(2026, 12, 8, 13);
    RecorderCore core{clock};
    auto logged = [&] {
        const auto l = core.logOneRecord(volts(1.0));
        EXPECT_TRUE(l);
        const TBRecord& r = core.buffer()[l->index];
        return std::make_pair(recordStamp(r)->utcMs, std::string(fieldText(r.head.timeText)));
    };
    EXPECT_EQ(logged().first, utc(2026, 12, 8, 13));
    clock.advance(1000);
    clock.utc -= 3'600'000; // a time service sets the clock an hour back
    EXPECT_EQ(logged(), std::make_pair(utc(2026, 12, 8, 13, 0, 1), std::string(" 14:00:01.0  ")));
    clock.advance(1500);
    EXPECT_EQ(logged().first, utc(2026, 12, 8, 13, 0, 2, 500));
    // Forward again, past the records: the clock is taken as it reads.
    clock.utc += 2 * 3'600'000;
    clock.advance(10);
    EXPECT_EQ(logged().first, clock.utc);

    // A new buffer starts afresh.
    core.clearBuffer();
    clock.utc -= 5 * 3'600'000;
    EXPECT_EQ(logged().first, clock.utc);
}
