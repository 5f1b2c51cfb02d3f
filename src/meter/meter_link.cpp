#include "meter/meter_link.h"

#include "meter/frame_decoder.h"
#include "meter/meter_poller.h"

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
    return MeterPoller::received(reading).result == PollOutcome::Result::Reading;
}

} // namespace vt640
