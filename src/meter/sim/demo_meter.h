#pragma once

#include "meter/meter_reading.h"
#include "meter/sim/meter_encoder.h"

#include <cstdint>
#include <random>

namespace vt640::sim {

// The built-in simulated meter. It walks through DC volts, AC volts with THD%,
// ohms, hertz, single-phase watts with PF and phases, and three-phase power,
// staying about 20 seconds on each, with values that drift plausibly.
class DemoMeter {
public:
    // Conditions the meter can be put in, for tests and demonstrations.
    enum class Condition { Normal, LowBattery, KilowattHours, Overload };

    explicit DemoMeter(std::uint32_t seed = 640);

    void setCondition(Condition c) { condition_ = c; }
    Condition condition() const { return condition_; }

    // The picture the meter shows `elapsedMs` after it was switched on.
    LcdPicture pictureAt(std::int64_t elapsedMs);
    MeterFrame frameAt(std::int64_t elapsedMs) { return encodeMeterFrame(pictureAt(elapsedMs)); }

    static constexpr std::int64_t kStepMs = 20000;
    static constexpr int kSteps = 6;

private:
    double drift(double centre, double spread);
    std::mt19937 rng_;
    Condition condition_ = Condition::Normal;
    double walk_ = 0.0;
};

} // namespace vt640::sim
