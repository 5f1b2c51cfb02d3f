#include "meter/annunciators.h"

#include "meter/meter_reading.h"

namespace vt640 {

Annunciators annunciatorsFor(std::int32_t c, std::uint8_t s)
{
    Annunciators a;
    switch (c) {
    case code::DcVolts: a.acDc = "DC"; break;
    case code::AcVolts:
    case code::AcAmps:
    case code::ApparentPower1:
    case code::ReactivePower1:
    case code::ActivePower1: a.acDc = "AC"; break;
    case code::ApparentPower3:
    case code::ReactivePower3:
    case code::ActivePower3: a.acDc = "3-Ph"; break;
    default: break;
    }
    if (s & status::Peak)
        a.peak = "Peak";
    if (s & status::Hold)
        a.hold = "Hold";
    const bool power = code::isPower(c);
    if (power && !(s & status::PhaseMarks))
        a.aLag = (s & status::ALags) ? "A-Lags" : "A-Leads";
    if (s & status::PhaseMarks) {
        a.phases = "A: ";
        if (s & status::L3)
            a.phases += "L3";
        if (s & status::L2)
            a.phases += "L2";
        if (s & status::L1)
            a.phases += "L1";
        a.wires = (s & status::FourWire) ? "4W" : "3W";
    }
    return a;
}

std::string displayUnitText(std::int32_t functionCode, const std::string& unitText)
{
    if (functionCode == code::Ohms || functionCode == code::Ohms2)
        return "\u03A9";
    return unitText;
}

} // namespace vt640
