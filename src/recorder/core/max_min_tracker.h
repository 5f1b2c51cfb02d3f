#pragma once

#include "recorder/core/record_buffer.h"

#include <cmath>

namespace vt640 {

// Buffer indexes of the largest and the smallest logged value. Ties go to
// the newest record.
class MaxMinTracker {
public:
    int maxIndex() const { return maxIndex_; }
    int minIndex() const { return minIndex_; }
    // Whether a record has been taken in since the reset; until then both
    // indexes are 0 without standing for a record.
    bool valid() const { return valid_; }

    void reset()
    {
        maxIndex_ = minIndex_ = 0;
        valid_ = false;
    }

    // Takes in the record at buffer index `index` with value `x`; `buffer`
    // already holds it. The first record taken in sets both indexes, whatever
    // came before it (status displays are never offered). A value that is no
    // number or infinite is left out; returns whether the record was taken.
    bool update(const RecordBuffer& buffer, int index, float x)
    {
        if (!std::isfinite(x))
            return false;
        if (!valid_) {
            maxIndex_ = minIndex_ = index;
            valid_ = true;
        } else if (buffer.valueAt(maxIndex_) > x) {
            if (buffer.valueAt(minIndex_) >= x)
                minIndex_ = index;
        } else {
            maxIndex_ = index;
        }
        return true;
    }

private:
    int maxIndex_ = 0;
    int minIndex_ = 0;
    bool valid_ = false;
};

} // namespace vt640
