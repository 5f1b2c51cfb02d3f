#pragma once

#include "recorder/core/t_b_record.h"

#include <cstddef>
#include <vector>

namespace vt640 {

// The recorder's records, oldest first, in one contiguous array. Records are
// only appended at the end and cleared all at once; nothing is ever changed
// in place. The data list, the graph and the files read it directly.
class RecordBuffer {
public:
    int size() const { return static_cast<int>(records_.size()); }
    bool empty() const { return records_.empty(); }
    const TBRecord& operator[](int i) const { return records_[static_cast<std::size_t>(i)]; }
    const TBRecord& at(int i) const { return records_.at(static_cast<std::size_t>(i)); }
    const TBRecord* data() const { return records_.data(); }
    float valueAt(int i) const { return (*this)[i].head.value; }

    // Appends one record. The array grows by an eighth of its size at a time
    // rather than doubling, so that a buffer of millions of records keeps its
    // memory close to 128 bytes per record.
    void append(const TBRecord& record);

    // Makes room for `count` records in all, so that appending up to them
    // takes no further memory. Throws std::bad_alloc when there is not
    // enough (the buffer is unchanged then).
    void reserve(int count);

    // Removes every record and gives the memory back.
    void clear();

    std::size_t capacity() const { return records_.capacity(); }

private:
    std::vector<TBRecord> records_;
};

} // namespace vt640
