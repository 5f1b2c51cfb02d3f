#include "views/core/comparator_model.h"

#include "meter/limit_judgement.h"

namespace vt640 {

ComparatorModel::ComparatorModel(double upperLimit, double lowerLimit) : upper_(upperLimit), lower_(lowerLimit) {}

void ComparatorModel::setLimits(double upperLimit, double lowerLimit)
{
    upper_ = upperLimit;
    lower_ = lowerLimit;
}

bool ComparatorModel::toggleAlarm()
{
    alarm_ = !alarm_;
    return alarm_;
}

bool ComparatorModel::feed(const MeterReading& r)
{
    prefixText_ = r.prefixText;
    unitText_ = r.unitText;
    code_ = r.functionCode;

    const auto compared = comparedReading(r.valueText, r.mainText, upper_, lower_);
    if (!compared)
        return false;
    reading_ = compared->value;
    return true;
}

double ComparatorModel::needleAngleFor(float reading, double upperLimit, double lowerLimit)
{
    const float h = static_cast<float>((upperLimit - lowerLimit) * 0.5);
    if (h == 0.0f)
        return 90.0;
    const float k = 20.0f / h;
    const float bottom = static_cast<float>(lowerLimit - h);
    const float top = static_cast<float>(upperLimit + h);
    float t = reading - bottom;
    if (t < 0.0f)
        t = 0.0f;
    // Written so that a value that is no number also ends at the top.
    if (!(t < top - bottom))
        t = top - bottom;
    const float angle = 180.0f - (t * k + 50.0f);
    return angle;
}

std::optional<ToneRequest> ComparatorModel::toneFor(float reading, double upperLimit, double lowerLimit)
{
    switch (limitSide(reading, upperLimit, lowerLimit)) {
    case LimitSide::Above: return kHighTone;
    case LimitSide::Below: return kLowTone;
    case LimitSide::Inside: break;
    }
    return std::nullopt;
}

std::optional<ToneRequest> ComparatorModel::update()
{
    previousAngle_ = needleAngle_;
    needleAngle_ = needleAngleFor(reading_, upper_, lower_);
    if (!alarm_)
        return std::nullopt;
    return toneFor(reading_, upper_, lower_);
}

} // namespace vt640
