#pragma once

#include "meter/sim/demo_meter.h"
#include "meter/sim/pty_meter_host.h"

#include <chrono>
#include <memory>

// The built-in simulated meter answering on a pseudo-terminal.
struct DemoHost {
    vt640::sim::DemoMeter meter;
    std::chrono::steady_clock::time_point switchedOn = std::chrono::steady_clock::now();
    std::unique_ptr<vt640::sim::PtyMeterHost> host;

    explicit DemoHost(vt640::sim::DemoMeter::Condition condition = vt640::sim::DemoMeter::Condition::Normal)
    {
        meter.setCondition(condition);
        host = std::make_unique<vt640::sim::PtyMeterHost>([this] {
            const auto elapsed = std::chrono::steady_clock::now() - switchedOn;
            return meter.frameAt(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
        });
    }
};
