#pragma once

#include "meter/meter_reading.h"

#include <string_view>

namespace vt640 {

// Turns the decoded main display and exponent into the value, the normalised
// exponent, the display texts, the unit prefix and the unit, by function
// code. The caller has set functionCode from rawCode. Never fails: a display
// that is not a number leaves the texts showing the display as it is.
void completeMeterReading(MeterReading& reading);

// The readout completeMeterReading gives a function that has no completed
// value of its own (its display keeps its own exponent).
inline constexpr std::string_view kNoCompletedValue = "----";

// False when `reading` carries kNoCompletedValue as its readout.
inline bool hasCompletedValue(const MeterReading& reading) { return reading.readoutText != kNoCompletedValue; }

} // namespace vt640
