#include "recorder/core/record_buffer.h"

#include <algorithm>
#include <cstdint>

#include <sys/mman.h>

namespace vt640 {

void RecordBuffer::append(const TBRecord& record)
{
    if (records_.size() == records_.capacity()) {
        const std::size_t cap = records_.capacity();
        records_.reserve(cap + std::max<std::size_t>(cap / 8, 1024));
    }
    records_.push_back(record);
}

void RecordBuffer::reserve(int count)
{
    if (count <= 0)
        return;
    records_.reserve(static_cast<std::size_t>(count));
    // A large buffer filled at once (a file being read) is touched page by
    // page; in huge pages that is a few hundred first touches per million
    // records instead of thirty thousand. Only a hint: nothing depends on it.
    const std::size_t bytes = records_.capacity() * sizeof(TBRecord);
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    if (bytes >= 2 * kHuge) {
        const auto start = reinterpret_cast<std::uintptr_t>(records_.data());
        const std::uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
        const std::uintptr_t last = (start + bytes) & ~(kHuge - 1);
        if (last > first)
            (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
}

void RecordBuffer::clear() { std::vector<TBRecord>().swap(records_); }

} // namespace vt640
