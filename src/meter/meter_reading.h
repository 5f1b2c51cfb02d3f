#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vt640 {

// One 20-byte picture of the meter's LCD, in order of arrival.
using MeterFrame = std::array<std::uint8_t, 20>;

// The one current reading. Decoding writes the raw fields, completion the rest.
// Every field keeps its last value until it is overwritten.
struct MeterReading {
    // Raw fields, written by decodeMeterFrame.
    std::string mainText;      // main display, normalised ("1.234", "OL", "SHrt", ...)
    std::string exponentText;  // power of ten that turns mainText into the shown number
    std::uint32_t rawCode = 0; // function code, bit 31 = low battery
    std::string subText;       // sub-display text, may be empty
    std::string subFunction;   // "PF", "Hr.", "THD%" or empty
    std::uint8_t status = 0;   // phase marks, A-Lags, Hold, Peak, 4-wire

    // Completed fields, written by the acquisition cycle and completeMeterReading.
    std::int32_t functionCode = 0;
    double value = 0.0;
    std::int32_t exponent = 0;
    std::int32_t prefixExponent = 0;
    std::string valueText;   // at most kValueTextMax characters
    std::string prefixText;  // "n", "u", "m", "k", "M" or empty
    std::string unitText;    // "V", "A", "F", "C", "W", "Hz", "%", "VA", "VAR" or empty
    std::string readoutText; // what the digital meter's reading panel shows

    static constexpr std::size_t kValueTextMax = 15;
    static constexpr std::size_t kShortTextMax = 7;
};

// Function codes the system tells apart.
namespace code {
constexpr std::int32_t None = 0;
constexpr std::int32_t DcVolts = 4;
constexpr std::int32_t AcVolts = 5;
constexpr std::int32_t Volts2 = 7;
constexpr std::int32_t Capacitance = 8;
constexpr std::int32_t DegreesC = 32;
constexpr std::int32_t DegreesF = 64;
constexpr std::int32_t Ohms = 128;
constexpr std::int32_t Ohms2 = 384;
constexpr std::int32_t AcAmps = 513;
constexpr std::int32_t Amps2 = 514;
constexpr std::int32_t Amps3 = 515;
constexpr std::int32_t ApparentPower1 = 517;
constexpr std::int32_t Hertz = 1024;
constexpr std::int32_t Percent = 2048;
constexpr std::int32_t Percent2 = 67584;
constexpr std::int32_t ReactivePower1 = 131589;
constexpr std::int32_t ActivePower1 = 262145;
constexpr std::int32_t ApparentPower3 = 524804;
constexpr std::int32_t ReactivePower3 = 655876;
constexpr std::int32_t ActivePower3 = 786432;
constexpr std::int32_t Energy1 = 1310721;
constexpr std::int32_t Energy3 = 1835008;
constexpr std::int32_t Auto = 8388608;
constexpr std::uint32_t LowBatteryBit = 0x80000000u;

// The two kilowatt-hour functions, which the program refuses to log.
constexpr bool isEnergy(std::int32_t c) { return c == Energy1 || c == Energy3; }
// The six power functions (apparent, reactive, active; single and three phase).
constexpr bool isPower(std::int32_t c)
{
    return c == ApparentPower1 || c == ReactivePower1 || c == ActivePower1 || c == ApparentPower3 || c == ReactivePower3
           || c == ActivePower3;
}
} // namespace code

// Status byte bits.
namespace status {
constexpr std::uint8_t PhaseMarks = 0x01;
constexpr std::uint8_t L1 = 0x02;
constexpr std::uint8_t L2 = 0x04;
constexpr std::uint8_t L3 = 0x08;
constexpr std::uint8_t ALags = 0x10;
constexpr std::uint8_t Hold = 0x20;
constexpr std::uint8_t Peak = 0x40;
constexpr std::uint8_t FourWire = 0x80;
} // namespace status

} // namespace vt640
