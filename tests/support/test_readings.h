#pragma once

// Readings and a clock for tests: readings as the recorder takes them, as
// the views get them from the acquisition cycle, and time that moves only
// when the test moves it.

#include "meter/meter_reading.h"
#include "meter/reading_completion.h"
#include "recorder/core/recorder_clock.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace vt640::test {

// A clock that moves only when the test moves it.
class FakeClock : public RecorderClock {
public:
    LocalTime now{2024, 6, 1, 14, 5, 9, 300};
    std::uint32_t tick = 100000;

    LocalTime localTime() const override { return now; }
    std::uint32_t tickMs() const override { return tick; }

    void advance(std::uint32_t ms)
    {
        tick += ms;
        long total = ((now.hour * 60L + now.minute) * 60L + now.second) * 1000L + now.millisecond + ms;
        total %= 24L * 3600 * 1000;
        now.millisecond = static_cast<int>(total % 1000);
        total /= 1000;
        now.second = static_cast<int>(total % 60);
        total /= 60;
        now.minute = static_cast<int>(total % 60);
        now.hour = static_cast<int>(total / 60);
    }
};

// A completed reading as the acquisition cycle leaves it.
inline MeterReading makeReading(const std::string& main, const std::string& exponent, std::int32_t functionCode,
                                const std::string& valueText = {}, const std::string& unit = {},
                                const std::string& prefix = {})
{
    MeterReading r;
    r.mainText = main;
    r.exponentText = exponent;
    r.rawCode = static_cast<std::uint32_t>(functionCode);
    r.functionCode = functionCode;
    r.valueText = valueText.empty() ? main : valueText;
    r.unitText = unit;
    r.prefixText = prefix;
    return r;
}

inline MeterReading volts(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    return makeReading(text, "0", code::DcVolts, text, "V");
}

// A reading as the acquisition cycle hands it to the views: decoded fields
// set, then completed.
inline MeterReading completedReading(const std::string& mainText, const std::string& exponentText,
                                     std::uint32_t rawCode, std::uint8_t status = 0, const std::string& subText = "",
                                     const std::string& subFunction = "")
{
    MeterReading r;
    r.mainText = mainText;
    r.exponentText = exponentText;
    r.rawCode = rawCode;
    r.status = status;
    r.subText = subText;
    r.subFunction = subFunction;
    r.functionCode = static_cast<std::int32_t>(rawCode & ~code::LowBatteryBit);
    completeMeterReading(r);
    return r;
}

} // namespace vt640::test
