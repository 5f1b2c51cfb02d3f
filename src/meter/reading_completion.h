#pragma once

#include "meter/meter_reading.h"

namespace vt640 {

// Turns the decoded main display and exponent into the value, the normalised
// exponent, the display texts, the unit prefix and the unit, by function
// code. The caller has set functionCode from rawCode. Never fails: a display
// that is not a number leaves the texts showing the display as it is.
void completeMeterReading(MeterReading& reading);

} // namespace vt640
