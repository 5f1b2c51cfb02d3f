#pragma once

#include "meter/sim/meter_encoder.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace vt640::test {

// What the simulated meter shows; tests change it between polls.
class MeterScript {
public:
    MeterScript() { show(0x4, "1.234"); }
    void show(std::uint32_t functionBits, const std::string& display, bool kilo = false)
    {
        sim::LcdPicture p;
        p.functionBits = functionBits;
        p.kilo = kilo;
        sim::setMainDisplay(p, display);
        std::lock_guard lock(mutex_);
        picture_ = p;
    }
    MeterFrame frame()
    {
        std::lock_guard lock(mutex_);
        return sim::encodeMeterFrame(picture_);
    }

private:
    std::mutex mutex_;
    sim::LcdPicture picture_;
};

} // namespace vt640::test
