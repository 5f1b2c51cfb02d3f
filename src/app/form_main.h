#pragma once

#include "app/acquisition_cycle.h"
#include "app/core/prompt_service.h"
#include "app/core/tile_layout.h"

#include <QMainWindow>

class QAction;
class QMenu;
class QToolButton;

namespace vt640 {

class AppWindows;
class GlobalState;
class PromptService;

// The main window: a bar across the top of the screen with the menu and the
// tool buttons. It owns the acquisition cycle and the link state, starts the
// program up and shuts it down.
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    TFormMain(GlobalState& state, PromptService& prompts, AppWindows& windows,
              const QString& demoDevice = {});

    // The creation handler: menus, buttons, port probe, settings, the port.
    void FormCreate();

    AcquisitionCycle& cycle() { return *cycle_; }
    const MeterReading& reading() const { return cycle_->reading(); }
    bool isLinked() const;

    // Commands; each tool button and its menu item run the same one.
    void sbtnLinkClick();
    void linkMenuClick();
    void refreshLinkControls();
    void sbtnPortClick();
    void sbtnWinTileClick();
    void sbtnAboutClick();
    void sbtnDigitMeterClick();
    void showView(QWidget* view);
    // Sets the link button to `linked` and runs the link action.
    void setLinked(bool linked);

    // The frame sizes of this desktop, for the layout arithmetic.
    FrameMetrics frameMetrics() const;
    int outerHeight() const;
    int taskbarHeight() const;
    // Puts the digital meter, the recorder and the data list where they start.
    void placeStartupWindows();

    QToolButton* button(const QString& name) const;
    QAction* linkAction() const { return linkAction_; }
    QAction* portAction() const { return portAction_; }
    QMenu* helpMenu() const { return helpMenu_; }

signals:
    // The main window has closed: the program ends.
    void programEnding();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildButtons();
    void probePorts();
    // Opens port iPort; W8001 with `warningIcon` when it cannot be opened.
    void openStoredPort(PromptService::Icon warningIcon);
    bool FormCloseQuery();
    void FormClose();
    void measureTaskbar();
    void placeWindow(QWidget* window, const QRect& outer);
    TileInput tileInput() const;

    GlobalState& state_;
    PromptService& prompts_;
    AppWindows& windows_;
    QString demoDevice_;
    AcquisitionCycle* cycle_ = nullptr;
    QToolButton* sbtnLink_ = nullptr;
    QToolButton* sbtnPort_ = nullptr;
    QToolButton* sbtnAbout_ = nullptr;
    QAction* linkAction_ = nullptr;
    QAction* portAction_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    bool closed_ = false;
};

} // namespace vt640
