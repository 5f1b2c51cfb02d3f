// The recorder's bookkeeping without a window: values, energy, pages,
// max/min and Y range.
#include "recorder/core/command_rules.h"
#include "recorder/core/max_min_tracker.h"
#include "recorder/core/page_math.h"
#include "recorder/core/record_text.h"
#include "recorder/core/recorder_core.h"
#include "recorder/core/time_text.h"
#include "recorder/core/y_range.h"
#include "recorder_test_support.h"

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

TEST(PageMath, FourHundredFiftyRecords)
{
    const int N = 450, P = 200, T = page_math::totalPages(N, P);
    ASSERT_EQ(T, 3);
    const auto p3 = page_math::pageWindow(N, T, 3, P);
    EXPECT_EQ(p3.emptyPoints, 0);
    EXPECT_EQ(p3.firstRecord, 250);
    EXPECT_EQ(p3.recordCount, 200);
    const auto p2 = page_math::pageWindow(N, T, 2, P);
    EXPECT_EQ(p2.firstRecord, 50);
    EXPECT_EQ(p2.recordCount, 200);
    const auto p1 = page_math::pageWindow(N, T, 1, P);
    EXPECT_EQ(p1.emptyPoints, 150);
    EXPECT_EQ(p1.firstRecord, 0);
    EXPECT_EQ(p1.recordCount, 50);
    // The readout finds the same records under the cursor.
    EXPECT_EQ(page_math::recordAtPoint(199, N, T, 3, P), 449);
    EXPECT_EQ(page_math::recordAtPoint(0, N, T, 2, P), 50);
    EXPECT_EQ(page_math::recordAtPoint(150, N, T, 1, P), 0);
    EXPECT_LT(page_math::recordAtPoint(149, N, T, 1, P), 0);
}

TEST(PageMath, ExactMultipleLeavesTheFirstPageEmpty)
{
    const int T = page_math::totalPages(400, 200);
    ASSERT_EQ(T, 3);
    const auto p1 = page_math::pageWindow(400, T, 1, 200);
    EXPECT_EQ(p1.emptyPoints, 200);
    EXPECT_EQ(p1.recordCount, 0);
    for (int point : {0, 100, 199})
        EXPECT_LT(page_math::recordAtPoint(point, 400, T, 1, 200), 0);
    // An empty buffer has one empty page.
    const auto empty = page_math::pageWindow(0, 1, 1, 200);
    EXPECT_EQ(empty.emptyPoints, 200);
    EXPECT_EQ(empty.recordCount, 0);
}

TEST_F(RecorderCoreTest, MaxMinTiesGoToTheNewestAndStatusDisplaysStayOut)
{
    log(volts(5));  // 0
    log(volts(3));  // 1
    EXPECT_EQ(core.maxIndex(), 0);
    EXPECT_EQ(core.minIndex(), 1);
    log(volts(5));  // 2: equal to the maximum
    EXPECT_EQ(core.maxIndex(), 2);
    log(volts(3));  // 3: equal to the minimum
    EXPECT_EQ(core.minIndex(), 3);
    log(volts(4));  // 4: in between
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

TEST(MaxMinTrackerTest, ValuesThatAreNoNumberStayOut)
{
    RecordBuffer buffer;
    MaxMinTracker t;
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = {std::numeric_limits<float>::quiet_NaN(), 2.0f, inf, -inf, 1.0f,
                            std::numeric_limits<float>::quiet_NaN(), 3.0f};
    const bool taken[] = {false, true, false, false, true, false, true};
    for (int i = 0; i < 7; ++i) {
        TBRecord r;
        r.head.value = values[i];
        buffer.append(r);
        EXPECT_EQ(t.update(buffer, i, values[i]), taken[i]) << i;
        if (i == 0) {
            EXPECT_FALSE(t.valid());
        }
    }
    EXPECT_EQ(t.maxIndex(), 6);
    EXPECT_EQ(t.minIndex(), 4);
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

TEST(YRangeTest, WidensOnlyNearItsBounds)
{
    YRange y;
    EXPECT_EQ(y.upper(), 100.0f);
    EXPECT_EQ(y.lower(), -100.0f);
    y.widen(0.0f); // first value 0: +/-1
    EXPECT_EQ(y.upper(), 1.0f);
    EXPECT_EQ(y.lower(), -1.0f);
    y.widen(2.0f); // 2 >= 0.752
    EXPECT_FLOAT_EQ(y.upper(), 2.66f);
    EXPECT_EQ(y.lower(), -1.0f);

    YRange z;
    z.widen(10.0f);
    EXPECT_FLOAT_EQ(z.upper(), 13.3f);
    EXPECT_FLOAT_EQ(z.lower(), -13.3f);
    z.widen(-9.0f); // -9 > -10.0: stays
    EXPECT_FLOAT_EQ(z.lower(), -13.3f);
    z.widen(-11.0f);
    EXPECT_FLOAT_EQ(z.lower(), -14.63f);
    z.widen(1.0f); // small values never shrink it
    EXPECT_FLOAT_EQ(z.upper(), 13.3f);
    EXPECT_FLOAT_EQ(z.lower(), -14.63f);
    z.reset();
    z.widen(4.0f); // the first value after a reset sets it again
    EXPECT_FLOAT_EQ(z.upper(), 5.32f);
}

TEST(YRangeTest, ValuesThatAreNoNumberStayOut)
{
    const float inf = std::numeric_limits<float>::infinity();
    YRange y;
    y.widen(std::numeric_limits<float>::quiet_NaN());
    y.widen(inf);
    EXPECT_EQ(y.upper(), 100.0f); // untouched, and the next value is the first
    y.widen(10.0f);
    EXPECT_FLOAT_EQ(y.upper(), 13.3f);
    y.widen(-inf);
    y.widen(inf);
    y.widen(std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(y.upper(), 13.3f);
    EXPECT_FLOAT_EQ(y.lower(), -13.3f);
    // The largest float widens to the largest float, not to infinity.
    y.widen(std::numeric_limits<float>::max());
    EXPECT_EQ(y.upper(), std::numeric_limits<float>::max());
    EXPECT_FLOAT_EQ(y.lower(), -13.3f);
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

TEST(CommandRulesTest, AutomaticMode)
{
    CommandInputs in;
    in.manual = false;
    in.empty = true;
    CommandStates s = commandStates(in);
    EXPECT_TRUE(s.recordStart && s.recordStop && s.option && s.openFile);
    EXPECT_FALSE(s.manualLogging);
    EXPECT_FALSE(s.saveFile || s.clear || s.exportData || s.printGraphic);
    EXPECT_FALSE(s.firstPage || s.pageUp || s.pageDown || s.lastPage || s.fitView);
    EXPECT_TRUE(s.menuStart);
    EXPECT_FALSE(s.menuStop || s.menuManual);

    in.logging = true;
    in.empty = false;
    in.totalPages = 3;
    s = commandStates(in);
    EXPECT_TRUE(s.recordStart && s.recordStop); // the latching pair stays usable
    EXPECT_FALSE(s.option || s.openFile || s.saveFile || s.clear);
    EXPECT_FALSE(s.firstPage || s.pageUp || s.pageDown || s.lastPage || s.fitView);
    EXPECT_FALSE(s.menuStart);
    EXPECT_TRUE(s.menuStop);
    EXPECT_FALSE(s.menuFirstPage || s.menuFitAll || s.menuInterval || s.menuOpen);

    in.logging = false;
    s = commandStates(in);
    EXPECT_TRUE(s.saveFile && s.clear && s.exportData && s.printGraphic);
    EXPECT_TRUE(s.firstPage && s.pageUp && s.fitView);
    EXPECT_FALSE(s.pageDown || s.lastPage);
    EXPECT_TRUE(s.menuFirstPage && s.menuPageUp && s.menuFitAll);
    EXPECT_FALSE(s.menuPageDown || s.menuLastPage);

    in.busy = true;
    s = commandStates(in);
    EXPECT_FALSE(s.recordStart || s.recordStop || s.option || s.saveFile || s.firstPage ||
                 s.menuStart || s.menuStop || s.menuOpen || s.menuFirstPage);
}

TEST(CommandRulesTest, ManualMode)
{
    CommandInputs in;
    in.manual = true;
    CommandStates s = commandStates(in);
    EXPECT_FALSE(s.recordStart || s.recordStop);
    EXPECT_FALSE(s.menuStart || s.menuStop);
    EXPECT_TRUE(s.manualLogging && s.menuManual);
    // Logging still running (switched to manual meanwhile): manual log waits.
    in.logging = true;
    s = commandStates(in);
    EXPECT_FALSE(s.manualLogging || s.menuManual);
    in.logging = false;
    in.busy = true;
    s = commandStates(in);
    EXPECT_FALSE(s.manualLogging || s.menuManual);
}

TEST(CommandRulesTest, PagingAfterDraw)
{
    auto p = pagingStates(1, 3);
    EXPECT_FALSE(p.first || p.up);
    EXPECT_TRUE(p.down && p.last);
    p = pagingStates(3, 3);
    EXPECT_TRUE(p.first && p.up);
    EXPECT_FALSE(p.down || p.last);
    p = pagingStates(1, 1);
    EXPECT_FALSE(p.first || p.up || p.down || p.last);
}

TEST(RecordBufferTest, GrowsByAnEighthAndClearsToNothing)
{
    RecordBuffer b;
    TBRecord r;
    for (int i = 0; i < 100000; ++i) {
        r.head.value = static_cast<float>(i);
        b.append(r);
    }
    EXPECT_EQ(b.size(), 100000);
    EXPECT_EQ(b.valueAt(99999), 99999.0f);
    EXPECT_LE(b.capacity(), 100000u * 9 / 8 + 1024);
    b.clear();
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(b.capacity(), 0u);
}
