#pragma once

#include "viewer/core/export_choices.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vt640 {

class PromptService;

// The recorder's export dialog: what to export (picture or text), where to,
// which pages and at what size. It exports nothing itself: the caller
// presets it through choices(), shows it and reads the choices back after
// Export. It is created once and keeps its choices from one use to the next.
class TDlgExportForm : public QDialog {
    Q_OBJECT
public:
    explicit TDlgExportForm(PromptService& prompts, QWidget* parent = nullptr);

    ExportChoices& choices() { return choices_; }
    const ExportChoices& choices() const { return choices_; }
    // Shows the dialog's controls as the choices stand (showing does this too).
    void refresh();
    // The Browse button takes the focus when the dialog opens.
    void focusBrowseOnShow() { focusBrowse_ = true; }

    QRadioButton* rbtnMetaFile = nullptr;
    QRadioButton* rbtnBitMap = nullptr;
    QRadioButton* rbtnText = nullptr;
    QRadioButton* rbtnClipBoard = nullptr;
    QRadioButton* rbtnFile = nullptr;
    QRadioButton* rbtnPrinter = nullptr;
    QRadioButton* rbtnPageAll = nullptr;
    QRadioButton* rbtnThisPage = nullptr;
    QRadioButton* rbtnPage = nullptr;
    QRadioButton* rbtnPixels = nullptr;
    QRadioButton* rbtnMillimeters = nullptr;
    QRadioButton* rbtnInches = nullptr;
    QRadioButton* rbtnPoints = nullptr;
    QPushButton* btnBrowse = nullptr;
    QLabel* stxFileName = nullptr;
    QLabel* lblFrom = nullptr;
    QLabel* lblTo = nullptr;
    QLineEdit* editPageFrom = nullptr;
    QLineEdit* editPageTo = nullptr;
    QLabel* lblWidth = nullptr;
    QLineEdit* editWidth = nullptr;
    QLabel* lblSlash = nullptr;
    QLineEdit* editHigh = nullptr;
    QLabel* lblUnit = nullptr;
    QGroupBox* gbSize = nullptr;
    QPushButton* btnExport = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    TDlgExportForm(PromptService& prompts, ExportChoices::PrinterRule printerRule, QWidget* parent);
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void browse();
    void exportClicked();

    PromptService& prompts_;
    ExportChoices choices_;
    bool focusBrowse_ = false;
};

} // namespace vt640
