#include "viewer/point_label_ticker.h"

#include "viewer/core/label_spacing.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace vt640 {

PointLabelTicker::PointLabelTicker(std::function<QString(int)> labelAt, std::function<int()> pointCount)
    : labelAt_(std::move(labelAt)), pointCount_(std::move(pointCount))
{}

void PointLabelTicker::setWidestLabel(const QString& text, const QFont& font)
{
    // Room for the text plus a gap of about two characters between labels.
    const QFontMetrics metrics(font);
    labelWidth_ = metrics.horizontalAdvance(text) + metrics.horizontalAdvance(QStringLiteral("00"));
}

int PointLabelTicker::maxLabels() const { return std::max(1, axisWidth_ / std::max(1, labelWidth_)); }

QVector<double> PointLabelTicker::createTickVector(double, const QCPRange& range)
{
    const int n = pointCount_();
    const int first = std::max(0, static_cast<int>(std::ceil(range.lower)));
    const int last = std::min(n - 1, static_cast<int>(std::floor(range.upper)));
    QVector<double> ticks;
    for (int p : evenLabelPoints(first, last, maxLabels()))
        ticks.push_back(p);
    return ticks;
}

QString PointLabelTicker::getTickLabel(double tick, const QLocale&, QChar, int)
{
    return labelAt_(static_cast<int>(std::lround(tick))).trimmed();
}

} // namespace vt640
