#pragma once

#include <QDialog>

namespace vt640 {

// The progress form with its Abort button.
class TMsgForm : public QDialog {
    Q_OBJECT
public:
    explicit TMsgForm(QWidget* parent = nullptr);
};

} // namespace vt640
