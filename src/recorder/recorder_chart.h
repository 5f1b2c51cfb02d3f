#pragma once

#include <QString>

class QColor;

namespace vt640 {

class PEGraph;
class RecorderCore;
struct TBRecord;

// The recorder's page chart: its settings and what it loads from the
// recorder's buffer, so that anything that draws a page of the buffer (the
// recorder window, its export, the command-line plot) draws the same chart.
// Pages are those of the recorder (aligned to the end of the buffer,
// RecorderCore::pointsPerPage() points each).
class RecorderChart {
public:
    // The Y value of a point that shows no record.
    static constexpr float kNullValue = -99999.0f;

    explicit RecorderChart(PEGraph& graph);

    // The settings made once, when the chart is created, for an empty page;
    // `deskColor` is the system's button face. Draws it with the cursor on
    // the last point.
    void configure(const RecorderCore& core, const QColor& deskColor);

    // Back to an empty page after the buffer was cleared, with the plain
    // axis caption; drawn, cursor on the last point.
    void reset(const RecorderCore& core);

    // Puts page `page` of the buffer into the chart with the core's Y range
    // (without drawing it).
    void loadPage(const RecorderCore& core, int page);

    // The buffer index of the record under the chart's cursor when page
    // `page` is shown; -1 when the cursor stands on an empty point.
    int recordAtCursor(const RecorderCore& core, int page) const;

    // The Y axis caption for the record under the cursor: "Reading" with the
    // record's unit in brackets; "Reading" alone for no record.
    static QString axisCaption(const TBRecord* record);

    // Sets the axis caption and draws.
    void showAxisCaption(const QString& caption);

    // Page `page` as the recorder window shows it after drawing it: loaded,
    // drawn, with the axis caption of the record under the cursor (left as
    // it was when the buffer is empty).
    void showPage(const RecorderCore& core, int page);

    // Draws the chart again after a change of data or settings.
    void redraw();

private:
    PEGraph& graph_;
};

} // namespace vt640
