#pragma once

#include <cstdint>
#include <optional>
#include <string>

// --hi, --lo and --min-duration, as events and log take them.
struct LimitChoice {
    double upper = 0.0;
    double lower = 0.0;
    std::int64_t minDurationMs = 0;
};

// Reads the limits as the comparator's limits dialog takes them: decimal
// numbers with "." whatever the locale, the upper strictly above the lower.
// The usage error, or empty.
std::string parseLimits(const std::optional<std::string>& hi, const std::optional<std::string>& lo,
                        const std::optional<std::string>& minDuration, LimitChoice& out);

// A number of seconds, whole or with a fraction, from 0 up to a year, in
// milliseconds; empty for anything else.
std::optional<std::int64_t> secondsOption(const std::string& text);
