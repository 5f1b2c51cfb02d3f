#include "views/core/digital_meter_texts.h"

#include "meter/annunciators.h"

namespace vt640 {

DigitalMeterTexts DigitalMeterTexts::forReading(const MeterReading& r)
{
    DigitalMeterTexts t;
    t.data = QString::fromStdString(r.readoutText);
    t.units = UnitFieldStyle::forReading(r.functionCode, r.prefixText, r.unitText);
    t.subData = r.subText.empty() ? QStringLiteral(" ") : QString::fromStdString(" " + r.subText + " " + r.subFunction);
    const Annunciators a = annunciatorsFor(r.functionCode, r.status);
    t.acDc = QString::fromStdString(a.acDc);
    t.wires = QString::fromStdString(a.wires);
    t.hold = QString::fromStdString(a.hold);
    t.peak = QString::fromStdString(a.peak);
    t.aLag = QString::fromStdString(a.aLag);
    t.phases = QString::fromStdString(a.phases);
    return t;
}

} // namespace vt640
