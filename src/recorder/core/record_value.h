#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vt640 {

// The number the recorder logs for a reading, in base units: the main text
// read with its exponent, a full-scale stand-in for an overload, 0 for the
// five status displays. Empty when the reading makes no record.
std::optional<float> recordValueFor(std::string_view mainText, std::string_view exponentText,
                                    std::int32_t functionCode);

// "Strt", "StoP", "PAUS", "Cont" and "CALL": the meter's status displays.
// Their records do not take part in the maximum/minimum tracking.
bool isStatusDisplay(std::string_view mainText);

} // namespace vt640
