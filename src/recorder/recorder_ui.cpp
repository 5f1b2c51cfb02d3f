#include "recorder/recorder_ui.h"

#include "app/core/user_messages.h"
#include "meter/annunciators.h"
#include "recorder/core/command_rules.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/recorder_core.h"
#include "viewer/core/record_field_string.h"
#include "viewer/pe_graph.h"

#include <QAction>

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
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

void RecorderUi::setupUi(QMainWindow* window)
{
    auto* central = new QWidget(window);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto* toolPanel = new QWidget(central);
    toolPanel->setObjectName(QStringLiteral("ToolPanel"));
    buildToolPanel(window, toolPanel);
    layout->addWidget(toolPanel);

    auto* displayPanel = new QWidget(central);
    displayPanel->setObjectName(QStringLiteral("DisplayPanel"));
    buildDisplayPanel(displayPanel);
    layout->addWidget(displayPanel);

    PEGraph_ = new PEGraph(central);
    PEGraph_->setObjectName(QStringLiteral("PEGraph"));
    layout->addWidget(PEGraph_, 1);

    ProgressBar = new QProgressBar(central);
    ProgressBar->setTextVisible(false);
    ProgressBar->setFixedHeight(10);
    layout->addWidget(ProgressBar);
    window->setCentralWidget(central);

    buildMenus(window);
    buildStatusBar(window);
}

void RecorderUi::buildToolPanel(QMainWindow* window, QWidget* panel)
{
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(1);
    QStyle* s = window->style();
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
}

void RecorderUi::buildDisplayPanel(QWidget* panel)
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

void RecorderUi::buildMenus(QMainWindow* window)
{
    QMenuBar* bar = window->menuBar();
    auto item = [](QMenu* menu, Str id, const QKeySequence& key = {}) {
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
}

void RecorderUi::buildStatusBar(QMainWindow* window)
{
    QStatusBar* bar = window->statusBar();
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
        statusPanels[i] = l;
    }
}

void RecorderUi::showReading(const TBRecord* r)
{
    if (!r) {
        for (QLabel* l : {TimePanel, ReadingDataPanel, ReadingUnitPanel, ReadingFuncPanel})
            l->clear();
        TimePanel->setToolTip({});
        return;
    }
    TimePanel->setText(fieldString(r->head.timeText));
    // The text is the time of day as logged; the tip has the date and zone.
    TimePanel->setToolTip(QString::fromStdString(recordDateTimeTip(*r)));
    ReadingDataPanel->setText(fieldString(r->head.valueText));
    PFPanel->setText(fieldString(r->sub.subText));
    LabelSubFunc->setText(fieldString(r->sub.subFunction));
    showUnitPanels(ReadingUnitPanel, ReadingFuncPanel, *r);
}

void RecorderUi::showMaxMin(const TBRecord& max, const TBRecord& min)
{
    MaxDataPanel->setText(fieldString(max.head.valueText));
    showUnitPanels(MaxUnitPanel, MaxFuncPanel, max);
    MinDataPanel->setText(fieldString(min.head.valueText));
    showUnitPanels(MinUnitPanel, MinFuncPanel, min);
}

void RecorderUi::emptyMaxMin()
{
    for (QLabel* l : {MaxDataPanel, MaxUnitPanel, MaxFuncPanel, MinDataPanel, MinUnitPanel, MinFuncPanel})
        l->clear();
}

void RecorderUi::showButtonStates(const CommandStates& s)
{
    const std::pair<QToolButton*, bool> states[] = {{sbtnRecordStart, s.recordStart},
                                                    {sbtnRecordStop, s.recordStop},
                                                    {sbtnManualLogging, s.manualLogging},
                                                    {sbtnOption, s.option},
                                                    {sbtnOpenFile, s.openFile},
                                                    {sbtnSaveFile, s.saveFile},
                                                    {sbtnPrintGraphic, s.printGraphic},
                                                    {sbtnClear, s.clear},
                                                    {sbtnExport, s.exportData},
                                                    {sbtnFirstPage, s.firstPage},
                                                    {sbtnPageUp, s.pageUp},
                                                    {sbtnPageDown, s.pageDown},
                                                    {sbtnLastPage, s.lastPage},
                                                    {sbtnFitView, s.fitView}};
    for (const auto& [button, on] : states)
        button->setEnabled(on);
}

void RecorderUi::showMenuStates(const CommandStates& s)
{
    const std::pair<QAction*, bool> states[] = {{miOpen, s.menuOpen},           {miPrinterSetup, s.menuPrinterSetup},
                                                {miInterval, s.menuInterval},   {miSaveAs, s.menuSaveAs},
                                                {miClear, s.menuClear},         {miPrint, s.menuPrint},
                                                {miExport, s.menuExport},       {miStart, s.menuStart},
                                                {miStop, s.menuStop},           {miManual, s.menuManual},
                                                {miFirstPage, s.menuFirstPage}, {miPageUp, s.menuPageUp},
                                                {miPageDown, s.menuPageDown},   {miLastPage, s.menuLastPage},
                                                {miFitAll, s.menuFitAll}};
    for (const auto& [item, on] : states)
        item->setEnabled(on);
}

void RecorderUi::showPagingStates(const PagingStates& p)
{
    sbtnFirstPage->setEnabled(p.first);
    sbtnPageUp->setEnabled(p.up);
    miFirstPage->setEnabled(p.first);
    miPageUp->setEnabled(p.up);
    sbtnLastPage->setEnabled(p.last);
    sbtnPageDown->setEnabled(p.down);
    miLastPage->setEnabled(p.last);
    miPageDown->setEnabled(p.down);
}

void RecorderUi::showStatus(const RecorderCore& core)
{
    statusPanels[PanelLogging]->setText(core.logging() ? loadString(Str::StatusLogging) : QString());
    statusPanels[PanelRecordCount]->setText(
        loadFormatted(Str::StatusRecordCount, {QString::number(core.recordCount())}));
    statusPanels[PanelPage]->setText(
        loadFormatted(Str::StatusPage, {QString::number(core.currentPage()), QString::number(core.totalPages())}));
    QString mode;
    if (core.manualMode())
        mode = loadString(Str::IntervalManual);
    else if (core.intervalMs() == RecorderCore::kFullSpeedMs)
        mode = loadString(Str::IntervalFullSpeed);
    else
        mode = loadString(Str::IntervalInSeconds) + QStringLiteral(":") + QString::number(core.intervalMs() / 1000)
               + QStringLiteral("S");
    statusPanels[PanelMode]->setText(mode);
}

} // namespace vt640
