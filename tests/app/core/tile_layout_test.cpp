// "Windows tile" arithmetic.
#include "app/core/tile_layout.h"

#include <gtest/gtest.h>

using namespace vt640;

namespace {

TileInput desktop()
{
    TileInput in;
    in.screenWidth = 1600;
    in.screenHeight = 1000;
    in.taskbarHeight = 40;
    in.metrics = FrameMetrics{3, 4, 23, 20};
    in.dialHeight = 178;
    in.comparatorFrameWidth = 201;
    in.comparatorFrameHeight = 122;
    in.alarmButtonHeight = 25;
    in.limitButtonHeight = 40;
    return in;
}

} // namespace

TEST(TileLayout, MainBarAndDigitalMeterAlways)
{
    const TileLayout t = tileWindows(desktop());
    EXPECT_EQ(mainWindowHeight(desktop().metrics), 6 + 23 + 20 + 2 + 25 + 8);
    EXPECT_EQ(t.main, QRect(0, 0, 1600, 84));
    EXPECT_EQ(t.digitalMeter, QRect(0, 84, 400, (1000 - 84) / 4));
    EXPECT_FALSE(t.recorder);
    EXPECT_FALSE(t.dataList);
    EXPECT_FALSE(t.analogMeter);
    EXPECT_FALSE(t.comparator);
}

TEST(TileLayout, EveryViewWhenVisible)
{
    TileInput in = desktop();
    in.recorderVisible = in.dataListVisible = in.analogVisible = in.comparatorVisible = true;
    const TileLayout t = tileWindows(in);
    const int dh = (1000 - 84) / 4; // 229
    EXPECT_EQ(*t.recorder, QRect(0, 84 + dh, 1600, 1000 - (84 + dh) - 40));
    EXPECT_EQ(*t.dataList, QRect(400, 84, 1200, dh));
    EXPECT_EQ(*t.analogMeter, QRect(0, 84 + dh, 400, 178 + 12 + 23));
    const int m = 8 + 23;
    EXPECT_EQ(*t.comparator, QRect(m, (1000 - 84) / 4 + 84 + m, 201 + m, 122 + 25 + 40 + m + 2));
}

TEST(TileLayout, HiddenTaskBarGivesTheRecorderTheRestOfTheScreen)
{
    TileInput in = desktop();
    in.recorderVisible = true;
    in.taskbarHeight = taskbarHeightFrom(1000, 1000);
    EXPECT_EQ(in.taskbarHeight, 0);
    const TileLayout t = tileWindows(in);
    EXPECT_EQ(t.recorder->bottom() + 1, 1000);
    EXPECT_EQ(taskbarHeightFrom(1000, 960), 40);
    EXPECT_EQ(taskbarHeightFrom(1000, 1010), 0);
}

TEST(TileLayout, OddSizesTruncate)
{
    TileInput in = desktop();
    in.screenWidth = 1366;
    in.screenHeight = 767;
    in.dataListVisible = true;
    const TileLayout t = tileWindows(in);
    EXPECT_EQ(t.digitalMeter.width(), 341);
    EXPECT_EQ(t.dataList->left(), 341);
    EXPECT_EQ(t.dataList->width(), 1366 - 341);
    EXPECT_EQ(t.digitalMeter.height(), (767 - 84) / 4);
}
