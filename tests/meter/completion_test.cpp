// Completing a decoded reading into value, texts, prefix and unit.
#include "meter/reading_completion.h"

#include <gtest/gtest.h>

using namespace vt640;

namespace {

MeterReading complete(std::string mainText, std::string exponentText, std::uint32_t rawCode)
{
    MeterReading r;
    r.mainText = std::move(mainText);
    r.exponentText = std::move(exponentText);
    r.rawCode = rawCode;
    r.functionCode = static_cast<std::int32_t>(rawCode & 0x7FFFFFFFu);
    completeMeterReading(r);
    return r;
}

} // namespace

TEST(Completion, VoltsFollowTheRange)
{
    auto r = complete("1.234", "3", 4);
    EXPECT_EQ(r.valueText, "1234");
    EXPECT_DOUBLE_EQ(r.value, 1.234);
    EXPECT_EQ(r.exponent, 3);
    EXPECT_EQ(r.readoutText, "1234");
    EXPECT_EQ(r.unitText, "V");
    EXPECT_EQ(r.prefixText, "");

    EXPECT_EQ(complete("1.234", "0", 4).valueText, "1.234");
    EXPECT_EQ(complete("-1.234", "0", 4).valueText, "-1.234");
    EXPECT_EQ(complete("-1.234", "3", 4).valueText, "-1234");
    EXPECT_EQ(complete("1.234", "1", 5).valueText, "12.34");
    EXPECT_EQ(complete("1.234", "2", 5).valueText, "123.4");

    // A negative exponent is a millivolt range: three more, and the m prefix.
    r = complete("1.234", "-1", 4);
    EXPECT_EQ(r.exponent, 2);
    EXPECT_EQ(r.valueText, "123.4");
    EXPECT_EQ(r.prefixText, "m");
}

TEST(Completion, AcAmperesWrapNegativeExponents)
{
    auto r = complete("1.234", "-4", 513);
    EXPECT_EQ(r.exponent, 2); // -4 rem 3 = -1, plus 3
    EXPECT_EQ(r.valueText, "123.4");
    EXPECT_EQ(r.prefixText, "u");
    EXPECT_EQ(r.unitText, "A");
    EXPECT_EQ(complete("1.234", "-3", 513).exponent, 3);
}

TEST(Completion, Capacitance)
{
    auto r = complete("1.234", "3", 8);
    EXPECT_EQ(r.exponent, 3);
    EXPECT_EQ(r.valueText, "1234");
    r = complete("1.234", "-2", 8);
    EXPECT_EQ(r.exponent, 1);
    EXPECT_EQ(r.valueText, "12.34");
    EXPECT_EQ(r.prefixText, "n");
    EXPECT_EQ(r.unitText, "F");
}

TEST(Completion, TemperatureDropsItsLetter)
{
    auto r = complete(" .25C", "2", 32);
    EXPECT_EQ(r.mainText, " .25");
    EXPECT_DOUBLE_EQ(r.value, 25.0);
    EXPECT_EQ(r.valueText, "025");
    EXPECT_EQ(r.unitText, "C");
    r = complete("1.00F", "2", 64);
    EXPECT_EQ(r.valueText, "100");
    EXPECT_EQ(r.unitText, "F");
}

TEST(Completion, ResistanceKeepsTheRemainderAndPrintsOmegaAsW)
{
    auto r = complete("4.702", "3", 128);
    EXPECT_EQ(r.exponent, 0);
    EXPECT_EQ(r.valueText, "4.702");
    EXPECT_EQ(r.prefixText, "k");
    EXPECT_EQ(r.unitText, "W");
    r = complete("1.234", "4", 384);
    EXPECT_EQ(r.exponent, 1);
    EXPECT_EQ(r.valueText, "12.34");
}

TEST(Completion, FrequencyRanges)
{
    auto r = complete("1.234", "3", 1024);
    EXPECT_EQ(r.valueText, "1234");
    EXPECT_EQ(r.prefixText, "");
    r = complete("1.234", "6", 1024);
    EXPECT_EQ(r.valueText, "1.234");
    EXPECT_EQ(r.prefixText, "k");
    EXPECT_EQ(r.unitText, "Hz");
    // Other ranges scale and keep the decimals that remain.
    r = complete("1.234", "4", 1024);
    EXPECT_EQ(r.valueText, "12340");
    r = complete("1.234", "2", 1024);
    EXPECT_EQ(r.valueText, "123.4");
    EXPECT_EQ(r.readoutText, "123.4");
}

TEST(Completion, PowerFunctions)
{
    auto r = complete("1.234", "3", 262145);
    EXPECT_EQ(r.exponent, 3);
    EXPECT_EQ(r.valueText, "1.234"); // unscaled in the kilo range
    EXPECT_EQ(r.prefixText, "k");
    EXPECT_EQ(r.unitText, "W");
    r = complete("-1.234", "3", 786432);
    EXPECT_EQ(r.valueText, "-1.234");
    r = complete("1.234", "2", 517);
    EXPECT_EQ(r.exponent, 2);
    EXPECT_EQ(r.valueText, "123.4");
    EXPECT_EQ(r.unitText, "VA");
    EXPECT_EQ(complete("1.234", "1", 655876).unitText, "VAR");
}

TEST(Completion, NonNumericDisplays)
{
    auto r = complete("Auto", "3", 8388608);
    EXPECT_EQ(r.readoutText, "Auto");
    EXPECT_EQ(r.valueText, "Auto");
    EXPECT_EQ(r.exponent, 0);

    r = complete("1.234", "3", 2048);
    EXPECT_EQ(r.readoutText, "----");
    EXPECT_EQ(r.valueText, "1.234");
    EXPECT_EQ(r.unitText, "%");
}

TEST(Completion, OverloadKeepsTheOldValue)
{
    MeterReading r;
    r.mainText = "1.234";
    r.exponentText = "0";
    r.rawCode = 4;
    r.functionCode = 4;
    completeMeterReading(r);
    r.mainText = "OL";
    r.exponentText = "3";
    completeMeterReading(r);
    EXPECT_EQ(r.readoutText, "OL");
    EXPECT_EQ(r.valueText, "OL");
    EXPECT_DOUBLE_EQ(r.value, 1.234);
    EXPECT_EQ(r.exponent, 3); // assigned before the failed parse

    // Power codes parse first: the exponent stays too.
    r.functionCode = 262145;
    r.rawCode = 262145;
    r.exponentText = "4";
    completeMeterReading(r);
    EXPECT_EQ(r.exponent, 3);
}

TEST(Completion, BlankFunctionShowsAsFahrenheitWithoutUnit)
{
    auto r = complete("1.234", "2", 0);
    EXPECT_EQ(r.functionCode, 64);
    EXPECT_DOUBLE_EQ(r.value, 123.4);
    EXPECT_EQ(r.valueText, "0123");
    EXPECT_EQ(r.unitText, "");
}

TEST(Completion, LongTextsAreCut)
{
    auto r = complete("1.2E15", "0", 4);
    EXPECT_EQ(r.valueText.size(), 15u);
    EXPECT_EQ(r.valueText, "120000000000000");
}

TEST(Completion, UnusualRangesFollowPrintfRules)
{
    // An exponent above 3 leaves a negative precision: printf's default of 6.
    auto r = complete("1.234", "6", 4);
    EXPECT_EQ(r.valueText, "1234000.000000");
}
