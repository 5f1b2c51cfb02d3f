// Decoding the LCD picture into the raw fields of the reading.
#include "meter/frame_decoder.h"

#include <gtest/gtest.h>

using namespace vt640;

namespace {

// Segment patterns of the characters the tests use.
constexpr std::uint8_t S0 = 0xD7, S1 = 0x50, S2 = 0xB5, S3 = 0xF1, S4 = 0x72, S5 = 0xE3, S9 = 0xF3, SL = 0x86,
                       SC = 0x87, SE = 0xA7, SA = 0x77, Su = 0xC4, St = 0xA6, So = 0xE4, SH = 0x76, Sr = 0x24,
                       SF = 0x27, Blank = 0x00;
constexpr std::uint8_t Mark = 0x08;

MeterFrame frameWithMain(std::uint8_t d1, std::uint8_t d2, std::uint8_t d3, std::uint8_t d4)
{
    MeterFrame f{};
    f[4] = d1;
    f[5] = d2;
    f[6] = d3;
    f[7] = d4;
    return f;
}

MeterReading decode(const MeterFrame& f)
{
    MeterReading r;
    decodeMeterFrame(f, r);
    return r;
}

} // namespace

TEST(SegmentTable, KnownPatternsAndUnknownOnes)
{
    EXPECT_EQ(segmentToChar(0x00), ' ');
    EXPECT_EQ(segmentToChar(0xD7), '0');
    EXPECT_EQ(segmentToChar(0xF7), '8');
    EXPECT_EQ(segmentToChar(0x37), 'P');
    EXPECT_EQ(segmentToChar(0xD6), 'U');
    EXPECT_EQ(segmentToChar(0x01), '?');
    EXPECT_EQ(segmentToChar(0xFF), '?');
    int known = 0;
    for (int p = 0; p < 256; ++p)
        known += segmentToChar(static_cast<std::uint8_t>(p)) != '?';
    EXPECT_EQ(known, 30);
}

TEST(MainDisplay, NumberKeepsItsDigitsAndMovesThePointIntoTheExponent)
{
    auto r = decode(frameWithMain(S1, S2, S3, S4));
    EXPECT_EQ(r.mainText, "1.234");
    EXPECT_EQ(r.exponentText, "3");

    r = decode(frameWithMain(S1, S2 | Mark, S3, S4)); // "1.234"
    EXPECT_EQ(r.exponentText, "0");
    r = decode(frameWithMain(S1, S2, S3 | Mark, S4)); // "12.34"
    EXPECT_EQ(r.exponentText, "1");
    r = decode(frameWithMain(S1, S2, S3, S4 | Mark)); // "123.4"
    EXPECT_EQ(r.exponentText, "2");
    r = decode(frameWithMain(S1, S2 | Mark, S3 | Mark, S4)); // two points: dp 6
    EXPECT_EQ(r.exponentText, "0");

    r = decode(frameWithMain(S1 | Mark, S2 | Mark, S3, S4));
    EXPECT_EQ(r.mainText, "-1.234");
}

TEST(MainDisplay, WorkedExampleFromTheFrameLayout)
{
    auto r = decode(frameWithMain(S0, S1 | Mark, S2, S3));
    EXPECT_EQ(r.mainText, "0.123");
    EXPECT_EQ(r.exponentText, "0");
    r = decode(frameWithMain(S0, S1, S2, S3 | Mark));
    EXPECT_EQ(r.exponentText, "2");
}

TEST(MainDisplay, OverloadTextFollowsThePoint)
{
    EXPECT_EQ(decode(frameWithMain(Blank, S0, SL, Blank)).mainText, "OL");
    EXPECT_EQ(decode(frameWithMain(Blank, S0, SL | Mark, Blank)).mainText, "O.L");
    EXPECT_EQ(decode(frameWithMain(Blank, S0 | Mark, SL, Blank)).mainText, ".OL");
    EXPECT_EQ(decode(frameWithMain(Blank, S0, SL, Blank | Mark)).mainText, "OL.");
    EXPECT_EQ(decode(frameWithMain(Blank, S0 | Mark, SL | Mark, Blank)).mainText, "OL");
    EXPECT_EQ(decode(frameWithMain(Blank | Mark, S0, SL, Blank)).mainText, "-OL");
}

TEST(MainDisplay, TemperatureSetsItsOwnCodeAndExponent)
{
    MeterFrame f = frameWithMain(Blank, S2, S5, SC);
    f[9] = 0x02;        // volts lit as well: the temperature wins
    f[8] = 0x10 | 0x80; // low battery and kilo are dropped with it
    auto r = decode(f);
    EXPECT_EQ(r.rawCode, 32u);
    EXPECT_EQ(r.exponentText, "2");
    EXPECT_EQ(r.mainText, " .25C");

    r = decode(frameWithMain(S1, S0, S0, SF));
    EXPECT_EQ(r.rawCode, 64u);
    EXPECT_EQ(r.mainText, "1.00F");
}

TEST(MainDisplay, HexadecimalPowerOfTenAfterE)
{
    auto r = decode(frameWithMain(S1, S2, SE, SA));
    EXPECT_EQ(r.mainText, "1.2E10");
    EXPECT_EQ(decode(frameWithMain(S1, S2, SE, SF)).mainText, "1.2E15");
    EXPECT_EQ(decode(frameWithMain(S1, S2, SE, SC)).mainText, "1.2E12");
    // Without an E before it, C is degrees.
    EXPECT_EQ(decode(frameWithMain(S1, S2, S3, SC)).rawCode, 32u);
}

TEST(MainDisplay, MessagesAreCarriedAsText)
{
    MeterFrame f = frameWithMain(SA, Su, St, So);
    f[8] = 0x10; // low battery
    auto r = decode(f);
    EXPECT_EQ(r.mainText, "Auto");
    EXPECT_EQ(r.rawCode, 8388608u);

    r = decode(frameWithMain(S5, SH, Sr, St));
    EXPECT_EQ(r.mainText, "SHrt");
    // Only the first 5 becomes S.
    EXPECT_EQ(decode(frameWithMain(S5, S5, SH, Sr)).mainText, "S5Hr");
}

TEST(MainDisplay, BlanksAndUnknownPatterns)
{
    EXPECT_EQ(decode(frameWithMain(Blank, Blank, Blank, Blank)).mainText, " .   ");
    // " . 12" does not read as a number: the four characters without a point.
    EXPECT_EQ(decode(frameWithMain(Blank, Blank, S1, S2)).mainText, "  12");
    EXPECT_EQ(decode(frameWithMain(0x01, S2, S3, S4)).mainText, "?234");
}

TEST(Exponent, FrequencyRangesAndKilo)
{
    MeterFrame f = frameWithMain(S1, S2 | Mark, S3, S4);
    f[9] = 0x20; // Hz
    EXPECT_EQ(decode(f).exponentText, "3");
    f[8] = 0x80;
    EXPECT_EQ(decode(f).exponentText, "6");
    f = frameWithMain(S1, S2, S3 | Mark, S4);
    f[9] = 0x20;
    EXPECT_EQ(decode(f).exponentText, "4");
    f = frameWithMain(S1, S2, S3, S4 | Mark);
    f[9] = 0x20;
    EXPECT_EQ(decode(f).exponentText, "5");
    f = frameWithMain(S1, S2, S3, S4);
    f[9] = 0x20;
    EXPECT_EQ(decode(f).exponentText, "3");
    // A low battery makes the code differ from 1024: the ordinary table applies.
    f = frameWithMain(S1, S2 | Mark, S3, S4);
    f[9] = 0x20;
    f[8] = 0x10;
    EXPECT_EQ(decode(f).exponentText, "0");
}

TEST(FunctionCode, AnnunciatorsAndTheTwoReductions)
{
    MeterFrame f = frameWithMain(S1, S2, S3, S4);
    f[3] = 0x10;  // AC
    f[9] = 0x02;  // V
    f[10] = 0x60; // bits 16 and 11
    EXPECT_EQ(decode(f).rawCode, 5u);
    f[9] = 0x04; // A instead of V
    EXPECT_EQ(decode(f).rawCode, 0x201u);
    f[8] = 0x10; // low battery: 0x10805 with bit 31 is not reduced
    f[9] = 0x02;
    EXPECT_EQ(decode(f).rawCode, 0x80010805u);

    f = frameWithMain(S1, S2, S3, S4);
    f[3] = 0x20;        // three-phase
    f[9] = 0x80 | 0x01; // W and hours
    EXPECT_EQ(decode(f).rawCode, 1835008u);
    f[9] = 0x10; // ohms
    f[3] = 0;
    f[10] = 0x08; // bit 8
    EXPECT_EQ(decode(f).rawCode, 384u);
}

TEST(SubDisplay, LabelsPointsAndSigns)
{
    MeterFrame f = frameWithMain(S1, S2, S3, S4);
    f[0] = S9;
    f[1] = S5;
    f[2] = S0;
    f[10] = 0x80;
    auto r = decode(f);
    EXPECT_EQ(r.subFunction, "PF");
    EXPECT_EQ(r.subText, "9.50");
    f[0] |= Mark;
    EXPECT_EQ(decode(f).subText, "-9.50");

    // Hours: the point follows the marks, never a sign.
    f = frameWithMain(S1, S2, S3, S4);
    f[0] = S1 | Mark;
    f[1] = S2;
    f[2] = S3 | Mark;
    f[10] = 0x01;
    r = decode(f);
    EXPECT_EQ(r.subFunction, "Hr.");
    EXPECT_EQ(r.subText, "12.3");
    f[1] |= Mark;
    EXPECT_EQ(decode(f).subText, "1.23");

    // THD% needs a percent mark and volts or amperes.
    f = frameWithMain(S1, S2, S3, S4);
    f[0] = S1;
    f[1] = S2;
    f[2] = S3;
    f[10] = 0x20;
    EXPECT_EQ(decode(f).subFunction, "");
    f[9] = 0x04;
    EXPECT_EQ(decode(f).subFunction, "THD%");
    EXPECT_EQ(decode(f).subText, "123");

    f = frameWithMain(S1, S2, S3, S4);
    f[0] = S4;
    f[1] = S0 | Mark;
    f[2] = S0;
    f[3] = 0x08;
    r = decode(f);
    EXPECT_EQ(r.subFunction, "");
    EXPECT_EQ(r.subText, "V-Line: 400");
}

TEST(Status, EveryMarkFromItsBit)
{
    MeterFrame f = frameWithMain(S1, S2, S3, S4);
    f[8] = 0x0E; // phases without the "shown" bit are ignored
    EXPECT_EQ(decode(f).status, 0);
    f[8] = 0x0F;
    EXPECT_EQ(decode(f).status, 0x0F);
    f[8] = 0;
    f[9] = 0x40;
    EXPECT_EQ(decode(f).status, status::ALags);
    f[9] = 0;
    f[3] = 0x04;
    EXPECT_EQ(decode(f).status, status::Hold);
    f[3] = 0x80; // 4-wire needs bit 0 or 1 as well
    EXPECT_EQ(decode(f).status, 0);
    f[3] = 0x82;
    EXPECT_EQ(decode(f).status, status::FourWire);
    f[3] = 0;
    f[10] = 0x02;
    EXPECT_EQ(decode(f).status, status::Peak);
}

TEST(Frame, UnusedBytesChangeNothing)
{
    MeterFrame f = frameWithMain(S1, S2 | Mark, S3, S4);
    f[9] = 0x02;
    const MeterReading a = decode(f);
    for (int i = 11; i < 20; ++i)
        f[i] = 0xFF;
    const MeterReading b = decode(f);
    EXPECT_EQ(a.mainText, b.mainText);
    EXPECT_EQ(a.exponentText, b.exponentText);
    EXPECT_EQ(a.rawCode, b.rawCode);
    EXPECT_EQ(a.status, b.status);
    EXPECT_EQ(a.subText, b.subText);
}
