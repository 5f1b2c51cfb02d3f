#pragma once

#include <span>
#include <vector>

namespace vt640 {

class RecordBuffer;

// Which records the whole-buffer chart shows, and where on it the
// recorder's maximum and minimum records are.
//
// Below kAllRecordsLimit records every record is a point (point j shows
// record j). From there on the buffer is cut into blocks of n / kBlocks
// records and each block gives two points, its first largest and its first
// smallest value, in record order (one record twice when they are the same
// record), so the chart holds between 4096 and 5120 points whatever the
// size of the buffer and no block's extremes are lost.
//
// A value that is not a finite number (a logger file may hold one) takes no
// part in a block's extremes; a block without a finite value gives no point.
class FitReduction {
public:
    static constexpr int kAllRecordsLimit = 8192;
    static constexpr int kBlocks = 2048;
    static constexpr int kMaxPoints = 2 * (kBlocks + kBlocks / 4); // 5120

    // Reduces the buffer's values. `maxIndex` and `minIndex` are the
    // recorder's maximum and minimum records.
    void reduce(const RecordBuffer& buffer, int maxIndex, int minIndex);
    void reduce(std::span<const float> values, int maxIndex, int minIndex);

    // Drops the index list and its memory; the flag, the point count and
    // the positions stay until the next reduce().
    void release();

    bool allRecords() const { return allRecords_; }
    int recordCount() const { return recordCount_; }
    int pointCount() const { return pointCount_; }
    // Records per block in reduced mode (0 in all-records mode).
    int blockSize() const { return blockSize_; }
    // The record behind chart point `point`.
    int recordAt(int point) const { return allRecords_ ? point : indexList_[static_cast<std::size_t>(point)]; }
    // In reduced mode, the record index behind each point in chart order.
    const std::vector<int>& indexList() const { return indexList_; }

    // The chart points that show the recorder's maximum and minimum: the
    // record's own point when it is on the chart, else the block's largest
    // (for the maximum) or smallest (for the minimum) point of the block
    // that holds it, else the next point after a block without one.
    int maxPosition() const { return maxPosition_; }
    int minPosition() const { return minPosition_; }

private:
    template <typename Values>
    void reduceValues(const Values& valueAt, int n, int maxIndex, int minIndex);

    bool allRecords_ = true;
    int recordCount_ = 0;
    int pointCount_ = 0;
    int blockSize_ = 0;
    int maxPosition_ = 0;
    int minPosition_ = 0;
    std::vector<int> indexList_;
};

} // namespace vt640
