#pragma once

#include <QEvent>
#include <QObject>
#include <QSize>
#include <QWidget>

namespace vt640 {

// Size limits stated for a window's outer frame, as the layout rules give
// them. Qt limits the client area, so the frame the window manager adds is
// taken off, again whenever the window learns of it (it moves or resizes).
class OuterSizeLimits : public QObject {
public:
    explicit OuterSizeLimits(QWidget* window) : QObject(window), window_(window)
    {
        setObjectName(kName);
        window->installEventFilter(this);
    }

    void set(const QSize& outerMinimum, const QSize& outerMaximum)
    {
        minimum_ = outerMinimum;
        maximum_ = outerMaximum;
        frame_ = QSize(-1, -1);
        apply();
    }

    // What the window manager adds around the client area; none before it is shown.
    QSize frame() const
    {
        return (window_->frameGeometry().size() - window_->geometry().size()).expandedTo(QSize(0, 0));
    }

    // Takes the frame into account again; for callers that know it changed.
    void refresh() { apply(); }

    // The limits object of `window`, if it has one.
    // (Found by name: the class has no meta-object of its own to cast by.)
    static OuterSizeLimits* of(QWidget* window)
    {
        return static_cast<OuterSizeLimits*>(window->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                                   event->type() == QEvent::Show))
            apply();
        return false;
    }

private:
    static constexpr const char* kName = "vt640OuterSizeLimits";

    void apply()
    {
        if (!minimum_.isValid())
            return;
        const QSize f = frame();
        if (f == frame_)
            return;
        frame_ = f;
        window_->setMinimumSize((minimum_ - f).expandedTo(QSize(0, 0)));
        window_->setMaximumSize((maximum_ - f).expandedTo(QSize(0, 0)));
    }

    QWidget* window_;
    QSize minimum_;
    QSize maximum_;
    QSize frame_{-1, -1};
};

} // namespace vt640
