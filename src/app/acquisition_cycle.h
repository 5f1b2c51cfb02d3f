#pragma once

#include "app/auto_msg_form.h"
#include "meter/meter_reading.h"
#include "resources/string_ids.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QWidget;

namespace vt640 {

class GlobalState;
class PromptService;
class TAnalogMeterForm;
class TComparatorForm;
class TDigitalMeterForm;
class TGraphicalForm;

// The heart of the program while it is linked: every 750 ms one exchange
// with the meter, the reading decoded and completed, and handed to the views
// and the recorder. The timer is stopped while a tick runs, so ticks never
// overlap; the views and the recorder are told through posted calls that run
// after the tick has returned.
class AcquisitionCycle : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 750;
    static constexpr int kFailureThreshold = 3;

    struct Views {
        TDigitalMeterForm* digitalMeter = nullptr;
        TAnalogMeterForm* analogMeter = nullptr;
        TComparatorForm* comparator = nullptr;
        TGraphicalForm* recorder = nullptr;
    };
    // Shows the self-closing warning and returns how it ended.
    using AutoMessage = std::function<TAutoMsgForm::Result(const QString& caption, const QString& line1,
                                                           const QString& line2, const QString& line3)>;

    AcquisitionCycle(GlobalState& state, PromptService& prompts, QWidget* owner);

    void setViews(const Views& views) { views_ = views; }
    void setAutoMessage(AutoMessage show) { autoMessage_ = std::move(show); }
    // Raises the link button and runs the link action.
    void setUnlink(std::function<void()> unlink) { unlink_ = std::move(unlink); }

    QTimer& TimerGetSd() { return timer_; }
    MeterReading& reading() { return reading_; }
    const MeterReading& reading() const { return reading_; }
    int failureCount() const { return failureCount_; }
    void resetFailureCount() { failureCount_ = 0; }

public slots:
    // One tick; called by the timer only.
    void TimerGetSdTimer();

public:
    // The rest of a tick once a frame has arrived and been decoded into the
    // reading: the checks, completion and the hand-offs.
    void handOut();

signals:
    // A reading was completed and handed out (tests and tools follow the
    // cycle through this; the views are told by their own posted calls).
    void readingCompleted();

private:
    void reopenLostPort();
    // Shows the self-closing warning `message` with two more lines; on Abort
    // unlinks and returns true.
    bool abortedIn(Str message, const QString& secondLine, const QString& thirdLine);
    void unlink();

    GlobalState& state_;
    PromptService& prompts_;
    QWidget* owner_;
    QTimer timer_;
    MeterReading reading_;
    int failureCount_ = 0;
    bool portLost_ = false;
    Views views_;
    AutoMessage autoMessage_;
    std::function<void()> unlink_;
};

} // namespace vt640
