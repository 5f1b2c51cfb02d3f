#pragma once

#include <QString>

#include <initializer_list>

#include <memory>

class QWidget;

namespace vt640 {

class GlobalState;
class PromptService;
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

// The program's fifteen windows. They are created once, in this order, live
// for the whole run and are only hidden and shown; they are destroyed in the
// reverse order when the program ends.
class AppWindows {
public:
    struct Options {
        QString demoDevice; // the simulated meter's device, for a demonstration run
    };

    AppWindows(GlobalState& state, PromptService& prompts, const Options& options);
    ~AppWindows();
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    // Shows the four windows that are visible after start-up.
    void showStartupWindows();

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

private:
    void wire(GlobalState& state);
    // Lets the window manager frame `windows` (at most half a second, and
    // only where there is one).
    static void waitForFrame(std::initializer_list<QWidget*> windows);

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
};

} // namespace vt640
