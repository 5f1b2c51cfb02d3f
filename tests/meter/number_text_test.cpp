// The locale-independent number grammar and printf-style formats.
#include "meter/number_text.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <gtest/gtest.h>

using namespace vt640;

TEST(ParseDecimal, AcceptsTheMeterGrammar)
{
    EXPECT_EQ(parseDecimal("1.234"), 1.234);
    EXPECT_EQ(parseDecimal("  -1.5  "), -1.5);
    EXPECT_EQ(parseDecimal("+2"), 2.0);
    EXPECT_EQ(parseDecimal("."), 0.0);
    EXPECT_EQ(parseDecimal(" .   "), 0.0);
    EXPECT_EQ(parseDecimal(".5"), 0.5);
    EXPECT_EQ(parseDecimal("5."), 5.0);
    EXPECT_EQ(parseDecimal("1.2E10"), 1.2e10);
    EXPECT_EQ(parseDecimal("1.2e-3"), 1.2e-3);
    EXPECT_EQ(parseDecimal("1.2E"), 1.2); // missing exponent digits count as 0
    EXPECT_EQ(parseDecimal("1.2E+"), 1.2);
    EXPECT_EQ(parseDecimal(".E"), 0.0);
    EXPECT_EQ(parseDecimal("1.234E3"), 1234.0);
}

TEST(ParseDecimal, RejectsEverythingElse)
{
    for (const char* t : {"", " ", "-", "+", "E3", "1,5", " . 12", "OL", "1.2.3", "1 2", "0x10", "inf", "nan", "1.2E3x",
                          "--1", "E", "1E2E3"})
        EXPECT_FALSE(parseDecimal(t)) << "'" << t << "'";
}

TEST(ParseDecimal, ExtremeExponentsStayFinite)
{
    EXPECT_EQ(parseDecimal("1E-99999"), 0.0);
    const auto big = parseDecimal("1E99999");
    ASSERT_TRUE(big);
    EXPECT_TRUE(std::isinf(*big));

    // Out of range is judged by where the first significant digit stands,
    // not by the written exponent alone.
    const std::string zeros(400, '0');
    const auto longInteger = parseDecimal("-1" + zeros);
    ASSERT_TRUE(longInteger);
    EXPECT_TRUE(std::isinf(*longInteger));
    EXPECT_LT(*longInteger, 0.0);
    EXPECT_EQ(parseDecimal("0." + zeros + "1e5"), 0.0);
    EXPECT_TRUE(std::isinf(*parseDecimal("1" + zeros + "e-50")));
}

TEST(ParseInteger, SignedDecimalOnly)
{
    EXPECT_EQ(parseInteger("3"), 3);
    EXPECT_EQ(parseInteger("-2"), -2);
    EXPECT_EQ(parseInteger("+6"), 6);
    for (const char* t : {"", "+", "-", "1.0", " 1", "1 ", "++1", "3000000000", "x"})
        EXPECT_FALSE(parseInteger(t)) << "'" << t << "'";
}

TEST(FormatFixed, BehavesLikePrintf)
{
    EXPECT_EQ(formatFixed(4, 0, 1234.0), "1234");
    EXPECT_EQ(formatFixed(5, 3, 1.234), "1.234");
    EXPECT_EQ(formatFixed(6, 3, -1.234), "-1.234");
    EXPECT_EQ(formatFixed(5, 3, -1.234), "-1.234");
    EXPECT_EQ(formatFixed(3, 0, 25.0), "025");
    EXPECT_EQ(formatFixed(6, 1, -2.5), "-002.5");
    EXPECT_EQ(formatFixed(5, -1, 1.0), "1.000000");
    EXPECT_EQ(formatFixed(4, 0, 0.5), "0000"); // round half to even, as printf
    EXPECT_EQ(formatFixed(5, 0, INFINITY), "  inf");
}

TEST(FormatFixed, IgnoresTheProcessLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no decimal-comma locale installed";
    EXPECT_EQ(formatFixed(5, 3, 1.234), "1.234");
    EXPECT_EQ(parseDecimal("1.5"), 1.5);
    EXPECT_EQ(formatGeneral15(12.5), "12.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatGeneral15, ShortestUpToFifteenDigits)
{
    EXPECT_EQ(formatGeneral15(100.0), "100");
    EXPECT_EQ(formatGeneral15(12.5), "12.5");
    EXPECT_EQ(formatGeneral15(0.1), "0.1");
    EXPECT_EQ(formatGeneral15(-300.0), "-300");
    EXPECT_EQ(formatGeneral15(1.0 / 3.0), "0.333333333333333");
}

TEST(ParseGeneral15, ReadsBackWhatFormatGeneral15Wrote)
{
    const double largest = std::numeric_limits<double>::max();
    for (double v : {largest, -largest, 12.5, -0.001, 1e-300, 0.0}) {
        const std::string text = formatGeneral15(v);
        const auto back = parseGeneral15(text);
        ASSERT_TRUE(back) << text;
        EXPECT_TRUE(std::isfinite(*back)) << text;
        EXPECT_EQ(formatGeneral15(*back), text);
    }
    EXPECT_EQ(parseGeneral15("1.79769313486232e+308"), largest);
    EXPECT_EQ(parseGeneral15(" -1.79769313486232E308 "), -largest);
    // Beyond that form it is out of range as before; texts that are no
    // number stay refused.
    EXPECT_TRUE(std::isinf(*parseGeneral15("1.79769313486233e308")));
    EXPECT_TRUE(std::isinf(*parseGeneral15("1e999")));
    EXPECT_FALSE(parseGeneral15("1.8e308x"));
    EXPECT_FALSE(parseGeneral15("-"));
}
