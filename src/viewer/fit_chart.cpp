#include "viewer/fit_chart.h"

#include "app/core/user_messages.h"
#include "recorder/core/record_buffer.h"
#include "viewer/core/record_field_string.h"
#include "viewer/pe_graph.h"

#include <QColor>

namespace vt640 {
namespace {

constexpr double kNullValue = -99999.0;

} // namespace

FitChart::FitChart(PEGraph& graph) : graph_(graph) {}

void FitChart::configure(const QColor& deskColor)
{
    PEGraph& g = graph_;
    g.setMainTitle(loadString(Str::ChartTitle));
    g.setSubTitle(QString());
    g.setYAxisLabel(loadString(Str::ChartYAxis));
    g.setXAxisLabel(loadString(Str::ChartXAxis));
    g.setDeskColor(deskColor);
    g.setGraphForeColor(deskColor);
    g.setGraphBackColor(Qt::white);
    g.setSubsetColors(0, Qt::blue);
    g.setPlottingMethod(PEGraph::gLine);
    g.setSubsetLineTypes(0, 9);
    g.setManualMaxDataString(QStringLiteral("00000000.000"));
    g.setManualMaxPointLabel(QStringLiteral("00:00:00.000"));
    g.setDataPrecision(PEGraph::gThreeDecimals);
    g.setNullDataValue(kNullValue);
    g.setManualScaleControlY(PEGraph::gManualMinAndMax);
    g.setNoStackedData(true);
    g.setAllowHistogram(false);
    g.setAllowDataHotSpots(true);
    g.setPointsToGraphInit(PEGraph::gLast);
    g.setPointSize(PEGraph::gLargePoints);
    g.setGridLineControl(PEGraph::gYPlusXAxis);
    g.setCursorMode(PEGraph::gVertLine);
    g.setMouseCursorControl(true);
    g.setCursorPromptStyle(PEGraph::gNoPrompt);
    g.setAllowZooming(PEGraph::gHorzPlusVertZooming);
    g.setAllowPopup(false);
}

void FitChart::setPointCount(int points)
{
    graph_.setSubsets(1);
    graph_.setPoints(points);
    graph_.setMaxPointsToGraph(points);
    graph_.setPointsToGraph(points);
}

void FitChart::redraw()
{
    graph_.setPrepareImages(true);
    graph_.setPEnarg1(0);
    graph_.setPEnarg2(0);
    graph_.setPEactions(PEGraph::gReinitAndReset);
}

void FitChart::load(const RecordBuffer& buffer, int maxIndex, int minIndex, float upper, float lower)
{
    PEGraph& g = graph_;
    reduction_.reduce(buffer, maxIndex, minIndex);

    const int points = reduction_.pointCount();
    setPointCount(points);
    g.setManualMaxY(upper);
    g.setManualMinY(lower);
    for (int j = 0; j < points; ++j) {
        const TBRecord& r = buffer[reduction_.recordAt(j)];
        g.setYData(0, j, r.head.value);
        g.setPointLabels(j, fieldString(r.head.timeText));
    }

    redraw();
    g.setCursorPoint(0);
    g.setPEactions(PEGraph::gUndoZoom);
}

void FitChart::shrink(const RecordBuffer& buffer)
{
    PEGraph& g = graph_;
    reduction_.release();
    setPointCount(kShrunkPoints);
    g.setManualMaxY(kShrunkUpper);
    g.setManualMinY(kShrunkLower);
    // A buffer always holds more than a page when the viewer opens; an
    // emptier one leaves empty points rather than reading past its end.
    for (int i = 0; i < kShrunkPoints; ++i) {
        if (i < buffer.size()) {
            g.setYData(0, i, buffer[i].head.value);
            g.setPointLabels(i, fieldString(buffer[i].head.timeText));
        } else {
            g.setYData(0, i, static_cast<float>(kNullValue));
            g.setPointLabels(i, QStringLiteral(" "));
        }
    }
    redraw();
}

} // namespace vt640
