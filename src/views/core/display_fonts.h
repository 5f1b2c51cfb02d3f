#pragma once

#include <QFont>

namespace vt640 {

// The faces the displays are drawn in. The layout rules size their texts for
// Arial, so where Arial itself is missing a face with its metrics stands in
// (Liberation Sans, Arimo, Nimbus Sans) before any other sans-serif; likewise
// Times New Roman for the italic serif labels.
QFont arialFont();
QFont arialFontPixels(int pixels, bool bold = false);
QFont arialFontPoints(int points);
QFont timesFont();

// `font` made smaller, if need be, until `text` is at most `width` pixels
// wide in it (down to a size of 1); pixel sizes stay pixel sizes and point
// sizes point sizes.
QFont fontFittingWidth(QFont font, const QString& text, int width);

} // namespace vt640
