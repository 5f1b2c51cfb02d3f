#include "views/core/comparator_layout.h"

#include "views/core/comparator_model.h"
#include "views/core/meter_artwork.h"

namespace vt640 {

int ComparatorLayout::frameAllowance(int captionHeight) { return 2 * kSizingFrame + captionHeight; }

QPoint ComparatorLayout::windowPosition(int screenHeight, int mainHeight, int captionHeight)
{
    const int f = frameAllowance(captionHeight);
    return {f, (screenHeight - mainHeight) / 4 + mainHeight + f};
}

ComparatorLayout ComparatorLayout::compute(int captionHeight)
{
    ComparatorLayout l;
    const QSize frame = artwork::kFrameSize;
    const QSize band = artwork::kBandSize;
    // Outer width is the frame plus the allowance; the client area is that
    // less the window's own frame on both sides.
    l.window = QSize(frame.width() + frameAllowance(captionHeight) - 2 * kFixedFrame,
                     frame.height() + kAlarmButtonHeight + kLimitButtonSize + 2);

    const int frameLeft = (l.window.width() - frame.width()) / 2;
    l.frame = QPoint(frameLeft, 0);
    l.band = QPoint((frame.width() - band.width()) / 2 + frameLeft, artwork::kBandTop);
    l.pivot = QPoint(l.window.width() / 2, ComparatorModel::kPivotY);

    l.alarmButton = QRect(frameLeft, frame.height() + 1, frame.width(), kAlarmButtonHeight);
    l.limitButton = QRect(frameLeft, l.alarmButton.bottom() + 2, kLimitButtonSize, kLimitButtonSize);
    const int rowWidth = frame.width() - kLimitButtonSize - 2;
    const int rowHeight = kLimitButtonSize / 2;
    l.panel1 = QRect(l.limitButton.right() + 3, l.limitButton.top(), rowWidth, rowHeight);
    l.panel2 = QRect(l.panel1.left(), l.panel1.top() + rowHeight, rowWidth, rowHeight);

    l.funcPanel = QRect(rowWidth - kUnitWidth, 0, kUnitWidth, rowHeight);
    l.unitPanel = QRect(l.funcPanel.left() - kPrefixWidth, 0, kPrefixWidth, rowHeight);
    l.limitPanel = QRect(0, 0, l.unitPanel.left(), rowHeight);
    return l;
}

} // namespace vt640
