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

// A clock that moves only when the test moves it. By default it stands at
// Saturday 1 June 2024, 14:05:09.300 local time, two hours east of UTC;
// with `zoneRules` the offset is the process's time zone's (TZ) instead,
// so that a test can cross a real daylight-saving change.
class FakeClock : public RecorderClock {
public:
    std::int64_t utc = msSinceEpochOf(LocalTime{2024, 6, 1, 12, 5, 9, 300});
    int offsetMinutes = 120;
    bool zoneRules = false;
    std::uint32_t tick = 100000;

    std::int64_t utcMs() const override { return utc; }
    int utcOffsetMinutes(std::int64_t at) const override
    {
        return zoneRules ? localZoneOffsetMinutes(at) : offsetMinutes;
    }
    std::uint32_t tickMs() const override { return tick; }

    // Time passes: both clocks move on.
    void advance(std::uint32_t ms)
    {
        tick += ms;
        utc += ms;
    }
    // The real-time clock is set to the local time `t` (read with the fixed
    // offset, or the zone's at that moment); the tick does not move.
    void setLocal(const LocalTime& t)
    {
        const std::int64_t local = msSinceEpochOf(t);
        utc = local - utcOffsetMinutes(local - offsetMinutes * 60'000LL) * 60'000LL;
        if (zoneRules)
            utc = local - utcOffsetMinutes(utc) * 60'000LL;
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
