#include "app/core/global_state.h"

namespace vt640 {

GlobalState::GlobalState(QObject* parent) : QObject(parent) {}

GlobalState::~GlobalState() = default;

bool GlobalState::isPortPresent(int n) const
{
    if (n < 1 || n > static_cast<int>(portPresent.size()))
        return false;
    return portPresent[static_cast<std::size_t>(n - 1)];
}

void GlobalState::probePorts()
{
    for (int n = 1; n <= static_cast<int>(portPresent.size()); ++n)
        portPresent[static_cast<std::size_t>(n - 1)] = probeMeterDevice(portTable.devicePath(n));
}

void GlobalState::setFileLoadBusy(bool busy)
{
    if (busy == fileLoadBusy_)
        return;
    fileLoadBusy_ = busy;
    emit fileLoadBusyChanged(busy);
}

} // namespace vt640
