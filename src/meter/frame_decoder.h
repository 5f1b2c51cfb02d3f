#pragma once

#include "meter/meter_reading.h"

#include <cstdint>

namespace vt640 {

// The character a seven-segment pattern shows (bit 3 already cleared);
// '?' for a pattern the meter does not use.
char segmentToChar(std::uint8_t pattern);

// Turns the 20-byte LCD picture into the six raw fields of the reading
// (mainText, exponentText, status, subFunction, subText, rawCode). Never fails;
// other fields are left alone.
void decodeMeterFrame(const MeterFrame& frame, MeterReading& reading);

} // namespace vt640
