#pragma once

namespace vt640 {

// Pages of the recorder graph are aligned to the end of the buffer: the last
// page shows the newest `perPage` records, and counting back each page ends
// `perPage` records earlier. The first page holds the oldest records that do
// not fill a whole page, at its right end after empty points.
namespace page_math {

// Total pages once a record has been added to `countBefore` records, and
// after reading a file of `countBefore` records.
inline int totalPages(int countBefore, int perPage) { return countBefore / perPage + 1; }

// Pages `first` to `last` of `pages`, as asked for by number: a first page
// after the last asks for none (empty); otherwise each end outside 1..pages
// is taken as the nearest page. The ends are compared before they are
// moved, so "4-3" on three pages is no page rather than page 3.
struct PageRange {
    int first = 1;
    int last = 0;
    bool empty() const { return first > last; }
};
inline PageRange pageRange(int first, int last, int pages)
{
    if (first > last)
        return {};
    const int top = pages < 1 ? 1 : pages;
    const auto clamp = [top](int p) { return p < 1 ? 1 : (p > top ? top : p); };
    return {clamp(first), clamp(last)};
}

// What page `page` (1-based) of `pages` shows of a buffer of `records`.
struct PageWindow {
    int emptyPoints = 0; // empty points at the start of the page
    int firstRecord = 0; // buffer index shown at point `emptyPoints`
    int recordCount = 0; // records on the page
};

// Worked in 64 bits: pages times a large page size passes the int range.
inline PageWindow pageWindow(int records, int pages, int page, int perPage)
{
    const long long upTo =
        records - static_cast<long long>(pages - page) * perPage; // records up to the end of the page
    if (upTo >= perPage)
        return {0, static_cast<int>(upTo - perPage), perPage};
    if (upTo <= 0)
        return {perPage, 0, 0};
    return {perPage - static_cast<int>(upTo), 0, static_cast<int>(upTo)};
}

// The buffer index shown at point `point` of page `page`; negative (or beyond
// the buffer) where the point is empty.
inline int recordAtPoint(int point, int records, int pages, int page, int perPage)
{
    return point + records - perPage * (pages - page + 1);
}

} // namespace page_math
} // namespace vt640
