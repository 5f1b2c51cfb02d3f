#pragma once

namespace vt640 {

// The tip of a needle of `length` pixels at `angleDegrees` (0 points right,
// 90 straight up), as an offset from its pivot in window coordinates (y grows
// downwards). The meters convert degrees with pi taken as 3.14159264 and
// truncate each offset toward zero.
struct NeedleTip {
    int dx = 0;
    int dy = 0;
    bool operator==(const NeedleTip&) const = default;

    static constexpr double kPi = 3.14159264;
    static NeedleTip at(double angleDegrees, int length);
};

} // namespace vt640
