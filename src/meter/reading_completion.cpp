#include "meter/reading_completion.h"

#include "meter/number_text.h"
#include "meter/unit_names.h"

#include <algorithm>
#include <optional>

namespace vt640 {
namespace {

bool hasMinus(const std::string& text) { return text.find('-') != std::string::npos; }

// Width for the common volts/amperes format: one more for a sign, one less
// when no decimals follow.
std::string formatW(const MeterReading& r, int exponent, double scaled)
{
    const bool minus = hasMinus(r.mainText);
    const int width = (exponent == 3 ? 4 : 5) + (minus ? 1 : 0);
    return formatFixed(width, 3 - exponent, scaled);
}

std::string formatWPrime(const MeterReading& r, int precision, double scaled)
{
    return formatFixed(hasMinus(r.mainText) ? 6 : 5, precision, scaled);
}

// Runs the numeric row for the reading's code. Returns the value text, or
// nullopt when a conversion failed part-way (fields already assigned stay).
std::optional<std::string> completeNumeric(MeterReading& r, std::int32_t c)
{
    const auto n = parseInteger(r.exponentText);

    if (c == code::Hertz || code::isPower(c)) {
        // These rows read the value before they assign the exponent.
        const auto v = parseDecimal(r.mainText);
        if (!v)
            return std::nullopt;
        r.value = *v;
        if (!n)
            return std::nullopt;
        if (c == code::Hertz) {
            r.exponent = *n;
            if (r.exponent == 3)
                return formatFixed(4, 0, pow10i(3) * r.value);
            if (r.exponent == 6)
                return formatFixed(5, 3, r.value);
            return formatFixed(5, std::max(0, 3 - r.exponent), pow10i(r.exponent) * r.value);
        }
        r.exponent = *n % 3 == 0 ? 3 : *n % 3;
        if (r.exponent == 3)
            return formatWPrime(r, 3, r.value);
        return formatWPrime(r, 3 - r.exponent, pow10i(r.exponent) * r.value);
    }

    if (!n)
        return std::nullopt;

    switch (c) {
    case code::None: {
        r.exponent = *n;
        const auto v = parseDecimal(r.mainText);
        if (!v)
            return std::nullopt;
        r.value = pow10i(r.exponent) * *v;
        return formatFixed(4, 0, r.value);
    }
    case code::DcVolts:
    case code::AcVolts:
    case code::Percent2:
    case code::AcAmps: {
        if (c == code::AcAmps)
            r.exponent = *n >= 0 ? *n : *n % 3 + 3;
        else
            r.exponent = *n < 0 ? *n + 3 : *n;
        const auto v = parseDecimal(r.mainText);
        if (!v)
            return std::nullopt;
        r.value = *v;
        return formatW(r, r.exponent, pow10i(r.exponent) * r.value);
    }
    case code::Capacitance: {
        r.exponent = *n == 3 ? 3 : (*n + 3) % 3;
        const auto v = parseDecimal(r.mainText);
        if (!v)
            return std::nullopt;
        r.value = *v;
        if (r.exponent == 3)
            return formatFixed(4, 0, pow10i(3) * r.value);
        return formatFixed(5, 3 - r.exponent, pow10i(r.exponent) * r.value);
    }
    case code::DegreesC:
    case code::DegreesF: {
        r.exponent = *n;
        if (!r.mainText.empty())
            r.mainText.pop_back(); // the "C" or "F"
        const auto v = parseDecimal(r.mainText);
        if (!v)
            return std::nullopt;
        r.value = pow10i(r.exponent) * *v;
        return formatFixed(3, 0, r.value);
    }
    case code::Ohms:
    case code::Ohms2: {
        r.exponent = *n % 3;
        const auto v = parseDecimal(r.mainText);
        if (!v)
            return std::nullopt;
        r.value = *v;
        return formatFixed(5, 3 - r.exponent, pow10i(r.exponent) * r.value);
    }
    default: return std::nullopt; // not reached: the caller routes the rest
    }
}

bool isNumericCode(std::int32_t c)
{
    switch (c) {
    case code::None:
    case code::DcVolts:
    case code::AcVolts:
    case code::Percent2:
    case code::AcAmps:
    case code::Capacitance:
    case code::DegreesC:
    case code::DegreesF:
    case code::Ohms:
    case code::Ohms2:
    case code::Hertz: return true;
    default: return code::isPower(c);
    }
}

} // namespace

void completeMeterReading(MeterReading& r)
{
    // A blank function runs its own row but is shown as degrees F; its unit
    // stays empty because the unit follows rawCode.
    const std::int32_t row = r.functionCode;
    if (row == code::None)
        r.functionCode = code::DegreesF;

    if (isNumericCode(row)) {
        if (auto text = completeNumeric(r, row)) {
            r.valueText = std::move(*text);
            if (r.valueText.size() > MeterReading::kValueTextMax)
                r.valueText.resize(MeterReading::kValueTextMax);
            r.readoutText = r.valueText;
        } else {
            r.valueText = r.mainText.substr(0, MeterReading::kValueTextMax);
            r.readoutText = r.mainText;
        }
    } else if (row == code::Auto) {
        r.exponent = 0;
        r.valueText = r.mainText.substr(0, MeterReading::kValueTextMax);
        r.readoutText = r.mainText;
    } else {
        r.valueText = r.mainText.substr(0, MeterReading::kValueTextMax);
        r.readoutText = kNoCompletedValue;
    }

    r.prefixExponent = prefixExponentFor(r.functionCode, r.exponentText);
    r.prefixText = prefixTextFor(r.functionCode, r.prefixExponent);
    r.unitText = unitTextFor(r.rawCode);
}

} // namespace vt640
