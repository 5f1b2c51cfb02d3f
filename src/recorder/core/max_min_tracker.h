#pragma once

#include "recorder/core/record_buffer.h"

namespace vt640 {

// Buffer indexes of the largest and the smallest logged value. Ties go to
// the newest record.
class MaxMinTracker {
public:
    int maxIndex() const { return maxIndex_; }
    int minIndex() const { return minIndex_; }

    void reset() { maxIndex_ = minIndex_ = 0; }

    // Takes in the record at buffer index `index` (the record count before it
    // is counted) with value `x`; `buffer` already holds it.
    void update(const RecordBuffer& buffer, int index, float x)
    {
        if (index == 0) {
            maxIndex_ = minIndex_ = 0;
        } else if (buffer.valueAt(maxIndex_) > x) {
            if (buffer.valueAt(minIndex_) >= x)
                minIndex_ = index;
        } else {
            maxIndex_ = index;
        }
    }

private:
    int maxIndex_ = 0;
    int minIndex_ = 0;
};

} // namespace vt640
