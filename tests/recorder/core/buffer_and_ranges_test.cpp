// The record buffer, the Y range and the maximum/minimum tracking on their own.
#include "recorder/core/max_min_tracker.h"
#include "recorder/core/record_buffer.h"
#include "recorder/core/y_range.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vt640;

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
