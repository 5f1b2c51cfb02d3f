#include "app/core/acquisition_cycle.h"

#include "app/core/global_state.h"
#include "app/core/prompt_service.h"
#include "app/core/reading_sink.h"
#include "app/core/user_messages.h"
#include "meter/meter_port.h"

namespace vt640 {

AcquisitionCycle::AcquisitionCycle(GlobalState& state, PromptService& prompts, QWidget* messageOwner)
    : state_(state), prompts_(prompts), messageOwner_(messageOwner),
      poller_(state.meterPort, [&state] { return openMeterPort(state.iPort, state.portTable, nullptr); })
{
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &AcquisitionCycle::TimerGetSdTimer);
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
    handle(poller_.poll(reading_, [this] { return goOnDespiteLowBattery(); }));
}

void AcquisitionCycle::handOut()
{
    handle(MeterPoller::received(reading_, [this] { return goOnDespiteLowBattery(); }));
}

bool AcquisitionCycle::goOnDespiteLowBattery()
{
    // A low battery is told on every such reading; the reading then goes on
    // unless the user aborts.
    return !abortedIn(Str::WarnLowBattery, loadString(Str::ContinueIn3Seconds), QString());
}

void AcquisitionCycle::handle(const PollOutcome& outcome)
{
    switch (outcome.result) {
    case PollOutcome::Result::NoAnswer:
        if (outcome.warnNoData || outcome.deviceGone)
            emit meterAnswering(false);
        // Three failed polls in a row are warned about; the polls go on.
        if (outcome.warnNoData
            && abortedIn(Str::WarnNoData, loadString(Str::RetryIn3Seconds), loadString(Str::CheckCable)))
            return;
        timer_.start();
        return;
    case PollOutcome::Result::KilowattHours: {
        dropLink();
        PromptService::Message box;
        box.caption = captionOf(Str::ErrKwhMode);
        box.text = loadString(Str::ErrKwhMode);
        box.icon = PromptService::Icon::Stop;
        prompts_.message(messageOwner_, box);
        return;
    }
    case PollOutcome::Result::Dropped: return; // the link is dropped already
    case PollOutcome::Result::Reading: break;
    }
    state_.readingAvailable = true;
    emit meterAnswering(true);
    for (ReadingSink* sink : sinks_)
        sink->takeReading(reading_);
    timer_.start();
    emit readingCompleted();
}

} // namespace vt640
