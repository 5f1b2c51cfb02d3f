#include "viewer/core/csv_export.h"

#include "recorder/core/page_math.h"
#include "recorder/core/record_buffer.h"
#include "viewer/core/data_list_columns.h"

#include <algorithm>

namespace vt640 {
namespace {

constexpr std::size_t kChunk = 1 << 16;

void appendHeader(std::string& out, const CsvExport::LeadingColumn* leading)
{
    if (leading) {
        out += leading->header;
        out += ',';
    }
    for (int c = 0; c < data_list::kColumns; ++c) {
        out += data_list::headerBytes(c);
        out += ',';
    }
    out += "\r\n";
}

void appendRow(std::string& out, const TBRecord& record, int index, const CsvExport::LeadingColumn* leading)
{
    if (leading) {
        leading->cell(out, index);
        out += ',';
    }
    for (int c = 0; c < data_list::kColumns; ++c) {
        data_list::appendCell(out, record, index, c);
        out += ',';
    }
    out += "\r\n";
}

} // namespace

CsvExport::Pages CsvExport::clamped(Pages pages)
{
    pages.totalPages = std::max(1, pages.totalPages);
    pages.pointsPerPage = std::max(1, pages.pointsPerPage);
    const page_math::PageRange range = page_math::pageRange(pages.first, pages.last, pages.totalPages);
    pages.first = range.first;
    pages.last = range.last;
    return pages;
}

bool CsvExport::write(const RecordBuffer& buffer, const Pages& requested,
                      const std::function<bool(std::string_view)>& sink, const LeadingColumn* leading)
{
    const Pages pages = clamped(requested);
    std::string out;
    out.reserve(kChunk + 1024);
    for (int p = pages.first; p <= pages.last; ++p) {
        // The first page, not full, brings the header line.
        const page_math::PageWindow window =
            page_math::pageWindow(buffer.size(), pages.totalPages, p, pages.pointsPerPage);
        if (window.emptyPoints > 0)
            appendHeader(out, leading);
        for (int i = window.firstRecord; i < window.firstRecord + window.recordCount; ++i) {
            appendRow(out, buffer[i], i, leading);
            if (out.size() >= kChunk) {
                if (!sink(out))
                    return false;
                out.clear();
            }
        }
    }
    return out.empty() || sink(out);
}

AtomicFile::Error CsvExport::writeFile(const std::string& path, const RecordBuffer& buffer, const Pages& pages,
                                       int* systemError)
{
    AtomicFile file(path);
    const bool ok = file.open() && write(buffer, pages, [&file](std::string_view text) { return file.write(text); })
                    && file.commit();
    if (systemError)
        *systemError = file.systemError();
    return ok ? AtomicFile::Error::None : file.error();
}

} // namespace vt640
