// Which recorder commands are enabled, and the page arithmetic.
#include "recorder/core/command_rules.h"
#include "recorder/core/page_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vt640;

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
    EXPECT_FALSE(s.recordStart || s.recordStop || s.option || s.saveFile || s.firstPage || s.menuStart || s.menuStop
                 || s.menuOpen || s.menuFirstPage);
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
