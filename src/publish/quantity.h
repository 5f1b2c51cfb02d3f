#pragma once

#include <cstdint>
#include <string_view>

namespace vt640::publish {

// What one sensor measures. Each unit has a quantity of its own, so that a
// sensor's unit never changes: DC and AC volts are both "voltage", while
// degrees C and degrees F are two quantities.
struct Quantity {
    std::string_view key;         // in payloads, topics and ids: "voltage", "temperature_c", ...
    std::string_view name;        // as a person reads it: "Voltage"
    std::string_view unit;        // the unit of the value in base units: "V", "Ω", "°C", "var", ...
    std::string_view deviceClass; // Home Assistant's class for it, empty where it has none
    std::string_view stateClass;  // "measurement", or "total_increasing" for the energy sum
};

// The quantity of a record's value, from its function code; nothing for a
// record without a unit (no function lit, "Auto").
const Quantity* quantityOf(std::int32_t functionCode, std::string_view unitText);
// The power factor of the sub-display.
const Quantity& powerFactor();
// The energy sum in kWh.
const Quantity& energy();
// Every quantity, for tests and for naming them.
const Quantity* const* allQuantities(std::size_t* count);

// The measuring function as a person names it: "DC volts", "Active power,
// single phase", ...; empty for a code the meter does not show.
std::string_view functionName(std::int32_t functionCode);

} // namespace vt640::publish
