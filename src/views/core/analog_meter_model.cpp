#include "views/core/analog_meter_model.h"

#include "meter/number_text.h"

#include <cmath>
#include <cstdio>

namespace vt640 {
namespace {

// Codes whose display without a point is still read as digits.
bool digitsWithoutPoint(std::int32_t c)
{
    switch (c) {
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
    case code::ActivePower3:
        return true;
    default:
        return false;
    }
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
    case code::DegreesF:
        return AnalogScale::ZeroToTwenty;
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
    case code::ActivePower3:
        return AnalogScale::ZeroToTen;
    default:
        return AnalogScale::ZeroToFive;
    }
}

std::string AnalogMeterModel::multiplierText(std::int32_t c, std::int32_t exponent)
{
    if (c == code::Hertz) {
        if (exponent == 3)
            return "x100";
        if (exponent == 6)
            return "x1";
    }
    return timesPowerOfTen(exponent);
}

void AnalogMeterModel::feed(const MeterReading& r)
{
    valueText_ = r.valueText;
    prefixText_ = r.prefixText;
    unitText_ = r.unitText;
    code_ = r.functionCode;
    mainText_ = r.mainText;

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

    const auto number = parseDecimal(w);
    if (!number) {
        if (mainText_.find('L') != std::string::npos) {
            fullScale_ = 5000.0;
            scaleValue_ = 5500.0;
            exponent_ = r.exponent;
        }
        return;
    }

    scaleValue_ = *number;
    exponent_ = r.exponent;
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
    case code::ActivePower3:
        fullScale_ = pow10i(n);
        break;
    case code::Capacitance:
        fullScale_ = r.exponent == 3 ? pow10i(n) : 5.0 * pow10i(n - 1);
        break;
    case code::DegreesC:
    case code::DegreesF:
        fullScale_ = 2000.0;
        exponent_ = 2;
        break;
    case code::Hertz:
        fullScale_ = r.exponent == 3 ? pow10i(n - 1) : pow10i(n);
        break;
    case code::Percent:
        fullScale_ = 1000.0;
        exponent_ = 1;
        break;
    case code::Percent2:
        fullScale_ = 10000.0;
        exponent_ = 2;
        break;
    default:
        fullScale_ = 5.0 * pow10i(n - 1);
        break;
    }
}

bool AnalogMeterModel::update()
{
    bool background = false;
    if (scaleCode_ != code_ || code_ == code::Capacitance) {
        scaleCode_ = code_;
        background = true;
    }
    previousAngle_ = needleAngle_;
    needleAngle_ = needleAngleFor(scaleValue_, fullScale_);
    return background;
}

} // namespace vt640
