#include "recorder/core/y_range.h"

#include <cmath>
#include <limits>

namespace vt640 {
namespace {

constexpr double kMargin = 1.33;
constexpr double kInverseMargin = 0.7518796992481203; // 1 / 1.33

float span(float x)
{
    const double s = std::fabs(static_cast<double>(x)) * kMargin;
    if (s > std::numeric_limits<float>::max())
        return std::numeric_limits<float>::max();
    const float f = static_cast<float>(s);
    return f == 0.0f ? 1.0f : f;
}

} // namespace

void YRange::widen(float x)
{
    if (!std::isfinite(x))
        return;
    if (!taken_) {
        taken_ = true;
        upper_ = span(x);
        lower_ = -span(x);
        return;
    }
    if (x >= upper_ * kInverseMargin)
        upper_ = span(x);
    if (x <= lower_ * kInverseMargin)
        lower_ = -span(x);
}

} // namespace vt640
