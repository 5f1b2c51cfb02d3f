#include "analysis/record_times.h"

#include <cstdio>

namespace vt640::analysis {
namespace {

constexpr std::int64_t kHourMs = 3'600'000;
constexpr std::int64_t kDayMs = 24 * kHourMs;

} // namespace

std::string RecordTime::text() const
{
    switch (line) {
    case Line::None: return {};
    case Line::Dated: return at ? rfc3339(*at) : std::string();
    case Line::TimeOfDay: {
        const std::int64_t day = ms / kDayMs;
        const std::int64_t t = ms % kDayMs;
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "day %lld %02lld:%02lld:%02lld.%03lld", static_cast<long long>(day + 1),
                      static_cast<long long>(t / kHourMs), static_cast<long long>(t / 60'000 % 60),
                      static_cast<long long>(t / 1000 % 60), static_cast<long long>(t % 1000));
        return buffer;
    }
    }
    return {};
}

std::optional<std::int64_t> msBetween(const RecordTime& a, const RecordTime& b)
{
    if (a.line != b.line || a.line == RecordTime::Line::None)
        return std::nullopt;
    return b.ms - a.ms;
}

RecordTimes::RecordTimes(std::optional<CalendarDate> firstDate, RecordDating::ZoneOffset offsetAt)
    : dating_(firstDate, std::move(offsetAt)), timeOfDayLine_(CalendarDate{1970, 1, 1}, [](std::int64_t) { return 0; })
{}

RecordTime RecordTimes::next(const TBRecord& record)
{
    RecordTime t;
    if (const auto dated = dating_.next(record)) {
        t.line = RecordTime::Line::Dated;
        t.ms = dated->at.utcMs;
        t.at = dated->at;
        t.inferred = dated->inferred;
        return t;
    }
    // No date: the same rule on a line of its own that starts at day 1,
    // 1970-01-01 in UTC.
    if (const auto placed = timeOfDayLine_.next(record)) {
        t.line = RecordTime::Line::TimeOfDay;
        t.ms = placed->at.utcMs;
    }
    return t;
}

} // namespace vt640::analysis
