#pragma once

#include "meter/meter_poller.h"
#include "meter/meter_reading.h"
#include "resources/string_ids.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class QWidget;

namespace vt640 {

class GlobalState;
class PromptService;
class ReadingSink;

// The heart of the program while it is linked: every 750 ms one exchange
// with the meter, the reading decoded, completed and handed to the reading
// sinks in the order they were added. The timer is stopped while a tick
// runs, so ticks never overlap. The cycle knows no window: the views and
// the recorder are sinks, and the link is told through unlinkRequested().
class AcquisitionCycle : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = MeterPoller::kIntervalMs;

    // How a self-closing warning ended.
    enum class AutoMessageResult { Abort, Continue, TimedOut };
    // Shows the self-closing warning and returns how it ended.
    using AutoMessage = std::function<AutoMessageResult(const QString& caption, const QString& line1,
                                                        const QString& line2, const QString& line3)>;

    // `messageOwner` owns the message boxes the cycle shows (may be null).
    AcquisitionCycle(GlobalState& state, PromptService& prompts, QWidget* messageOwner = nullptr);

    void addSink(ReadingSink& sink) { sinks_.push_back(&sink); }
    void setAutoMessage(AutoMessage show) { autoMessage_ = std::move(show); }
    void setMessageOwner(QWidget* owner) { messageOwner_ = owner; }

    // Polling: the first tick comes one interval after start().
    void start() { timer_.start(); }
    void stop() { timer_.stop(); }
    bool isPolling() const { return timer_.isActive(); }
    int intervalMs() const { return timer_.interval(); }
    int msUntilNextTick() const { return timer_.remainingTime(); }

    MeterReading& reading() { return reading_; }
    const MeterReading& reading() const { return reading_; }
    int failureCount() const { return poller_.failureCount(); }
    // A new link: the count of failed polls starts again.
    void resetFailureCount() { poller_.resetFailureCount(); }

    // The rest of a tick once a frame has arrived and been decoded into the
    // reading: the checks, completion and the hand-offs.
    void handOut();

public slots:
    // One tick; called by the timer (tests call it to tick at once).
    void TimerGetSdTimer();

signals:
    // The cycle drops the link (Abort in a warning, an energy function); the
    // link must be dropped before this returns.
    void unlinkRequested();
    // A reading was completed and handed out.
    void readingCompleted();
    // The meter answers (true), or it has stopped answering: three polls
    // without an answer, or the adapter pulled (false).
    void meterAnswering(bool answering);

private:
    // What the tick does with a poll's outcome.
    void handle(const PollOutcome& outcome);
    // The low-battery warning; false when the user aborts (and the link drops).
    bool goOnDespiteLowBattery();
    // Asks for the link to be dropped and stops polling whatever the answer.
    void dropLink();
    // Shows the self-closing warning `message` with two more lines; on Abort
    // unlinks and returns true.
    bool abortedIn(Str message, const QString& secondLine, const QString& thirdLine);

    GlobalState& state_;
    PromptService& prompts_;
    QWidget* messageOwner_;
    QTimer timer_;
    MeterReading reading_;
    MeterPoller poller_;
    std::vector<ReadingSink*> sinks_;
    AutoMessage autoMessage_;
};

} // namespace vt640
