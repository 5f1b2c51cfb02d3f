#pragma once

#include <cstdint>
#include <string>

namespace vt640 {

// The energy sum of the active-power readings, in kWh. Each record counts
// for the time since the previous record; a pause longer than three logging
// intervals (logging stopped, link lost) counts as one interval.
class EnergyAccumulator {
public:
    double energy() const { return energy_; }
    std::uint32_t lastTick() const { return lastTick_; }

    void reset()
    {
        energy_ = 0.0;
        lastTick_ = 0;
    }

    // Milliseconds this record stands for, given the tick now; remembers the tick.
    std::uint32_t takeGap(std::uint32_t tickMs, std::int32_t intervalMs);

    // Takes in one record (steps gap and sum) and returns its energy text:
    // the sum as "%05.3f" for the active-power functions, "----" otherwise.
    std::string add(std::int32_t functionCode, float value, std::uint32_t tickMs, std::int32_t intervalMs);

    static bool countsEnergy(std::int32_t functionCode);

private:
    double energy_ = 0.0;
    std::uint32_t lastTick_ = 0; // 0: no record yet
};

} // namespace vt640
