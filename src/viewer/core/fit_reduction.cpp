#include "viewer/core/fit_reduction.h"

#include "recorder/core/record_buffer.h"

#include <algorithm>
#include <cmath>

namespace vt640 {

void FitReduction::reduce(const RecordBuffer& buffer, int maxIndex, int minIndex)
{
    const TBRecord* records = buffer.data();
    reduceValues([records](int i) { return records[i].head.value; }, buffer.size(), maxIndex, minIndex);
}

void FitReduction::reduce(std::span<const float> values, int maxIndex, int minIndex)
{
    const float* v = values.data();
    reduceValues([v](int i) { return v[i]; }, static_cast<int>(values.size()), maxIndex, minIndex);
}

void FitReduction::release() { std::vector<int>().swap(indexList_); }

template <typename Values>
void FitReduction::reduceValues(const Values& valueAt, int n, int maxIndex, int minIndex)
{
    n = std::max(n, 0);
    recordCount_ = n;
    release();
    if (n < kAllRecordsLimit) {
        allRecords_ = true;
        blockSize_ = 0;
        pointCount_ = n;
        const int last = std::max(n - 1, 0);
        maxPosition_ = std::clamp(maxIndex, 0, last);
        minPosition_ = std::clamp(minIndex, 0, last);
        return;
    }

    allRecords_ = false;
    const int s = n / kBlocks;
    blockSize_ = s;
    indexList_.reserve(static_cast<std::size_t>(2 * ((n - 1) / s + 1)));
    maxPosition_ = minPosition_ = 0;

    auto append = [this, maxIndex, minIndex](int index) {
        const int position = static_cast<int>(indexList_.size());
        indexList_.push_back(index);
        if (index == maxIndex)
            maxPosition_ = position;
        if (index == minIndex)
            minPosition_ = position;
    };

    for (int r = 0, end = 0; r < n; r = end) {
        end = n - r > s ? r + s : n; // one past the block, never past n
        int mx = -1, mn = -1;
        float vmax = 0.0f, vmin = 0.0f;
        for (int i = r; i < end; ++i) {
            const float v = valueAt(i);
            if (!std::isfinite(v))
                continue;
            if (mx < 0) {
                mx = mn = i;
                vmax = vmin = v;
            } else if (v > vmax) {
                vmax = v;
                mx = i;
            } else if (v < vmin) {
                vmin = v;
                mn = i;
            }
        }

        const int firstPosition = static_cast<int>(indexList_.size());
        if (mx >= 0) {
            if (mx <= mn) {
                append(mx);
                append(mn);
            } else {
                append(mn);
                append(mx);
            }
        }

        // The recorder keeps the newest of equal extremes, a block its first,
        // so the recorder's record may not be on the chart: its block's
        // extreme of the same kind stands for it (it shows the same value
        // when the two are equal). A block without a point leaves the next
        // point to come.
        auto standIn = [&](int recorderIndex, int blockExtreme, int& position) {
            if (recorderIndex < r || recorderIndex >= end)
                return;
            if (mx < 0) {
                position = firstPosition;
                return;
            }
            if (recorderIndex == mx || recorderIndex == mn)
                return; // on the chart already
            const bool extremeFirst = blockExtreme == std::min(mx, mn);
            position = firstPosition + (extremeFirst ? 0 : 1);
        };
        standIn(maxIndex, mx, maxPosition_);
        standIn(minIndex, mn, minPosition_);
    }

    pointCount_ = static_cast<int>(indexList_.size());
    const int last = std::max(pointCount_ - 1, 0);
    maxPosition_ = std::min(maxPosition_, last);
    minPosition_ = std::min(minPosition_, last);
}

} // namespace vt640
