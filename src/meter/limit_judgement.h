#pragma once

#include <optional>
#include <string_view>

namespace vt640 {

// How the comparator judges a reading against an upper and a lower limit.
// The live comparator and the limit episodes of a logger file judge alike
// through these two functions.

// Where a reading stands: strictly above the upper limit, strictly below
// the lower one, or on or between them.
enum class LimitSide { Inside, Above, Below };

// The number compared with the limits: the number written in the value
// text, that is the displayed digits without the prefix, rounded to single
// precision. A display that is no number gives none, except an overload (a
// main text with "L"), which is placed half a band beyond the limit on the
// side of its sign: below the lower limit with a "-", above the upper one
// otherwise.
struct ComparedReading {
    float value = 0.0f;
    bool overload = false; // the value stands in for an overload
};
std::optional<ComparedReading> comparedReading(std::string_view valueText, std::string_view mainText, double upperLimit,
                                               double lowerLimit);

// The side of a compared reading. The reading is held in single precision,
// so the limits are taken in single precision too: a reading shown as
// "10.1" is on a limit of 10.1, not above it. A reading equal to a limit is
// inside.
LimitSide limitSide(float reading, double upperLimit, double lowerLimit);

} // namespace vt640
