#pragma once

#include <QRect>
#include <QSize>

namespace vt640 {

// Geometry and font sizes of the digital meter's fields for a given size of
// its LCD area. All integer arithmetic, truncating, recomputed on every
// resize. Rectangles are in the coordinates of the panel that holds them:
// the column and the two LCD areas in the LCD area, the annunciator fields in
// the column, the reading, prefix and unit in the upper area, the
// sub-display and phase marks in the lower strip.
struct DigitalMeterLayout {
    QRect statePanel;                    // the annunciator column on the left
    QRect acDc, wires, hold, peak, aLag; // its five fields, top to bottom
    QRect masterLcd;                     // upper area: main reading
    QRect data, prefix, unit;
    QRect subLcd; // lower strip: sub-display
    QRect subData, phases;

    // Font sizes: points unless named pixels.
    int dataPoints = 1;
    int prefixPoints = 1;
    int unitPoints = 1;
    int subDataCellPixels = 1; // character cell height, internal leading included
    int phasesPixels = 1;      // character height, internal leading excluded
    int acDcPoints = 1, wiresPoints = 1, holdPoints = 1, peakPoints = 1, aLagPoints = 1;

    // `lcd` is the size of the LCD area; `dpi` the screen's logical
    // pixels per inch (96 on an ordinary screen).
    static DigitalMeterLayout compute(QSize lcd, int dpi);

    // The prefix and unit fonts, also set on every reading: half the width
    // times 0.55, and four tenths of the width times 0.55, truncated.
    static int prefixPointsFor(int prefixWidth);
    static int unitPointsFor(int unitWidth);
};

} // namespace vt640
