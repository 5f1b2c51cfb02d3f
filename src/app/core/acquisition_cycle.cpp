#include "app/core/acquisition_cycle.h"

#include "app/core/global_state.h"
#include "app/core/prompt_service.h"
#include "app/core/reading_sink.h"
#include "app/core/user_messages.h"
#include "meter/meter_link.h"
#include "meter/reading_completion.h"

namespace vt640 {

AcquisitionCycle::AcquisitionCycle(GlobalState& state, PromptService& prompts, QWidget* messageOwner)
    : state_(state), prompts_(prompts), messageOwner_(messageOwner)
{
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &AcquisitionCycle::TimerGetSdTimer);
}

void AcquisitionCycle::reopenLostPort()
{
    // The adapter was pulled out: drop the dead handle and open the port by
    // name again, quietly; until it is back every poll fails as usual.
    if (state_.meterPort) {
        state_.meterPort->closeNow();
        state_.meterPort.reset();
    }
    state_.meterPort = openMeterPort(state_.iPort, state_.portTable, nullptr);
    portLost_ = !state_.meterPort;
}

void AcquisitionCycle::dropLink()
{
    emit unlinkRequested();
    timer_.stop();
}

bool AcquisitionCycle::abortedIn(Str message, const QString& secondLine, const QString& thirdLine)
{
    const AutoMessageResult result =
        autoMessage_ ? autoMessage_(warningCaption(message), loadString(message), secondLine, thirdLine)
                     : AutoMessageResult::TimedOut;
    if (result != AutoMessageResult::Abort)
        return false;
    dropLink();
    return true;
}

void AcquisitionCycle::TimerGetSdTimer()
{
    timer_.stop();

    if (portLost_)
        reopenLostPort();
    const int fetched = fetchMeterReading(state_.meterPort.get(), reading_);
    if (!fetched && state_.meterPort && state_.meterPort->lastFailure() == PortFailure::DeviceGone)
        portLost_ = true;
    takeFunctionCode(reading_);

    if (!fetched) {
        ++failureCount_;
        if (failureCount_ < kFailureThreshold) {
            timer_.start();
            return;
        }
        failureCount_ = 0;
        if (abortedIn(Str::WarnNoData, loadString(Str::RetryIn3Seconds), loadString(Str::CheckCable)))
            return;
        timer_.start();
        return;
    }

    handOut();
}

void AcquisitionCycle::handOut()
{
    failureCount_ = 0;
    if (code::isEnergy(reading_.functionCode)) {
        dropLink();
        PromptService::Message box;
        box.caption = captionOf(Str::ErrKwhMode);
        box.text = loadString(Str::ErrKwhMode);
        box.icon = PromptService::Icon::Stop;
        prompts_.message(messageOwner_, box);
        return;
    }

    // A low battery is told on every such reading; the reading then goes on.
    if ((reading_.rawCode & code::LowBatteryBit)
        && abortedIn(Str::WarnLowBattery, loadString(Str::ContinueIn3Seconds), QString()))
        return;

    // Numbers are read and formatted with "." whatever the locale: the
    // decoder and completion never consult it.
    completeMeterReading(reading_);
    state_.readingAvailable = true;
    for (ReadingSink* sink : sinks_)
        sink->takeReading(reading_);
    timer_.start();
    emit readingCompleted();
}

} // namespace vt640
