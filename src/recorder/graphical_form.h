#pragma once

#include "app/core/reading_sink.h"
#include "app/core/unsaved_data.h"
#include "meter/meter_reading.h"
#include "recorder/core/command_rules.h"
#include "recorder/core/recorder_session.h"
#include "recorder/recorder_ui.h"

#include <QMainWindow>

#include <memory>

class QLabel;
class QTimer;

namespace vt640 {

class GlobalState;
class LoggerFileCommands;
class OuterSizeLimits;
class PromptService;
class RecorderChart;
class RecorderExport;
class TDialogOption;
class TDlgExportForm;
class TMsgForm;

// The graphical recorder window: its commands drive the recorder session it
// holds (logging manually or automatically, files, clearing), and it draws
// what the session holds: a paged graph with a readout and max/min panels,
// a progress bar and a status bar.
//
// Hiding the window changes nothing about logging: records keep coming and
// the window shows them when it is shown again.
class TGraphicalForm : public QMainWindow, public RecorderUi, public ReadingSink, public UnsavedData {
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
    // Export → Text: writes pages first..last of the session's buffer to `path`.
    void setTextExport(std::function<void(int firstPage, int lastPage, const QString& path)> write);
    // The progress form file reading shows (created by the main window).
    void setProgressForm(TMsgForm& form);
    // At start-up: offers a temporary file left by a run that did not end
    // normally, and opens it on the user's word.
    void offerRecovery();
    // Where time comes from (tests hand in a clock of their own).
    void setClock(RecorderClock& clock);
    // A note at the end of the status bar: how publishing the records goes.
    void showPublishingNote(const QString& note);

    // The recorder's data, which every other output follows.
    RecorderSession& session() { return session_; }
    const RecorderSession& session() const { return session_; }
    const RecordBuffer& buffer() const { return session_.buffer(); }
    const RecorderCore& core() const { return session_.core(); }
    bool sampleRequested() const { return session_.sampleRequested(); }
    bool bufferEmpty() const { return session_.bufferEmpty(); }
    bool unsavedData() const { return session_.unsaved(); }
    bool logging() const { return session_.logging(); }

    PEGraph* graph() const { return PEGraph_; }
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
    // Open for a file named beforehand (the command line): as Open, without
    // the file dialog.
    void openNamedFile(const QString& path);

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

    // The logging timer (the session's) and the status bar's clock.
    const QTimer* TimerLogger = nullptr;
    QTimer* TimerTime = nullptr;
    void TimerLoggerTimer() { session_.loggingTimerTick(); }
    void TimerTimeTimer();

public slots:
    // The posted reading message: the sample asked for is logged.
    void meterReadingArrived();
    // The link has dropped: automatic logging stops.
    void linkDropped();

signals:
    // "Fit all data": show the graph viewer.
    void fitAllDataRequested();

private:
    void connectCommands();
    // What the window draws when the session changes.
    void showAppended(int index);
    void showLoaded(int first, int count);
    void showCleared();
    void resetChart();
    void redrawChart();
    void refreshReadout();
    void refreshMaxMinPanels();
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
    RecorderSession session_;
    OuterSizeLimits* sizeLimits_ = nullptr;
    TDialogOption* intervalDialog_ = nullptr;
    std::unique_ptr<RecorderChart> chart_;
    std::unique_ptr<RecorderExport> export_;
    std::unique_ptr<LoggerFileCommands> files_;
    QLabel* publishingNote_ = nullptr;
};

} // namespace vt640
