#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace vt640 {

// Where the comparator's parts go. The window is as wide as the frame
// picture plus the allowance for frame and caption that its placement uses,
// the frame centred at the top; below it the alarm button as wide as the
// frame, and below that the square limit button with the two limit rows to
// its right.
struct ComparatorLayout {
    QSize window; // the client area
    QPoint frame;
    QPoint band;
    QPoint pivot;
    QRect alarmButton;
    QRect limitButton;
    QRect panel1; // upper limit row
    QRect panel2; // lower limit row
    // Inside each row: the limit, its prefix and its unit, left to right.
    QRect limitPanel, unitPanel, funcPanel;

    static constexpr int kAlarmButtonHeight = 25;
    static constexpr int kLimitButtonSize = 40;
    static constexpr int kPrefixWidth = 16;
    static constexpr int kUnitWidth = 32;
    // Window frame thicknesses the placement allows for: the sizing frame
    // counted in the offset, the fixed frame the window really has.
    static constexpr int kSizingFrame = 4;
    static constexpr int kFixedFrame = 3;

    // `captionHeight` is the height of a window caption on this desktop.
    static ComparatorLayout compute(int captionHeight);
    // Twice the sizing frame plus the caption: the offset of the window from
    // the screen's left edge and from its place below the digital meter.
    static int frameAllowance(int captionHeight);
    // The window's outer top-left for a screen `screenHeight` high under a
    // main window `mainHeight` high.
    static QPoint windowPosition(int screenHeight, int mainHeight, int captionHeight);
};

} // namespace vt640
