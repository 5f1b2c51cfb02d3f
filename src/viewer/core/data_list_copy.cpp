#include "viewer/core/data_list_copy.h"

#include "recorder/core/record_buffer.h"
#include "viewer/core/data_list_columns.h"

#include <algorithm>

namespace vt640::data_list {
namespace {

void appendCell(QString& out, QString cell)
{
    for (QChar& c : cell)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    out += cell.trimmed();
}

} // namespace

QString tabSeparatedText(const RecordBuffer& buffer, int firstRecord, int lastRecord, int firstColumn, int lastColumn)
{
    firstRecord = std::max(firstRecord, 0);
    lastRecord = std::min(lastRecord, buffer.size() - 1);
    firstColumn = std::max(firstColumn, 0);
    lastColumn = std::min(lastColumn, kColumns - 1);
    if (firstRecord > lastRecord || firstColumn > lastColumn)
        return {};

    QString out;
    const int columns = lastColumn - firstColumn + 1;
    out.reserve((lastRecord - firstRecord + 2) * columns * 10);
    for (int c = firstColumn; c <= lastColumn; ++c) {
        if (c > firstColumn)
            out += QLatin1Char('\t');
        appendCell(out, headerText(c));
    }
    out += QLatin1Char('\n');
    for (int i = firstRecord; i <= lastRecord; ++i) {
        const TBRecord& record = buffer[i];
        for (int c = firstColumn; c <= lastColumn; ++c) {
            if (c > firstColumn)
                out += QLatin1Char('\t');
            appendCell(out, cellText(record, i, c));
        }
        out += QLatin1Char('\n');
    }
    return out;
}

} // namespace vt640::data_list
