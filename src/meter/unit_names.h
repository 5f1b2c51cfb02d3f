#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vt640 {

// The texts the views print beside a reading: the exponent of the unit
// prefix, the prefix letter and the unit. The "W" of resistance is shown as
// an omega by the views; the text itself keeps "W".

// Exponent of the unit prefix for a function code and its exponent text;
// 0 when the exponent text is not an integer.
std::int32_t prefixExponentFor(std::int32_t functionCode, std::string_view exponentText);

// "n", "u", "m", "k", "M" or empty. The function code is not consulted; it is
// part of the signature so all three lookups read alike.
std::string prefixTextFor(std::int32_t functionCode, std::int32_t prefixExponent);

// "V", "F", "C", "W", "A", "Hz", "%", "VA", "VAR" or empty; bit 31 is ignored.
std::string unitTextFor(std::uint32_t functionCode);

} // namespace vt640
