#pragma once

#include <QObject>

namespace vt640 {

class AcquisitionCycle;
class GlobalState;

// Whether the program is linked to the meter. Linking and unlinking happen
// here and nowhere else: the link button, the link menu command, a warning's
// Abort and the energy functions all end in setLinked(). The controls that
// show the link follow linkedChanged(); the recorder stops logging on it.
class LinkState : public QObject {
    Q_OBJECT
public:
    LinkState(GlobalState& state, AcquisitionCycle& cycle);

    bool isLinked() const { return linked_; }

    // The link action. Unlinking clears readingAvailable and tells everyone
    // (linkedChanged(false), handled before this returns) before the polling
    // stops; linking restarts the failure count, and the first poll comes one
    // interval later.
    void setLinked(bool linked);
    void toggle() { setLinked(!linked_); }

signals:
    void linkedChanged(bool linked);

private:
    GlobalState& state_;
    AcquisitionCycle& cycle_;
    bool linked_ = false;
};

} // namespace vt640
