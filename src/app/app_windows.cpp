#include "app/app_windows.h"

#include "app/core/recorder_publishing.h"
#include "meter/port_table.h"

#include "app/auto_msg_form.h"
#include "app/core/acquisition_cycle.h"
#include "app/core/global_state.h"
#include "app/core/link_state.h"
#include "app/dlg_about_form.h"
#include "app/dlg_rs_port_form.h"
#include "app/form_main.h"
#include "app/widgets/outer_size_limits.h"
#include "app/widgets/screen_rect.h"
#include "recorder/dialog_option.h"
#include "recorder/graphical_form.h"
#include "viewer/chart_exporter.h"
#include "viewer/data_string_grid_form.h"
#include "viewer/dlg_export_form.h"
#include "viewer/dlg_fit_export_form.h"
#include "viewer/form_view_graphic.h"
#include "viewer/msg_form.h"
#include "views/analog_meter_form.h"
#include "views/comparator_form.h"
#include "views/digital_meter_form.h"
#include "views/dlg_hi_low_form.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPrinter>
#include <QToolButton>

#include <utility>

namespace vt640 {
AppWindows::AppWindows(GlobalState& state, PromptService& prompts, const Options& options) : openFile_(options.openFile)
{
    printer_ = ChartExporter::makePrinter();
    cycle_ = std::make_unique<AcquisitionCycle>(state, prompts);
    link_ = std::make_unique<LinkState>(state, *cycle_);
    formMain_ = std::make_unique<TFormMain>(state, prompts, *cycle_, *link_, options.demoDevice);
    formMain_->FormCreate();
    dlgRsPortForm_ = std::make_unique<TDlgRsPortForm>(state, formMain_.get());
    dlgAboutForm_ = std::make_unique<TDlgAboutForm>(formMain_.get());
    autoMsgForm_ = std::make_unique<TAutoMsgForm>(formMain_.get());
    digitalMeterForm_ = std::make_unique<TDigitalMeterForm>(state);
    analogMeterForm_ = std::make_unique<TAnalogMeterForm>();
    dlgHiLowForm_ = std::make_unique<TDlgHiLowForm>(prompts);
    comparatorForm_ = std::make_unique<TComparatorForm>(state, prompts, *dlgHiLowForm_);
    graphicalForm_ = std::make_unique<TGraphicalForm>(state, prompts, cycle_->reading());
    dialogOption_ = std::make_unique<TDialogOption>(prompts);
    formViewGraphic_ = std::make_unique<TFormViewGraphic>(prompts);
    dlgFitExportForm_ = std::make_unique<TDlgFitExportForm>(prompts);
    msgForm_ = std::make_unique<TMsgForm>(state, prompts);
    dlgExportForm_ = std::make_unique<TDlgExportForm>(prompts);
    dataStringGridForm_ = std::make_unique<TDataStringGridForm>();
    wire(state, prompts);
    startPublishing(state, options.publish);
}

void AppWindows::startPublishing(const GlobalState& state, const publish::PublishOptions& options)
{
    // The options were checked before the program started; the meter is
    // named after the port the settings chose.
    std::string why;
    auto settings = publish::settingsFor(options, PortTable::portName(state.iPort), why);
    if (!settings)
        return;
    publishing_ = std::make_unique<RecorderPublishing>(std::move(*settings), graphicalForm_->session());
    RecorderPublishing* publishing = publishing_.get();
    QObject::connect(cycle_.get(), &AcquisitionCycle::meterAnswering, publishing, &RecorderPublishing::setMeterOnline);
    QObject::connect(link_.get(), &LinkState::linkedChanged, publishing, [publishing](bool linked) {
        if (!linked)
            publishing->setMeterOnline(false);
    });
    TGraphicalForm* recorder = graphicalForm_.get();
    recorder->showPublishingNote(publishing->note());
    QObject::connect(publishing, &RecorderPublishing::noteChanged, recorder, &TGraphicalForm::showPublishingNote);
}

AppWindows::~AppWindows()
{
    // The reverse of the creation order; the recorder removes its temporary
    // files on the way, after the publisher has let go of them.
    publishing_.reset();
    dataStringGridForm_.reset();
    dlgExportForm_.reset();
    msgForm_.reset();
    dlgFitExportForm_.reset();
    formViewGraphic_.reset();
    dialogOption_.reset();
    graphicalForm_.reset();
    comparatorForm_.reset();
    dlgHiLowForm_.reset();
    analogMeterForm_.reset();
    digitalMeterForm_.reset();
    autoMsgForm_.reset();
    dlgAboutForm_.reset();
    dlgRsPortForm_.reset();
    formMain_.reset();
    link_.reset();
    cycle_.reset();
}

void AppWindows::wire(GlobalState& state, PromptService& prompts)
{
    // Every reading goes to the digital meter, the recorder, the analog meter
    // and the comparator, in that order.
    cycle_->addSink(*digitalMeterForm_);
    cycle_->addSink(*graphicalForm_);
    cycle_->addSink(*analogMeterForm_);
    cycle_->addSink(*comparatorForm_);
    TAutoMsgForm* autoMsg = autoMsgForm_.get();
    cycle_->setAutoMessage([autoMsg](const QString& caption, const QString& l1, const QString& l2, const QString& l3) {
        autoMsg->setMessage(caption, l1, l2, l3);
        switch (autoMsg->run()) {
        case TAutoMsgForm::Abort: return AcquisitionCycle::AutoMessageResult::Abort;
        case TAutoMsgForm::Retry: return AcquisitionCycle::AutoMessageResult::Continue;
        default: return AcquisitionCycle::AutoMessageResult::TimedOut;
        }
    });

    TFormMain* main = formMain_.get();
    main->setDialogs(dlgRsPortForm_.get(), dlgAboutForm_.get());
    main->setUnsavedData(graphicalForm_.get());
    main->setLimitSource(comparatorForm_.get());
    QObject::connect(main, &TFormMain::showViewRequested, main, [this](TFormMain::View v) {
        switch (v) {
        // The digital meter cannot be hidden, so for it this only restores
        // it and brings it to the front.
        case TFormMain::View::DigitalMeter: showView(digitalMeterForm_.get()); break;
        case TFormMain::View::AnalogMeter: showView(analogMeterForm_.get()); break;
        case TFormMain::View::Comparator: showView(comparatorForm_.get()); break;
        case TFormMain::View::Recorder: showView(graphicalForm_.get()); break;
        case TFormMain::View::DataList: showView(dataStringGridForm_.get()); break;
        }
    });
    QObject::connect(main, &TFormMain::tileRequested, main, [this] { tile(); });
    TDigitalMeterForm* digital = digitalMeterForm_.get();
    QObject::connect(main, &TFormMain::portChosen, digital, [digital](int port) {
        digital->setPortCaption(port);
        digital->raise();
    });

    // The link controls follow the recorder's file loading as it starts and ends.
    QObject::connect(&state, &GlobalState::fileLoadBusyChanged, main, &TFormMain::refreshLinkControls);
    // The recorder stops logging when the link drops.
    TGraphicalForm* recorder = graphicalForm_.get();
    QObject::connect(link_.get(), &LinkState::linkedChanged, recorder, [recorder](bool linked) {
        if (!linked)
            recorder->linkDropped();
    });
    // The data list follows the recorder's session: every record, every
    // file read and every clear.
    RecorderSession& session = recorder->session();
    TDataStringGridForm* dataList = dataStringGridForm_.get();
    dataList->setBuffer(session.buffer());
    QObject::connect(&session, &RecorderSession::recordsCleared, dataList, &TDataStringGridForm::clearList);
    QObject::connect(&session, &RecorderSession::recordAppended, dataList, &TDataStringGridForm::addRow);
    QObject::connect(&session, &RecorderSession::recordsLoaded, dataList, &TDataStringGridForm::addRows);
    recorder->setIntervalDialog(*dialogOption_);
    // Export: the recorder's dialog; the text is the data list's rows of the
    // session's pages.
    recorder->setExportDialog(*dlgExportForm_);
    dataList->setRecorder(&session.core());
    dataList->setPrompts(&prompts);
    recorder->setTextExport(
        [dataList](int first, int last, const QString& path) { dataList->saveCsv(first, last, path); });
    recorder->setProgressForm(*msgForm_);

    // Each view wears the picture of the tool button that shows it.
    const std::pair<QWidget*, const char*> viewButtons[] = {{digitalMeterForm_.get(), "sbtnDigitMeter"},
                                                            {analogMeterForm_.get(), "sbtnAnalogMeter"},
                                                            {comparatorForm_.get(), "sbtnComparator"},
                                                            {graphicalForm_.get(), "sbtnGraphical"},
                                                            {dataStringGridForm_.get(), "sbtnDataList"}};
    for (const auto& [view, button] : viewButtons)
        view->setWindowIcon(main->button(QString::fromLatin1(button))->icon());

    // Fit all data: the graph viewer, modal, over the recorder's buffer; it
    // exports through its own dialog.
    TFormViewGraphic* viewer = formViewGraphic_.get();
    viewer->setRecorder(&session.core());
    viewer->setExportDialog(dlgFitExportForm_.get());
    QObject::connect(recorder, &TGraphicalForm::fitAllDataRequested, viewer, &TFormViewGraphic::showModal);

    // One printer choice serves every print: the recorder's Print, its
    // Export to the printer and the viewer's print and export.
    recorder->graph()->exporter().usePrinter(printer_.get());
    viewer->graph()->exporter().usePrinter(printer_.get());
}

void AppWindows::showView(QWidget* view)
{
    if (!view)
        return;
    if (view->isHidden())
        view->show();
    if (view->isMinimized())
        view->showNormal();
    view->raise();
    view->activateWindow();
}

void AppWindows::showStartupWindows()
{
    formMain_->show();
    // The other windows sit below the main window's outer frame, which the
    // window manager adds only once the window is mapped: wait briefly for it.
    waitForFrame({formMain_.get()});
    const int mainHeight = formMain_->outerHeight();
    digitalMeterForm_->placeInitially(mainHeight);
    const int digitalHeight = digitalMeterForm_->frameGeometry().height();
    graphicalForm_->placeInitially(mainHeight, digitalHeight);
    dataStringGridForm_->placeInitially(mainHeight, digitalHeight, formMain_->taskbarHeight());
    placeStartupWindows();
    // The hidden views know where they belong when first shown.
    analogMeterForm_->placeInitially(mainHeight, digitalMeterForm_->frameGeometry().height());
    const FrameMetrics m = formMain_->frameMetrics();
    comparatorForm_->placeInitially(mainHeight, 2 * m.sizingFrame + m.caption);
    digitalMeterForm_->show();
    graphicalForm_->show();
    dataStringGridForm_->show();
    // Their own frames may have pushed them past their size limits before the
    // limits could allow for the frames: place them once more.
    waitForFrame({digitalMeterForm_.get(), graphicalForm_.get(), dataStringGridForm_.get()});
    placeStartupWindows();
    // What went wrong at start-up (the settings, the stored port) is told
    // now, over the windows.
    formMain_->showStartupMessages();
    // Records of a run that did not end normally are offered back.
    graphicalForm_->offerRecovery();
    // Then the file named on the command line, as Open opens it (asking
    // first should the recovered records be in the way).
    if (!openFile_.isEmpty())
        graphicalForm_->openNamedFile(openFile_);
}

void AppWindows::placeWindow(QWidget* window, const QRect& outer)
{
    if (window->isMinimized())
        window->showNormal();
    // Layout rectangles are outer frames; Qt places the client area. A shown
    // window knows its own decoration, a new one gets what the main window has.
    QMargins decoration;
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    if (window->isVisible() && frame != client) {
        decoration = QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                              frame.bottom() - client.bottom());
    } else {
        const FrameMetrics m = formMain_->frameMetrics();
        decoration = QMargins(m.fixedFrame, m.fixedFrame + m.caption, m.fixedFrame, m.fixedFrame);
    }
    if (OuterSizeLimits* limits = OuterSizeLimits::of(window))
        limits->refresh(); // the frame may be new since the limits were set
    window->setGeometry(outer.marginsRemoved(decoration));
}

TileInput AppWindows::tileInput() const
{
    const QRect screen = primaryScreenRect();
    TileInput in;
    in.screenWidth = screen.width();
    in.screenHeight = screen.height();
    in.taskbarHeight = formMain_->taskbarHeight();
    in.metrics = formMain_->frameMetrics();
    in.dialHeight = TAnalogMeterForm::dialHeight();
    in.comparatorFrameWidth = TComparatorForm::frameWidth();
    in.comparatorFrameHeight = TComparatorForm::frameHeight();
    in.alarmButtonHeight = comparatorForm_->alarmButtonHeight();
    in.limitButtonHeight = comparatorForm_->limitButtonHeight();
    return in;
}

void AppWindows::placeStartupWindows()
{
    // The digital meter, the recorder and the data list start where tiling
    // puts them.
    TileInput in = tileInput();
    in.recorderVisible = in.dataListVisible = true;
    const TileLayout layout = tileWindows(in);
    placeWindow(digitalMeterForm_.get(), layout.digitalMeter);
    placeWindow(graphicalForm_.get(), *layout.recorder);
    placeWindow(dataStringGridForm_.get(), *layout.dataList);
}

void AppWindows::tile()
{
    formMain_->measureTaskbar();
    TileInput in = tileInput();
    in.recorderVisible = graphicalForm_->isVisible();
    in.dataListVisible = dataStringGridForm_->isVisible();
    in.analogVisible = analogMeterForm_->isVisible();
    in.comparatorVisible = comparatorForm_->isVisible();
    const TileLayout layout = tileWindows(in);

    formMain_->move(layout.main.topLeft());
    placeWindow(digitalMeterForm_.get(), layout.digitalMeter);
    if (layout.recorder)
        placeWindow(graphicalForm_.get(), *layout.recorder);
    if (layout.dataList)
        placeWindow(dataStringGridForm_.get(), *layout.dataList);
    if (layout.analogMeter)
        placeWindow(analogMeterForm_.get(), *layout.analogMeter);
    if (layout.comparator) {
        placeWindow(comparatorForm_.get(), *layout.comparator);
        comparatorForm_->raise();
    }
    formMain_->activateWindow();
    formMain_->setFocus();
}

void AppWindows::waitForFrame(std::initializer_list<QWidget*> windows)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto framed = [&windows] {
        for (QWidget* w : windows)
            if (w->frameGeometry() == w->geometry())
                return false;
        return true;
    };
    QElapsedTimer waited;
    waited.start();
    while (!framed() && waited.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace vt640
