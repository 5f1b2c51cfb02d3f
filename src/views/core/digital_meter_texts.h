#pragma once

#include "meter/meter_reading.h"
#include "views/core/unit_field_style.h"

#include <QString>

namespace vt640 {

// Everything the digital meter's fields show for one reading.
struct DigitalMeterTexts {
    QString data; // the readout ("1234", "OL", "----")
    UnitFieldStyle units;
    QString subData; // " <sub text> <sub function>", or a single blank
    QString acDc, wires, hold, peak, aLag, phases;

    static DigitalMeterTexts forReading(const MeterReading& reading);
};

} // namespace vt640
