#include "recorder/core/record_dating.h"

#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"

#include <algorithm>
#include <array>

namespace vt640 {
namespace {

constexpr std::int64_t kHourMs = 3'600'000;
constexpr std::int64_t kDayMs = 24 * kHourMs;
// Local time lies at most this far from UTC either way.
constexpr std::int64_t kZoneReachMs = (kMaxOffsetMinutes + 1) * 60'000LL;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int daysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Reads up to `maxDigits` digits at `i` (at least one).
std::optional<int> number(std::string_view s, std::size_t& i, std::size_t minDigits, std::size_t maxDigits)
{
    int v = 0;
    std::size_t n = 0;
    while (i < s.size() && n < maxDigits && isDigit(s[i])) {
        v = v * 10 + (s[i++] - '0');
        ++n;
    }
    if (n < minDigits || (i < s.size() && isDigit(s[i])))
        return std::nullopt;
    return v;
}

std::int64_t floorToDay(std::int64_t ms) { return ms / kDayMs * kDayMs - (ms % kDayMs < 0 ? kDayMs : 0); }

} // namespace

std::optional<CalendarDate> parseCalendarDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!isDigit(text[i]))
            return std::nullopt;
    auto at = [&](std::size_t i, std::size_t n) {
        int v = 0;
        for (std::size_t k = i; k < i + n; ++k)
            v = v * 10 + (text[k] - '0');
        return v;
    };
    const CalendarDate d{at(0, 4), at(5, 2), at(8, 2)};
    if (d.year < 1970 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > daysInMonth(d.year, d.month))
        return std::nullopt;
    return d;
}

std::optional<std::int64_t> timeOfDayMs(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const auto hour = number(text, i, 1, 3);
    if (!hour || i >= text.size() || text[i++] != ':')
        return std::nullopt;
    const auto minute = number(text, i, 2, 2);
    if (!minute || i >= text.size() || text[i++] != ':')
        return std::nullopt;
    const auto second = number(text, i, 2, 2);
    if (!second)
        return std::nullopt;
    // Tenths as the recorder writes them; more digits are read as a decimal fraction.
    int fractionMs = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        const std::size_t start = i;
        const auto fraction = number(text, i, 1, 3);
        if (!fraction)
            return std::nullopt;
        fractionMs = *fraction;
        for (std::size_t digits = i - start; digits < 3; ++digits)
            fractionMs *= 10;
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i != text.size() || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    return ((*hour * 60LL + *minute) * 60LL + *second) * 1000LL + fractionMs;
}

RecordDating::RecordDating(std::optional<CalendarDate> firstDate, ZoneOffset offsetAt) : offsetAt_(std::move(offsetAt))
{
    if (firstDate) {
        anchored_ = true;
        dayMs_ = daysSinceEpoch(firstDate->year, firstDate->month, firstDate->day) * kDayMs;
    }
}

std::optional<RecordDating::Dated> RecordDating::next(const TBRecord& record)
{
    if (const auto stamp = recordStamp(record)) {
        const std::int64_t local = stamp->utcMs + stamp->offsetMinutes * 60'000LL;
        anchored_ = true;
        dayMs_ = floorToDay(local);
        lastTimeOfDay_ = local - dayMs_;
        lastUtcMs_ = stamp->utcMs;
        stampOffset_ = stamp->offsetMinutes;
        ++stamped_;
        return Dated{*stamp, false};
    }
    const auto timeOfDay = timeOfDayMs(fieldText(record.head.timeText));
    if (!timeOfDay || !anchored_) {
        ++undated_;
        return std::nullopt;
    }
    if (lastTimeOfDay_ && *lastTimeOfDay_ - *timeOfDay > 12 * kHourMs)
        dayMs_ += kDayMs;
    lastTimeOfDay_ = *timeOfDay;
    const ZonedInstant at = zoned(dayMs_ + *timeOfDay);
    if (!isWritable(at)) {
        ++undated_;
        return std::nullopt;
    }
    lastUtcMs_ = at.utcMs;
    ++inferred_;
    return Dated{at, true};
}

ZonedInstant RecordDating::zoned(std::int64_t local)
{
    if (stampOffset_)
        return {local - *stampOffset_ * 60'000LL, *stampOffset_};
    // One offset all day, before and after it as far as any zone reaches:
    // no change of offset can touch the day's local times.
    const std::int64_t day = floorToDay(local);
    if (cachedDayMs_ != day) {
        cachedDayMs_ = day;
        const int early = offsetAt_(day - kZoneReachMs);
        const int middle = offsetAt_(day + kDayMs / 2);
        const int late = offsetAt_(day + kDayMs + kZoneReachMs);
        dayOffset_.reset();
        if (early == middle && middle == late)
            dayOffset_ = early;
    }
    if (dayOffset_)
        return {local - *dayOffset_ * 60'000LL, *dayOffset_};

    // A day with a change: the offsets that name this local time.
    const int before = offsetAt_(local - kZoneReachMs - kDayMs);
    const int after = offsetAt_(local + kZoneReachMs + kDayMs);
    std::array<int, 4> candidates = {before, after, offsetAt_(local - before * 60'000LL),
                                     offsetAt_(local - after * 60'000LL)};
    std::sort(candidates.begin(), candidates.end(), [](int a, int b) { return a > b; }); // earlier instant first
    std::optional<ZonedInstant> chosen;
    for (int i = 0; i < 4; ++i) {
        const int o = candidates[static_cast<std::size_t>(i)];
        if ((i > 0 && o == candidates[static_cast<std::size_t>(i - 1)]) || offsetAt_(local - o * 60'000LL) != o)
            continue;
        const ZonedInstant at{local - o * 60'000LL, o};
        chosen = at;
        if (!lastUtcMs_ || at.utcMs >= *lastUtcMs_)
            break;
    }
    // A local time the change skips: the offset before it.
    return chosen.value_or(ZonedInstant{local - before * 60'000LL, before});
}

} // namespace vt640
