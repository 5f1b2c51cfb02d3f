#include "meter/sim/demo_meter_host.h"

namespace vt640::sim {

DemoMeterHost::DemoMeterHost(DemoMeter::Condition condition)
{
    meter_.setCondition(condition);
    host_ = std::make_unique<PtyMeterHost>([this] { return nextFrame(); });
}

void DemoMeterHost::setCondition(DemoMeter::Condition condition)
{
    std::lock_guard lock(mutex_);
    meter_.setCondition(condition);
}

MeterFrame DemoMeterHost::nextFrame()
{
    std::lock_guard lock(mutex_);
    const auto elapsed = std::chrono::steady_clock::now() - switchedOn_;
    return meter_.frameAt(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

} // namespace vt640::sim
