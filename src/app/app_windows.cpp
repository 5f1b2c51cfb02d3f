#include "app/app_windows.h"

#include "app/auto_msg_form.h"
#include "app/dlg_about_form.h"
#include "app/dlg_rs_port_form.h"
#include "app/form_main.h"
#include "app/core/global_state.h"
#include "recorder/dialog_option.h"
#include "recorder/graphical_form.h"
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
#include <QToolButton>

#include <utility>

namespace vt640 {

AppWindows::AppWindows(GlobalState& state, PromptService& prompts, const Options& options)
{
    formMain_ = std::make_unique<TFormMain>(state, prompts, *this, options.demoDevice);
    formMain_->FormCreate();
    dlgRsPortForm_ = std::make_unique<TDlgRsPortForm>(state, formMain_.get());
    dlgAboutForm_ = std::make_unique<TDlgAboutForm>(formMain_.get());
    autoMsgForm_ = std::make_unique<TAutoMsgForm>(formMain_.get());
    digitalMeterForm_ = std::make_unique<TDigitalMeterForm>(state);
    analogMeterForm_ = std::make_unique<TAnalogMeterForm>(state);
    dlgHiLowForm_ = std::make_unique<TDlgHiLowForm>(state, prompts);
    comparatorForm_ = std::make_unique<TComparatorForm>(state, prompts, *dlgHiLowForm_);
    graphicalForm_ = std::make_unique<TGraphicalForm>(state, prompts, formMain_->reading());
    dialogOption_ = std::make_unique<TDialogOption>(prompts);
    formViewGraphic_ = std::make_unique<TFormViewGraphic>();
    dlgFitExportForm_ = std::make_unique<TDlgFitExportForm>();
    msgForm_ = std::make_unique<TMsgForm>(state, prompts);
    dlgExportForm_ = std::make_unique<TDlgExportForm>();
    dataStringGridForm_ = std::make_unique<TDataStringGridForm>();
    wire(state);
}

AppWindows::~AppWindows()
{
    // The reverse of the creation order; the recorder removes its temporary
    // files on the way.
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
}

void AppWindows::wire(GlobalState& state)
{
    AcquisitionCycle& cycle = formMain_->cycle();
    cycle.setViews({digitalMeterForm_.get(), analogMeterForm_.get(), comparatorForm_.get(),
                    graphicalForm_.get()});
    TAutoMsgForm* autoMsg = autoMsgForm_.get();
    cycle.setAutoMessage([autoMsg](const QString& caption, const QString& l1, const QString& l2,
                                   const QString& l3) {
        autoMsg->setMessage(caption, l1, l2, l3);
        return autoMsg->run();
    });

    TFormMain* main = formMain_.get();
    // The link controls follow the recorder's file loading as it starts and ends.
    QObject::connect(&state, &GlobalState::fileLoadBusyChanged, main, &TFormMain::refreshLinkControls);
    // The recorder tells the data list about every record and every clear.
    TDataStringGridForm* dataList = dataStringGridForm_.get();
    TGraphicalForm* recorder = graphicalForm_.get();
    dataList->setBuffer(recorder->buffer());
    QObject::connect(recorder, &TGraphicalForm::dataListCleared, dataList, &TDataStringGridForm::clearList);
    QObject::connect(recorder, &TGraphicalForm::dataListRowAdded, dataList, &TDataStringGridForm::addRow);
    QObject::connect(recorder, &TGraphicalForm::dataListRowsAdded, dataList, &TDataStringGridForm::addRows);
    recorder->setIntervalDialog(*dialogOption_);
    recorder->setProgressForm(*msgForm_);

    // Each view wears the picture of the tool button that shows it.
    const std::pair<QWidget*, const char*> viewButtons[] = {
        {digitalMeterForm_.get(), "sbtnDigitMeter"}, {analogMeterForm_.get(), "sbtnAnalogMeter"},
        {comparatorForm_.get(), "sbtnComparator"},   {graphicalForm_.get(), "sbtnGraphical"},
        {dataStringGridForm_.get(), "sbtnDataList"}};
    for (const auto& [view, button] : viewButtons)
        view->setWindowIcon(main->button(QString::fromLatin1(button))->icon());

    TFormViewGraphic* viewer = formViewGraphic_.get();
    QObject::connect(graphicalForm_.get(), &TGraphicalForm::fitAllDataRequested, main,
                     [main, viewer] { main->showView(viewer); });
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
    formMain_->placeStartupWindows();
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
    formMain_->placeStartupWindows();
    // Records of a run that did not end normally are offered back.
    graphicalForm_->offerRecovery();
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
