#include "views/core/meter_artwork.h"

#include "views/core/display_fonts.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace vt640::artwork {
namespace {

constexpr double kDegrees = 3.14159265358979323846 / 180.0;

// A point `radius` away from `centre` at `angle` degrees (y grows downwards).
QPointF polar(QPointF centre, double radius, double angle)
{
    return {centre.x() + radius * std::cos(angle * kDegrees), centre.y() - radius * std::sin(angle * kDegrees)};
}

QImage blank(QSize size, QColor fill = Qt::transparent)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

QFont face(int pixels, bool bold = false) { return arialFontPixels(pixels, bold); }

// A metal-grey plate with a raised edge, and a title in capitals on top.
void drawPlate(QPainter& p, QSize size, const QString& title)
{
    const QRectF outer(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient metal(0, 0, 0, size.height());
    metal.setColorAt(0.0, QColor(0xd8, 0xd8, 0xd8));
    metal.setColorAt(1.0, QColor(0xa8, 0xa8, 0xa8));
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    p.setBrush(metal);
    p.drawRoundedRect(outer, 6, 6);
    p.setPen(QPen(QColor(255, 255, 255, 170), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(outer.adjusted(1, 1, -1, -1), 5, 5);

    QFont font = face(11, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(font);
    p.setPen(QColor(0x20, 0x2c, 0x58));
    p.drawText(QRectF(0, 3, size.width(), 17), Qt::AlignCenter, title);
}

// A white window sunk into the plate.
void drawWindow(QPainter& p, const QRectF& r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, 3, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
    p.drawRoundedRect(r.adjusted(-0.5, -0.5, 0.5, 0.5), 3, 3);
    p.setPen(QPen(QColor(0, 0, 0, 40), 2));
    p.drawLine(r.topLeft() + QPointF(3, 1), r.topRight() + QPointF(-3, 1));
}

} // namespace

QImage analogDial()
{
    QImage image = blank(kDialSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawPlate(p, kDialSize, QStringLiteral("ANALOG METER"));

    const QRectF faceRect(7, 23, kDialSize.width() - 14, 120);
    drawWindow(p, faceRect);

    // The base across the bottom of the face, rising in a dome round the
    // pivot. The dome's ellipse is centred on the base's top edge, so that
    // both of its ends meet that edge and the two shoulders are level.
    const QPointF pivot(kDialSize.width() / 2, AnalogMeterModel::kPivotY);
    constexpr double kBaseTop = 128;
    QPainterPath base;
    base.moveTo(faceRect.left(), kBaseTop);
    base.lineTo(pivot.x() - 26, kBaseTop);
    base.arcTo(QRectF(pivot.x() - 26, kBaseTop - 16, 52, 32), 180, -180);
    base.lineTo(faceRect.right(), kBaseTop);
    base.lineTo(faceRect.right(), faceRect.bottom() - 3);
    base.quadTo(faceRect.right(), faceRect.bottom(), faceRect.right() - 3, faceRect.bottom());
    base.lineTo(faceRect.left() + 3, faceRect.bottom());
    base.quadTo(faceRect.left(), faceRect.bottom(), faceRect.left(), faceRect.bottom() - 3);
    base.closeSubpath();
    QLinearGradient baseShade(0, 116, 0, faceRect.bottom());
    baseShade.setColorAt(0.0, QColor(0x9c, 0x9c, 0x9c));
    baseShade.setColorAt(1.0, QColor(0x6c, 0x6c, 0x6c));
    p.setBrush(baseShade);
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    p.drawPath(base);

    // The pivot boss.
    QRadialGradient boss(pivot - QPointF(2, 2), 8);
    boss.setColorAt(0.0, QColor(0xf0, 0xf0, 0xf0));
    boss.setColorAt(1.0, QColor(0x40, 0x40, 0x40));
    p.setBrush(boss);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    p.drawEllipse(pivot, 6.5, 6.5);
    return image;
}

QImage analogScale(AnalogScale scale)
{
    QImage image = blank(kScaleSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The pivot in the scale's own coordinates.
    const QPointF pivot(kDialSize.width() / 2 - kScaleOnDial.x(), AnalogMeterModel::kPivotY - kScaleOnDial.y());
    // The arc lies where the needle's tip ends, the ticks hang inside it and
    // the numbers stand inside the ticks, so the needle never reaches past
    // the arc into them.
    constexpr double kArc = AnalogMeterModel::kNeedleLength - 1;
    constexpr double kLabels = kArc - 19;
    const QColor ink(0x10, 0x10, 0x10);

    // The arc from zero (150 degrees) to full scale (30 degrees).
    p.setPen(QPen(ink, 1.2));
    p.setBrush(Qt::NoBrush);
    const QRectF arcBox(pivot.x() - kArc, pivot.y() - kArc, 2 * kArc, 2 * kArc);
    p.drawArc(arcBox, 30 * 16, 120 * 16);

    // Fifty divisions: long ticks at every tenth, middle ones at every fifth.
    for (int i = 0; i <= 50; ++i) {
        const double angle = AnalogMeterModel::kZeroAngle - i * 120.0 / 50.0;
        const double length = i % 10 == 0 ? 8.0 : i % 5 == 0 ? 6.0 : 3.5;
        p.setPen(QPen(ink, i % 5 == 0 ? 1.3 : 0.9));
        p.drawLine(polar(pivot, kArc, angle), polar(pivot, kArc - length, angle));
    }

    int step = 1;
    switch (scale) {
    case AnalogScale::ZeroToFive: step = 1; break;
    case AnalogScale::ZeroToTen: step = 2; break;
    case AnalogScale::ZeroToTwenty: step = 4; break;
    }
    p.setFont(face(9, true));
    for (int k = 0; k <= 5; ++k) {
        double angle = AnalogMeterModel::kZeroAngle - k * 24.0;
        // The end numbers sit a little inwards, clear of the end ticks and
        // above the bottom of the picture.
        if (k == 0)
            angle -= 6.0;
        if (k == 5)
            angle += 6.0;
        QColor colour = ink;
        if (scale == AnalogScale::ZeroToTen && k == 0)
            colour = QColor(0x00, 0x30, 0xd0);
        if (scale == AnalogScale::ZeroToTen && k == 5)
            colour = QColor(0xd0, 0x10, 0x10);
        p.setPen(colour);
        const QString label = QString::number(k * step);
        const QPointF at = polar(pivot, kLabels, angle);
        p.drawText(QRectF(at.x() - 10, at.y() - 6, 20, 12), Qt::AlignCenter, label);
    }
    return image;
}

QImage signMark(bool negative)
{
    QImage image = blank(kSignMarkSize, negative ? QColor(0x10, 0x30, 0xd0) : QColor(0xd0, 0x18, 0x18));
    QPainter p(&image);
    p.fillRect(2, 5, 7, 1, Qt::white);
    if (!negative)
        p.fillRect(5, 2, 1, 7, Qt::white);
    return image;
}

QImage comparatorFrame()
{
    QImage image = blank(kFrameSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawPlate(p, kFrameSize, QStringLiteral("COMPARATOR"));
    drawWindow(p, QRectF(7, 20, kFrameSize.width() - 14, kFrameSize.height() - 26));
    return image;
}

QImage comparatorBand()
{
    QImage image = blank(kBandSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The pivot sits on the band's bottom edge, centred.
    const QPointF pivot(kBandSize.width() / 2, kBandSize.height());
    constexpr double kOuter = 74.0, kInner = 46.0, kRim = 40.0;

    struct Segment {
        double from, to; // degrees, counter-clockwise
        QColor colour, dark;
        const char* label;
    };
    const Segment segments[] = {
        {110, 130, QColor(0x20, 0x50, 0xe0), QColor(0x10, 0x20, 0x80), "NG"},
        {70, 110, QColor(0x18, 0xb0, 0x30), QColor(0x08, 0x60, 0x18), "GO"},
        {50, 70, QColor(0xe0, 0x20, 0x20), QColor(0x80, 0x10, 0x10), "NG"},
    };

    auto ring = [&](double inner, double outer, double from, double to) {
        QPainterPath path;
        path.arcMoveTo(QRectF(pivot.x() - outer, pivot.y() - outer, 2 * outer, 2 * outer), from);
        path.arcTo(QRectF(pivot.x() - outer, pivot.y() - outer, 2 * outer, 2 * outer), from, to - from);
        path.arcTo(QRectF(pivot.x() - inner, pivot.y() - inner, 2 * inner, 2 * inner), to, from - to);
        path.closeSubpath();
        return path;
    };

    QFont font = face(11, true);
    p.setFont(font);
    for (const Segment& s : segments) {
        p.setPen(Qt::NoPen);
        p.setBrush(s.colour);
        p.drawPath(ring(kInner, kOuter, s.from, s.to));
        // The small bar under each segment.
        p.setBrush(s.dark);
        p.drawPath(ring(kRim, kInner - 1.5, s.from + 1.5, s.to - 1.5));

        p.setPen(Qt::white);
        const QPointF at = polar(pivot, (kInner + kOuter) / 2, (s.from + s.to) / 2);
        p.drawText(QRectF(at.x() - 12, at.y() - 7, 24, 14), Qt::AlignCenter, QString::fromLatin1(s.label));
    }
    // Thin dividers where the limits are.
    p.setPen(QPen(Qt::white, 1.2));
    for (double angle : {70.0, 110.0})
        p.drawLine(polar(pivot, kRim, angle), polar(pivot, kOuter, angle));
    return image;
}

void drawNeedle(QPainter& p, const QPoint& pivot, const QPoint& tip, double capRadius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(pivot) + QPointF(0.5, 0.5), QPointF(tip) + QPointF(0.5, 0.5));
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
    p.setBrush(QColor(0x50, 0x50, 0x50));
    p.drawEllipse(QPointF(pivot) + QPointF(0.5, 0.5), capRadius, capRadius);
    p.restore();
}

} // namespace vt640::artwork
