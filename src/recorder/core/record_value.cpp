#include "recorder/core/record_value.h"

#include "meter/meter_reading.h"
#include "meter/number_text.h"

#include <limits>
#include <string>

namespace vt640 {
namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

// Full scale by function, for an overload display; empty for functions
// without one.
std::optional<double> fullScale(std::int32_t functionCode, int e)
{
    switch (functionCode) {
    case code::DcVolts:
    case code::AcVolts:
    case code::Volts2:
    case code::AcAmps:
    case code::Amps2:
    case code::Amps3: return pow10i(e) * 6.6;
    case code::Capacitance: return pow10i(e) * 5.5;
    case code::Ohms:
    case code::Hertz: return pow10i(e) * 9.9;
    case code::DegreesC:
    case code::DegreesF: return 1100.0;
    case code::Ohms2: return 1000.0;
    case code::Percent: return 110.0;
    default: return std::nullopt;
    }
}

// A double narrowed to the record's float; values beyond its range become
// infinities instead of undefined behaviour.
float toFloat(double v)
{
    if (v > std::numeric_limits<float>::max())
        return std::numeric_limits<float>::infinity();
    if (v < -std::numeric_limits<float>::max())
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

} // namespace

bool isStatusDisplay(std::string_view t)
{
    return t == "Strt" || t == "StoP" || t == "PAUS" || t == "Cont" || t == "CALL";
}

namespace {

// The main text read as a number with its exponent, as the recorder reads it.
std::optional<double> displayNumber(std::string_view mainText, std::string_view exponentText)
{
    std::string text(trimmed(mainText));
    if (text.find('E') == std::string::npos) {
        text += 'E';
        text += exponentText;
    }
    return parseDecimal(text);
}

} // namespace

bool showsNumber(std::string_view mainText, std::string_view exponentText)
{
    return displayNumber(mainText, exponentText).has_value();
}

std::optional<float> recordValueFor(std::string_view mainText, std::string_view exponentText, std::int32_t functionCode)
{
    if (const auto v = displayNumber(mainText, exponentText)) {
        if (functionCode == code::Hertz && exponentText == "6")
            return toFloat(*v * 0.001);
        return toFloat(*v);
    }
    if (mainText.find('L') != std::string_view::npos) {
        const auto scale = fullScale(functionCode, parseInteger(exponentText).value_or(0));
        if (!scale)
            return std::nullopt;
        const double v = mainText.find('-') != std::string_view::npos ? -*scale : *scale;
        return toFloat(v);
    }
    if (isStatusDisplay(mainText))
        return 0.0f;
    return std::nullopt;
}

} // namespace vt640
