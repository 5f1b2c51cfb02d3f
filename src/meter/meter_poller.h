#pragma once

#include "meter/meter_port.h"
#include "meter/meter_reading.h"

#include <functional>

namespace vt640 {

// What one poll of the meter came to.
struct PollOutcome {
    enum class Result {
        Reading,       // a frame arrived and was decoded and completed
        KilowattHours, // the meter is in an energy function: refused, not completed
        Dropped,       // a low-battery reading the caller chose not to go on with: not completed
        NoAnswer,      // no frame this time
    };
    Result result = Result::NoAnswer;
    // Reading or Dropped: the meter shows its low-battery mark.
    bool lowBattery = false;
    // NoAnswer: the third failed poll in a row, to be warned about; the
    // count starts again.
    bool warnNoData = false;
    // NoAnswer: the adapter has just gone (a hang-up or an I/O error); the
    // port is opened again by name at the polls that follow.
    bool deviceGone = false;
    // The gone adapter was back and its port opened again before this poll.
    bool reopened = false;
};

// The one way the meter is polled, by the program's acquisition cycle and by
// the command-line tool alike: purge, RTS pulse, the twenty bytes with their
// time-out, decoding and completion, the count of failed polls and the
// reopening of a pulled adapter. Whoever polls only maps the outcome to
// dialogs or lines, and waits kIntervalMs between the end of one poll and
// the next.
class MeterPoller {
public:
    static constexpr int kIntervalMs = 750;
    static constexpr int kFailureThreshold = 3;

    // Opens the port again by name; an empty handle while it is not back.
    using Reopen = std::function<MeterPortHandle()>;
    // Asked when a reading shows the low-battery mark, before it is
    // completed: whether to go on with it. Without one it goes on.
    using LowBattery = std::function<bool()>;

    // Polls through `port`, which the caller keeps and may replace between
    // polls (a port chosen anew); a pulled adapter is opened again with `reopen`.
    MeterPoller(MeterPortHandle& port, Reopen reopen);

    // One poll into `reading`: the raw fields and the function code always,
    // the completed fields for a reading that is neither refused nor dropped.
    PollOutcome poll(MeterReading& reading, const LowBattery& lowBattery = {});

    // What a frame that has arrived and been decoded into `reading` comes
    // to: the function code taken, an energy function refused, anything
    // else completed.
    static PollOutcome received(MeterReading& reading, const LowBattery& lowBattery = {});

    int failureCount() const { return failures_; }
    // A new link: the count of failed polls starts again (a pulled adapter
    // is still opened again at the next poll).
    void resetFailureCount() { failures_ = 0; }

private:
    MeterPortHandle& port_;
    Reopen reopen_;
    int failures_ = 0;
    bool lost_ = false;
};

} // namespace vt640
