#include "analysis_input.h"

#include "tool_support.h"

#include "recorder/core/recorder_clock.h"

#include <charconv>
#include <cstdio>
#include <iostream>

std::string parseFileReading(const FileReading& options, DatingChoice& choice)
{
    if (options.layout) {
        choice.layout = tool::layout(*options.layout);
        if (!choice.layout)
            return "--layout takes 640, r27 or r26, not " + tool::quoted(*options.layout);
    }
    if (options.date) {
        choice.date = vt640::parseCalendarDate(*options.date);
        if (!choice.date)
            return "--date takes YYYY-MM-DD, a day of the calendar from 1970 on, not " + tool::quoted(*options.date);
        choice.dateText = options.date;
    }
    return {};
}

vt640::analysis::RecordTimes recordTimes(const DatingChoice& choice)
{
    return vt640::analysis::RecordTimes(choice.date, vt640::RecorderClock::localZoneOffsetMinutes);
}

bool walkRecords(const std::string& path, const DatingChoice& choice, vt640::analysis::RecordTimes& times,
                 const std::function<void(const vt640::TBRecord&, const vt640::analysis::RecordTime&)>& take)
{
    tool::LoggerInput input;
    if (!input.open(path, choice.layout.value_or(vt640::layoutForPath(path))))
        return false;
    return input.readAll([&](const vt640::TBRecord* records, int n) {
        for (int i = 0; i < n; ++i)
            take(records[i], times.next(records[i]));
    });
}

namespace {

std::string recordsText(std::int64_t n) { return std::to_string(n) + (n == 1 ? " record" : " records"); }

} // namespace

std::string datingNote(const vt640::analysis::RecordTimes& times, const DatingChoice& choice)
{
    std::string note;
    auto add = [&note](const std::string& s) { note += (note.empty() ? "" : "; ") + s; };
    if (const std::int64_t n = times.inferred(); n > 0)
        add(recordsText(n) + " without a time stamp dated from "
            + (choice.dateText ? "--date " + *choice.dateText : std::string("the stamped record before"))
            + " and the time of day, a day later after each midnight");
    if (const std::int64_t n = times.timeOfDayOnly(); n > 0)
        add(recordsText(n) + " without a date: times of day, counted in days from the first record's"
            + (choice.dateText ? std::string() : std::string(" (--date YYYY-MM-DD dates them)")));
    if (const std::int64_t n = times.untimed(); n > 0)
        add(recordsText(n) + " with neither a time stamp nor a time of day");
    return note;
}

std::string numberText(float value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string numberText(double value, int digits)
{
    char text[48];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits).ptr;
    return std::string(text, end);
}

std::string secondsText(std::int64_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%03lld", ms < 0 ? "-" : "", static_cast<long long>(std::llabs(ms) / 1000),
                  static_cast<long long>(std::llabs(ms) % 1000));
    return text;
}

std::string durationText(std::int64_t ms)
{
    const bool negative = ms < 0;
    const long long a = std::llabs(ms);
    const long long days = a / 86'400'000, h = a / 3'600'000 % 24, m = a / 60'000 % 60, s = a / 1000 % 60, f = a % 1000;
    char text[48];
    if (days > 0)
        std::snprintf(text, sizeof text, "%s%lldd %02lld:%02lld:%02lld.%03lld", negative ? "-" : "", days, h, m, s, f);
    else
        std::snprintf(text, sizeof text, "%s%lld:%02lld:%02lld.%03lld", negative ? "-" : "", h, m, s, f);
    return text;
}
