#include "recorder/graphical_form.h"

#include "app/core/global_state.h"
#include "app/core/prompt_service.h"
#include "app/widgets/outer_size_limits.h"
#include "app/core/user_messages.h"
#include "meter/annunciators.h"
#include "recorder/core/command_rules.h"
#include "recorder/core/logger_file_writer.h"
#include "recorder/core/logger_layout.h"
#include "recorder/dialog_option.h"
#include "recorder/recorder_export.h"
#include "recorder/logger_file_opener.h"
#include "recorder/recorder_chart.h"
#include "recorder/core/page_math.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"
#include "recorder/core/time_text.h"
#include "viewer/pe_graph.h"
#include "viewer/core/record_field_string.h"
#include "viewer/core/safe_file_writer.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace vt640 {
namespace {

const QColor kLime(0, 255, 0);
const QColor kFuchsia(255, 0, 255);

QLabel* makePanel(QWidget* parent, const QColor& fore, const QColor& back, const QFont& font, Qt::Alignment align,
                  int minWidth)
{
    auto* l = new QLabel(parent);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, fore);
    l->setPalette(p);
    l->setAutoFillBackground(true);
    l->setFont(font);
    l->setAlignment(align);
    l->setMinimumWidth(minWidth);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return l;
}

QString stripAmpersand(QString s) { return s.remove(QLatin1Char('&')); }

// The prefix and unit panels of a reading, maximum or minimum triple:
// temperature sets its prefix to the right and its unit to the left, so the
// two read as one; resistance shows its unit as the omega sign.
void showUnitPanels(QLabel* prefix, QLabel* unit, const TBRecord& r)
{
    const bool temperature = r.head.functionCode == code::DegreesC || r.head.functionCode == code::DegreesF;
    prefix->setAlignment((temperature ? Qt::AlignRight : Qt::AlignHCenter) | Qt::AlignVCenter);
    unit->setAlignment((temperature ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
    prefix->setText(fieldString(r.head.prefixText));
    unit->setText(
        QString::fromStdString(displayUnitText(r.head.functionCode, std::string(fieldText(r.head.unitText)))));
}

} // namespace

TGraphicalForm::TGraphicalForm(GlobalState& state, PromptService& prompts, const MeterReading& reading, QWidget* parent)
    : QMainWindow(parent), state_(state), prompts_(prompts), reading_(reading)
{
    setWindowTitle(loadString(Str::CaptionRecorder));
    sizeLimits_ = new OuterSizeLimits(this);
    opener_ = std::make_unique<LoggerFileOpener>(*this, state_, prompts_);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto* toolPanel = new QWidget(central);
    toolPanel->setObjectName(QStringLiteral("ToolPanel"));
    buildToolPanel(toolPanel);
    layout->addWidget(toolPanel);

    auto* displayPanel = new QWidget(central);
    displayPanel->setObjectName(QStringLiteral("DisplayPanel"));
    buildDisplayPanel(displayPanel);
    layout->addWidget(displayPanel);

    PEGraph_ = new PEGraph(central);
    PEGraph_->setPromptService(&prompts_);
    PEGraph_->setObjectName(QStringLiteral("PEGraph"));
    chart_ = std::make_unique<RecorderChart>(*PEGraph_);
    layout->addWidget(PEGraph_, 1);

    ProgressBar = new QProgressBar(central);
    ProgressBar->setTextVisible(false);
    ProgressBar->setFixedHeight(10);
    layout->addWidget(ProgressBar);
    setCentralWidget(central);

    buildMenus();
    buildStatusBar();

    TimerLogger = new QTimer(this);
    TimerLogger->setInterval(core_.intervalMs());
    connect(TimerLogger, &QTimer::timeout, this, &TGraphicalForm::TimerLoggerTimer);
    TimerTime = new QTimer(this);
    TimerTime->setInterval(1000);
    connect(TimerTime, &QTimer::timeout, this, &TGraphicalForm::TimerTimeTimer);
    TimerTime->start();

    connect(PEGraph_, &PEGraph::OnCursorMoved, this, &TGraphicalForm::refreshReadout);
    connect(PEGraph_, &PEGraph::OnZoomIn, this, [this] {
        sbtnUndoZoom->setEnabled(true);
        miUndoZoom->setEnabled(true);
    });
    connect(PEGraph_, &PEGraph::OnKeyDown, this, &TGraphicalForm::chartKeyDown);
    connect(&state_, &GlobalState::fileLoadBusyChanged, this, [this] { refreshCommands(); });

    export_ = std::make_unique<RecorderExport>(*this, prompts_);
    export_->setSaveText([this](int first, int last, const QString& path) { emit dataListSaveCsv(first, last, path); });

    configureChart();
    core_.resetState();
    ProgressBar->setRange(0, core_.pointsPerPage());
    ProgressBar->setValue(0);
    emptyMaxMinPanels();
    refreshCommands();
    TimerTimeTimer();
    PEGraph_->setFocus();
}

TGraphicalForm::~TGraphicalForm() = default; // the core removes the temporary files

void TGraphicalForm::setExportDialog(TDlgExportForm& dialog) { export_->setDialog(&dialog); }

void TGraphicalForm::exportData() { export_->exportData(); }

void TGraphicalForm::printPage() { export_->printPage(); }

void TGraphicalForm::printerSetup() { export_->printerSetup(); }

void TGraphicalForm::setClock(RecorderClock& clock)
{
    core_.setClock(clock);
    TimerTimeTimer();
}

// ---- construction ---------------------------------------------------------------

void TGraphicalForm::buildToolPanel(QWidget* panel)
{
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(1);
    QStyle* s = style();
    auto button = [&](QToolButton*& b, QStyle::StandardPixmap icon, Str hint, const char* name) {
        b = new QToolButton(panel);
        b->setObjectName(QLatin1String(name));
        b->setIcon(s->standardIcon(icon));
        b->setToolTip(loadString(hint));
        b->setAutoRaise(true);
        b->setFixedSize(26, 25);
        row->addWidget(b);
        return b;
    };
    button(sbtnRecordStart, QStyle::SP_MediaPlay, Str::HintRecordStart, "sbtnRecordStart")->setCheckable(true);
    button(sbtnRecordStop, QStyle::SP_MediaStop, Str::HintRecordStop, "sbtnRecordStop")->setCheckable(true);
    auto* startStop = new QButtonGroup(panel);
    startStop->setExclusive(true);
    startStop->addButton(sbtnRecordStart);
    startStop->addButton(sbtnRecordStop);
    sbtnRecordStop->setChecked(true);
    button(sbtnManualLogging, QStyle::SP_DialogApplyButton, Str::HintManualLogging, "sbtnManualLogging");
    button(sbtnOption, QStyle::SP_FileDialogDetailedView, Str::HintOption, "sbtnOption");
    row->addSpacing(8);
    button(sbtnOpenFile, QStyle::SP_DialogOpenButton, Str::HintOpenFile, "sbtnOpenFile");
    button(sbtnSaveFile, QStyle::SP_DialogSaveButton, Str::HintSaveFile, "sbtnSaveFile");
    button(sbtnPrintGraphic, QStyle::SP_FileIcon, Str::HintPrintPage, "sbtnPrintGraphic");
    button(sbtnClear, QStyle::SP_TrashIcon, Str::HintClear, "sbtnClear");
    button(sbtnExport, QStyle::SP_ArrowUp, Str::HintExport, "sbtnExport");
    row->addSpacing(8);
    button(sbtnFirstPage, QStyle::SP_MediaSkipBackward, Str::HintFirstPage, "sbtnFirstPage");
    button(sbtnPageUp, QStyle::SP_MediaSeekBackward, Str::HintPageUp, "sbtnPageUp");
    button(sbtnPageDown, QStyle::SP_MediaSeekForward, Str::HintPageDown, "sbtnPageDown");
    button(sbtnLastPage, QStyle::SP_MediaSkipForward, Str::HintLastPage, "sbtnLastPage");
    row->addSpacing(8);
    button(sbtnUndoZoom, QStyle::SP_ArrowBack, Str::HintUndoZoom, "sbtnUndoZoom")->setEnabled(false);
    button(sbtnFitView, QStyle::SP_TitleBarMaxButton, Str::HintFitView, "sbtnFitView");
    row->addStretch(1);
    auto* caption = new QLabel(loadString(Str::CaptionRecorder) + QStringLiteral("   "), panel);
    QFont f = caption->font();
    f.setBold(true);
    caption->setFont(f);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(caption);

    connect(sbtnRecordStart, &QToolButton::clicked, this, &TGraphicalForm::recordStart);
    connect(sbtnRecordStop, &QToolButton::clicked, this, &TGraphicalForm::recordStop);
    connect(sbtnManualLogging, &QToolButton::clicked, this, &TGraphicalForm::manualLogging);
    connect(sbtnOption, &QToolButton::clicked, this, &TGraphicalForm::intervalOption);
    connect(sbtnOpenFile, &QToolButton::clicked, this, &TGraphicalForm::openFile);
    connect(sbtnSaveFile, &QToolButton::clicked, this, &TGraphicalForm::saveDataAs);
    connect(sbtnClear, &QToolButton::clicked, this, &TGraphicalForm::clearRecords);
    connect(sbtnExport, &QToolButton::clicked, this, &TGraphicalForm::exportData);
    connect(sbtnPrintGraphic, &QToolButton::clicked, this, &TGraphicalForm::printPage);
    connect(sbtnFirstPage, &QToolButton::clicked, this, &TGraphicalForm::firstPage);
    connect(sbtnPageUp, &QToolButton::clicked, this, &TGraphicalForm::pageUp);
    connect(sbtnPageDown, &QToolButton::clicked, this, &TGraphicalForm::pageDown);
    connect(sbtnLastPage, &QToolButton::clicked, this, &TGraphicalForm::lastPage);
    connect(sbtnUndoZoom, &QToolButton::clicked, this, &TGraphicalForm::undoZoom);
    connect(sbtnFitView, &QToolButton::clicked, this, &TGraphicalForm::fitAllData);
}

void TGraphicalForm::buildDisplayPanel(QWidget* panel)
{
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(2);
    QFont mono(QStringLiteral("Arial"), 12, QFont::Bold);
    QFont reading(QStringLiteral("Times New Roman"), 16, QFont::Bold);
    QFont unit(QStringLiteral("Arial"), 14, QFont::Bold);
    QFont label(QStringLiteral("Arial"), 11, QFont::Bold);
    const QColor black(Qt::black);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment centre = Qt::AlignCenter;

    TimePanel = makePanel(panel, Qt::white, black, mono, centre, 120);
    ReadingDataPanel = makePanel(panel, kLime, black, reading, right, 130);
    ReadingUnitPanel = makePanel(panel, kLime, black, unit, centre, 26);
    ReadingFuncPanel = makePanel(panel, kLime, black, unit, centre, 46);
    LabelSubFunc = new QLabel(loadString(Str::SubFunctionLabel), panel);
    LabelSubFunc->setFont(label);
    LabelSubFunc->setAlignment(right);
    LabelSubFunc->setMinimumWidth(40);
    PFPanel = makePanel(panel, Qt::white, black, mono, right, 80);

    auto* maxLabel = new QLabel(loadString(Str::MaxLabel), panel);
    maxLabel->setFont(label);
    maxLabel->setStyleSheet(QStringLiteral("color: red"));
    MaxDataPanel = makePanel(panel, Qt::red, black, reading, right, 120);
    MaxUnitPanel = makePanel(panel, Qt::red, black, unit, centre, 26);
    MaxFuncPanel = makePanel(panel, Qt::red, black, unit, centre, 46);
    auto* minLabel = new QLabel(loadString(Str::MinLabel), panel);
    minLabel->setFont(label);
    minLabel->setStyleSheet(QStringLiteral("color: #ff00ff"));
    MinDataPanel = makePanel(panel, kFuchsia, black, reading, right, 120);
    MinUnitPanel = makePanel(panel, kFuchsia, black, unit, centre, 26);
    MinFuncPanel = makePanel(panel, kFuchsia, black, unit, centre, 46);

    for (QLabel* l : {TimePanel, ReadingDataPanel, ReadingUnitPanel, ReadingFuncPanel, LabelSubFunc, PFPanel,
                      MaxDataPanel, MaxUnitPanel, MaxFuncPanel, MinDataPanel, MinUnitPanel, MinFuncPanel})
        l->setFixedHeight(32);
    row->addWidget(TimePanel, 2);
    row->addWidget(ReadingDataPanel, 3);
    row->addWidget(ReadingUnitPanel);
    row->addWidget(ReadingFuncPanel);
    row->addWidget(LabelSubFunc);
    row->addWidget(PFPanel, 2);
    row->addSpacing(10);
    row->addWidget(maxLabel);
    row->addWidget(MaxDataPanel, 3);
    row->addWidget(MaxUnitPanel);
    row->addWidget(MaxFuncPanel);
    row->addSpacing(10);
    row->addWidget(minLabel);
    row->addWidget(MinDataPanel, 3);
    row->addWidget(MinUnitPanel);
    row->addWidget(MinFuncPanel);
}

void TGraphicalForm::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* menu, Str id, const QKeySequence& key = {}) {
        QAction* a = menu->addAction(loadString(id));
        if (!key.isEmpty())
            a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        return a;
    };
    QMenu* file = bar->addMenu(loadString(Str::MenuFile));
    miOpen = item(file, Str::MenuOpen);
    miSaveAs = item(file, Str::MenuSaveAs);
    miClear = item(file, Str::MenuClear);
    file->addSeparator();
    miExport = item(file, Str::MenuExport);
    miPrint = item(file, Str::MenuPrintPage);
    miPrinterSetup = item(file, Str::MenuPrinterSetup);
    file->addSeparator();
    miExit = item(file, Str::MenuExit);

    QMenu* acq = bar->addMenu(loadString(Str::MenuAcquisition));
    miStart = item(acq, Str::MenuStart, QKeySequence(Qt::Key_F9));
    miStop = item(acq, Str::MenuStop, QKeySequence(Qt::Key_F3));
    miManual = item(acq, Str::MenuManual, QKeySequence(Qt::Key_F7));
    acq->addSeparator();
    miInterval = item(acq, Str::MenuInterval);

    QMenu* view = bar->addMenu(loadString(Str::MenuView));
    miFirstPage = item(view, Str::MenuFirstPage, QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    miPageUp = item(view, Str::MenuPageUp);
    miPageDown = item(view, Str::MenuPageDown);
    miLastPage = item(view, Str::MenuLastPage, QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    view->addSeparator();
    miFitAll = item(view, Str::MenuFitAll, QKeySequence(Qt::CTRL | Qt::Key_F));
    miUndoZoom = item(view, Str::MenuUndoZoom, QKeySequence(Qt::CTRL | Qt::Key_Z));
    miUndoZoom->setEnabled(false);
    view->addSeparator();
    miLineColor = item(view, Str::MenuLineColor);

    connect(miOpen, &QAction::triggered, this, &TGraphicalForm::openFile);
    connect(miSaveAs, &QAction::triggered, this, &TGraphicalForm::saveDataAs);
    connect(miClear, &QAction::triggered, this, &TGraphicalForm::clearRecords);
    connect(miExport, &QAction::triggered, this, &TGraphicalForm::exportData);
    connect(miPrint, &QAction::triggered, this, &TGraphicalForm::printPage);
    connect(miPrinterSetup, &QAction::triggered, this, &TGraphicalForm::printerSetup);
    connect(miExit, &QAction::triggered, this, &QWidget::close);
    connect(miStart, &QAction::triggered, this, [this] {
        sbtnRecordStart->setChecked(true);
        recordStart();
    });
    connect(miStop, &QAction::triggered, this, [this] {
        sbtnRecordStop->setChecked(true);
        recordStop();
    });
    connect(miManual, &QAction::triggered, this, &TGraphicalForm::manualLogging);
    connect(miInterval, &QAction::triggered, this, &TGraphicalForm::intervalOption);
    connect(miFirstPage, &QAction::triggered, this, &TGraphicalForm::firstPage);
    connect(miPageUp, &QAction::triggered, this, &TGraphicalForm::pageUp);
    connect(miPageDown, &QAction::triggered, this, &TGraphicalForm::pageDown);
    connect(miLastPage, &QAction::triggered, this, &TGraphicalForm::lastPage);
    connect(miFitAll, &QAction::triggered, this, &TGraphicalForm::fitAllData);
    connect(miUndoZoom, &QAction::triggered, this, &TGraphicalForm::undoZoom);
    connect(miLineColor, &QAction::triggered, this, &TGraphicalForm::graphLineColor);
}

void TGraphicalForm::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    const int widths[StatusPanelCount] = {110, 175, 175, 175, 50};
    for (int i = 0; i < StatusPanelCount; ++i) {
        auto* l = new QLabel(bar);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setMinimumWidth(widths[i]);
        if (i != PanelClock)
            l->setFixedWidth(widths[i]);
        l->setAlignment(i == PanelMode ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
        bar->addWidget(l, i == PanelClock ? 1 : 0);
        statusPanels_[i] = l;
    }
}

void TGraphicalForm::configureChart() { chart_->configure(core_, palette().color(QPalette::Button)); }

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

void TGraphicalForm::meterReadingArrived()
{
    core_.setSampleRequested(false);
    logOneRecord();
}

void TGraphicalForm::takeReading(const MeterReading&)
{
    // The record is built from the shared reading when the call runs.
    if (core_.sampleRequested())
        QMetaObject::invokeMethod(this, &TGraphicalForm::meterReadingArrived, Qt::QueuedConnection);
}

void TGraphicalForm::linkDropped()
{
    if (core_.logging()) {
        sbtnRecordStop->setChecked(true);
        recordStop();
    }
}

void TGraphicalForm::TimerLoggerTimer() { core_.setSampleRequested(true); }

void TGraphicalForm::TimerTimeTimer()
{
    if (core_.tickTempFile())
        showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrTempWrite);
    statusPanels_[PanelClock]->setText(QString::fromStdString(statusClockText(core_.clock().localTime())));
}

void TGraphicalForm::recordStart()
{
    if (!state_.readingAvailable) {
        showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrNotLinked);
        sbtnRecordStop->setChecked(true);
        return;
    }
    if (core_.logging())
        return; // already running: one run, one temporary file
    // The run's file comes first: without it nothing is logged, also not
    // while the error box is up (readings keep arriving then).
    if (!core_.openTempFile(QFile::encodeName(state_.workingDirectory).toStdString())) {
        sbtnRecordStop->setChecked(true);
        recordStop();
        showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrTempFile);
        return;
    }
    TimerLogger->setInterval(core_.intervalMs());
    TimerLogger->start();
    core_.setLogging(true);
    core_.setSampleRequested(true);
}

void TGraphicalForm::recordStop()
{
    core_.closeTempFile();
    TimerLogger->stop();
    core_.setLogging(false);
    refreshCommands();
    core_.setSampleRequested(false);
}

void TGraphicalForm::manualLogging()
{
    if (state_.readingAvailable) {
        logOneRecord();
    } else {
        showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrNotLinked);
        sbtnRecordStop->setChecked(true);
    }
}

void TGraphicalForm::logOneRecord()
{
    const int P = core_.pointsPerPage();
    if (core_.currentPage() != core_.totalPages()) {
        core_.setCurrentPage(core_.totalPages());
        drawPage();
    }
    const auto logged = core_.logOneRecord(reading_);
    if (!logged)
        return;
    const TBRecord& r = core_.buffer()[logged->index];

    if (logged->first)
        emptyMaxMinPanels();
    else if (logged->tracked)
        refreshMaxMinPanels();

    PEGraph_->setManualMaxY(core_.upperY());
    PEGraph_->setManualMinY(core_.lowerY());
    PEGraph_->appendPoint(r.head.value, fieldString(r.head.timeText));
    PEGraph_->setCursorPoint(P - 1);
    refreshReadout(); // redraws

    emit dataListRowAdded(logged->index);

    stepProgress();
    refreshStatusBar();
    refreshButtons();
    refreshMenu();
    // Told once when the temporary file starts to fall behind; the record
    // is in the buffer all the same.
    if (logged->tempFileFailed)
        showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrTempWrite);
}

void TGraphicalForm::stepProgress()
{
    const int v = ProgressBar->value();
    ProgressBar->setValue(v >= ProgressBar->maximum() ? 0 : v + 1);
}

void TGraphicalForm::clearRecords()
{
    if (core_.bufferEmpty())
        return;
    if (core_.unsaved()) {
        PromptService::Message m;
        m.caption = warningCaption(Str::WarnClearBuffer);
        m.text = loadString(Str::WarnClearBuffer);
        m.icon = PromptService::Icon::Question;
        m.buttons = {PromptService::Button::Ok, PromptService::Button::Cancel};
        m.defaultButton = PromptService::Button::Cancel;
        if (prompts_.message(this, m) != PromptService::Button::Ok)
            return;
    }
    core_.clearBuffer();
    ProgressBar->setRange(0, core_.pointsPerPage());
    ProgressBar->setValue(0);
    TimerLogger->setInterval(core_.intervalMs());
    resetChart();
    emit dataListCleared();
    emptyMaxMinPanels();
    for (QLabel* l : {TimePanel, ReadingDataPanel, ReadingUnitPanel, ReadingFuncPanel})
        l->clear();
    TimePanel->setToolTip({});
    refreshCommands();
}

bool TGraphicalForm::saveDataAs()
{
    PromptService::FileRequest request;
    request.caption = stripAmpersand(loadString(Str::MenuSaveAs));
    request.fileName = loadString(Str::SaveFileName);
    request.filters = {loadString(Str::SaveFilter).section(QLatin1Char('|'), 0, 0)};
    request.save = true;
    QString path = prompts_.fileName(this, request);
    if (path.isEmpty())
        return false;

    // The file is read back by its name: a name that Open would read as
    // records of another size gets ".640" added, and one that cannot be
    // mended so (it names ".r27") is refused.
    const std::string chosen = QFile::encodeName(path).toStdString();
    if (layoutForPath(chosen) != RecordLayout::Native) {
        const QString amended = path + QStringLiteral(".640");
        if (layoutForPath(QFile::encodeName(amended).toStdString()) != RecordLayout::Native) {
            showFileError(prompts_, this, Str::ErrFileSave, path, loadString(Str::ReasonNameReadAsOlder));
            return false;
        }
        path = amended;
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
            PromptService::Message m;
            m.caption = warningCaption(Str::WarnReplaceFile);
            m.text = loadFormatted(Str::WarnReplaceFile, {path});
            m.icon = PromptService::Icon::Question;
            m.buttons = {PromptService::Button::Yes, PromptService::Button::No};
            m.defaultButton = PromptService::Button::No;
            if (prompts_.message(this, m) != PromptService::Button::Yes)
                return false;
        }
    }

    // Written beside the target and renamed over it at the end, so a failed
    // save never leaves a half-written file in place of a good one. Any
    // failure, not only a failed create, means the data is not on disk: the
    // user is told, and it stays unsaved.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const RecordBuffer& buf = core_.buffer();
    AtomicFile::Error failure = AtomicFile::Error::None;
    int systemError = 0;
    const auto status = LoggerFileWriter::write(QFile::encodeName(path).toStdString(), buf.data(),
                                                static_cast<std::size_t>(buf.size()), true, &failure, &systemError);
    QApplication::restoreOverrideCursor();
    if (status != LoggerFileWriter::Status::Ok) {
        showFileError(prompts_, this, Str::ErrFileSave, path, SafeFileWriter::reason(path, failure, systemError));
        return false;
    }
    core_.setBufferEmpty(false);
    core_.setUnsaved(false);
    core_.setFileName(QFile::encodeName(path).toStdString());
    refreshButtons();
    refreshMenu();
    return true;
}

void TGraphicalForm::openFile() { opener_->open(); }

void TGraphicalForm::setProgressForm(TMsgForm& form) { opener_->setProgressForm(form); }

void TGraphicalForm::offerRecovery() { opener_->offerRecovery(); }

void TGraphicalForm::openNamedFile(const QString& path) { opener_->open(path); }

void TGraphicalForm::intervalOption()
{
    if (!intervalDialog_)
        return;
    TDialogOption& d = *intervalDialog_;
    d.setManual(core_.manualMode());
    d.setSeconds(core_.intervalMs() == RecorderCore::kFullSpeedMs ? 0 : core_.intervalMs() / 1000);
    if (d.exec() != QDialog::Accepted)
        return;
    core_.setIntervalMs(d.seconds() == 0 ? RecorderCore::kFullSpeedMs : d.seconds() * 1000);
    core_.setManualMode(d.manual());
    refreshCommands();
}

// ---- the graph ------------------------------------------------------------------

void TGraphicalForm::redrawChart() { chart_->redraw(); }

void TGraphicalForm::resetChart()
{
    chart_->reset(core_);
    refreshReadout();
}

void TGraphicalForm::drawPage()
{
    loadPage(core_.currentPage());
    redrawChart();
    refreshReadout();
    applyPagingStates();
    refreshStatusBar();
}

void TGraphicalForm::loadPage(int page) { chart_->loadPage(core_, page); }

void TGraphicalForm::applyPagingStates()
{
    const PagingStates p = pagingStates(core_.currentPage(), core_.totalPages());
    sbtnFirstPage->setEnabled(p.first);
    sbtnPageUp->setEnabled(p.up);
    miFirstPage->setEnabled(p.first);
    miPageUp->setEnabled(p.up);
    sbtnLastPage->setEnabled(p.last);
    sbtnPageDown->setEnabled(p.down);
    miLastPage->setEnabled(p.last);
    miPageDown->setEnabled(p.down);
}

void TGraphicalForm::refreshReadout()
{
    const RecordBuffer& buf = core_.buffer();
    if (buf.empty())
        return;
    const int k = chart_->recordAtCursor(core_, core_.currentPage());
    if (k < 0) {
        for (QLabel* l : {TimePanel, ReadingDataPanel, ReadingUnitPanel, ReadingFuncPanel})
            l->clear();
        TimePanel->setToolTip({});
        chart_->showAxisCaption(RecorderChart::axisCaption(nullptr));
        return;
    }
    const TBRecord& r = buf[k];
    TimePanel->setText(fieldString(r.head.timeText));
    TimePanel->setToolTip(QString::fromStdString(recordDateTimeTip(r)));
    ReadingDataPanel->setText(fieldString(r.head.valueText));
    PFPanel->setText(fieldString(r.sub.subText));
    LabelSubFunc->setText(fieldString(r.sub.subFunction));
    showUnitPanels(ReadingUnitPanel, ReadingFuncPanel, r);
    chart_->showAxisCaption(RecorderChart::axisCaption(&r));
}

void TGraphicalForm::refreshMaxMinPanels()
{
    const RecordBuffer& buf = core_.buffer();
    if (core_.recordCount() == 0 || buf.empty())
        return;
    if (!core_.maxMinValid()) {
        emptyMaxMinPanels();
        return;
    }
    const TBRecord& mx = buf[core_.maxIndex()];
    MaxDataPanel->setText(fieldString(mx.head.valueText));
    showUnitPanels(MaxUnitPanel, MaxFuncPanel, mx);
    const TBRecord& mn = buf[core_.minIndex()];
    MinDataPanel->setText(fieldString(mn.head.valueText));
    showUnitPanels(MinUnitPanel, MinFuncPanel, mn);
}

void TGraphicalForm::emptyMaxMinPanels()
{
    for (QLabel* l : {MaxDataPanel, MaxUnitPanel, MaxFuncPanel, MinDataPanel, MinUnitPanel, MinFuncPanel})
        l->clear();
}

void TGraphicalForm::firstPage()
{
    core_.setCurrentPage(1);
    drawPage();
}

void TGraphicalForm::pageUp()
{
    if (core_.currentPage() == 1) {
        showUserMessage(prompts_, this, Str::WarningCaption, Str::WarnFirstPage);
        return;
    }
    core_.setCurrentPage(core_.currentPage() - 1);
    drawPage();
}

void TGraphicalForm::pageDown()
{
    if (core_.currentPage() == core_.totalPages()) {
        showUserMessage(prompts_, this, Str::WarningCaption, Str::WarnLastPage);
        return;
    }
    core_.setCurrentPage(core_.currentPage() + 1);
    drawPage();
}

void TGraphicalForm::lastPage()
{
    core_.setCurrentPage(core_.totalPages());
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
    in.logging = core_.logging();
    in.busy = state_.fileLoadBusy();
    in.empty = core_.bufferEmpty();
    in.manual = core_.manualMode();
    in.totalPages = core_.totalPages();
    return commandStates(in);
}

void TGraphicalForm::refreshButtons()
{
    const CommandStates s = currentCommandStates();
    sbtnRecordStart->setEnabled(s.recordStart);
    sbtnRecordStop->setEnabled(s.recordStop);
    sbtnManualLogging->setEnabled(s.manualLogging);
    sbtnOption->setEnabled(s.option);
    sbtnOpenFile->setEnabled(s.openFile);
    sbtnSaveFile->setEnabled(s.saveFile);
    sbtnPrintGraphic->setEnabled(s.printGraphic);
    sbtnClear->setEnabled(s.clear);
    sbtnExport->setEnabled(s.exportData);
    sbtnFirstPage->setEnabled(s.firstPage);
    sbtnPageUp->setEnabled(s.pageUp);
    sbtnPageDown->setEnabled(s.pageDown);
    sbtnLastPage->setEnabled(s.lastPage);
    sbtnFitView->setEnabled(s.fitView);
}

void TGraphicalForm::refreshMenu()
{
    const CommandStates s = currentCommandStates();
    miOpen->setEnabled(s.menuOpen);
    miPrinterSetup->setEnabled(s.menuPrinterSetup);
    miInterval->setEnabled(s.menuInterval);
    miSaveAs->setEnabled(s.menuSaveAs);
    miClear->setEnabled(s.menuClear);
    miPrint->setEnabled(s.menuPrint);
    miExport->setEnabled(s.menuExport);
    miStart->setEnabled(s.menuStart);
    miStop->setEnabled(s.menuStop);
    miManual->setEnabled(s.menuManual);
    miFirstPage->setEnabled(s.menuFirstPage);
    miPageUp->setEnabled(s.menuPageUp);
    miPageDown->setEnabled(s.menuPageDown);
    miLastPage->setEnabled(s.menuLastPage);
    miFitAll->setEnabled(s.menuFitAll);
}

void TGraphicalForm::refreshStatusBar()
{
    statusPanels_[PanelLogging]->setText(core_.logging() ? loadString(Str::StatusLogging) : QString());
    statusPanels_[PanelRecordCount]->setText(
        loadFormatted(Str::StatusRecordCount, {QString::number(core_.recordCount())}));
    statusPanels_[PanelPage]->setText(
        loadFormatted(Str::StatusPage, {QString::number(core_.currentPage()), QString::number(core_.totalPages())}));
    QString mode;
    if (core_.manualMode())
        mode = loadString(Str::IntervalManual);
    else if (core_.intervalMs() == RecorderCore::kFullSpeedMs)
        mode = loadString(Str::IntervalFullSpeed);
    else
        mode = loadString(Str::IntervalInSeconds) + QStringLiteral(":") + QString::number(core_.intervalMs() / 1000)
               + QStringLiteral("S");
    statusPanels_[PanelMode]->setText(mode);
}

QString TGraphicalForm::statusPanelText(StatusPanel panel) const
{
    return (panel >= 0 && panel < StatusPanelCount) ? statusPanels_[panel]->text() : QString();
}

} // namespace vt640
