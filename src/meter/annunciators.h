#pragma once

#include <cstdint>
#include <string>

namespace vt640 {

// The annunciator texts the meter's LCD lights beside a reading.
struct Annunciators {
    std::string acDc;   // "DC", "AC", "3-Ph" or empty
    std::string wires;  // "3W", "4W" or empty
    std::string hold;   // "Hold" or empty
    std::string peak;   // "Peak" or empty
    std::string aLag;   // "A-Lags", "A-Leads" or empty
    std::string phases; // "A: L3L2L1" style, or empty
};

Annunciators annunciatorsFor(std::int32_t functionCode, std::uint8_t status);

// The unit as a person reads it: resistance shows "Ω" where the stored text
// keeps "W".
std::string displayUnitText(std::int32_t functionCode, const std::string& unitText);

} // namespace vt640
