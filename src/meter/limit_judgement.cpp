#include "meter/limit_judgement.h"

#include "meter/number_text.h"

namespace vt640 {

std::optional<ComparedReading> comparedReading(std::string_view valueText, std::string_view mainText, double upperLimit,
                                               double lowerLimit)
{
    if (const auto value = parseDecimal(valueText))
        return ComparedReading{static_cast<float>(*value), false};
    if (mainText.find('L') == std::string_view::npos)
        return std::nullopt;
    // Half a band beyond the limit, so that the needle reaches the end and
    // the alarm sounds.
    const double half = (upperLimit - lowerLimit) * 0.5;
    const double at = mainText.find('-') != std::string_view::npos ? lowerLimit - half : upperLimit + half;
    return ComparedReading{static_cast<float>(at), true};
}

LimitSide limitSide(float reading, double upperLimit, double lowerLimit)
{
    if (reading > static_cast<float>(upperLimit))
        return LimitSide::Above;
    if (reading < static_cast<float>(lowerLimit))
        return LimitSide::Below;
    return LimitSide::Inside;
}

} // namespace vt640
