#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace vt640 {

class FitChart;
class PEGraph;
class PromptService;
class RecorderCore;
class TDlgFitExportForm;

// The graph viewer: the whole record buffer in one chart, with the
// buffer's maximum and minimum readings above it, zoom with undo, printing
// and export of the chart. Created once and hidden; every showing is modal
// and maximised (its title bar in sight) and rebuilds the chart from the
// recorder; Close or Escape hides it, which shrinks the chart to a hundred
// points again.
class TFormViewGraphic : public QDialog {
    Q_OBJECT
public:
    explicit TFormViewGraphic(PromptService& prompts, QWidget* parent = nullptr);
    ~TFormViewGraphic() override;

    // Where the records come from, and the dialog Export presets and shows.
    void setRecorder(const RecorderCore* recorder) { recorder_ = recorder; }
    void setExportDialog(TDlgFitExportForm* dialog) { exportDialog_ = dialog; }

    // Shows the viewer modally; returns when it is closed.
    void showModal();

    PEGraph* graph() const { return PEGraphView; }
    const FitChart& chart() const { return *chart_; }

    void setVisible(bool visible) override;

    // The display strip.
    QLabel* MaxTimePanel = nullptr;
    QLabel* MaxDataPanel = nullptr;
    QLabel* MaxUnitPanel = nullptr;
    QLabel* MaxFuncPanel = nullptr;
    QLabel* LabelMaxSubFunc = nullptr;
    QLabel* MaxPFPanel = nullptr;
    QLabel* MinTimePanel = nullptr;
    QLabel* MinDataPanel = nullptr;
    QLabel* MinUnitPanel = nullptr;
    QLabel* MinFuncPanel = nullptr;
    QLabel* LabelMinSubFunc = nullptr;
    QLabel* MinPFPanel = nullptr;
    QToolButton* sbtnExport = nullptr;
    QToolButton* sbtnPrint = nullptr;
    QToolButton* sbtnUndoZoom = nullptr;
    QPushButton* bbtnClose = nullptr;
    QStatusBar* StatusBar = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildStrip(QWidget* strip);
    void openView();
    void closeView();
    void fillStrip();
    void cursorToMaximum();
    void cursorToMinimum();
    void undoZoom();
    // The print jobs carry the chart's title and the logger file's name.
    void nameThePrintJob();
    void printChart();
    void exportChart();

    PromptService& prompts_;
    const RecorderCore* recorder_ = nullptr;
    TDlgFitExportForm* exportDialog_ = nullptr;
    PEGraph* PEGraphView = nullptr;
    std::unique_ptr<FitChart> chart_;
};

} // namespace vt640
