#pragma once

#include "viewer/core/fit_reduction.h"

class QColor;

namespace vt640 {

class PEGraph;
class RecordBuffer;

// The whole-buffer chart: the graph viewer's chart settings and what it
// loads from a record buffer, so that anything that draws the whole buffer
// draws the same chart. Long buffers are reduced to block extremes
// (FitReduction); the chart then never holds more than 5120 points.
class FitChart {
public:
    static constexpr int kShrunkPoints = 100;
    static constexpr float kShrunkUpper = 100.0f;
    static constexpr float kShrunkLower = -100.0f;

    explicit FitChart(PEGraph& graph);

    // The chart settings made once, when the chart is created; `deskColor`
    // is the system's button face.
    void configure(const QColor& deskColor);

    // Loads the chart with `buffer` between the Y limits `upper` and
    // `lower`, reduced as FitReduction says, and draws it unzoomed with the
    // cursor on the first point. `maxIndex` and `minIndex` are the
    // recorder's maximum and minimum records, whose points reduction() gives.
    void load(const RecordBuffer& buffer, int maxIndex, int minIndex, float upper, float lower);

    // Drops the index list and leaves a small chart of the first 100
    // records between +/-100, so the viewer holds little while it is hidden.
    void shrink(const RecordBuffer& buffer);

    const FitReduction& reduction() const { return reduction_; }

private:
    void setPointCount(int points);
    void redraw();

    PEGraph& graph_;
    FitReduction reduction_;
};

} // namespace vt640
