#include "views/core/digital_meter_layout.h"

#include <algorithm>

namespace vt640 {
namespace {

// 96 / dpi times n, truncated: keeps a text the same number of pixels high
// whatever the screen's resolution.
int perInch(int n, int dpi)
{
    if (dpi <= 0)
        dpi = 96;
    return static_cast<int>(96.0 / dpi * n);
}

// Fonts need a positive size; a window squeezed to nothing still gets one.
int positive(int size) { return std::max(size, 1); }

} // namespace

int DigitalMeterLayout::prefixPointsFor(int prefixWidth)
{
    return positive(static_cast<int>((prefixWidth / 2) * 0.55));
}

int DigitalMeterLayout::unitPointsFor(int unitWidth) { return positive(static_cast<int>((unitWidth * 4 / 10) * 0.55)); }

DigitalMeterLayout DigitalMeterLayout::compute(QSize lcd, int dpi)
{
    DigitalMeterLayout l;
    const int w = std::max(lcd.width(), 0);
    const int h = std::max(lcd.height(), 0);

    // The annunciator column: a seventh of the width, five equal fields.
    const int column = w / 7;
    l.statePanel = QRect(0, 0, column, h);
    const int field = h / 5;
    QRect* fields[] = {&l.acDc, &l.wires, &l.hold, &l.peak, &l.aLag};
    for (int i = 0; i < 5; ++i)
        *fields[i] = QRect(0, i * field, column, field);

    // The sub-display strip: a quarter of the height, at the bottom; the
    // phase marks take the right third of it.
    const int rest = w - column;
    const int strip = h / 4;
    l.subLcd = QRect(column, h - strip, rest, strip);
    const int phases = rest / 3;
    l.phases = QRect(rest - phases, 0, phases, strip);
    l.subData = QRect(0, 0, rest - phases, strip);

    // The main reading above it: unit, and prefix left of it, each a fifth of
    // the whole width, on the right; the digits take the rest.
    const int masterHeight = h - strip;
    l.masterLcd = QRect(column, 0, rest, masterHeight);
    const int unitWidth = w / 5;
    l.unit = QRect(rest - unitWidth, 0, unitWidth, masterHeight);
    l.prefix = QRect(rest - 2 * unitWidth, 0, unitWidth, masterHeight);
    l.data = QRect(0, 0, std::max(rest - 2 * unitWidth, 0), masterHeight);

    // When the unit field changes size the AC/DC field follows it: top left
    // of the column, a quarter of the unit field's height. It stays inside
    // the column, which would hide anything wider.
    l.acDc = QRect(0, 0, std::min(unitWidth, column), masterHeight / 4);

    l.dataPoints = positive(perInch(l.data.width() / 5, dpi));
    l.prefixPoints = prefixPointsFor(l.prefix.width());
    l.unitPoints = unitPointsFor(l.unit.width());
    l.subDataCellPixels = positive(perInch(l.subData.height() * 5 / 10, dpi));
    l.phasesPixels = positive(perInch(l.phases.height() * 4 / 10, dpi));
    l.acDcPoints = positive(l.acDc.width() / 3);
    l.wiresPoints = positive(l.wires.width() / 3);
    l.holdPoints = positive(l.hold.width() / 4);
    l.peakPoints = positive(l.peak.width() / 4);
    l.aLagPoints = positive(perInch(l.aLag.width() / 5, dpi));
    return l;
}

} // namespace vt640
