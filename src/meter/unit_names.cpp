#include "meter/unit_names.h"

#include "meter/meter_reading.h"
#include "meter/number_text.h"

namespace vt640 {

std::int32_t prefixExponentFor(std::int32_t functionCode, std::string_view exponentText)
{
    const auto parsed = parseInteger(exponentText);
    if (!parsed)
        return 0;
    const int n = *parsed;
    switch (functionCode) {
    case code::DcVolts:
    case code::AcVolts:
    case code::Volts2:
    case code::Percent2: return (n == -2 || n == -1) ? -3 : 1;
    case code::Capacitance:
        if (n >= -3 && n <= -1)
            return -9;
        if (n >= 0 && n <= 3)
            return -6;
        return 0;
    case code::Ohms:
    case code::Ohms2: return n / 3 * 3;
    case code::AcAmps:
    case code::Amps2:
    case code::Amps3:
        if (n == -4 || n == -3)
            return -6;
        if (n == -2 || n == -1)
            return -3;
        return 0;
    case code::ApparentPower1:
    case code::ReactivePower1:
    case code::ActivePower1:
    case code::ApparentPower3:
    case code::ReactivePower3:
    case code::ActivePower3: return (n >= 3 && n <= 6) ? 3 : 0;
    case code::Hertz:
        // n - 3 cannot overflow for the texts the decoder writes; guard anyway.
        return n < INT32_MIN + 3 ? 0 : n - 3;
    default: return 0;
    }
}

std::string prefixTextFor(std::int32_t /*functionCode*/, std::int32_t prefixExponent)
{
    switch (prefixExponent) {
    case -9: return "n";
    case -6: return "u";
    case -3: return "m";
    case 3: return "k";
    case 6: return "M";
    default: return {};
    }
}

std::string unitTextFor(std::uint32_t functionCode)
{
    switch (static_cast<std::int32_t>(functionCode & ~code::LowBatteryBit)) {
    case code::DcVolts:
    case code::AcVolts:
    case code::Volts2: return "V";
    case code::Capacitance: return "F";
    case code::DegreesC: return "C";
    case code::DegreesF: return "F";
    case code::Ohms:
    case code::Ohms2: return "W";
    case code::AcAmps:
    case code::Amps2:
    case code::Amps3: return "A";
    case code::Hertz: return "Hz";
    case code::Percent:
    case code::Percent2: return "%";
    case code::ActivePower1:
    case code::ActivePower3: return "W";
    case code::ApparentPower1:
    case code::ApparentPower3: return "VA";
    case code::ReactivePower1:
    case code::ReactivePower3: return "VAR";
    default: return {};
    }
}

} // namespace vt640
