#include "limit_options.h"

#include "tool_support.h"

#include "meter/number_text.h"

#include <cmath>

namespace {

std::optional<double> finiteNumber(const std::string& text)
{
    const auto v = vt640::parseDecimal(text);
    if (!v || !std::isfinite(*v) || text.find_first_not_of(" ") == std::string::npos)
        return std::nullopt;
    return v;
}

} // namespace

std::optional<std::int64_t> secondsOption(const std::string& text)
{
    const auto v = finiteNumber(text);
    constexpr double kYear = 366.0 * 24 * 3600;
    if (!v || *v < 0 || *v > kYear)
        return std::nullopt;
    return static_cast<std::int64_t>(std::llround(*v * 1000.0));
}

std::string parseLimits(const std::optional<std::string>& hi, const std::optional<std::string>& lo,
                        const std::optional<std::string>& minDuration, LimitChoice& out)
{
    if (!hi || !lo)
        return "--hi and --lo are both needed: the upper and the lower limit";
    const auto upper = finiteNumber(*hi);
    if (!upper)
        return "--hi takes a number such as 253 or 0.5, not " + tool::quoted(*hi);
    const auto lower = finiteNumber(*lo);
    if (!lower)
        return "--lo takes a number such as 207 or -0.5, not " + tool::quoted(*lo);
    if (!(*upper > *lower))
        return "--hi " + *hi + " must lie above --lo " + *lo + " (the comparator's Limit setting is unacceptable)";
    out.upper = *upper;
    out.lower = *lower;
    if (minDuration) {
        const auto ms = secondsOption(*minDuration);
        if (!ms)
            return "--min-duration takes seconds (such as 2 or 0.5, at most a year), not " + tool::quoted(*minDuration);
        out.minDurationMs = *ms;
    }
    return {};
}
