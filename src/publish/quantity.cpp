#include "publish/quantity.h"

#include "meter/meter_reading.h"

#include <array>

namespace vt640::publish {
namespace {

constexpr Quantity kVoltage{"voltage", "Voltage", "V", "voltage", "measurement"};
constexpr Quantity kCurrent{"current", "Current", "A", "current", "measurement"};
constexpr Quantity kPower{"power", "Power", "W", "power", "measurement"};
constexpr Quantity kApparentPower{"apparent_power", "Apparent power", "VA", "apparent_power", "measurement"};
constexpr Quantity kReactivePower{"reactive_power", "Reactive power", "var", "reactive_power", "measurement"};
constexpr Quantity kFrequency{"frequency", "Frequency", "Hz", "frequency", "measurement"};
constexpr Quantity kTemperatureC{"temperature_c", "Temperature", "\u00B0C", "temperature", "measurement"};
constexpr Quantity kTemperatureF{"temperature_f", "Temperature (\u00B0F)", "\u00B0F", "temperature", "measurement"};
constexpr Quantity kResistance{"resistance", "Resistance", "\u03A9", "", "measurement"};
constexpr Quantity kCapacitance{"capacitance", "Capacitance", "F", "", "measurement"};
constexpr Quantity kPercent{"percent", "Percent", "%", "", "measurement"};
constexpr Quantity kPowerFactor{"power_factor", "Power factor", "", "power_factor", "measurement"};
constexpr Quantity kEnergy{"energy", "Energy", "kWh", "energy", "total_increasing"};

constexpr std::array<const Quantity*, 13> kAll{
    &kVoltage,      &kCurrent,    &kPower,       &kApparentPower, &kReactivePower, &kFrequency, &kTemperatureC,
    &kTemperatureF, &kResistance, &kCapacitance, &kPercent,       &kPowerFactor,   &kEnergy};

} // namespace

const Quantity* quantityOf(std::int32_t functionCode, std::string_view unitText)
{
    // A blank function is kept as degrees F but has no unit.
    if (unitText.empty())
        return nullptr;
    switch (functionCode) {
    case code::DcVolts:
    case code::AcVolts:
    case code::Volts2: return &kVoltage;
    case code::Capacitance: return &kCapacitance;
    case code::DegreesC: return &kTemperatureC;
    case code::DegreesF: return &kTemperatureF;
    case code::Ohms:
    case code::Ohms2: return &kResistance;
    case code::AcAmps:
    case code::Amps2:
    case code::Amps3: return &kCurrent;
    case code::Hertz: return &kFrequency;
    case code::Percent:
    case code::Percent2: return &kPercent;
    case code::ApparentPower1:
    case code::ApparentPower3: return &kApparentPower;
    case code::ReactivePower1:
    case code::ReactivePower3: return &kReactivePower;
    case code::ActivePower1:
    case code::ActivePower3: return &kPower;
    default: return nullptr;
    }
}

const Quantity& powerFactor() { return kPowerFactor; }

const Quantity& energy() { return kEnergy; }

const Quantity* const* allQuantities(std::size_t* count)
{
    *count = kAll.size();
    return kAll.data();
}

std::string_view functionName(std::int32_t functionCode)
{
    switch (functionCode) {
    case code::DcVolts: return "DC volts";
    case code::AcVolts: return "AC volts";
    case code::Volts2: return "Volts";
    case code::Capacitance: return "Capacitance";
    case code::DegreesC: return "Degrees C";
    case code::DegreesF: return "Degrees F";
    case code::Ohms:
    case code::Ohms2: return "Resistance";
    case code::AcAmps: return "AC amperes";
    case code::Amps2:
    case code::Amps3: return "Amperes";
    case code::ApparentPower1: return "Apparent power, single phase";
    case code::Hertz: return "Frequency";
    case code::Percent:
    case code::Percent2: return "Percent";
    case code::ReactivePower1: return "Reactive power, single phase";
    case code::ActivePower1: return "Active power, single phase";
    case code::ApparentPower3: return "Apparent power, three phase";
    case code::ReactivePower3: return "Reactive power, three phase";
    case code::ActivePower3: return "Active power, three phase";
    case code::Energy1: return "Energy, single phase";
    case code::Energy3: return "Energy, three phase";
    case code::Auto: return "Auto";
    default: return {};
    }
}

} // namespace vt640::publish
