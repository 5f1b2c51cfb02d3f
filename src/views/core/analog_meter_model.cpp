#include "views/core/analog_meter_model.h"

#include "meter/number_text.h"
#include "meter/reading_completion.h"

#include <cmath>
#include <cstdio>
#include <optional>

namespace vt640 {
namespace {

// Codes whose display without a point is still read as digits. The second
// percent function is formatted as volts are, and its widest range ("1234")
// has no point either.
bool digitsWithoutPoint(std::int32_t c)
{
    switch (c) {
    case code::Percent2:
    case code::DcVolts:
    case code::AcVolts:
    case code::Volts2:
    case code::Capacitance:
    case code::DegreesC:
    case code::DegreesF:
    case code::AcAmps:
    case code::Amps2:
    case code::Amps3:
    case code::ApparentPower1:
    case code::Hertz:
    case code::ReactivePower1:
    case code::ActivePower1:
    case code::ApparentPower3:
    case code::ReactivePower3:
    case code::ActivePower3: return true;
    default: return false;
    }
}

// The number the digital meter shows for `r` (its reading panel, without the
// prefix). A function the digital meter shows as "----" has no completed
// value; its number is the display's, times ten to the display's exponent.
std::optional<double> digitalNumber(const MeterReading& r)
{
    if (const auto shown = parseDecimal(r.readoutText))
        return shown;
    if (hasCompletedValue(r))
        return std::nullopt;
    const auto display = parseDecimal(r.valueText);
    const auto exponent = parseInteger(r.exponentText);
    if (!display || !exponent)
        return std::nullopt;
    return *display * pow10i(*exponent);
}

// "x" and the decimal digits of ten to `exponent`, truncated to an integer.
std::string timesPowerOfTen(std::int32_t exponent)
{
    const double factor = std::trunc(pow10i(exponent));
    if (!std::isfinite(factor))
        return "x" + formatGeneral15(factor);
    char text[400];
    std::snprintf(text, sizeof text, "x%.0f", factor);
    return text;
}

} // namespace

double AnalogMeterModel::needleAngleFor(double scaleValue, double fullScale)
{
    const double angle = 180.0 - (std::fabs(scaleValue) * 120.0 / fullScale + 30.0);
    // Beyond the end of the scale (and anything that is no number) the needle
    // rests on its stop.
    if (!(angle >= kStopAngle))
        return kStopAngle;
    return angle;
}

AnalogScale AnalogMeterModel::scaleFor(std::int32_t c)
{
    switch (c) {
    case code::DegreesC:
    case code::DegreesF: return AnalogScale::ZeroToTwenty;
    case code::AcVolts:
    case code::Ohms:
    case code::Ohms2:
    case code::ApparentPower1:
    case code::Hertz:
    case code::Percent:
    case code::Percent2:
    case code::ReactivePower1:
    case code::ActivePower1:
    case code::ApparentPower3:
    case code::ReactivePower3:
    case code::ActivePower3: return AnalogScale::ZeroToTen;
    default: return AnalogScale::ZeroToFive;
    }
}

std::int32_t AnalogMeterModel::multiplierExponentFor(std::int32_t c, std::int32_t exponent)
{
    if (c == code::Hertz) {
        if (exponent == 3)
            return 2;
        if (exponent == 6)
            return 0;
    }
    // At exponent 3 a power reading's value text is the display unscaled
    // (1.234 with the prefix k), so its digits are read times one.
    if (code::isPower(c) && exponent == 3)
        return 0;
    return exponent;
}

std::string AnalogMeterModel::multiplierText(std::int32_t c, std::int32_t exponent)
{
    return timesPowerOfTen(multiplierExponentFor(c, exponent));
}

std::string AnalogMeterModel::multiplierText() const { return timesPowerOfTen(multiplierExponent_); }

double AnalogMeterModel::scaleEnd(AnalogScale scale)
{
    switch (scale) {
    case AnalogScale::ZeroToFive: return 5.0;
    case AnalogScale::ZeroToTen: return 10.0;
    case AnalogScale::ZeroToTwenty: return 20.0;
    }
    return 10.0;
}

double AnalogMeterModel::dialReading() const
{
    if (fullScale_ == 0.0)
        return 0.0;
    return std::fabs(scaleValue_) / fullScale_ * scaleEnd(scale_);
}

void AnalogMeterModel::feed(const MeterReading& r)
{
    valueText_ = r.valueText;
    prefixText_ = r.prefixText;
    unitText_ = r.unitText;
    code_ = r.functionCode;
    mainText_ = r.mainText;
    scale_ = scaleFor(code_);

    std::string u = r.valueText;
    const auto minus = u.find('-');
    negative_ = minus != std::string::npos;
    if (negative_)
        u = u.substr(minus + 1);

    std::string w;
    if (const auto point = u.find('.'); point != std::string::npos)
        w = u.substr(0, point) + u.substr(point + 1);
    else if (digitsWithoutPoint(code_))
        w = u;

    // A function without a completed reading keeps the exponent of an
    // earlier one in `r.exponent`; its own is the display's.
    std::int32_t exponent = r.exponent;
    if (!hasCompletedValue(r))
        exponent = parseInteger(r.exponentText).value_or(0);

    const auto number = parseDecimal(w);
    if (!number) {
        if (mainText_.find('L') != std::string::npos) {
            fullScale_ = 5000.0;
            scaleValue_ = 5500.0;
            exponent_ = exponent;
        } else {
            // A message such as "SHrt": nothing to point at, so the needle
            // rests at zero, read times one.
            scaleValue_ = 0.0;
            exponent_ = 0;
        }
        multiplierExponent_ = multiplierExponentFor(code_, exponent_);
        return;
    }

    scaleValue_ = *number;
    exponent_ = exponent;
    const int n = static_cast<int>(w.size());
    switch (code_) {
    case code::AcVolts:
    case code::Ohms:
    case code::Ohms2:
    case code::ApparentPower1:
    case code::ReactivePower1:
    case code::ActivePower1:
    case code::ApparentPower3:
    case code::ReactivePower3:
    case code::ActivePower3: fullScale_ = pow10i(n); break;
    case code::Capacitance: fullScale_ = exponent == 3 ? pow10i(n) : 5.0 * pow10i(n - 1); break;
    case code::DegreesC:
    case code::DegreesF:
        fullScale_ = 2000.0;
        exponent_ = 2;
        break;
    case code::Hertz: fullScale_ = exponent == 3 ? pow10i(n - 1) : pow10i(n); break;
    case code::Percent:
        fullScale_ = 1000.0;
        exponent_ = 1;
        break;
    case code::Percent2:
        fullScale_ = 10000.0;
        exponent_ = 2;
        break;
    default: fullScale_ = 5.0 * pow10i(n - 1); break;
    }
    multiplierExponent_ = multiplierExponentFor(code_, exponent_);
    agreeWithDigitalMeter(digitalNumber(r));
}

void AnalogMeterModel::agreeWithDigitalMeter(std::optional<double> digital)
{
    if (!digital || !std::isfinite(*digital) || !std::isfinite(scaleValue_) || scaleValue_ == 0.0)
        return;
    const double target = std::fabs(*digital);
    if (target == 0.0) {
        scaleValue_ = 0.0;
        return;
    }
    // Where the table's full scale would show another number than the
    // digital meter, the full scale is taken from the digital meter's
    // number instead, so that the dial reads it times the multiplier.
    const double multiplier = pow10i(multiplierExponent_);
    const double wanted = target / multiplier;
    if (std::fabs(dialReading() - wanted) > 1e-9 * wanted)
        fullScale_ = scaleValue_ * scaleEnd(scale_) / wanted;

    // Past the end of the printed scale the needle would only rest on its
    // stop: the 0 to 5 scale gives way to the 0 to 10 one, and beyond that
    // the multiplier goes up a decade at a time.
    if (dialReading() > scaleEnd(scale_) && scale_ == AnalogScale::ZeroToFive) {
        scale_ = AnalogScale::ZeroToTen;
        fullScale_ *= 2.0;
    }
    for (int guard = 0; dialReading() > scaleEnd(scale_) && guard < 400; ++guard) {
        fullScale_ *= 10.0;
        ++multiplierExponent_;
    }
}

bool AnalogMeterModel::update()
{
    bool background = false;
    if (scaleCode_ != code_ || code_ == code::Capacitance || drawnScale_ != scale_) {
        scaleCode_ = code_;
        drawnScale_ = scale_;
        background = true;
    }
    previousAngle_ = needleAngle_;
    needleAngle_ = needleAngleFor(scaleValue_, fullScale_);
    return background;
}

} // namespace vt640
