#include "views/core/analog_meter_layout.h"

#include "views/core/analog_meter_model.h"
#include "views/core/meter_artwork.h"

namespace vt640 {

AnalogMeterLayout AnalogMeterLayout::compute(int windowWidth)
{
    AnalogMeterLayout l;
    const int dialLeft = (windowWidth - artwork::kDialSize.width()) / 2;
    l.dial = QPoint(dialLeft, 0);
    l.scale = QPoint(dialLeft + artwork::kScaleOnDial.x(), artwork::kScaleOnDial.y());
    l.pivot = QPoint(windowWidth / 2, AnalogMeterModel::kPivotY);

    l.panel1 = QRect(QPoint((windowWidth - kPanel1Size.width()) / 2, kPanel1Top), kPanel1Size);
    // Inside the strip's one-pixel lowered edge: the multiplier fills what the
    // prefix and the unit leave, left to right.
    const int inner = kPanel1Size.width() - 2;
    const int height = kPanel1Size.height() - 2;
    l.funcPanel = QRect(1 + inner - kUnitWidth, 1, kUnitWidth, height);
    l.unitPanel = QRect(l.funcPanel.left() - kPrefixWidth, 1, kPrefixWidth, height);
    l.multPanel = QRect(1, 1, l.unitPanel.left() - 1, height);

    const QSize mark = artwork::kSignMarkSize;
    l.signMark =
        QPoint(l.panel1.left() - mark.width() - mark.width() / 2, l.panel1.top() + l.panel1.height() - mark.height());
    return l;
}

QSize AnalogMeterLayout::windowSize(int screenWidth)
{
    return {screenWidth / 4, artwork::kDialSize.height() + 2 * kDialogFrame};
}

} // namespace vt640
