#pragma once

#include <QDialog>

namespace vt640 {

// The graph viewer's export dialog.
class TDlgFitExportForm : public QDialog {
    Q_OBJECT
public:
    explicit TDlgFitExportForm(QWidget* parent = nullptr);
};

} // namespace vt640
