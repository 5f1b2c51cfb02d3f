#pragma once

namespace vt640 {

// Which recorder commands are available, from the logging state. The buttons
// and the menu follow slightly different rules (Start/Stop buttons form one
// latching pair that stays usable, their menu items do not).
struct CommandInputs {
    bool logging = false; // automatic logging runs
    bool busy = false;    // a logger file is being read
    bool empty = true;    // no record in the buffer
    bool manual = false;  // acquisition mode is Manual
    int totalPages = 1;
};

struct CommandStates {
    // Tool buttons.
    bool recordStart = false, recordStop = false, manualLogging = false;
    bool option = false, openFile = false;
    bool saveFile = false, printGraphic = false, clear = false, exportData = false;
    bool firstPage = false, pageUp = false, pageDown = false, lastPage = false, fitView = false;
    // Menu items.
    bool menuOpen = false, menuPrinterSetup = false, menuInterval = false;
    bool menuSaveAs = false, menuClear = false, menuPrint = false, menuExport = false;
    bool menuStart = false, menuStop = false, menuManual = false;
    bool menuFirstPage = false, menuPageUp = false, menuPageDown = false, menuLastPage = false;
    bool menuFitAll = false;
};

CommandStates commandStates(const CommandInputs& in);

// The four paging commands once page `page` of `pages` has been drawn.
struct PagingStates {
    bool first = false, up = false, down = false, last = false;
};
inline PagingStates pagingStates(int page, int pages) { return {page != 1, page != 1, page != pages, page != pages}; }

} // namespace vt640
