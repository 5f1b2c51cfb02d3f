#pragma once

#include "app/core/reading_sink.h"
#include "app/core/unsaved_data.h"
#include "meter/meter_reading.h"
#include "recorder/core/command_rules.h"
#include "recorder/core/recorder_core.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QProgressBar;
class QTimer;
class QToolButton;

namespace vt640 {

class OuterSizeLimits;

class GlobalState;
class LoggerFileOpener;
class PEGraph;
class PromptService;
class RecorderClock;
class RecorderChart;
class RecorderExport;
class TDialogOption;
class TDlgExportForm;
class TMsgForm;

// The graphical recorder: logs readings against time, manually or
// automatically (every reading, or the first one after every n seconds),
// shows them as a paged graph with a readout and max/min panels, and keeps
// them in its record buffer and, while logging runs, in a temporary file.
//
// Hiding the window changes nothing about logging: records keep coming and
// the window shows them when it is shown again.
class TGraphicalForm : public QMainWindow, public ReadingSink, public UnsavedData {
    Q_OBJECT
public:
    // `reading` is the shared current reading held by the main window.
    TGraphicalForm(GlobalState& state, PromptService& prompts, const MeterReading& reading, QWidget* parent = nullptr);
    ~TGraphicalForm() override;

    // Places the window as at start-up (below the digital meter).
    void placeInitially(int mainHeight, int digitalMeterHeight);

    // The interval dialog the Interval command runs (created by the main window).
    void setIntervalDialog(TDialogOption& dialog) { intervalDialog_ = &dialog; }
    // The export dialog the Export command presets and shows.
    void setExportDialog(TDlgExportForm& dialog);
    // The progress form file reading shows (created by the main window).
    void setProgressForm(TMsgForm& form);
    // At start-up: offers a temporary file left by a run that did not end
    // normally, and opens it on the user's word.
    void offerRecovery();
    // Open for a file named beforehand (the command line): as Open, without
    // the file dialog.
    void openNamedFile(const QString& path);
    // Where time comes from (tests hand in a clock of their own).
    void setClock(RecorderClock& clock);

    // The next delivered reading is to be logged.
    bool sampleRequested() const { return core_.sampleRequested(); }
    bool bufferEmpty() const { return core_.bufferEmpty(); }
    bool unsavedData() const { return core_.unsaved(); }
    bool logging() const { return core_.logging(); }

    // The records and the recorder state, read by the data list and the viewer.
    const RecordBuffer& buffer() const { return core_.buffer(); }
    const RecorderCore& core() const { return core_; }
    PEGraph* graph() const { return PEGraph_; }
    // The status bar's panels, left to right.
    enum StatusPanel { PanelLogging, PanelRecordCount, PanelPage, PanelMode, PanelClock, StatusPanelCount };
    QString statusPanelText(StatusPanel panel) const;

    // The acquisition cycle's hand-off: when a sample is requested, the record
    // is logged once the tick has returned (a posted call).
    void takeReading(const MeterReading& reading) override;

    // What closing the program asks: unsaved records, and Save As for them.
    bool hasUnsavedData() const override { return !bufferEmpty() && unsavedData(); }
    bool saveData() override { return saveDataAs(); }

    // Save As: the whole buffer as a ".640" logger file of 128-byte records,
    // to a file the user chooses. True when the data ended up saved.
    bool saveDataAs();
    // Open: replaces the buffer with the records of a logger file the user chooses.
    void openFile();

    // Puts page `page` of the buffer into the chart (without drawing it);
    // the current page stays as it is.
    void loadPage(int page);
    // Draws the current page, with its readout, paging buttons and status.
    void drawPage();

    // Commands (the buttons' and menu items' actions).
    void recordStart();
    void recordStop();
    void manualLogging();
    void intervalOption();
    void clearRecords();
    void firstPage();
    void pageUp();
    void pageDown();
    void lastPage();
    void undoZoom();
    void fitAllData();
    void graphLineColor();
    void exportData();
    void printPage();
    void printerSetup();

    // Timer handlers.
    void TimerLoggerTimer();
    void TimerTimeTimer();

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

    QTimer* TimerLogger = nullptr;
    QTimer* TimerTime = nullptr;

public slots:
    // The posted reading message: clear the sample request and log one record.
    void meterReadingArrived();
    // The link has dropped: automatic logging stops.
    void linkDropped();

signals:
    // The data list follows the buffer through these.
    void dataListCleared();
    void dataListRowAdded(int index);
    // DL_SAVECSV: the data list writes pages first..last to `path`.
    void dataListSaveCsv(int firstPage, int lastPage, const QString& path);
    // The records from `first` on, `count` of them, added at once (a file read).
    void dataListRowsAdded(int first, int count);
    // "Fit all data": show the graph viewer.
    void fitAllDataRequested();

private:
    // Reading a logger file drives the window's state and drawing.
    friend class LoggerFileOpener;

    OuterSizeLimits* sizeLimits_ = nullptr;
    void buildMenus();
    void buildToolPanel(QWidget* panel);
    void buildDisplayPanel(QWidget* panel);
    void buildStatusBar();
    void configureChart();

    void logOneRecord();
    void resetChart();
    void redrawChart();
    void refreshReadout();
    void refreshMaxMinPanels();
    void emptyMaxMinPanels();
    CommandStates currentCommandStates() const;
    void refreshButtons();
    void refreshMenu();
    void refreshStatusBar();
    void refreshCommands();
    void applyPagingStates();
    void stepProgress();
    void chartKeyDown(int key, Qt::KeyboardModifiers modifiers);

    GlobalState& state_;
    PromptService& prompts_;
    const MeterReading& reading_;
    RecorderCore core_;
    TDialogOption* intervalDialog_ = nullptr;
    std::unique_ptr<RecorderExport> export_;
    PEGraph* PEGraph_ = nullptr;
    std::unique_ptr<RecorderChart> chart_;
    QLabel* statusPanels_[StatusPanelCount] = {};
    std::unique_ptr<LoggerFileOpener> opener_;
};

} // namespace vt640
