#include "meter/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vt640 {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The largest double as "%.15g" writes it.
constexpr long double kLargestDouble15 = 1.79769313486232e308L;

} // namespace

namespace {

// The text of parseDecimal's grammar rewritten for from_chars into `number`:
// "[-]int.frac" and, when it is not 0, "e" and the exponent. False when the
// text is not a number of that grammar; `exponent` gets the exponent read.
bool cleanNumber(std::string_view text, std::string& number, long long& exponent)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;

    number.reserve(n + 8);
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            number.push_back('-');
        ++i;
    }
    bool anyDigit = false;
    bool point = false;
    const std::size_t intStart = i;
    while (i < n && isDigit(text[i])) {
        number.push_back(text[i]);
        ++i;
    }
    anyDigit = i > intStart;
    if (!anyDigit)
        number.push_back('0');
    if (i < n && text[i] == '.') {
        point = true;
        number.push_back('.');
        ++i;
        while (i < n && isDigit(text[i])) {
            number.push_back(text[i]);
            ++i;
        }
    }
    if (!anyDigit && !point)
        return false;
    if (number.back() == '.')
        number.push_back('0');

    exponent = 0;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negative = text[i] == '-';
            ++i;
        }
        while (i < n && isDigit(text[i])) {
            if (exponent < 100000) // saturate: far beyond any double anyway
                exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (negative)
            exponent = -exponent;
    }
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n)
        return false;

    if (exponent != 0) {
        number.push_back('e');
        number += std::to_string(exponent);
    }
    return true;
}

} // namespace

namespace {

// The power of ten of the leading significant digit of a number cleaned by
// cleanNumber ("[-]int.frac" and the exponent read): 2 for "123.4", -3 for
// "0.00123". Only the leading digit's place counts, so a long run of digits
// that overflows or underflows is judged by its true size, not by the sign
// of the written exponent. A number with no non-zero digit gives 0.
long long decimalMagnitude(std::string_view number, long long exponent)
{
    const std::size_t n = number.size();
    const std::size_t start = (n > 0 && number.front() == '-') ? 1 : 0;
    std::size_t intEnd = start;
    while (intEnd < n && isDigit(number[intEnd]))
        ++intEnd;
    for (std::size_t k = start; k < intEnd; ++k)
        if (number[k] != '0')
            return static_cast<long long>(intEnd - k - 1) + exponent;
    if (intEnd == n || number[intEnd] != '.')
        return 0;
    for (std::size_t k = intEnd + 1; k < n && isDigit(number[k]); ++k)
        if (number[k] != '0')
            return -static_cast<long long>(k - intEnd) + exponent;
    return 0;
}

// parseDecimal, leaving the cleaned text in `number` for a second look.
std::optional<double> parseDecimalInto(std::string_view text, std::string& number)
{
    long long exponent = 0;
    if (!cleanNumber(text, number, exponent))
        return std::nullopt;
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone; give what strtod would give.
        const bool negative = number.front() == '-';
        if (decimalMagnitude(number, exponent) > 0)
            return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        return negative ? -0.0 : 0.0;
    }
    if (result.ec != std::errc())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> parseDecimal(std::string_view text)
{
    std::string number;
    return parseDecimalInto(text, number);
}

std::optional<double> parseGeneral15(std::string_view text)
{
    std::string number;
    const std::optional<double> value = parseDecimalInto(text, number);
    if (!value || std::isfinite(*value))
        return value;
    // Beyond the double range: the largest double when the number is no
    // larger than "%.15g" writes the largest double, else infinity as before.
    long double wide = 0.0L;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), wide);
    if (result.ec == std::errc() && std::fabs(wide) <= kLargestDouble15)
        return std::signbit(*value) ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
    return value;
}

std::optional<int> parseInteger(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::size_t i = 0;
    if (text[0] == '+')
        i = 1;
    int value = 0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    if (first == last || (*first == '+'))
        return std::nullopt;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last)
        return std::nullopt;
    return value;
}

std::string formatFixed(int width, int precision, double value)
{
    if (precision < 0)
        precision = 6;
    if (!std::isfinite(value)) {
        // printf pads infinities and NaN with blanks, never zeros.
        std::string s = std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
        if (static_cast<int>(s.size()) < width)
            s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
        return s;
    }
    // Large enough for any double in fixed notation at any sane precision.
    char buffer[400];
    if (precision > 60)
        precision = 60;
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    std::string s(buffer, result.ec == std::errc() ? result.ptr : buffer);
    if (static_cast<int>(s.size()) < width) {
        const std::size_t pad = static_cast<std::size_t>(width) - s.size();
        const std::size_t at = (!s.empty() && s[0] == '-') ? 1 : 0;
        s.insert(at, pad, '0');
    }
    return s;
}

std::string formatGeneral15(double value)
{
    if (!std::isfinite(value))
        return formatFixed(0, 0, value);
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

double pow10i(int n)
{
    // Exact for the small exponents the meter produces.
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (n >= 0 && n <= 22)
        return kPowers[n];
    if (n < 0 && n >= -22)
        return 1.0 / kPowers[-n];
    return std::pow(10.0, n);
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace vt640
