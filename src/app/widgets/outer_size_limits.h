#pragma once

#include <QObject>
#include <QSize>

class QWidget;

namespace vt640 {

// Size limits stated for a window's outer frame, as the layout rules give
// them. Qt limits the client area, so the frame the window manager adds is
// taken off, again whenever the window learns of it (it moves or resizes).
class OuterSizeLimits : public QObject {
    Q_OBJECT
public:
    explicit OuterSizeLimits(QWidget* window);

    void set(const QSize& outerMinimum, const QSize& outerMaximum);

    // What the window manager adds around the client area; none before it is shown.
    QSize frame() const;

    // Takes the frame into account again; for callers that know it changed.
    void refresh() { apply(); }

    // The limits object of `window`, if it has one.
    static OuterSizeLimits* of(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply();

    QWidget* window_;
    QSize minimum_;
    QSize maximum_;
    QSize frame_{-1, -1};
};

} // namespace vt640
