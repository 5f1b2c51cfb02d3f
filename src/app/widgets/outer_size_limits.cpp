#include "app/widgets/outer_size_limits.h"

#include <QEvent>
#include <QWidget>

namespace vt640 {

OuterSizeLimits::OuterSizeLimits(QWidget* window) : QObject(window), window_(window)
{
    window->installEventFilter(this);
}

void OuterSizeLimits::set(const QSize& outerMinimum, const QSize& outerMaximum)
{
    minimum_ = outerMinimum;
    maximum_ = outerMaximum;
    frame_ = QSize(-1, -1);
    apply();
}

QSize OuterSizeLimits::frame() const
{
    return (window_->frameGeometry().size() - window_->geometry().size()).expandedTo(QSize(0, 0));
}

OuterSizeLimits* OuterSizeLimits::of(QWidget* window)
{
    return window->findChild<OuterSizeLimits*>(QString(), Qt::FindDirectChildrenOnly);
}

bool OuterSizeLimits::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_
        && (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show))
        apply();
    return false;
}

void OuterSizeLimits::apply()
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

} // namespace vt640
