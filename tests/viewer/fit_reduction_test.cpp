// Which records the whole-buffer chart shows: every record below 8192,
// block extremes from there on, and where the recorder's maximum and
// minimum are on the chart.
#include "viewer/core/fit_reduction.h"

#include "recorder/core/record_buffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace vt640 {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::vector<float> ramp(int n)
{
    std::vector<float> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] = static_cast<float>(i % 1000);
    return v;
}

// The chart points of block b (both of them).
std::pair<int, int> blockPoints(const FitReduction& f, int b)
{
    return {f.indexList()[static_cast<std::size_t>(2 * b)], f.indexList()[static_cast<std::size_t>(2 * b + 1)]};
}

TEST(FitReductionTest, EveryRecordBelowTheThresholdAndBlocksOfNOver2048FromIt)
{
    FitReduction f;
    f.reduce(ramp(8191), 999, 0);
    EXPECT_TRUE(f.allRecords());
    EXPECT_EQ(f.pointCount(), 8191);
    EXPECT_EQ(f.recordAt(8190), 8190);
    EXPECT_TRUE(f.indexList().empty());
    EXPECT_EQ(f.maxPosition(), 999); // the record's own point
    EXPECT_EQ(f.minPosition(), 0);

    f.reduce(ramp(8192), 999, 0);
    EXPECT_FALSE(f.allRecords());
    EXPECT_EQ(f.blockSize(), 4);
    EXPECT_EQ(f.pointCount(), 4096);

    // 2560 blocks, the last one of three records (10236..10238).
    f.reduce(ramp(10239), 999, 0);
    EXPECT_EQ(f.blockSize(), 4);
    EXPECT_EQ(f.pointCount(), 5120);
    EXPECT_EQ(blockPoints(f, 2559), std::make_pair(10236, 10238));
    for (int j = 0; j < f.pointCount(); ++j)
        EXPECT_EQ(f.recordAt(j), f.indexList()[static_cast<std::size_t>(j)]);
}

TEST(FitReductionTest, EachBlockGivesItsFirstExtremesInRecordOrder)
{
    // Blocks of 4 records (8192 records): block 0 falls, block 1 rises,
    // block 2 is flat, block 3 has two equal maxima and two equal minima.
    std::vector<float> v(8192, 1.0f);
    const float blocks[4][4] = {{9, 5, 2, 4}, {1, 3, 8, 6}, {7, 7, 7, 7}, {2, 9, 0, 9}};
    for (int b = 0; b < 4; ++b)
        for (int i = 0; i < 4; ++i)
            v[static_cast<std::size_t>(4 * b + i)] = blocks[b][i];
    v[12 + 2] = 2.0f; // block 3: {2, 9, 2, 9}
    FitReduction f;
    f.reduce(v, 0, 0);
    EXPECT_EQ(blockPoints(f, 0), std::make_pair(0, 2));         // maximum first: it comes first
    EXPECT_EQ(blockPoints(f, 1), std::make_pair(0 + 4, 2 + 4)); // minimum first
    EXPECT_EQ(blockPoints(f, 2), std::make_pair(8, 8));         // all equal: the first record twice
    EXPECT_EQ(blockPoints(f, 3), std::make_pair(12, 13));       // the earlier of equal extremes
}

TEST(FitReductionTest, TheRecordersExtremesFindTheirPoints)
{
    std::vector<float> v(8192, 0.0f);
    v[101] = 50.0f;
    v[6000] = -50.0f;
    FitReduction f;
    f.reduce(v, 101, 6000);
    EXPECT_EQ(f.recordAt(f.maxPosition()), 101);
    EXPECT_EQ(f.recordAt(f.minPosition()), 6000);

    // The recorder keeps the newest of equal extremes (103 and 6002), a
    // block its first (101 and 6000): the block's own extreme stands in.
    v[103] = 50.0f;
    v[6002] = -50.0f;
    f.reduce(v, 103, 6002);
    EXPECT_EQ(f.recordAt(f.maxPosition()), 101);
    EXPECT_EQ(f.recordAt(f.minPosition()), 6000);

    // With the block's maximum first, the stand-in is the block's first point.
    v[100] = 50.0f;
    v[101] = -1.0f;
    f.reduce(v, 103, 6002);
    EXPECT_EQ(f.recordAt(f.maxPosition()), 100);
    EXPECT_EQ(f.recordAt(f.maxPosition() + 1), 101);

    // Positions from an earlier reduction do not survive into the next one.
    f.reduce(ramp(9000), 999, 5000);
    EXPECT_EQ(f.recordAt(f.maxPosition()), 999);
    EXPECT_EQ(f.recordAt(f.minPosition()), 5000);
}

TEST(FitReductionTest, ValuesThatAreNoFiniteNumberTakeNoPart)
{
    std::vector<float> v(8192, 1.0f);
    // Block 0: a NaN and an infinity around the real extremes.
    v[0] = kInf;
    v[1] = 3.0f;
    v[2] = kNaN;
    v[3] = -kInf;
    // Block 1: nothing finite at all, and the recorder's maximum in it.
    for (int i = 4; i < 8; ++i)
        v[static_cast<std::size_t>(i)] = kNaN;
    // Block 2: the minimum after a NaN.
    v[8] = kNaN;
    v[9] = -2.0f;
    FitReduction f;
    f.reduce(v, 5, 9);
    EXPECT_EQ(f.pointCount(), 2 * 2047);
    EXPECT_EQ(blockPoints(f, 0), std::make_pair(1, 1));
    EXPECT_EQ(blockPoints(f, 1), std::make_pair(9, 10)); // block 1 gave none
    EXPECT_EQ(f.maxPosition(), 2);                       // the first point after the gap
    EXPECT_EQ(f.recordAt(f.minPosition()), 9);

    // No finite value anywhere: no point, positions on point 0.
    std::vector<float> none(9000, kNaN);
    f.reduce(none, 100, 200);
    EXPECT_EQ(f.pointCount(), 0);
    EXPECT_EQ(f.maxPosition(), 0);
    EXPECT_EQ(f.minPosition(), 0);
}

TEST(FitReductionTest, AnySizeKeepsEveryBlocksExtremesInAtMost5120Points)
{
    std::mt19937 random(640);
    std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
    for (int n : {8192, 8193, 10239, 10240, 12287, 65536, 100003, 1 << 20}) {
        std::vector<float> v(static_cast<std::size_t>(n));
        for (float& x : v)
            x = std::round(value(random)); // rounded, so blocks hold ties
        FitReduction f;
        f.reduce(v, n - 1, 0);
        const int s = n / 2048;
        const int blocks = (n + s - 1) / s;
        ASSERT_EQ(f.blockSize(), s) << n;
        ASSERT_EQ(f.pointCount(), 2 * blocks) << n;
        ASSERT_LE(f.pointCount(), FitReduction::kMaxPoints) << n;
        ASSERT_GE(f.pointCount(), 4096) << n;
        for (int b = 0; b < blocks; ++b) {
            const int first = b * s, end = std::min(n, first + s);
            int mx = first, mn = first;
            for (int i = first; i < end; ++i) {
                if (v[static_cast<std::size_t>(i)] > v[static_cast<std::size_t>(mx)])
                    mx = i;
                if (v[static_cast<std::size_t>(i)] < v[static_cast<std::size_t>(mn)])
                    mn = i;
            }
            ASSERT_EQ(blockPoints(f, b), std::make_pair(std::min(mx, mn), std::max(mx, mn)))
                << "n " << n << " block " << b;
        }
    }
}

TEST(FitReductionTest, ReadsTheRecordBufferAndReleasesItsList)
{
    RecordBuffer buffer;
    TBRecord r;
    for (int i = 0; i < 8200; ++i) {
        r.head.value = i == 4321 ? 1e6f : static_cast<float>(i % 7);
        buffer.append(r);
    }
    FitReduction f;
    f.reduce(buffer, 4321, 0);
    EXPECT_EQ(f.recordAt(f.maxPosition()), 4321);
    EXPECT_GT(f.indexList().capacity(), 0u);
    f.release();
    EXPECT_EQ(f.indexList().capacity(), 0u);
}

} // namespace
} // namespace vt640
