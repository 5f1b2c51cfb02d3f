#include "app/form_main.h"

#include "app/core/acquisition_cycle.h"
#include "app/core/global_state.h"
#include "app/core/limit_source.h"
#include "app/core/link_state.h"
#include "app/core/port_error_messages.h"
#include "app/core/prompt_service.h"
#include "app/core/queued_prompts.h"
#include "app/core/settings_file.h"
#include "app/core/unsaved_data.h"
#include "app/core/user_messages.h"
#include "app/dlg_about_form.h"
#include "app/dlg_rs_port_form.h"
#include "app/tool_icons.h"
#include "app/widgets/screen_rect.h"

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
    {"sbtnLink", 8, Str::HintLink, "link"},
    {"sbtnDigitMeter", 40, Str::HintDigitalMeter, "digital"},
    {"sbtnAnalogMeter", 64, Str::HintAnalogMeter, "analog"},
    {"sbtnDataList", 88, Str::HintDataList, "datalist"},
    {"sbtnGraphical", 112, Str::HintRecorder, "graphical"},
    {"sbtnComparator", 136, Str::HintComparator, "comparator"},
    {"sbtnWinTile", 168, Str::HintTile, "tile"},
    {"sbtnPort", 200, Str::HintPort, "port"},
    {"sbtnAbout", 232, Str::HintAbout, "about"},
};

} // namespace

TFormMain::TFormMain(GlobalState& state, PromptService& prompts, AcquisitionCycle& cycle, LinkState& link,
                     const QString& demoDevice)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                               | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      state_(state), prompts_(prompts), startupPrompts_(std::make_unique<QueuedPrompts>(prompts)), cycle_(cycle),
      link_(link), demoDevice_(demoDevice)
{
    const QString title = loadString(Str::MeterModel) + " " + loadString(Str::AppTitle);
    setWindowTitle(title);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(title);
    setWindowIcon(QApplication::windowIcon());

    cycle_.setMessageOwner(this);
    // The link button and menu command mirror the link, whoever changed it.
    connect(&link_, &LinkState::linkedChanged, this, &TFormMain::refreshLinkControls);

    measureTaskbar();
    buildButtons();
    menuBar(); // created now so that its height is known below
}

TFormMain::~TFormMain() = default;

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
    connect(button("sbtnDigitMeter"), &QToolButton::clicked, this,
            [this] { emit showViewRequested(View::DigitalMeter); });
    connect(button("sbtnAnalogMeter"), &QToolButton::clicked, this,
            [this] { emit showViewRequested(View::AnalogMeter); });
    connect(button("sbtnDataList"), &QToolButton::clicked, this, [this] { emit showViewRequested(View::DataList); });
    connect(button("sbtnGraphical"), &QToolButton::clicked, this, [this] { emit showViewRequested(View::Recorder); });
    connect(button("sbtnComparator"), &QToolButton::clicked, this,
            [this] { emit showViewRequested(View::Comparator); });
    connect(button("sbtnWinTile"), &QToolButton::clicked, this, &TFormMain::sbtnWinTileClick);
    connect(sbtnPort_, &QToolButton::clicked, this, &TFormMain::sbtnPortClick);
    connect(sbtnAbout_, &QToolButton::clicked, this, &TFormMain::sbtnAboutClick);
}

QToolButton* TFormMain::button(const QString& name) const { return findChild<QToolButton*>(name); }

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
    const std::pair<Str, View> views[] = {{Str::MenuDigitalMeter, View::DigitalMeter},
                                          {Str::MenuAnalogMeter, View::AnalogMeter},
                                          {Str::MenuComparator, View::Comparator},
                                          {Str::MenuRecorder, View::Recorder},
                                          {Str::MenuDataList, View::DataList}};
    for (const auto& [caption, view] : views)
        window->addAction(loadString(caption), this, [this, view = view] { emit showViewRequested(view); });

    portAction_ = bar->addAction(loadString(Str::MenuPort));
    connect(portAction_, &QAction::triggered, this, &TFormMain::sbtnPortClick);

    helpMenu_ = bar->addMenu(loadString(Str::MenuHelp));
    helpMenu_->addAction(loadString(Str::MenuAbout), this, &TFormMain::sbtnAboutClick);
}

void TFormMain::probePorts() { state_.probePorts(); }

void TFormMain::FormCreate()
{
    buildMenus();
    refreshLinkControls();

    // A bar across the top of the screen that cannot be resized.
    const QRect screen = primaryScreenRect();
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
        startupPrompts_->message(this, box);
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
    openStoredPort(*startupPrompts_, PromptService::Icon::Exclamation);
}

void TFormMain::showStartupMessages()
{
    if (startupPrompts_)
        startupPrompts_->release(this);
    startupPrompts_.reset();
}

void TFormMain::openStoredPort(PromptService& prompts, PromptService::Icon warningIcon)
{
    PortErrorMessages reporter(prompts, this);
    state_.meterPort = openMeterPort(state_.iPort, state_.portTable, &reporter);
    if (!state_.meterPort) {
        PromptService::Message box;
        box.caption = warningCaption(Str::WarnNoPort);
        box.text = loadString(Str::WarnNoPort);
        box.icon = warningIcon;
        prompts.message(this, box);
    }
}

bool TFormMain::isLinked() const { return link_.isLinked(); }

void TFormMain::linkMenuClick() { link_.toggle(); }

void TFormMain::sbtnLinkClick()
{
    // The button has changed state already; the link follows it.
    const bool linking = sbtnLink_->isChecked();
    if (linking) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::restoreOverrideCursor();
    }
    link_.setLinked(linking);
}

void TFormMain::refreshLinkControls()
{
    const bool linked = isLinked();
    const bool busy = state_.fileLoadBusy();
    sbtnLink_->setChecked(linked);
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
    if (portDialog_) {
        portDialog_->setSelectedPort(state_.iPort);
        if (portDialog_->exec() == QDialog::Accepted)
            state_.iPort = portDialog_->selectedPort();
    }

    openStoredPort(prompts_, PromptService::Icon::Stop);
    emit portChosen(state_.iPort);
}

void TFormMain::sbtnAboutClick()
{
    if (aboutBox_)
        aboutBox_->exec();
}

void TFormMain::setDialogs(TDlgRsPortForm* portDialog, TDlgAboutForm* aboutBox)
{
    portDialog_ = portDialog;
    aboutBox_ = aboutBox;
}

void TFormMain::measureTaskbar()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    state_.taskbarHeight =
        screen ? taskbarHeightFrom(screen->geometry().height(), screen->availableGeometry().height()) : 0;
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

void TFormMain::sbtnWinTileClick() { emit tileRequested(); }

bool TFormMain::FormCloseQuery()
{
    if (!unsavedData_ || !unsavedData_->hasUnsavedData())
        return true;
    PromptService::Message box;
    box.caption = warningCaption(Str::WarnBufferHasData);
    box.text = loadString(Str::WarnBufferHasData) + "\n" + loadString(Str::SaveBeforeExit);
    box.icon = PromptService::Icon::Question;
    box.buttons = {PromptService::Button::Yes, PromptService::Button::No, PromptService::Button::Cancel};
    box.defaultButton = PromptService::Button::Cancel;
    switch (prompts_.message(this, box)) {
    case PromptService::Button::No: return true;
    case PromptService::Button::Yes: return unsavedData_->saveData();
    default: return false;
    }
}

void TFormMain::FormClose()
{
    QString error;
    if (!saveSettings(state_, limitSource_ ? limitSource_->hiLimit() : state_.fHiLimit,
                      limitSource_ ? limitSource_->lowLimit() : state_.fLowLimit, &error)) {
        PromptService::Message box;
        box.caption = windowTitle();
        box.text = error;
        box.icon = PromptService::Icon::Stop;
        prompts_.message(this, box);
    }
    cycle_.stop();
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
