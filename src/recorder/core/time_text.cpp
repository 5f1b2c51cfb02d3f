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

std::string recordTimeText(const ZonedInstant& at) { return recordTimeText(localTimeOf(at)); }

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
