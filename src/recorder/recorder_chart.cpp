#include "recorder/recorder_chart.h"

#include "app/core/user_messages.h"
#include "meter/meter_reading.h"
#include "meter/annunciators.h"
#include "recorder/core/page_math.h"
#include "recorder/core/record_text.h"
#include "recorder/core/recorder_core.h"
#include "viewer/pe_graph.h"
#include "viewer/core/record_field_string.h"

#include <QColor>

namespace vt640 {
namespace {

void emptyPoints(PEGraph& g, int points)
{
    for (int i = 0; i < points; ++i) {
        g.setPointLabels(i, QStringLiteral(" "));
        g.setYData(0, i, RecorderChart::kNullValue);
    }
}

} // namespace

RecorderChart::RecorderChart(PEGraph& graph) : graph_(graph) {}

void RecorderChart::configure(const RecorderCore& core, const QColor& deskColor)
{
    PEGraph& g = graph_;
    const int P = core.pointsPerPage();
    g.setMainTitle(loadString(Str::ChartTitle));
    g.setSubTitle(QString());
    g.setYAxisLabel(loadString(Str::ChartYAxis));
    g.setXAxisLabel(loadString(Str::ChartXAxis));
    g.setNullDataValue(kNullValue);
    g.setSubsets(1);
    g.setPoints(P);
    g.setMaxPointsToGraph(P);
    g.setPointsToGraph(P);
    g.setSubsetLineTypes(0, 0);
    g.setPlottingMethod(PEGraph::gLine);
    g.setManualMaxDataString(QStringLiteral("00000000.000"));
    g.setManualMaxPointLabel(QStringLiteral("00:00:00.000"));
    g.setDataPrecision(PEGraph::gThreeDecimals);
    g.setDeskColor(deskColor);
    g.setGraphBackColor(Qt::black);
    g.setGraphForeColor(QColor(128, 0, 128));
    g.setSubsetColors(0, QColor(192, 192, 192));
    g.setManualScaleControlY(PEGraph::gManualMinAndMax);
    g.setManualMaxY(core.upperY());
    g.setManualMinY(core.lowerY());
    g.setNoStackedData(true);
    g.setAllowHistogram(false);
    g.setAllowDataHotSpots(true);
    g.setPointsToGraphInit(PEGraph::gLast);
    g.setPointSize(PEGraph::gLargePoints);
    emptyPoints(g, P);
    g.setGridLineControl(PEGraph::gYPlusXAxis);
    g.setCursorMode(PEGraph::gVertLine);
    g.setMouseCursorControl(true);
    g.setCursorPromptStyle(PEGraph::gNoPrompt);
    g.setGridStyle(PEGraph::gDot);
    g.setAllowZooming(PEGraph::gHorzPlusVertZooming);
    g.setPrepareImages(true);
    g.setCursorPoint(P - 1);
    redraw();
}

void RecorderChart::reset(const RecorderCore& core)
{
    PEGraph& g = graph_;
    const int P = core.pointsPerPage();
    g.setSubsetLineTypes(0, 0);
    g.setPoints(P);
    g.setManualMaxY(core.upperY());
    g.setManualMinY(core.lowerY());
    emptyPoints(g, P);
    // The readout leaves an empty buffer alone, so the caption it wrote for
    // the last record is taken back here.
    g.setYAxisLabel(loadString(Str::ChartYAxis));
    redraw();
    g.setCursorPoint(P - 1);
}

void RecorderChart::loadPage(const RecorderCore& core, int page)
{
    PEGraph& g = graph_;
    const int P = core.pointsPerPage();
    const auto w = page_math::pageWindow(core.buffer().size(), core.totalPages(), page, P);
    for (int i = 0; i < w.emptyPoints; ++i) {
        g.setYData(0, i, kNullValue);
        g.setPointLabels(i, QStringLiteral(" "));
    }
    for (int j = 0; j < w.recordCount; ++j) {
        const TBRecord& r = core.buffer()[w.firstRecord + j];
        g.setYData(0, w.emptyPoints + j, r.head.value);
        g.setPointLabels(w.emptyPoints + j, fieldString(r.head.timeText));
    }
    g.setManualMaxY(core.upperY());
    g.setManualMinY(core.lowerY());
}

int RecorderChart::recordAtCursor(const RecorderCore& core, int page) const
{
    const int n = core.buffer().size();
    const int k = page_math::recordAtPoint(graph_.cursorPoint(), n, core.totalPages(), page, core.pointsPerPage());
    return k >= 0 && k < n ? k : -1;
}

QString RecorderChart::axisCaption(const TBRecord* r)
{
    QString caption = loadString(Str::ChartYAxis);
    if (!r)
        return caption;
    switch (r->head.functionCode) {
    case code::Capacitance: return caption + loadString(Str::AxisMicrofarad);
    case code::Ohms:
    case code::Ohms2: return caption + loadString(Str::AxisOhm);
    case code::Energy1:
    case code::Energy3: return caption + loadString(Str::AxisKilowattHour);
    default: break;
    }
    // The unit as the readout's unit panel shows it.
    const std::string unit = displayUnitText(r->head.functionCode, std::string(fieldText(r->head.unitText)));
    return caption + QLatin1Char('(') + QString::fromStdString(unit) + QLatin1Char(')');
}

void RecorderChart::showAxisCaption(const QString& caption)
{
    graph_.setYAxisLabel(caption);
    redraw();
}

void RecorderChart::showPage(const RecorderCore& core, int page)
{
    loadPage(core, page);
    redraw();
    if (core.buffer().empty())
        return;
    const int k = recordAtCursor(core, page);
    showAxisCaption(axisCaption(k < 0 ? nullptr : &core.buffer()[k]));
}

void RecorderChart::redraw()
{
    graph_.setPEnarg1(0);
    graph_.setPEnarg2(0);
    graph_.setPEactions(PEGraph::gReinitAndReset);
}

} // namespace vt640
