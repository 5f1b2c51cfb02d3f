#pragma once

class QAction;
class QLabel;
class QMainWindow;
class QProgressBar;
class QToolButton;
class QWidget;

namespace vt640 {

class PEGraph;
class RecorderCore;
struct CommandStates;
struct PagingStates;
struct TBRecord;

// The recorder window's widgets, made and laid out by setupUi: the tool
// panel, the readout and max/min panels, the chart, the progress bar, the
// menus and the status bar; and how a record, the command states and the
// status show in them. What they do, and when they show what, is the
// window's business.
struct RecorderUi {
    // Tool buttons.
    QToolButton* sbtnRecordStart = nullptr;
    QToolButton* sbtnRecordStop = nullptr;
    QToolButton* sbtnManualLogging = nullptr;
    QToolButton* sbtnOption = nullptr;
    QToolButton* sbtnOpenFile = nullptr;
    QToolButton* sbtnSaveFile = nullptr;
    QToolButton* sbtnPrintGraphic = nullptr;
    QToolButton* sbtnClear = nullptr;
    QToolButton* sbtnExport = nullptr;
    QToolButton* sbtnFirstPage = nullptr;
    QToolButton* sbtnPageUp = nullptr;
    QToolButton* sbtnPageDown = nullptr;
    QToolButton* sbtnLastPage = nullptr;
    QToolButton* sbtnUndoZoom = nullptr;
    QToolButton* sbtnFitView = nullptr;

    // Menu items.
    QAction* miOpen = nullptr;
    QAction* miSaveAs = nullptr;
    QAction* miClear = nullptr;
    QAction* miExport = nullptr;
    QAction* miPrint = nullptr;
    QAction* miPrinterSetup = nullptr;
    QAction* miExit = nullptr;
    QAction* miStart = nullptr;
    QAction* miStop = nullptr;
    QAction* miManual = nullptr;
    QAction* miInterval = nullptr;
    QAction* miFirstPage = nullptr;
    QAction* miPageUp = nullptr;
    QAction* miPageDown = nullptr;
    QAction* miLastPage = nullptr;
    QAction* miFitAll = nullptr;
    QAction* miUndoZoom = nullptr;
    QAction* miLineColor = nullptr;

    // Readout panels.
    QLabel* TimePanel = nullptr;
    QLabel* ReadingDataPanel = nullptr;
    QLabel* ReadingUnitPanel = nullptr;
    QLabel* ReadingFuncPanel = nullptr;
    QLabel* LabelSubFunc = nullptr;
    QLabel* PFPanel = nullptr;
    QLabel* MaxDataPanel = nullptr;
    QLabel* MaxUnitPanel = nullptr;
    QLabel* MaxFuncPanel = nullptr;
    QLabel* MinDataPanel = nullptr;
    QLabel* MinUnitPanel = nullptr;
    QLabel* MinFuncPanel = nullptr;
    QProgressBar* ProgressBar = nullptr;

    // The status bar's panels, left to right.
    enum StatusPanel { PanelLogging, PanelRecordCount, PanelPage, PanelMode, PanelClock, StatusPanelCount };
    QLabel* statusPanels[StatusPanelCount] = {};

    PEGraph* PEGraph_ = nullptr;

    void setupUi(QMainWindow* window);

    // The readout panels: the record under the chart's cursor, or none.
    void showReading(const TBRecord* record);
    // The maximum and minimum panels.
    void showMaxMin(const TBRecord& max, const TBRecord& min);
    void emptyMaxMin();
    // Which commands are available.
    void showButtonStates(const CommandStates& states);
    void showMenuStates(const CommandStates& states);
    void showPagingStates(const PagingStates& states);
    // The status bar's panels but the clock.
    void showStatus(const RecorderCore& core);

private:
    void buildToolPanel(QMainWindow* window, QWidget* panel);
    void buildDisplayPanel(QWidget* panel);
    void buildMenus(QMainWindow* window);
    void buildStatusBar(QMainWindow* window);
};

} // namespace vt640
