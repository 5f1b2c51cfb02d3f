#include "recorder/core/record_buffer.h"

#include <algorithm>

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
    if (count > 0)
        records_.reserve(static_cast<std::size_t>(count));
}

void RecordBuffer::clear()
{
    std::vector<TBRecord>().swap(records_);
}

} // namespace vt640
