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

// Whether the display showed a number, so that the record's value is a
// measurement: not an overload ("OL", whose value stands in for full
// scale) and not a status display.
bool showsNumber(std::string_view mainText, std::string_view exponentText);

// "Strt", "StoP", "PAUS", "Cont" and "CALL": the meter's status displays.
// Their records do not take part in the maximum/minimum tracking.
bool isStatusDisplay(std::string_view mainText);

} // namespace vt640
