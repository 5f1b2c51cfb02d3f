#pragma once

#include "app/core/user_messages.h"
#include "viewer/pe_graph.h"

#include <QColor>
#include <QString>

#include <cmath>

namespace vt640::test {

// One page of the recorder's chart, set up as the recorder sets it: 200
// points of drifting single-phase watts with a time label each, its
// colours (silver on black, purple dotted grid), manual Y range and the
// cursor on the newest point.
inline void fillRecorderLikePage(PEGraph& g, int points = 200)
{
    g.setMainTitle(loadString(Str::ChartTitle));
    g.setYAxisLabel(loadString(Str::ChartYAxis));
    g.setXAxisLabel(loadString(Str::ChartXAxis));
    g.setNullDataValue(-99999.0);
    g.setSubsets(1);
    g.setPoints(points);
    g.setSubsetLineTypes(0, 0);
    g.setPlottingMethod(PEGraph::gLine);
    g.setManualMaxDataString(QStringLiteral("00000000.000"));
    g.setManualMaxPointLabel(QStringLiteral("00:00:00.000"));
    g.setDataPrecision(PEGraph::gThreeDecimals);
    g.setDeskColor(QColor(239, 239, 239));
    g.setGraphBackColor(Qt::black);
    g.setGraphForeColor(QColor(128, 0, 128));
    g.setSubsetColors(0, QColor(192, 192, 192));
    g.setManualScaleControlY(PEGraph::gManualMinAndMax);
    g.setManualMinY(800.0);
    g.setManualMaxY(1600.0);
    g.setPointSize(PEGraph::gLargePoints);
    g.setGridLineControl(PEGraph::gYPlusXAxis);
    g.setGridStyle(PEGraph::gDot);
    g.setCursorMode(PEGraph::gVertLine);
    for (int i = 0; i < points; ++i) {
        const double watts = 1200.0 + 250.0 * std::sin(i / 23.0) + 60.0 * std::sin(i / 3.1) + (i % 7) * 9.0;
        g.setYData(0, i, static_cast<float>(watts));
        const int ms = 500 * i;
        g.setPointLabels(i, QStringLiteral("14:%1:%2.%3")
                                .arg(5 + ms / 60000, 2, 10, QLatin1Char('0'))
                                .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                                .arg(ms % 1000, 3, 10, QLatin1Char('0')));
    }
    g.setCursorPoint(points - 1);
    g.setPEnarg1(0);
    g.setPEnarg2(0);
    g.setPEactions(PEGraph::gReinitAndReset);
}

} // namespace vt640::test
