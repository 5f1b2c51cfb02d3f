// The recorder's bookkeeping without a window: values, energy, pages,
// max/min and Y range as the records are logged.
#include "recorder/core/page_math.h"
#include "recorder/core/record_text.h"
#include "recorder/core/recorder_core.h"
#include "recorder/core/time_text.h"
#include "support/test_readings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vt640;
using vt640::test::FakeClock;
using vt640::test::makeReading;
using vt640::test::volts;

namespace {

class RecorderCoreTest : public ::testing::Test {
protected:
    FakeClock clock;
    RecorderCore core{clock};

    // Logs and returns the value of the new record, or NaN without a record.
    float log(const MeterReading& r)
    {
        const int before = core.buffer().size();
        const auto logged = core.logOneRecord(r);
        if (!logged) {
            EXPECT_EQ(before, core.buffer().size());
            return std::numeric_limits<float>::quiet_NaN();
        }
        return core.buffer()[logged->index].head.value;
    }
};

} // namespace

TEST_F(RecorderCoreTest, ValuesOfNumbersOverloadsAndStatusDisplays)
{
    EXPECT_EQ(log(makeReading("1.234", "3", 4)), 1234.0f);
    EXPECT_EQ(log(makeReading("1.5E2", "3", 4)), 150.0f);
    EXPECT_EQ(log(makeReading("1.000", "6", 1024)), 1000.0f);
    EXPECT_EQ(log(makeReading("OL", "0", 4)), 6.6f);
    EXPECT_EQ(log(makeReading("-OL", "0", 4)), -6.6f);
    EXPECT_EQ(log(makeReading("OL", "5", 32)), 1100.0f);
    EXPECT_EQ(log(makeReading("PAUS", "0", 4)), 0.0f);
    EXPECT_EQ(log(makeReading("CALL", "0", 5)), 6.6f);
    EXPECT_EQ(core.recordCount(), 8);

    // No record, and no state change, for these.
    const double energy = core.energy();
    const auto tick = core.lastRecordTick();
    clock.advance(1000);
    EXPECT_TRUE(std::isnan(log(makeReading("OL", "0", 262145))));
    EXPECT_TRUE(std::isnan(log(makeReading("SHrt", "0", 4))));
    EXPECT_TRUE(std::isnan(log(makeReading("----", "0", 4))));
    EXPECT_EQ(core.recordCount(), 8);
    EXPECT_EQ(core.energy(), energy);
    EXPECT_EQ(core.lastRecordTick(), tick);
}

TEST_F(RecorderCoreTest, RecordHoldsTheReadingsTextsAsHeld)
{
    MeterReading r = makeReading(" 1.234", "3", code::ActivePower1, "1234", "W");
    r.subText = "0.98";
    r.subFunction = "PF";
    r.status = 0x23;
    r.prefixText = "k";
    r.valueText = "1.234567890123456789"; // longer than its 16-byte field
    const auto logged = core.logOneRecord(r);
    ASSERT_TRUE(logged);
    const TBRecord& b = core.buffer()[0];
    EXPECT_EQ(fieldText(b.head.mainText), " 1.234"); // untrimmed
    EXPECT_EQ(fieldText(b.head.exponentText), "3");
    EXPECT_EQ(b.head.functionCode, code::ActivePower1);
    EXPECT_EQ(fieldText(b.head.timeText), " 14:05:09.3  ");
    EXPECT_EQ(fieldText(b.head.valueText), "1.2345678901234");
    EXPECT_EQ(fieldText(b.head.prefixText), "k");
    EXPECT_EQ(fieldText(b.head.unitText), "W");
    EXPECT_EQ(b.head.value, 1234.0f);
    EXPECT_EQ(fieldText(b.sub.subText), "0.98");
    EXPECT_EQ(fieldText(b.sub.subFunction), "PF");
    EXPECT_EQ(b.sub.status, 0x23);
    // First record counts one interval (500 ms at Full Speed): 1234 W for 0.5 s.
    EXPECT_EQ(fieldText(b.energyText), "0.000");
}

TEST(TimeText, StampAndClockFormats)
{
    EXPECT_EQ(recordTimeText({2024, 1, 1, 14, 5, 9, 399}), " 14:05:09.3  ");
    EXPECT_EQ(recordTimeText({2024, 1, 1, 0, 0, 0, 0}), "  0:00:00.0  ");
    EXPECT_EQ(statusClockText({2024, 1, 1, 14, 5, 9, 0}), "  PM 02:05:09\"");
    EXPECT_EQ(statusClockText({2024, 1, 1, 0, 30, 0, 0}), "  AM 12:30:00\"");
    EXPECT_EQ(statusClockText({2024, 1, 1, 12, 0, 1, 0}), "  PM 12:00:01\"");
}

TEST_F(RecorderCoreTest, EnergyCountsTheGapButNotLongPauses)
{
    core.setIntervalMs(1000);
    const auto watts = [](const char* v) { return makeReading(v, "0", code::ActivePower1, v, "W"); };
    // First record after reset: one interval. 3600 W for 1 s = 1 Wh = 0.001 kWh.
    log(watts("3600"));
    EXPECT_NEAR(core.energy(), 0.001, 1e-12);
    EXPECT_EQ(fieldText(core.buffer()[0].energyText), "0.001");
    // 2 s later: counts 2 s.
    clock.advance(2000);
    log(watts("3600"));
    EXPECT_NEAR(core.energy(), 0.003, 1e-12);
    // 10 s later with a 1 s interval: more than three intervals, counts one.
    clock.advance(10000);
    log(watts("3600"));
    EXPECT_NEAR(core.energy(), 0.004, 1e-12);
    // Exactly three intervals still count in full.
    clock.advance(3000);
    log(watts("3600"));
    EXPECT_NEAR(core.energy(), 0.007, 1e-12);
    // Other functions keep the gap going but add nothing and show "----".
    clock.advance(1000);
    log(volts(230.0));
    EXPECT_EQ(fieldText(core.buffer()[4].energyText), "----");
    EXPECT_NEAR(core.energy(), 0.007, 1e-12);
    // The three-phase active power counts too; its text is zero-padded.
    clock.advance(1000);
    log(makeReading("36000", "0", code::ActivePower3, "36000", "W"));
    EXPECT_NEAR(core.energy(), 0.017, 1e-12);
    EXPECT_EQ(fieldText(core.buffer()[5].energyText), "0.017");

    // A clear starts over: energy 0, first record one interval.
    core.clearBuffer();
    EXPECT_EQ(core.energy(), 0.0);
    EXPECT_EQ(core.lastRecordTick(), 0u);
    clock.advance(60000);
    log(watts("3600"));
    EXPECT_NEAR(core.energy(), 0.001, 1e-12);
}

TEST_F(RecorderCoreTest, PagesAt200And201Records)
{
    for (int i = 0; i < 200; ++i)
        log(volts(i));
    EXPECT_EQ(core.totalPages(), 1);
    EXPECT_EQ(core.currentPage(), 1);
    log(volts(200));
    EXPECT_EQ(core.totalPages(), 2);
    EXPECT_EQ(core.currentPage(), 2);
    EXPECT_EQ(core.recordCount(), 201);
    // Page 2 shows records 1..200, page 1 one record after 199 empty points.
    const auto last = page_math::pageWindow(201, 2, 2, 200);
    EXPECT_EQ(last.emptyPoints, 0);
    EXPECT_EQ(last.firstRecord, 1);
    const auto first = page_math::pageWindow(201, 2, 1, 200);
    EXPECT_EQ(first.emptyPoints, 199);
    EXPECT_EQ(first.recordCount, 1);
}

TEST_F(RecorderCoreTest, MaxMinTiesGoToTheNewestAndStatusDisplaysStayOut)
{
    log(volts(5)); // 0
    log(volts(3)); // 1
    EXPECT_EQ(core.maxIndex(), 0);
    EXPECT_EQ(core.minIndex(), 1);
    log(volts(5)); // 2: equal to the maximum
    EXPECT_EQ(core.maxIndex(), 2);
    log(volts(3)); // 3: equal to the minimum
    EXPECT_EQ(core.minIndex(), 3);
    log(volts(4)); // 4: in between
    EXPECT_EQ(core.maxIndex(), 2);
    EXPECT_EQ(core.minIndex(), 3);
    // "PAUS" logs 0.0, below the minimum, but does not count; nor does "CALL".
    const auto paused = core.logOneRecord(makeReading("PAUS", "0", 4));
    ASSERT_TRUE(paused);
    EXPECT_FALSE(paused->tracked);
    log(makeReading("CALL", "0", 5)); // 6.6, above the maximum
    EXPECT_EQ(core.maxIndex(), 2);
    EXPECT_EQ(core.minIndex(), 3);
    log(volts(-1)); // 7
    EXPECT_EQ(core.minIndex(), 7);
}

TEST_F(RecorderCoreTest, MaxMinStartWithTheFirstRecordThatIsNoStatusDisplay)
{
    const auto start = core.logOneRecord(makeReading("Strt", "0", 4)); // 0.0
    ASSERT_TRUE(start);
    EXPECT_FALSE(start->tracked);
    EXPECT_FALSE(core.maxMinValid());
    log(volts(5)); // 1
    EXPECT_TRUE(core.maxMinValid());
    EXPECT_EQ(core.maxIndex(), 1);
    EXPECT_EQ(core.minIndex(), 1);
    log(volts(6)); // 2
    log(volts(7)); // 3
    EXPECT_EQ(core.maxIndex(), 3);
    EXPECT_EQ(core.minIndex(), 1); // 5, not the "Strt" before it
    core.clearBuffer();
    EXPECT_FALSE(core.maxMinValid());
}

TEST_F(RecorderCoreTest, FirstRecordIsReportedSoThePanelsStayEmpty)
{
    const auto a = core.logOneRecord(volts(1));
    const auto b = core.logOneRecord(volts(2));
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->first);
    EXPECT_FALSE(b->first);
    EXPECT_EQ(core.maxIndex(), 1);
    EXPECT_EQ(core.minIndex(), 0);
}

TEST_F(RecorderCoreTest, YRangeFollowsTheRecordsAndResetsOnClear)
{
    log(volts(10));
    EXPECT_FLOAT_EQ(core.upperY(), 13.3f);
    EXPECT_FLOAT_EQ(core.lowerY(), -13.3f);
    core.clearBuffer();
    EXPECT_EQ(core.upperY(), 100.0f);
    EXPECT_EQ(core.lowerY(), -100.0f);
    EXPECT_TRUE(core.bufferEmpty());
    EXPECT_EQ(core.buffer().size(), 0);
    EXPECT_EQ(core.totalPages(), 1);
}
