#include "app/core/link_state.h"

#include "app/core/acquisition_cycle.h"
#include "app/core/global_state.h"

namespace vt640 {

LinkState::LinkState(GlobalState& state, AcquisitionCycle& cycle) : state_(state), cycle_(cycle)
{
    connect(&cycle_, &AcquisitionCycle::unlinkRequested, this, [this] { setLinked(false); });
}

void LinkState::setLinked(bool linked)
{
    linked_ = linked;
    if (linked)
        cycle_.resetFailureCount();
    else
        state_.readingAvailable = false;
    emit linkedChanged(linked);
    if (linked)
        cycle_.start();
    else
        cycle_.stop();
}

} // namespace vt640
