#pragma once

#include <QLabel>

namespace vt640 {

// A one-line label that shows as much of its text as fits, cut in the
// middle with "…" (both the start and the end of a path stay readable), and
// never asks its layout for more room than a few characters. text() keeps
// the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text = {}, QWidget* parent = nullptr);

    // The text as painted at the label's present width.
    QString shownText() const;
    bool isElided() const { return shownText() != text(); }

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textRect() const;
};

} // namespace vt640
