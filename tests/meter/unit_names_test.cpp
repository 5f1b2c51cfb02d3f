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
        {4, "V"},        {5, "V"},        {7, "V"},      {8, "F"},      {32, "C"},     {64, "F"},
        {128, "W"},      {384, "W"},      {513, "A"},    {514, "A"},    {515, "A"},    {1024, "Hz"},
        {2048, "%"},     {67584, "%"},    {262145, "W"}, {786432, "W"}, {517, "VA"},   {524804, "VA"},
        {131589, "VAR"}, {655876, "VAR"}, {0, ""},       {8388608, ""}, {1310721, ""}, {3, ""},
    };
    for (const auto& [c, unit] : table) {
        EXPECT_EQ(unitTextFor(c), unit) << c;
        EXPECT_EQ(unitTextFor(c | 0x80000000u), unit) << c;
    }
}

#include "meter/annunciators.h"
#include "meter/meter_reading.h"

TEST(Annunciators, PerCodeAndStatusBit)
{
    EXPECT_EQ(annunciatorsFor(4, 0).acDc, "DC");
    for (std::int32_t c : {5, 513, 517, 131589, 262145})
        EXPECT_EQ(annunciatorsFor(c, 0).acDc, "AC") << c;
    for (std::int32_t c : {524804, 655876, 786432})
        EXPECT_EQ(annunciatorsFor(c, 0).acDc, "3-Ph") << c;
    EXPECT_EQ(annunciatorsFor(128, 0).acDc, "");

    EXPECT_EQ(annunciatorsFor(262145, 0).aLag, "A-Leads");
    EXPECT_EQ(annunciatorsFor(262145, status::ALags).aLag, "A-Lags");
    // With the phase marks shown the lag field stays empty.
    const auto phased = annunciatorsFor(262145, status::PhaseMarks | status::L1 | status::L3 | status::ALags);
    EXPECT_EQ(phased.aLag, "");
    EXPECT_EQ(phased.phases, "A: L3L1");
    EXPECT_EQ(phased.wires, "3W");
    EXPECT_EQ(annunciatorsFor(786432, status::PhaseMarks | status::FourWire).wires, "4W");
    EXPECT_EQ(annunciatorsFor(4, status::FourWire).wires, ""); // only with the phase marks
    EXPECT_EQ(annunciatorsFor(4, status::ALags).aLag, "");     // only for power

    const auto marks = annunciatorsFor(4, status::Hold | status::Peak);
    EXPECT_EQ(marks.hold, "Hold");
    EXPECT_EQ(marks.peak, "Peak");
}

TEST(Annunciators, ResistanceShowsOmega)
{
    EXPECT_EQ(displayUnitText(128, "W"), "\u03A9");
    EXPECT_EQ(displayUnitText(384, "W"), "\u03A9");
    EXPECT_EQ(displayUnitText(262145, "W"), "W");
}
