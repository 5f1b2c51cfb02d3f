#include "meter/meter_poller.h"

#include "meter/meter_link.h"
#include "meter/reading_completion.h"

namespace vt640 {

MeterPoller::MeterPoller(MeterPortHandle& port, Reopen reopen) : port_(port), reopen_(std::move(reopen)) {}

PollOutcome MeterPoller::poll(MeterReading& reading, const LowBattery& lowBattery)
{
    PollOutcome out;
    if (lost_) {
        // The adapter was pulled out: the dead handle goes and the port is
        // opened by name again, quietly; until it is back every poll fails
        // as usual.
        if (port_) {
            port_->closeNow();
            port_.reset();
        }
        if (reopen_)
            port_ = reopen_();
        lost_ = !port_;
        out.reopened = !lost_;
    }

    const bool fetched = fetchMeterReading(port_.get(), reading) != 0;
    if (!fetched) {
        takeFunctionCode(reading);
        out.result = PollOutcome::Result::NoAnswer;
        if (port_ && port_->lastFailure() == PortFailure::DeviceGone) {
            lost_ = true;
            out.deviceGone = true;
        }
        if (++failures_ >= kFailureThreshold) {
            failures_ = 0;
            out.warnNoData = true;
        }
        return out;
    }
    failures_ = 0;
    const PollOutcome got = received(reading, lowBattery);
    out.result = got.result;
    out.lowBattery = got.lowBattery;
    return out;
}

PollOutcome MeterPoller::received(MeterReading& reading, const LowBattery& lowBattery)
{
    PollOutcome out;
    takeFunctionCode(reading);
    if (code::isEnergy(reading.functionCode)) {
        out.result = PollOutcome::Result::KilowattHours;
        return out;
    }
    out.lowBattery = (reading.rawCode & code::LowBatteryBit) != 0;
    if (out.lowBattery && lowBattery && !lowBattery()) {
        out.result = PollOutcome::Result::Dropped;
        return out;
    }
    out.result = PollOutcome::Result::Reading;
    // Numbers are read and formatted with "." whatever the locale: the
    // decoder and completion never consult it.
    completeMeterReading(reading);
    return out;
}

} // namespace vt640
