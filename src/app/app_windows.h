#pragma once

#include "app/core/tile_layout.h"
#include "publish/publish_options.h"

#include <QString>

#include <initializer_list>
#include <memory>

class QPrinter;
class QRect;
class QWidget;

namespace vt640 {

class AcquisitionCycle;
class GlobalState;
class LinkState;
class PromptService;
class RecorderPublishing;
class TAnalogMeterForm;
class TAutoMsgForm;
class TComparatorForm;
class TDataStringGridForm;
class TDialogOption;
class TDigitalMeterForm;
class TDlgAboutForm;
class TDlgExportForm;
class TDlgFitExportForm;
class TDlgHiLowForm;
class TDlgRsPortForm;
class TFormMain;
class TFormViewGraphic;
class TGraphicalForm;
class TMsgForm;

// The program's fifteen windows, the acquisition cycle and the link: the one
// place where the parts are created and wired together. The windows are
// created once, in this order, live for the whole run and are only hidden
// and shown; they are destroyed in the reverse order when the program ends.
class AppWindows {
public:
    struct Options {
        QString demoDevice;              // the simulated meter's device, for a demonstration run
        QString openFile;                // a logger file to open once the windows are up (the command line's FILE)
        publish::PublishOptions publish; // publishing the logged records (--mqtt and its companions)
    };

    AppWindows(GlobalState& state, PromptService& prompts, const Options& options);
    ~AppWindows();
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    // Shows the four windows that are visible after start-up, offers a
    // left temporary file back, then opens the file of the options.
    void showStartupWindows();

    AcquisitionCycle& cycle() const { return *cycle_; }
    LinkState& link() const { return *link_; }

    TFormMain* formMain() const { return formMain_.get(); }
    TDlgRsPortForm* dlgRsPortForm() const { return dlgRsPortForm_.get(); }
    TDlgAboutForm* dlgAboutForm() const { return dlgAboutForm_.get(); }
    TAutoMsgForm* autoMsgForm() const { return autoMsgForm_.get(); }
    TDigitalMeterForm* digitalMeterForm() const { return digitalMeterForm_.get(); }
    TAnalogMeterForm* analogMeterForm() const { return analogMeterForm_.get(); }
    TDlgHiLowForm* dlgHiLowForm() const { return dlgHiLowForm_.get(); }
    TComparatorForm* comparatorForm() const { return comparatorForm_.get(); }
    TGraphicalForm* graphicalForm() const { return graphicalForm_.get(); }
    TDialogOption* dialogOption() const { return dialogOption_.get(); }
    TFormViewGraphic* formViewGraphic() const { return formViewGraphic_.get(); }
    TDlgFitExportForm* dlgFitExportForm() const { return dlgFitExportForm_.get(); }
    TMsgForm* msgForm() const { return msgForm_.get(); }
    TDlgExportForm* dlgExportForm() const { return dlgExportForm_.get(); }
    TDataStringGridForm* dataStringGridForm() const { return dataStringGridForm_.get(); }
    QPrinter& printer() const { return *printer_; }
    // Publishing the recorder's records, when the command line asked for it.
    RecorderPublishing* publishing() const { return publishing_.get(); }

private:
    void wire(GlobalState& state, PromptService& prompts);
    void startPublishing(const GlobalState& state, const publish::PublishOptions& options);
    // The main window's commands that act on other windows.
    void showView(QWidget* view);
    void tile();
    // Puts the digital meter, the recorder and the data list where they start.
    void placeStartupWindows();
    void placeWindow(QWidget* window, const QRect& outer);
    TileInput tileInput() const;
    // Lets the window manager frame `windows` (at most half a second, and
    // only where there is one).
    static void waitForFrame(std::initializer_list<QWidget*> windows);

    QString openFile_;
    // The one printer of the program: Printer Set-up chooses it, and the
    // recorder and the graph viewer print on it. It outlives both.
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<AcquisitionCycle> cycle_;
    std::unique_ptr<LinkState> link_;
    std::unique_ptr<TFormMain> formMain_;
    std::unique_ptr<TDlgRsPortForm> dlgRsPortForm_;
    std::unique_ptr<TDlgAboutForm> dlgAboutForm_;
    std::unique_ptr<TAutoMsgForm> autoMsgForm_;
    std::unique_ptr<TDigitalMeterForm> digitalMeterForm_;
    std::unique_ptr<TAnalogMeterForm> analogMeterForm_;
    std::unique_ptr<TDlgHiLowForm> dlgHiLowForm_;
    std::unique_ptr<TComparatorForm> comparatorForm_;
    std::unique_ptr<TGraphicalForm> graphicalForm_;
    std::unique_ptr<TDialogOption> dialogOption_;
    std::unique_ptr<TFormViewGraphic> formViewGraphic_;
    std::unique_ptr<TDlgFitExportForm> dlgFitExportForm_;
    std::unique_ptr<TMsgForm> msgForm_;
    std::unique_ptr<TDlgExportForm> dlgExportForm_;
    std::unique_ptr<TDataStringGridForm> dataStringGridForm_;
    // Follows the recorder's session: it goes before the recorder does.
    std::unique_ptr<RecorderPublishing> publishing_;
};

} // namespace vt640
