#include "recorder/core/y_range.h"

#include <cmath>

namespace vt640 {
namespace {

constexpr double kMargin = 1.33;
constexpr double kInverseMargin = 0.7518796992481203; // 1 / 1.33

float span(float x)
{
    const float s = static_cast<float>(std::fabs(static_cast<double>(x)) * kMargin);
    return s == 0.0f ? 1.0f : s;
}

} // namespace

void YRange::widen(float x, int countBefore)
{
    if (countBefore == 0) {
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
