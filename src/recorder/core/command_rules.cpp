#include "recorder/core/command_rules.h"

namespace vt640 {

CommandStates commandStates(const CommandInputs& in)
{
    const bool idle = !in.logging && !in.busy;
    const bool idleWithData = idle && !in.empty;
    CommandStates s;

    s.recordStart = s.recordStop = !in.manual && !in.busy;
    s.manualLogging = in.manual && idle;
    s.option = s.openFile = idle;
    s.saveFile = s.printGraphic = s.clear = s.exportData = idleWithData;
    s.firstPage = s.pageUp = s.pageDown = s.lastPage = s.fitView = idle;
    if (idle) {
        // The view stands on the last page after every refresh.
        const bool several = in.totalPages != 1;
        s.firstPage = s.pageUp = s.fitView = several;
        s.pageDown = s.lastPage = false;
    }

    s.menuOpen = s.menuPrinterSetup = s.menuInterval = idle;
    s.menuFirstPage = s.menuPageUp = s.menuPageDown = s.menuLastPage = s.menuFitAll = idle;
    s.menuSaveAs = s.menuClear = s.menuPrint = s.menuExport = idleWithData;
    s.menuStart = !in.logging && !in.manual && !in.busy;
    s.menuStop = in.logging && !in.manual && !in.busy;
    s.menuManual = !in.logging && in.manual && !in.busy;
    if (idle) {
        const bool several = in.totalPages != 1;
        s.menuFirstPage = s.menuPageUp = s.menuFitAll = several;
        s.menuPageDown = s.menuLastPage = false;
    }
    return s;
}

} // namespace vt640
