#pragma once

#include "meter/meter_reading.h"

#include <array>
#include <cstdint>
#include <string>

namespace vt640::sim {

// What the meter's LCD shows, in the terms a person reads off it. Encoding it
// gives the 20 bytes the meter sends; decoding those gives the reading back.
struct LcdPicture {
    // Main display: four characters of the segment table (' ' is blank).
    std::array<char, 4> main{{' ', ' ', ' ', ' '}};
    int mainPoint = 0;  // decimal point before main digit 2, 3 or 4; 0 none
    bool minus = false; // main minus sign
    bool kilo = false;  // kilo mark (adds 3 to the exponent)

    enum class SubLabel { None, PF, Hours, THD, VLine };
    std::array<char, 3> sub{{' ', ' ', ' '}};
    int subPoint = 0;      // decimal point before sub digit 2 or 3; 0 none
    bool subMinus = false; // sub-display minus (shown with PF only)
    SubLabel subLabel = SubLabel::None;

    std::uint32_t functionBits = 0; // annunciator code, bit 31 low battery
    std::uint8_t status = 0;        // phase marks, lags, hold, peak, 4-wire
};

// The segment pattern of a character; 0xFF for a character the table lacks.
std::uint8_t charToSegment(char c);

// The 20 frame bytes for a picture.
MeterFrame encodeMeterFrame(const LcdPicture& picture);

// Lays a display text such as "-1.234", "12.34", "OL", "SHrt" or "Auto" onto
// the four main digits; sets main, mainPoint and minus. Returns false if the
// text does not fit four digits.
bool setMainDisplay(LcdPicture& picture, const std::string& text);
// Lays a sub-display text such as "0.95" or "230" onto the three sub digits.
bool setSubDisplay(LcdPicture& picture, const std::string& text);

} // namespace vt640::sim
