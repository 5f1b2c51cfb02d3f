#pragma once

#include <QDialog>

namespace vt640 {

// The recorder's export dialog.
class TDlgExportForm : public QDialog {
    Q_OBJECT
public:
    explicit TDlgExportForm(QWidget* parent = nullptr);
};

} // namespace vt640
