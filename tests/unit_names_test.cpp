// Unit prefixes and units per function code.
#include "meter/unit_names.h"

#include <gtest/gtest.h>

using namespace vt640;

TEST(PrefixExponent, ByFunctionAndRange)
{
    EXPECT_EQ(prefixExponentFor(128, "4"), 3);
    EXPECT_EQ(prefixExponentFor(128, "7"), 6);
    EXPECT_EQ(prefixExponentFor(128, "-1"), 0); // truncates toward zero
    EXPECT_EQ(prefixExponentFor(5, "3"), 1);
    EXPECT_EQ(prefixExponentFor(5, "-1"), -3);
    EXPECT_EQ(prefixExponentFor(1024, "6"), 3);
    EXPECT_EQ(prefixExponentFor(1024, "3"), 0);
    EXPECT_EQ(prefixExponentFor(262145, "2"), 0);
    EXPECT_EQ(prefixExponentFor(262145, "6"), 3);
    EXPECT_EQ(prefixExponentFor(262145, "7"), 0);
    EXPECT_EQ(prefixExponentFor(8, "-3"), -9);
    EXPECT_EQ(prefixExponentFor(8, "3"), -6);
    EXPECT_EQ(prefixExponentFor(8, "4"), 0);
    EXPECT_EQ(prefixExponentFor(515, "-4"), -6);
    EXPECT_EQ(prefixExponentFor(515, "-2"), -3);
    EXPECT_EQ(prefixExponentFor(515, "1"), 0);
    EXPECT_EQ(prefixExponentFor(2048, "3"), 0);
}

TEST(PrefixExponent, NonIntegerExponentTextGivesZero)
{
    for (std::int32_t c : {4, 8, 128, 513, 1024, 262145})
        for (const char* t : {"", "x", "1.5", " 3", "3 ", "--1", "99999999999"})
            EXPECT_EQ(prefixExponentFor(c, t), 0) << c << " '" << t << "'";
    EXPECT_EQ(prefixExponentFor(1024, "+6"), 3);
}

TEST(PrefixText, Letters)
{
    EXPECT_EQ(prefixTextFor(0, -9), "n");
    EXPECT_EQ(prefixTextFor(0, -6), "u");
    EXPECT_EQ(prefixTextFor(0, -3), "m");
    EXPECT_EQ(prefixTextFor(0, 0), "");
    EXPECT_EQ(prefixTextFor(0, 1), "");
    EXPECT_EQ(prefixTextFor(0, 3), "k");
    EXPECT_EQ(prefixTextFor(0, 4), "");
    EXPECT_EQ(prefixTextFor(0, 6), "M");
}

TEST(UnitText, EveryCodeAndTheLowBatteryBit)
{
    const std::pair<std::uint32_t, const char*> table[] = {
        {4, "V"},       {5, "V"},       {7, "V"},      {8, "F"},      {32, "C"},
        {64, "F"},      {128, "W"},     {384, "W"},    {513, "A"},    {514, "A"},
        {515, "A"},     {1024, "Hz"},   {2048, "%"},   {67584, "%"},  {262145, "W"},
        {786432, "W"},  {517, "VA"},    {524804, "VA"}, {131589, "VAR"}, {655876, "VAR"},
        {0, ""},        {8388608, ""},  {1310721, ""}, {3, ""},
    };
    for (const auto& [c, unit] : table) {
        EXPECT_EQ(unitTextFor(c), unit) << c;
        EXPECT_EQ(unitTextFor(c | 0x80000000u), unit) << c;
    }
}
