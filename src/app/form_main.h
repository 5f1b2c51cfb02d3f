#pragma once

#include "app/core/prompt_service.h"
#include "app/core/tile_layout.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QMenu;
class QToolButton;

namespace vt640 {

class AcquisitionCycle;
class GlobalState;
class LimitSource;
class LinkState;
class QueuedPrompts;
class TDlgAboutForm;
class TDlgRsPortForm;
class UnsavedData;

// The main window: a bar across the top of the screen with the menu and the
// tool buttons. It starts the program up and shuts it down; the link button
// and menu command drive the link state and mirror it. It knows no other
// window of the program: showing the views and tiling are requested through
// signals, and the few collaborators it uses come in through narrow
// interfaces.
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // The views the main window's commands show.
    enum class View { DigitalMeter, AnalogMeter, Comparator, Recorder, DataList };

    TFormMain(GlobalState& state, PromptService& prompts, AcquisitionCycle& cycle, LinkState& link,
              const QString& demoDevice = {});
    ~TFormMain() override;

    // The creation handler: menus, buttons, port probe, settings, the port.
    // Its messages (an unreadable settings file, a port that cannot be
    // opened) wait for showStartupMessages().
    void FormCreate();
    // Shows the messages of FormCreate, in their order, over this window;
    // called once the start-up windows are up.
    void showStartupMessages();

    // The collaborators created after the main window.
    void setDialogs(TDlgRsPortForm* portDialog, TDlgAboutForm* aboutBox);
    void setUnsavedData(UnsavedData* data) { unsavedData_ = data; }
    void setLimitSource(LimitSource* limits) { limitSource_ = limits; }

    bool isLinked() const;

    // Commands; each tool button and its menu item run the same one.
    void sbtnLinkClick();
    void linkMenuClick();
    void refreshLinkControls();
    void sbtnPortClick();
    void sbtnWinTileClick();
    void sbtnAboutClick();

    // The frame sizes of this desktop, for the layout arithmetic.
    FrameMetrics frameMetrics() const;
    int outerHeight() const;
    int taskbarHeight() const;
    // Measures the task bar again (tiling does, before it places anything).
    void measureTaskbar();

    QToolButton* button(const QString& name) const;
    QAction* linkAction() const { return linkAction_; }
    QAction* portAction() const { return portAction_; }
    QMenu* helpMenu() const { return helpMenu_; }

signals:
    void showViewRequested(vt640::TFormMain::View view);
    void tileRequested();
    // The port number may have changed (after the port dialog).
    void portChosen(int port);
    // The main window has closed: the program ends.
    void programEnding();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildButtons();
    void probePorts();
    // Opens port iPort; W8001 with `warningIcon` when it cannot be opened.
    void openStoredPort(PromptService& prompts, PromptService::Icon warningIcon);
    bool FormCloseQuery();
    void FormClose();

    GlobalState& state_;
    PromptService& prompts_;
    // The messages of start-up, held until the windows are up.
    std::unique_ptr<QueuedPrompts> startupPrompts_;
    AcquisitionCycle& cycle_;
    LinkState& link_;
    QString demoDevice_;
    TDlgRsPortForm* portDialog_ = nullptr;
    TDlgAboutForm* aboutBox_ = nullptr;
    UnsavedData* unsavedData_ = nullptr;
    LimitSource* limitSource_ = nullptr;
    QToolButton* sbtnLink_ = nullptr;
    QToolButton* sbtnPort_ = nullptr;
    QToolButton* sbtnAbout_ = nullptr;
    QAction* linkAction_ = nullptr;
    QAction* portAction_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    bool closed_ = false;
};

} // namespace vt640
