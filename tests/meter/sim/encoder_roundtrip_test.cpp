// The simulated meter's encoder against the decoder: what the LCD shows must
// come back out of the 20 bytes.
#include "meter/frame_decoder.h"
#include "meter/meter_link.h"
#include "meter/sim/demo_meter.h"
#include "meter/sim/meter_encoder.h"

#include <gtest/gtest.h>

using namespace vt640;
using namespace vt640::sim;
using Sub = LcdPicture::SubLabel;

namespace {

struct Case {
    std::uint32_t bits;
    const char* display;
    bool kilo;
    Sub sub;
    const char* subDisplay;
    std::uint8_t status;
    // expected
    std::uint32_t rawCode;
    const char* mainText;
    const char* exponentText;
    const char* subFunction;
    const char* subText;
};

// Every function code a frame can carry. Codes 7, 8, 514 and 515 are listed
// by the lookups but no combination of annunciators yields them.
const Case kCases[] = {
    {0x0, "1.234", false, Sub::None, "", 0, 0, "1.234", "0", "", ""},
    {0x4, "12.34", false, Sub::None, "", 0, 4, "1.234", "1", "", ""},
    {0x5, "230.1", false, Sub::THD, "2.41", 0, 5, "2.301", "2", "THD%", "2.41"},
    {0x4, " 25C", false, Sub::None, "", 0, 32, " .25C", "2", "", ""},
    {0x4, "100F", false, Sub::None, "", 0, 64, "1.00F", "2", "", ""},
    {0x80, "4.702", true, Sub::None, "", 0, 128, "4.702", "3", "", ""},
    {0x180, "1.234", false, Sub::None, "", status::Hold, 384, "1.234", "0", "", ""},
    {0x201, "1.234", false, Sub::THD, "1.23", status::Peak, 513, "1.234", "0", "THD%", "1.23"},
    {0x205, "1.234", true, Sub::PF, "095", status::PhaseMarks | status::L1, 517, "1.234", "3", "PF", "0.95"},
    {0x400, "1.000", true, Sub::None, "", 0, 1024, "1.000", "6", "", ""},
    {0x800, "50.00", false, Sub::None, "", 0, 2048, "5.000", "1", "", ""},
    {0x10800, "50.00", false, Sub::None, "", 0, 67584, "5.000", "1", "", ""},
    {0x20205, "1.234", true, Sub::PF, "-080", status::ALags, 131589, "1.234", "3", "PF", "-0.80"},
    {0x40001, "-1.234", true, Sub::PF, "095", status::PhaseMarks | status::L2, 262145, "-1.234", "3", "PF", "0.95"},
    {0x80204, "12.34", true, Sub::VLine, "400", status::FourWire, 524804, "1.234", "4", "", "V-Line: 400"},
    {0xA0204, "123.4", true, Sub::None, "", status::PhaseMarks | status::L3, 655876, "1.234", "5", "", ""},
    {0xC0000, "4.567", true, Sub::VLine, "400", 0xFF, 786432, "4.567", "3", "", "V-Line: 400"},
    {0x140001, "12.34", false, Sub::Hours, "1.25", 0, 1310721, "1.234", "1", "Hr.", "1.25"},
    {0x1C0000, "1234", false, Sub::Hours, "12.5", 0, 1835008, "1.234", "3", "Hr.", "12.5"},
    {0x4, "Auto", false, Sub::None, "", 0, 8388608, "Auto", "3", "", ""},
    {0x80000004, "OL", false, Sub::None, "", 0, 0x80000004, "OL", "3", "", ""},
    {0x4, "-O.L", false, Sub::None, "", 0, 4, "-O.L", "1", "", ""},
    {0x4, "SHrt", false, Sub::None, "", 0, 4, "SHrt", "3", "", ""},
    {0x4, "PAUS", false, Sub::None, "", 0, 4, "PAUS", "3", "", ""},
};

} // namespace

TEST(EncoderRoundTrip, EveryFunctionCode)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.rawCode);
        LcdPicture p;
        p.functionBits = c.bits;
        p.kilo = c.kilo;
        p.subLabel = c.sub;
        p.status = c.status;
        ASSERT_TRUE(setMainDisplay(p, c.display)) << c.display;
        if (*c.subDisplay) {
            ASSERT_TRUE(setSubDisplay(p, c.subDisplay)) << c.subDisplay;
        }
        MeterReading r;
        decodeMeterFrame(encodeMeterFrame(p), r);
        EXPECT_EQ(r.rawCode, c.rawCode);
        EXPECT_EQ(r.mainText, c.mainText);
        EXPECT_EQ(r.exponentText, c.exponentText);
        EXPECT_EQ(r.subFunction, c.subFunction);
        EXPECT_EQ(r.subText, c.subText);
        EXPECT_EQ(r.status, c.status);
    }
}

TEST(EncoderRoundTrip, CharactersMapBackToTheirPatterns)
{
    for (int p = 0; p < 256; ++p) {
        const char c = segmentToChar(static_cast<std::uint8_t>(p));
        if (c != '?' && (p & 0x08) == 0) {
            EXPECT_EQ(charToSegment(c), p) << c;
        }
    }
    EXPECT_EQ(charToSegment('?'), 0xFF);
    EXPECT_EQ(charToSegment('Z'), 0xFF);
}

TEST(EncoderRoundTrip, DisplaysThatDoNotFitAreRefused)
{
    LcdPicture p;
    EXPECT_FALSE(setMainDisplay(p, "12345"));
    EXPECT_FALSE(setMainDisplay(p, ".1234")); // a point before the first digit
    EXPECT_FALSE(setMainDisplay(p, "1.2.3"));
    EXPECT_FALSE(setMainDisplay(p, "1Z"));
    EXPECT_FALSE(setSubDisplay(p, "1234"));
}

TEST(DemoMeter, EveryStepGivesACompletedReading)
{
    DemoMeter meter(7);
    const char* units[] = {"V", "V", "W", "Hz", "W", "W"};
    const char* prefixes[] = {"", "", "k", "k", "k", "k"};
    for (int step = 0; step < DemoMeter::kSteps; ++step) {
        for (int i = 0; i < 30; ++i) {
            MeterReading r;
            ASSERT_TRUE(applyMeterFrame(meter.frameAt(step * DemoMeter::kStepMs + i * 600), r));
            SCOPED_TRACE(r.mainText);
            EXPECT_EQ(r.unitText, units[step]) << step;
            EXPECT_EQ(r.prefixText, prefixes[step]) << step;
            EXPECT_NE(r.readoutText, "----");
            EXPECT_EQ(r.readoutText, r.valueText);
            EXPECT_EQ(r.readoutText.find('?'), std::string::npos);
        }
    }
}

TEST(DemoMeter, Conditions)
{
    DemoMeter meter;
    MeterReading r;
    meter.setCondition(DemoMeter::Condition::LowBattery);
    decodeMeterFrame(meter.frameAt(0), r);
    EXPECT_TRUE(r.rawCode & code::LowBatteryBit);

    meter.setCondition(DemoMeter::Condition::KilowattHours);
    EXPECT_FALSE(applyMeterFrame(meter.frameAt(0), r));
    EXPECT_EQ(r.functionCode, code::Energy1);

    meter.setCondition(DemoMeter::Condition::Overload);
    EXPECT_TRUE(applyMeterFrame(meter.frameAt(0), r));
    EXPECT_EQ(r.readoutText, "OL");
}
