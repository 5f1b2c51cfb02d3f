#include "views/core/unit_field_style.h"

#include "meter/annunciators.h"
#include "meter/meter_reading.h"

namespace vt640 {

UnitFieldStyle UnitFieldStyle::forReading(std::int32_t c, const std::string& prefixText, const std::string& unitText)
{
    UnitFieldStyle s;
    s.prefixText = QString::fromStdString(prefixText);
    s.unitText = QString::fromStdString(displayUnitText(c, unitText));
    if (c == code::DegreesC || c == code::DegreesF) {
        s.prefixAlignment = Qt::AlignRight | Qt::AlignVCenter;
        s.prefixSymbolFace = true;
        s.unitAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
    if (c == code::Ohms || c == code::Ohms2)
        s.unitSymbolFace = true;
    return s;
}

} // namespace vt640
