#pragma once

#include <QWidget>

namespace vt640 {

// The data list: one row per record of the recorder's buffer.
class TDataStringGridForm : public QWidget {
    Q_OBJECT
public:
    explicit TDataStringGridForm(QWidget* parent = nullptr);
};

} // namespace vt640
