#include "app/form_main.h"

#include "app/app_windows.h"
#include "app/dlg_about_form.h"
#include "app/dlg_rs_port_form.h"
#include "app/core/global_state.h"
#include "app/widgets/outer_size_limits.h"
#include "app/core/port_error_messages.h"
#include "app/core/prompt_service.h"
#include "app/core/settings_file.h"
#include "app/tool_icons.h"
#include "app/core/user_messages.h"
#include "recorder/graphical_form.h"
#include "viewer/data_string_grid_form.h"
#include "views/analog_meter_form.h"
#include "views/comparator_form.h"
#include "views/digital_meter_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>

namespace vt640 {

namespace {

constexpr int kBevelHeight = 2;
constexpr int kButtonTop = kBevelHeight + 2;

struct ToolButtonDef {
    const char* name;
    int left;
    Str hint;
    const char* icon;
};
constexpr ToolButtonDef kButtons[] = {
    {"sbtnLink", 8, Str::HintLink, "link"},          {"sbtnDigitMeter", 40, Str::HintDigitalMeter, "digital"},
    {"sbtnAnalogMeter", 64, Str::HintAnalogMeter, "analog"}, {"sbtnDataList", 88, Str::HintDataList, "datalist"},
    {"sbtnGraphical", 112, Str::HintRecorder, "graphical"}, {"sbtnComparator", 136, Str::HintComparator, "comparator"},
    {"sbtnWinTile", 168, Str::HintTile, "tile"},     {"sbtnPort", 200, Str::HintPort, "port"},
    {"sbtnAbout", 232, Str::HintAbout, "about"},
};

QRect screenRect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace

TFormMain::TFormMain(GlobalState& state, PromptService& prompts, AppWindows& windows,
                     const QString& demoDevice)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                               Qt::CustomizeWindowHint),
      state_(state), prompts_(prompts), windows_(windows), demoDevice_(demoDevice)
{
    const QString title = loadString(Str::MeterModel) + " " + loadString(Str::AppTitle);
    setWindowTitle(title);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(title);
    setWindowIcon(QApplication::windowIcon());

    cycle_ = new AcquisitionCycle(state_, prompts_, this);
    cycle_->setUnlink([this] { setLinked(false); });

    measureTaskbar();
    buildButtons();
    menuBar(); // created now so that its height is known below
    state_.readingAvailable = false;
    cycle_->resetFailureCount();
}

void TFormMain::buildButtons()
{
    auto* bar = new QWidget(this);
    auto* bevel = new QFrame(bar);
    bevel->setObjectName("Bevel1");
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, 0, 4000, kBevelHeight);
    for (const ToolButtonDef& def : kButtons) {
        auto* b = new QToolButton(bar);
        b->setObjectName(def.name);
        b->setGeometry(def.left, kButtonTop, 23, 22);
        b->setIcon(toolIcon(def.icon));
        b->setIconSize(QSize(16, 16));
        b->setAutoRaise(true);
        b->setToolTip(loadString(def.hint));
    }
    setCentralWidget(bar);

    sbtnLink_ = button("sbtnLink");
    sbtnPort_ = button("sbtnPort");
    sbtnAbout_ = button("sbtnAbout");
    // The link button stays down while linked; it is a group of its own.
    sbtnLink_->setCheckable(true);
    connect(sbtnLink_, &QToolButton::clicked, this, &TFormMain::sbtnLinkClick);
    connect(button("sbtnDigitMeter"), &QToolButton::clicked, this, &TFormMain::sbtnDigitMeterClick);
    connect(button("sbtnAnalogMeter"), &QToolButton::clicked, this,
            [this] { showView(windows_.analogMeterForm()); });
    connect(button("sbtnDataList"), &QToolButton::clicked, this,
            [this] { showView(windows_.dataStringGridForm()); });
    connect(button("sbtnGraphical"), &QToolButton::clicked, this,
            [this] { showView(windows_.graphicalForm()); });
    connect(button("sbtnComparator"), &QToolButton::clicked, this,
            [this] { showView(windows_.comparatorForm()); });
    connect(button("sbtnWinTile"), &QToolButton::clicked, this, &TFormMain::sbtnWinTileClick);
    connect(sbtnPort_, &QToolButton::clicked, this, &TFormMain::sbtnPortClick);
    connect(sbtnAbout_, &QToolButton::clicked, this, &TFormMain::sbtnAboutClick);
}

QToolButton* TFormMain::button(const QString& name) const
{
    return findChild<QToolButton*>(name);
}

void TFormMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(loadString(Str::MenuFile));
    file->addAction(loadString(Str::MenuExit), this, &QWidget::close);

    linkAction_ = bar->addAction(loadString(Str::MenuLink));
    connect(linkAction_, &QAction::triggered, this, &TFormMain::linkMenuClick);

    QMenu* window = bar->addMenu(loadString(Str::MenuWindow));
    window->addAction(loadString(Str::MenuTile), this, &TFormMain::sbtnWinTileClick);
    window->addSeparator();
    window->addAction(loadString(Str::MenuDigitalMeter), this, &TFormMain::sbtnDigitMeterClick);
    window->addAction(loadString(Str::MenuAnalogMeter), this, [this] { showView(windows_.analogMeterForm()); });
    window->addAction(loadString(Str::MenuComparator), this, [this] { showView(windows_.comparatorForm()); });
    window->addAction(loadString(Str::MenuRecorder), this, [this] { showView(windows_.graphicalForm()); });
    window->addAction(loadString(Str::MenuDataList), this, [this] { showView(windows_.dataStringGridForm()); });

    portAction_ = bar->addAction(loadString(Str::MenuPort));
    connect(portAction_, &QAction::triggered, this, &TFormMain::sbtnPortClick);

    helpMenu_ = bar->addMenu(loadString(Str::MenuHelp));
    helpMenu_->addAction(loadString(Str::MenuAbout), this, &TFormMain::sbtnAboutClick);
}

void TFormMain::probePorts()
{
    for (int n = 1; n <= 8; ++n)
        state_.portPresent[n - 1] = probeMeterDevice(state_.portTable.devicePath(n));
}

void TFormMain::FormCreate()
{
    buildMenus();
    refreshLinkControls();

    // A bar across the top of the screen that cannot be resized.
    const QRect screen = screenRect();
    move(0, 0);
    // The client area: the outer height less the frames and caption bar.
    const FrameMetrics m = frameMetrics();
    setFixedSize(screen.width(), mainWindowHeight(m) - (2 * m.fixedFrame + m.caption));

    probePorts();
    state_.workingDirectory = QDir::currentPath();
    const SettingsReadResult settings = loadSettings(state_);
    if (settings.status == SettingsReadStatus::Unreadable) {
        PromptService::Message box;
        box.caption = windowTitle();
        box.text = settings.errorText;
        box.icon = PromptService::Icon::Stop;
        prompts_.message(this, box);
        return; // the rest of start-up is skipped: no port is opened
    }

    if (!demoDevice_.isEmpty()) {
        // The simulated meter stands in for the stored port, for this run only.
        if (!PortTable::isValidNumber(state_.iPort))
            state_.iPort = 2;
        state_.portTable.setOverride(state_.iPort, demoDevice_.toStdString());
        if (state_.iPort <= 8)
            state_.portPresent[state_.iPort - 1] = true;
    }

    // At start-up the warning carries the exclamation icon.
    openStoredPort(PromptService::Icon::Exclamation);
}

void TFormMain::openStoredPort(PromptService::Icon warningIcon)
{
    PortErrorMessages reporter(prompts_, this);
    state_.meterPort = openMeterPort(state_.iPort, state_.portTable, &reporter);
    if (!state_.meterPort) {
        PromptService::Message box;
        box.caption = warningCaption(Str::WarnNoPort);
        box.text = loadString(Str::WarnNoPort);
        box.icon = warningIcon;
        prompts_.message(this, box);
    }
}

bool TFormMain::isLinked() const { return sbtnLink_->isChecked(); }

void TFormMain::setLinked(bool linked)
{
    sbtnLink_->setChecked(linked);
    sbtnLinkClick();
}

void TFormMain::linkMenuClick() { setLinked(!isLinked()); }

void TFormMain::sbtnLinkClick()
{
    if (!isLinked()) {
        state_.readingAvailable = false;
        if (TGraphicalForm* recorder = windows_.graphicalForm())
            recorder->linkDropped();
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::restoreOverrideCursor();
        cycle_->resetFailureCount();
    }
    refreshLinkControls();
    // The first poll comes one interval after linking.
    if (isLinked())
        cycle_->TimerGetSd().start();
    else
        cycle_->TimerGetSd().stop();
}

void TFormMain::refreshLinkControls()
{
    const bool linked = isLinked();
    const bool busy = state_.fileLoadBusy();
    if (linkAction_) {
        linkAction_->setText(loadString(linked ? Str::MenuUnlink : Str::MenuLink));
        linkAction_->setEnabled(!busy);
        portAction_->setEnabled(!linked && !busy);
        helpMenu_->menuAction()->setEnabled(!linked && !busy);
    }
    sbtnLink_->setToolTip(loadString(linked ? Str::HintUnlink : Str::HintLink));
    sbtnLink_->setEnabled(!busy);
    sbtnPort_->setEnabled(!linked && !busy);
    sbtnAbout_->setEnabled(!linked && !busy);
}

void TFormMain::sbtnPortClick()
{
    if (state_.meterPort) {
        state_.meterPort->closeNow();
        state_.meterPort.reset();
    }
    TDlgRsPortForm* dialog = windows_.dlgRsPortForm();
    dialog->setSelectedPort(state_.iPort);
    if (dialog->exec() == QDialog::Accepted)
        state_.iPort = dialog->selectedPort();

    openStoredPort(PromptService::Icon::Stop);
    if (TDigitalMeterForm* digital = windows_.digitalMeterForm()) {
        digital->setPortCaption(state_.iPort);
        digital->raise();
    }
}

void TFormMain::sbtnAboutClick() { windows_.dlgAboutForm()->exec(); }

void TFormMain::sbtnDigitMeterClick()
{
    QWidget* digital = windows_.digitalMeterForm();
    if (digital->isMinimized())
        digital->showNormal();
    digital->raise();
    digital->activateWindow();
}

void TFormMain::showView(QWidget* view)
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

void TFormMain::measureTaskbar()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    state_.taskbarHeight =
        screen ? taskbarHeightFrom(screen->geometry().height(), screen->availableGeometry().height())
               : 0;
}

FrameMetrics TFormMain::frameMetrics() const
{
    // What the window manager adds around a window, read off this window once
    // it is shown; without decorations (or before showing) there is none.
    FrameMetrics m;
    const int side = geometry().x() - frameGeometry().x();
    const int top = geometry().y() - frameGeometry().y();
    m.fixedFrame = side > 0 ? side : 0;
    m.sizingFrame = m.fixedFrame;
    m.caption = top > side ? top - side : 0;
    m.menu = menuBar()->sizeHint().height();
    return m;
}

int TFormMain::outerHeight() const { return mainWindowHeight(frameMetrics()); }

int TFormMain::taskbarHeight() const { return state_.taskbarHeight; }

void TFormMain::placeWindow(QWidget* window, const QRect& outer)
{
    if (window->isMinimized())
        window->showNormal();
    // Layout rectangles are outer frames; Qt places the client area. A shown
    // window knows its own decoration, a new one gets what this one has.
    QMargins decoration;
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    if (window->isVisible() && frame != client) {
        decoration = QMargins(client.left() - frame.left(), client.top() - frame.top(),
                              frame.right() - client.right(), frame.bottom() - client.bottom());
    } else {
        const FrameMetrics m = frameMetrics();
        decoration = QMargins(m.fixedFrame, m.fixedFrame + m.caption, m.fixedFrame, m.fixedFrame);
    }
    if (OuterSizeLimits* limits = OuterSizeLimits::of(window))
        limits->refresh(); // the frame may be new since the limits were set
    window->setGeometry(outer.marginsRemoved(decoration));
}

TileInput TFormMain::tileInput() const
{
    const QRect screen = screenRect();
    TileInput in;
    in.screenWidth = screen.width();
    in.screenHeight = screen.height();
    in.taskbarHeight = state_.taskbarHeight;
    in.metrics = frameMetrics();
    in.dialHeight = TAnalogMeterForm::dialHeight();
    in.comparatorFrameWidth = TComparatorForm::frameWidth();
    in.comparatorFrameHeight = TComparatorForm::frameHeight();
    if (TComparatorForm* comparator = windows_.comparatorForm()) {
        in.alarmButtonHeight = comparator->alarmButtonHeight();
        in.limitButtonHeight = comparator->limitButtonHeight();
    }
    return in;
}

void TFormMain::placeStartupWindows()
{
    // The digital meter, the recorder and the data list start where tiling
    // puts them.
    TileInput in = tileInput();
    in.recorderVisible = in.dataListVisible = true;
    const TileLayout layout = tileWindows(in);
    placeWindow(windows_.digitalMeterForm(), layout.digitalMeter);
    placeWindow(windows_.graphicalForm(), *layout.recorder);
    placeWindow(windows_.dataStringGridForm(), *layout.dataList);
}

void TFormMain::sbtnWinTileClick()
{
    measureTaskbar();
    TileInput in = tileInput();
    TGraphicalForm* recorder = windows_.graphicalForm();
    QWidget* dataList = windows_.dataStringGridForm();
    TAnalogMeterForm* analog = windows_.analogMeterForm();
    TComparatorForm* comparator = windows_.comparatorForm();
    in.recorderVisible = recorder && recorder->isVisible();
    in.dataListVisible = dataList && dataList->isVisible();
    in.analogVisible = analog && analog->isVisible();
    in.comparatorVisible = comparator && comparator->isVisible();
    const TileLayout layout = tileWindows(in);

    move(layout.main.topLeft());
    placeWindow(windows_.digitalMeterForm(), layout.digitalMeter);
    if (layout.recorder)
        placeWindow(recorder, *layout.recorder);
    if (layout.dataList)
        placeWindow(dataList, *layout.dataList);
    if (layout.analogMeter)
        placeWindow(analog, *layout.analogMeter);
    if (layout.comparator) {
        placeWindow(comparator, *layout.comparator);
        comparator->raise();
    }
    activateWindow();
    setFocus();
}

bool TFormMain::FormCloseQuery()
{
    TGraphicalForm* recorder = windows_.graphicalForm();
    if (!recorder || recorder->bufferEmpty() || !recorder->unsavedData())
        return true;
    PromptService::Message box;
    box.caption = warningCaption(Str::WarnBufferHasData);
    box.text = loadString(Str::WarnBufferHasData) + "\n" + loadString(Str::SaveBeforeExit);
    box.icon = PromptService::Icon::Question;
    box.buttons = {PromptService::Button::Yes, PromptService::Button::No, PromptService::Button::Cancel};
    box.defaultButton = PromptService::Button::Cancel;
    switch (prompts_.message(this, box)) {
    case PromptService::Button::No:
        return true;
    case PromptService::Button::Yes:
        recorder->saveDataAs();
        return !recorder->unsavedData();
    default:
        return false;
    }
}

void TFormMain::FormClose()
{
    TComparatorForm* comparator = windows_.comparatorForm();
    QString error;
    if (!saveSettings(state_, comparator ? comparator->hiLimit() : state_.fHiLimit,
                      comparator ? comparator->lowLimit() : state_.fLowLimit, &error)) {
        PromptService::Message box;
        box.caption = windowTitle();
        box.text = error;
        box.icon = PromptService::Icon::Stop;
        prompts_.message(this, box);
    }
    cycle_->TimerGetSd().stop();
    closeMeterPort(state_.meterPort);
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    if (closed_) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    closed_ = true;
    event->accept();
    // Closing the main window ends the program, whatever else is open.
    emit programEnding();
}

} // namespace vt640
