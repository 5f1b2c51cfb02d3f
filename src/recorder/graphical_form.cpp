#include "recorder/graphical_form.h"

#include "app/core/global_state.h"
#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"
#include "app/widgets/outer_size_limits.h"
#include "recorder/core/time_text.h"
#include "recorder/dialog_option.h"
#include "recorder/logger_file_commands.h"
#include "recorder/recorder_chart.h"
#include "recorder/recorder_export.h"
#include "viewer/core/record_field_string.h"
#include "viewer/pe_graph.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

namespace vt640 {
namespace {

QString stripAmpersand(QString s) { return s.remove(QLatin1Char('&')); }

} // namespace

TGraphicalForm::TGraphicalForm(GlobalState& state, PromptService& prompts, const MeterReading& reading, QWidget* parent)
    : QMainWindow(parent), state_(state), prompts_(prompts), reading_(reading)
{
    setWindowTitle(loadString(Str::CaptionRecorder));
    sizeLimits_ = new OuterSizeLimits(this);
    setupUi(this);
    PEGraph_->setPromptService(&prompts_);
    chart_ = std::make_unique<RecorderChart>(*PEGraph_);
    files_ = std::make_unique<LoggerFileCommands>(
        *this, session_, state_, prompts_, [this] { clearRecords(); }, *ProgressBar);
    export_ = std::make_unique<RecorderExport>(*this, prompts_);

    TimerLogger = &session_.loggingTimer();
    TimerTime = new QTimer(this);
    TimerTime->setInterval(1000);
    connect(TimerTime, &QTimer::timeout, this, &TGraphicalForm::TimerTimeTimer);
    TimerTime->start();
    connectCommands();

    // What the session does, the window shows.
    connect(&session_, &RecorderSession::recordAppended, this, &TGraphicalForm::showAppended);
    connect(&session_, &RecorderSession::recordsLoaded, this, &TGraphicalForm::showLoaded);
    connect(&session_, &RecorderSession::recordsCleared, this, &TGraphicalForm::showCleared);
    connect(&session_, &RecorderSession::lastPageShown, this, &TGraphicalForm::drawPage);
    // Start does not refresh the commands; the first record does. Stop does.
    connect(&session_, &RecorderSession::loggingChanged, this, [this](bool on) {
        if (!on)
            refreshCommands();
    });
    connect(&session_, &RecorderSession::temporaryFileFailing, this,
            [this] { showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrTempWrite); });
    connect(&state_, &GlobalState::fileLoadBusyChanged, this, [this] { refreshCommands(); });

    connect(PEGraph_, &PEGraph::OnCursorMoved, this, &TGraphicalForm::refreshReadout);
    connect(PEGraph_, &PEGraph::OnZoomIn, this, [this] {
        sbtnUndoZoom->setEnabled(true);
        miUndoZoom->setEnabled(true);
    });
    connect(PEGraph_, &PEGraph::OnKeyDown, this, &TGraphicalForm::chartKeyDown);

    chart_->configure(session_.core(), palette().color(QPalette::Button));
    ProgressBar->setRange(0, session_.core().pointsPerPage());
    ProgressBar->setValue(0);
    emptyMaxMin();
    refreshCommands();
    TimerTimeTimer();
    PEGraph_->setFocus();
}

TGraphicalForm::~TGraphicalForm() = default; // the session removes the temporary files

void TGraphicalForm::connectCommands()
{
    const std::pair<QToolButton*, void (TGraphicalForm::*)()> buttons[] = {
        {sbtnRecordStart, &TGraphicalForm::recordStart},     {sbtnRecordStop, &TGraphicalForm::recordStop},
        {sbtnManualLogging, &TGraphicalForm::manualLogging}, {sbtnOption, &TGraphicalForm::intervalOption},
        {sbtnOpenFile, &TGraphicalForm::openFile},           {sbtnClear, &TGraphicalForm::clearRecords},
        {sbtnExport, &TGraphicalForm::exportData},           {sbtnPrintGraphic, &TGraphicalForm::printPage},
        {sbtnFirstPage, &TGraphicalForm::firstPage},         {sbtnPageUp, &TGraphicalForm::pageUp},
        {sbtnPageDown, &TGraphicalForm::pageDown},           {sbtnLastPage, &TGraphicalForm::lastPage},
        {sbtnUndoZoom, &TGraphicalForm::undoZoom},           {sbtnFitView, &TGraphicalForm::fitAllData}};
    for (const auto& [button, command] : buttons)
        connect(button, &QToolButton::clicked, this, command);
    connect(sbtnSaveFile, &QToolButton::clicked, this, &TGraphicalForm::saveDataAs);

    const std::pair<QAction*, void (TGraphicalForm::*)()> items[] = {{miOpen, &TGraphicalForm::openFile},
                                                                     {miClear, &TGraphicalForm::clearRecords},
                                                                     {miExport, &TGraphicalForm::exportData},
                                                                     {miPrint, &TGraphicalForm::printPage},
                                                                     {miPrinterSetup, &TGraphicalForm::printerSetup},
                                                                     {miManual, &TGraphicalForm::manualLogging},
                                                                     {miInterval, &TGraphicalForm::intervalOption},
                                                                     {miFirstPage, &TGraphicalForm::firstPage},
                                                                     {miPageUp, &TGraphicalForm::pageUp},
                                                                     {miPageDown, &TGraphicalForm::pageDown},
                                                                     {miLastPage, &TGraphicalForm::lastPage},
                                                                     {miFitAll, &TGraphicalForm::fitAllData},
                                                                     {miUndoZoom, &TGraphicalForm::undoZoom},
                                                                     {miLineColor, &TGraphicalForm::graphLineColor}};
    for (const auto& [item, command] : items)
        connect(item, &QAction::triggered, this, command);
    connect(miSaveAs, &QAction::triggered, this, &TGraphicalForm::saveDataAs);
    connect(miExit, &QAction::triggered, this, &QWidget::close);
    // The menu presses the button first, as a click would.
    connect(miStart, &QAction::triggered, this, [this] {
        sbtnRecordStart->setChecked(true);
        recordStart();
    });
    connect(miStop, &QAction::triggered, this, [this] {
        sbtnRecordStop->setChecked(true);
        recordStop();
    });
}

void TGraphicalForm::setExportDialog(TDlgExportForm& dialog) { export_->setDialog(&dialog); }

void TGraphicalForm::setTextExport(std::function<void(int, int, const QString&)> write)
{
    export_->setSaveText(std::move(write));
}

void TGraphicalForm::exportData() { export_->exportData(); }

void TGraphicalForm::printPage() { export_->printPage(); }

void TGraphicalForm::printerSetup() { export_->printerSetup(); }

void TGraphicalForm::setProgressForm(TMsgForm& form) { files_->setProgressForm(form); }

void TGraphicalForm::offerRecovery()
{
    session_.setWorkingDirectory(QFile::encodeName(state_.workingDirectory).toStdString());
    files_->offerRecovery();
}

void TGraphicalForm::openFile() { files_->open(); }

void TGraphicalForm::openNamedFile(const QString& path) { files_->open(path); }

bool TGraphicalForm::saveDataAs()
{
    const bool saved = files_->saveAs();
    if (saved)
        refreshCommands();
    return saved;
}

void TGraphicalForm::setClock(RecorderClock& clock)
{
    session_.setClock(clock);
    TimerTimeTimer();
}

void TGraphicalForm::showPublishingNote(const QString& note)
{
    if (!publishingNote_) {
        publishingNote_ = new QLabel(statusBar());
        publishingNote_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addPermanentWidget(publishingNote_);
    }
    publishingNote_->setText(note);
}

void TGraphicalForm::placeInitially(int mainHeight, int digitalMeterHeight)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int top = mainHeight + digitalMeterHeight;
    // Limits for the outer frame: maximised it takes the screen below the
    // main window; it cannot be made smaller than three quarters of the width
    // and the height below the digital meter.
    sizeLimits_->set(QSize(screen.width() * 3 / 4, std::max(0, screen.height() - top - state_.taskbarHeight)),
                     QSize(screen.width(), screen.height() - mainHeight - state_.taskbarHeight));
    move(0, top);
    resize(QSize(screen.width(), screen.height() - top - state_.taskbarHeight) - sizeLimits_->frame());
}

// ---- logging --------------------------------------------------------------------

void TGraphicalForm::takeReading(const MeterReading&)
{
    // The record is built from the shared reading when the call runs.
    if (session_.sampleRequested())
        QMetaObject::invokeMethod(this, &TGraphicalForm::meterReadingArrived, Qt::QueuedConnection);
}

void TGraphicalForm::meterReadingArrived() { session_.logRequestedSample(reading_); }

void TGraphicalForm::linkDropped()
{
    if (session_.logging()) {
        sbtnRecordStop->setChecked(true);
        recordStop();
    }
}

void TGraphicalForm::TimerTimeTimer()
{
    session_.clockTick();
    statusPanels[PanelClock]->setText(QString::fromStdString(statusClockText(session_.clock().localTime())));
}

void TGraphicalForm::recordStart()
{
    if (!state_.readingAvailable) {
        showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrNotLinked);
        sbtnRecordStop->setChecked(true);
        return;
    }
    // Without the run's file nothing is logged, also not while the error box
    // is up (readings keep arriving then).
    session_.setWorkingDirectory(QFile::encodeName(state_.workingDirectory).toStdString());
    if (session_.startLogging() == RecorderSession::Start::NoTemporaryFile) {
        sbtnRecordStop->setChecked(true);
        showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrTempFile);
    }
}

void TGraphicalForm::recordStop() { session_.stopLogging(); }

void TGraphicalForm::manualLogging()
{
    if (state_.readingAvailable) {
        session_.logReading(reading_);
    } else {
        showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrNotLinked);
        sbtnRecordStop->setChecked(true);
    }
}

void TGraphicalForm::showAppended(int index)
{
    const RecorderCore& core = session_.core();
    const RecorderCore::Logged& logged = session_.lastLogged();
    const TBRecord& r = core.buffer()[index];
    if (logged.first)
        emptyMaxMin();
    else if (logged.tracked)
        refreshMaxMinPanels();

    PEGraph_->setManualMaxY(core.upperY());
    PEGraph_->setManualMinY(core.lowerY());
    PEGraph_->appendPoint(r.head.value, fieldString(r.head.timeText));
    PEGraph_->setCursorPoint(core.pointsPerPage() - 1);
    refreshReadout(); // redraws

    stepProgress();
    refreshStatusBar();
    refreshButtons();
    refreshMenu();
}

void TGraphicalForm::showLoaded(int, int count)
{
    const int P = session_.core().pointsPerPage();
    ProgressBar->setValue(count % (P + 1)); // where `count` single steps would leave it
    if (count >= 2)
        refreshMaxMinPanels();
    else
        emptyMaxMin();
    refreshStatusBar();
    drawPage();
    PEGraph_->setCursorPoint(P - 1);
    refreshReadout();
}

void TGraphicalForm::stepProgress()
{
    const int v = ProgressBar->value();
    ProgressBar->setValue(v >= ProgressBar->maximum() ? 0 : v + 1);
}

void TGraphicalForm::clearRecords()
{
    if (session_.bufferEmpty())
        return;
    if (session_.unsaved()) {
        PromptService::Message m;
        m.caption = warningCaption(Str::WarnClearBuffer);
        m.text = loadString(Str::WarnClearBuffer);
        m.icon = PromptService::Icon::Question;
        m.buttons = {PromptService::Button::Ok, PromptService::Button::Cancel};
        m.defaultButton = PromptService::Button::Cancel;
        if (prompts_.message(this, m) != PromptService::Button::Ok)
            return;
    }
    session_.clear();
}

void TGraphicalForm::showCleared()
{
    ProgressBar->setRange(0, session_.core().pointsPerPage());
    ProgressBar->setValue(0);
    resetChart();
    emptyMaxMin();
    showReading(nullptr);
    refreshCommands();
}

void TGraphicalForm::intervalOption()
{
    if (!intervalDialog_)
        return;
    TDialogOption& d = *intervalDialog_;
    d.setManual(session_.manualMode());
    d.setSeconds(session_.intervalMs() == RecorderCore::kFullSpeedMs ? 0 : session_.intervalMs() / 1000);
    if (d.exec() != QDialog::Accepted)
        return;
    session_.setAcquisition(d.manual(), d.seconds());
    refreshCommands();
}

// ---- the graph ------------------------------------------------------------------

void TGraphicalForm::redrawChart() { chart_->redraw(); }

void TGraphicalForm::resetChart()
{
    chart_->reset(session_.core());
    refreshReadout();
}

void TGraphicalForm::drawPage()
{
    loadPage(session_.core().currentPage());
    redrawChart();
    refreshReadout();
    applyPagingStates();
    refreshStatusBar();
}

void TGraphicalForm::loadPage(int page) { chart_->loadPage(session_.core(), page); }

void TGraphicalForm::applyPagingStates()
{
    showPagingStates(pagingStates(session_.core().currentPage(), session_.core().totalPages()));
}

void TGraphicalForm::refreshReadout()
{
    const RecorderCore& core = session_.core();
    if (core.buffer().empty())
        return;
    const int k = chart_->recordAtCursor(core, core.currentPage());
    const TBRecord* r = k < 0 ? nullptr : &core.buffer()[k];
    showReading(r);
    chart_->showAxisCaption(RecorderChart::axisCaption(r));
}

void TGraphicalForm::refreshMaxMinPanels()
{
    const RecorderCore& core = session_.core();
    if (core.recordCount() == 0 || core.buffer().empty())
        return;
    if (core.maxMinValid())
        showMaxMin(core.buffer()[core.maxIndex()], core.buffer()[core.minIndex()]);
    else
        emptyMaxMin();
}

void TGraphicalForm::firstPage()
{
    session_.setCurrentPage(1);
    drawPage();
}

void TGraphicalForm::pageUp()
{
    if (session_.core().currentPage() == 1) {
        showUserMessage(prompts_, this, Str::WarningCaption, Str::WarnFirstPage);
        return;
    }
    session_.setCurrentPage(session_.core().currentPage() - 1);
    drawPage();
}

void TGraphicalForm::pageDown()
{
    if (session_.core().currentPage() == session_.core().totalPages()) {
        showUserMessage(prompts_, this, Str::WarningCaption, Str::WarnLastPage);
        return;
    }
    session_.setCurrentPage(session_.core().currentPage() + 1);
    drawPage();
}

void TGraphicalForm::lastPage()
{
    session_.setCurrentPage(session_.core().totalPages());
    drawPage();
}

void TGraphicalForm::undoZoom()
{
    PEGraph_->setPEactions(PEGraph::gUndoZoom);
    sbtnUndoZoom->setEnabled(false);
    miUndoZoom->setEnabled(false);
}

void TGraphicalForm::fitAllData() { emit fitAllDataRequested(); }

void TGraphicalForm::graphLineColor()
{
    const QColor c = prompts_.color(this, PEGraph_->subsetColors(0), stripAmpersand(loadString(Str::MenuLineColor)));
    if (!c.isValid())
        return;
    PEGraph_->setSubsetColors(0, c);
    redrawChart();
}

void TGraphicalForm::chartKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // The keys run the paging commands whatever state the buttons are in, so
    // that on the first and the last page they say why nothing moves. With
    // Ctrl they are the menu's First page and Last page.
    if (modifiers & Qt::ControlModifier)
        return;
    if (key == Qt::Key_PageUp)
        pageUp();
    else if (key == Qt::Key_PageDown)
        pageDown();
}

// ---- refresh ----------------------------------------------------------------------

void TGraphicalForm::refreshCommands()
{
    refreshButtons();
    refreshMenu();
    refreshStatusBar();
}

CommandStates TGraphicalForm::currentCommandStates() const
{
    CommandInputs in;
    in.logging = session_.logging();
    in.busy = state_.fileLoadBusy();
    in.empty = session_.bufferEmpty();
    in.manual = session_.manualMode();
    in.totalPages = session_.core().totalPages();
    return commandStates(in);
}

void TGraphicalForm::refreshButtons() { showButtonStates(currentCommandStates()); }

void TGraphicalForm::refreshMenu() { showMenuStates(currentCommandStates()); }

void TGraphicalForm::refreshStatusBar() { showStatus(session_.core()); }

QString TGraphicalForm::statusPanelText(StatusPanel panel) const
{
    return (panel >= 0 && panel < StatusPanelCount) ? statusPanels[panel]->text() : QString();
}

} // namespace vt640
