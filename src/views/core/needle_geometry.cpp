#include "views/core/needle_geometry.h"

#include <cmath>

namespace vt640 {

NeedleTip NeedleTip::at(double angleDegrees, int length)
{
    if (!std::isfinite(angleDegrees))
        return {};
    const double a = angleDegrees * kPi / 180.0;
    return {static_cast<int>(std::cos(a) * length), static_cast<int>(-std::sin(a) * length)};
}

} // namespace vt640
