#pragma once

#include "fileio/atomic_file.h"

#include <functional>
#include <string>
#include <string_view>

namespace vt640 {

class RecordBuffer;

// The data list's rows of chosen recorder pages as comma-separated text: for
// each row the 13 cells, each followed by ",", no quoting, lines ended by
// CR LF. Pages are those of the recorder graph, aligned to the end of the
// buffer; the first, partial page brings the header line with it.
class CsvExport {
public:
    struct Pages {
        int pointsPerPage = 200;
        int totalPages = 1;
        int first = 1;
        int last = 1;
    };

    // A first page after the last gives no line (compared as asked);
    // otherwise page numbers outside 1..totalPages are taken as the nearest
    // page.
    static Pages clamped(Pages pages);

    // A column before the 13, such as the records' dates: its header text,
    // and its cell for the record at an index, asked for in ascending order.
    // Header and cells are followed by "," like every other field.
    struct LeadingColumn {
        std::string header;
        std::function<void(std::string& out, int index)> cell;
    };

    // Hands the text to `sink` in pieces; stops early, returning false, when
    // the sink does.
    static bool write(const RecordBuffer& buffer, const Pages& pages, const std::function<bool(std::string_view)>& sink,
                      const LeadingColumn* leading = nullptr);

    // Writes the text as the whole file at `path` (see AtomicFile).
    static AtomicFile::Error writeFile(const std::string& path, const RecordBuffer& buffer, const Pages& pages,
                                       int* systemError = nullptr);
};

} // namespace vt640
