#pragma once

#include <qcustomplot.h>

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>

namespace vt640 {

// X-axis ticks on whole points, labelled with the points' texts: as many as
// fit across the axis without overlapping, evenly spaced.
class PointLabelTicker : public QCPAxisTicker {
public:
    // `labelAt(i)` gives the text of point i; `pointCount` the number of points.
    PointLabelTicker(std::function<QString(int)> labelAt, std::function<int()> pointCount);

    // Width in pixels the axis offers, and the widest label to reserve room for.
    void setAxisWidth(int pixels) { axisWidth_ = pixels; }
    void setWidestLabel(const QString& text, const QFont& font);
    int maxLabels() const;

protected:
    QVector<double> createTickVector(double tickStep, const QCPRange& range) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;
    int getSubTickCount(double) override { return 0; }

private:
    std::function<QString(int)> labelAt_;
    std::function<int()> pointCount_;
    int axisWidth_ = 600;
    int labelWidth_ = 80;
};

} // namespace vt640
