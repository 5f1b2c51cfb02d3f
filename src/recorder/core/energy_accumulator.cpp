#include "recorder/core/energy_accumulator.h"

#include "meter/meter_reading.h"
#include "meter/number_text.h"

namespace vt640 {

bool EnergyAccumulator::countsEnergy(std::int32_t functionCode)
{
    return functionCode == code::ActivePower1 || functionCode == code::ActivePower3;
}

std::uint32_t EnergyAccumulator::takeGap(std::uint32_t tickMs, std::int32_t intervalMs)
{
    const auto interval = static_cast<std::uint32_t>(intervalMs);
    std::uint32_t gap = interval;
    if (lastTick_ != 0) {
        gap = tickMs - lastTick_; // the tick counter may wrap; unsigned arithmetic follows it
        if (static_cast<std::uint64_t>(gap) > 3ull * interval)
            gap = interval;
    }
    lastTick_ = tickMs;
    return gap;
}

std::string EnergyAccumulator::add(std::int32_t functionCode, float value, std::uint32_t tickMs,
                                   std::int32_t intervalMs)
{
    const std::uint32_t gap = takeGap(tickMs, intervalMs);
    if (!countsEnergy(functionCode))
        return "----";
    energy_ += (static_cast<double>(value) * 0.001) * (gap * 0.001) * (1.0 / 3600.0);
    return formatFixed(5, 3, energy_);
}

} // namespace vt640
