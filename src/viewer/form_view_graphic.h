#pragma once

#include <QWidget>

namespace vt640 {

// The graph viewer: the whole buffer in one chart.
class TFormViewGraphic : public QWidget {
    Q_OBJECT
public:
    explicit TFormViewGraphic(QWidget* parent = nullptr);
};

} // namespace vt640
