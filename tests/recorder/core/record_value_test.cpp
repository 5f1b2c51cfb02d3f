// The number the recorder logs for a reading.
#include "recorder/core/record_value.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace vt640;

TEST(RecordValue, NumbersTakeTheirExponent)
{
    EXPECT_EQ(recordValueFor("1.234", "3", 4), 1234.0f);
    EXPECT_EQ(recordValueFor("1.2E10", "3", 4), 1.2e10f); // already has its exponent
    EXPECT_EQ(recordValueFor("1.000", "6", 1024), 1000.0f);
    EXPECT_EQ(recordValueFor("1.000", "3", 1024), 1000.0f);
    EXPECT_EQ(recordValueFor(" .25", "2", 32), 25.0f);
    EXPECT_EQ(recordValueFor("-1.234", "0", 4), -1.234f);
}

TEST(RecordValue, OverloadBecomesFullScale)
{
    EXPECT_EQ(recordValueFor("OL", "0", 4), 6.6f);
    EXPECT_EQ(recordValueFor("-OL", "0", 4), -6.6f);
    EXPECT_EQ(recordValueFor("O.L", "2", 513), 660.0f);
    EXPECT_EQ(recordValueFor("OL", "3", 8), 5500.0f);
    EXPECT_EQ(recordValueFor("OL", "1", 128), 99.0f);
    EXPECT_EQ(recordValueFor("OL", "7", 32), 1100.0f);
    EXPECT_EQ(recordValueFor("OL", "3", 384), 1000.0f);
    EXPECT_EQ(recordValueFor("OL", "3", 2048), 110.0f);
    EXPECT_FALSE(recordValueFor("OL", "3", 262145));
    EXPECT_EQ(recordValueFor("CALL", "0", 5), 6.6f); // contains L: the overload rule
}

TEST(RecordValue, StatusDisplaysLogZeroAndOtherTextsNothing)
{
    for (const char* t : {"Strt", "StoP", "PAUS", "Cont"})
        EXPECT_EQ(recordValueFor(t, "3", 4), 0.0f) << t;
    EXPECT_FALSE(recordValueFor("SHrt", "3", 4));
    EXPECT_FALSE(recordValueFor("Auto", "3", 8388608));
    EXPECT_FALSE(recordValueFor("----", "3", 4));
    EXPECT_TRUE(isStatusDisplay("CALL"));
    EXPECT_FALSE(isStatusDisplay(" Strt"));
}

TEST(RecordValue, OutOfRangeNumbersDoNotOverflowTheFloat)
{
    const auto v = recordValueFor("1.5", "99", 4);
    ASSERT_TRUE(v);
    EXPECT_TRUE(std::isinf(*v));
}
