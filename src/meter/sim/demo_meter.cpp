#include "meter/sim/demo_meter.h"

#include "meter/number_text.h"

#include <algorithm>
#include <cmath>

namespace vt640::sim {
namespace {

using Sub = LcdPicture::SubLabel;

// Function annunciators as the meter lights them.
constexpr std::uint32_t kDcVolts = 0x4;
constexpr std::uint32_t kAcVolts = 0x5;
constexpr std::uint32_t kOhms = 0x80;
constexpr std::uint32_t kHertz = 0x400;
constexpr std::uint32_t kWatts1 = 0x40001;
constexpr std::uint32_t kWatts3 = 0xC0000;
constexpr std::uint32_t kEnergy1 = 0x140001;

// "%.*f" of v with `decimals`, for laying onto the digits.
std::string fixed(double v, int decimals) { return formatFixed(0, decimals, v); }

} // namespace

DemoMeter::DemoMeter(std::uint32_t seed) : rng_(seed) {}

double DemoMeter::drift(double centre, double spread)
{
    // A slow random walk plus a little noise, kept within the spread.
    std::normal_distribution<double> step(0.0, 0.08);
    walk_ = std::clamp(walk_ + step(rng_), -1.0, 1.0);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    return centre + spread * (walk_ + noise(rng_));
}

LcdPicture DemoMeter::pictureAt(std::int64_t elapsedMs)
{
    LcdPicture p;
    const auto t = elapsedMs < 0 ? 0 : elapsedMs;
    const int step = static_cast<int>((t / kStepMs) % kSteps);

    switch (step) {
    case 0: // DC volts on a 12 V supply
        p.functionBits = kDcVolts;
        setMainDisplay(p, fixed(drift(12.34, 0.15), 2));
        break;
    case 1: // mains voltage with its distortion
        p.functionBits = kAcVolts;
        setMainDisplay(p, fixed(drift(230.0, 2.5), 1));
        p.subLabel = Sub::THD;
        setSubDisplay(p, fixed(std::abs(drift(2.4, 0.3)), 2));
        break;
    case 2: // a 4.7 kilo-ohm resistor
        p.functionBits = kOhms;
        p.kilo = true;
        setMainDisplay(p, fixed(drift(4.702, 0.004), 3));
        break;
    case 3: // a 1 kHz generator
        p.functionBits = kHertz;
        p.kilo = true;
        setMainDisplay(p, fixed(drift(1.000, 0.002), 3));
        break;
    case 4: // a single-phase load with its power factor
        p.functionBits = kWatts1;
        p.kilo = true;
        setMainDisplay(p, fixed(drift(1.234, 0.05), 3));
        p.subLabel = Sub::PF;
        setSubDisplay(p, fixed(std::clamp(drift(0.95, 0.02), 0.0, 0.999), 2));
        p.status = status::PhaseMarks | status::L1 | status::ALags;
        break;
    default: // a three-phase motor, 4-wire, with the line voltage
        p.functionBits = kWatts3;
        p.kilo = true;
        setMainDisplay(p, fixed(drift(4.567, 0.1), 3));
        p.subLabel = Sub::VLine;
        setSubDisplay(p, fixed(drift(400.0, 3.0), 0));
        p.status = status::PhaseMarks | status::L1 | status::L2 | status::L3 | status::FourWire;
        break;
    }

    switch (condition_) {
    case Condition::Normal: break;
    case Condition::LowBattery: p.functionBits |= code::LowBatteryBit; break;
    case Condition::KilowattHours:
        p.functionBits = kEnergy1;
        p.kilo = false;
        p.subLabel = Sub::Hours;
        setSubDisplay(p, "1.25");
        setMainDisplay(p, "12.34");
        break;
    case Condition::Overload:
        setMainDisplay(p, "OL");
        p.kilo = false;
        break;
    }
    return p;
}

} // namespace vt640::sim
