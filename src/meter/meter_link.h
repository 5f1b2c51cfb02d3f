#pragma once

#include "meter/meter_port.h"
#include "meter/meter_reading.h"

namespace vt640 {

// One exchange and, only when it succeeded, the decoding: 1 when a frame
// arrived and was decoded, 0 otherwise (the reading is then untouched).
int fetchMeterReading(MeterPort* port, MeterReading& reading);

// functionCode is rawCode without the low-battery bit.
inline void takeFunctionCode(MeterReading& r)
{
    r.functionCode = static_cast<std::int32_t>(r.rawCode & ~code::LowBatteryBit);
}

// What a good tick does to the reading when nobody interrupts it: decode, take
// the function code and complete, unless the meter is in one of the two
// kilowatt-hour functions, which are refused and never completed. Returns
// false for a refused reading.
bool applyMeterFrame(const MeterFrame& frame, MeterReading& reading);

} // namespace vt640
