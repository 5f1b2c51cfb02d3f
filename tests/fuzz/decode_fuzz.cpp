// libFuzzer target: any bytes, taken 20 at a time as consecutive frames,
// through decoding, completion and the recorder's value.
#include "meter/meter_link.h"
#include "recorder/core/record_value.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vt640::MeterReading reading;
    while (size >= 20) {
        vt640::MeterFrame frame;
        std::memcpy(frame.data(), data, 20);
        if (vt640::applyMeterFrame(frame, reading))
            (void)vt640::recordValueFor(reading.mainText, reading.exponentText, reading.functionCode);
        data += 20;
        size -= 20;
    }
    return 0;
}
