#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace vt640 {

// Where the analog meter's parts go in a window of a given width. The dial
// is centred at the top, the scale on it, the needle pivots 132 pixels down
// in the middle of the window, and the multiplier strip sits centred on the
// dial's base with the sign mark to its left.
struct AnalogMeterLayout {
    QPoint dial;
    QPoint scale;
    QPoint pivot;
    QRect panel1;    // the multiplier strip
    QRect multPanel; // inside the strip: multiplier, prefix, unit
    QRect unitPanel;
    QRect funcPanel;
    QPoint signMark;

    // Fixed parts: the strip's size and the dialog frame the window height
    // allows for on each side of the dial.
    static constexpr QSize kPanel1Size{124, 17};
    static constexpr int kPanel1Top = 150;
    static constexpr int kPrefixWidth = 16;
    static constexpr int kUnitWidth = 30;
    static constexpr int kDialogFrame = 3;

    static AnalogMeterLayout compute(int windowWidth);
    // The window's size on a screen `screenWidth` wide: a quarter of it, and
    // the dial's height with the frame allowance.
    static QSize windowSize(int screenWidth);
};

} // namespace vt640
