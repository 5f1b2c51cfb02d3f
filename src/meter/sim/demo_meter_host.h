#pragma once

#include "meter/sim/demo_meter.h"
#include "meter/sim/pty_meter_host.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace vt640::sim {

// The built-in simulated meter answering on a pseudo-terminal: the demo
// meter's walk, timed from the moment the host was made.
class DemoMeterHost {
public:
    explicit DemoMeterHost(DemoMeter::Condition condition = DemoMeter::Condition::Normal);

    PtyMeterHost& host() { return *host_; }
    bool start() { return host_->start(); }
    std::string devicePath() const { return host_->devicePath(); }

    // The meter's condition may change while it runs (tests switch it to
    // low battery or kilowatt-hours).
    void setCondition(DemoMeter::Condition condition);

private:
    MeterFrame nextFrame();

    std::mutex mutex_;
    DemoMeter meter_;
    std::chrono::steady_clock::time_point switchedOn_ = std::chrono::steady_clock::now();
    std::unique_ptr<PtyMeterHost> host_;
};

} // namespace vt640::sim
