#pragma once

#include <QString>
#include <Qt>

#include <cstdint>
#include <string>

namespace vt640 {

// How a prefix field and a unit field show the reading's prefix and unit.
// The same rule holds wherever a prefix and unit stand beside a number: the
// digital meter, the analog meter, the comparator's limit rows and the limits
// dialog.
//
// Temperature right-justifies the prefix and left-justifies the unit so that
// the two read as one; resistance shows its stored "W" as the omega sign.
struct UnitFieldStyle {
    QString prefixText;
    Qt::Alignment prefixAlignment = Qt::AlignCenter;
    // The prefix field of a temperature uses the symbol face.
    bool prefixSymbolFace = false;
    QString unitText; // as shown: "Ω" for resistance
    Qt::Alignment unitAlignment = Qt::AlignCenter;
    // The unit of resistance is a symbol (omega).
    bool unitSymbolFace = false;

    static UnitFieldStyle forReading(std::int32_t functionCode, const std::string& prefixText,
                                     const std::string& unitText);
};

} // namespace vt640
