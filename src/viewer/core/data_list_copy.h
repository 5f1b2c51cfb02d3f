#pragma once

#include <QString>

namespace vt640 {

class RecordBuffer;

namespace data_list {

// The data list's records `firstRecord`..`lastRecord` (buffer indexes) and
// columns `firstColumn`..`lastColumn` as a spreadsheet takes them from the
// clipboard: the header texts of those columns on the first line, then one
// line per record, cells separated by tabs, every line ended by "\n". Cells
// read as the list shows them, without the blanks around them; a tab or a
// line break inside a record's text becomes a blank so that it cannot split
// a cell or a row. Ranges are cut to the buffer and the 13 columns; empty
// when no record or no column is left.
QString tabSeparatedText(const RecordBuffer& buffer, int firstRecord, int lastRecord, int firstColumn, int lastColumn);

} // namespace data_list
} // namespace vt640
