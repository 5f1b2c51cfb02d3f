#include "meter/meter_link.h"

#include "meter/frame_decoder.h"
#include "meter/reading_completion.h"

namespace vt640 {

int fetchMeterReading(MeterPort* port, MeterReading& reading)
{
    if (!port)
        return 0;
    MeterFrame frame{};
    if (!readMeterFrame(port, frame))
        return 0;
    decodeMeterFrame(frame, reading);
    return 1;
}

bool applyMeterFrame(const MeterFrame& frame, MeterReading& reading)
{
    decodeMeterFrame(frame, reading);
    takeFunctionCode(reading);
    if (code::isEnergy(reading.functionCode))
        return false;
    completeMeterReading(reading);
    return true;
}

} // namespace vt640
