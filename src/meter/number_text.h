#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vt640 {

// Reads a decimal number with "." as the separator whatever the locale:
// optional blanks, an optional sign, digits with an optional "." and more
// digits (a lone "." reads as 0), an optional exponent (E or e, an optional
// sign, digits; missing digits count as 0), optional blanks. Anything else
// left over fails.
std::optional<double> parseDecimal(std::string_view text);

// Reads a number written by formatGeneral15 back: parseDecimal, except that
// a number beyond the double range that is no larger than the 15-digit form
// of the largest double ("1.79769313486232e+308", which lies above it) reads
// as the largest double with its sign instead of as infinity. So every
// finite double, written and read back, stays finite.
std::optional<double> parseGeneral15(std::string_view text);

// Reads an optionally signed decimal integer that fits 32 bits.
std::optional<int> parseInteger(std::string_view text);

// printf's "%0<width>.<precision>f" with "." always; a negative precision
// means the default of 6, as in printf.
std::string formatFixed(int width, int precision, double value);

// printf's "%.15g" with "." always.
std::string formatGeneral15(double value);

// The value of a hexadecimal digit (either case), or -1 for anything else.
int hexDigitValue(char c);

// Ten to the integer power n.
double pow10i(int n);

} // namespace vt640
