#include "recorder/core/time_text.h"

#include <cstdint>
#include <cstdio>

namespace vt640 {

std::string recordTimeText(const LocalTime& t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%3d:%02d:%02d.%-3d", t.hour, t.minute, t.second, t.millisecond / 100);
    return text;
}

std::string recordTimeText(const ZonedInstant& at)
{
    // Only the time of day: no calendar needed.
    std::int64_t ms = (at.utcMs + at.offsetMinutes * 60'000LL) % 86'400'000;
    if (ms < 0)
        ms += 86'400'000;
    LocalTime t;
    auto rest = static_cast<std::uint32_t>(ms);
    t.millisecond = static_cast<int>(rest % 1000);
    rest /= 1000;
    t.second = static_cast<int>(rest % 60);
    rest /= 60;
    t.minute = static_cast<int>(rest % 60);
    t.hour = static_cast<int>(rest / 60);
    return recordTimeText(t);
}

std::string statusClockText(const LocalTime& t)
{
    int hour12 = t.hour % 12;
    if (hour12 == 0)
        hour12 = 12;
    char text[32];
    std::snprintf(text, sizeof text, "  %s %02d:%02d:%02d\"", t.hour < 12 ? "AM" : "PM", hour12, t.minute, t.second);
    return text;
}

} // namespace vt640
