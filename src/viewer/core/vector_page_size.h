#pragma once

#include <QByteArray>
#include <QSize>

namespace vt640 {

// Vector pictures at exactly the size asked for. The chart is laid out in
// whole pixels of 1/96 inch, and Qt's SVG and PDF writers state the size
// from those pixels (SVG) or in whole points (PDF), which misses a size in
// 0.01 mm by up to half a pixel or point. These put the exact size into the
// file Qt wrote, the drawing stretched to fill it as in a metafile (by less
// than a pixel). Both take and give the whole file; a file not as expected
// comes back unchanged.

// The <svg> element's width and height become the size in millimetres, and
// the view box fills it.
QByteArray svgWithExactSize(const QByteArray& svg, QSize hundredthsOfMm);

// Each page's MediaBox becomes the size in points from the origin, and the
// cross-reference table follows the bytes that moved. Qt draws a page from
// its top edge down: the drawing's top belongs at the exact height.
QByteArray pdfWithExactPageSize(const QByteArray& pdf, QSize hundredthsOfMm);

} // namespace vt640
