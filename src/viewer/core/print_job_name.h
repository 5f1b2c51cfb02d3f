#pragma once

#include <QString>

namespace vt640 {

// The name a print job carries, so that a printer's queue (and a print to
// PDF file names made from it) say what was printed: the chart's title, the
// logger file's name when the records came from or went to one, and the
// pages, as in "Data Logger - mains.640, page 3". `file` is a path (only its
// name is used) or empty; `firstPage` 0 names no page.
QString printJobName(const QString& title, const QString& file, int firstPage = 0, int lastPage = 0);

} // namespace vt640
