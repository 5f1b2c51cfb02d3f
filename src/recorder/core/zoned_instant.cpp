#include "recorder/core/zoned_instant.h"

namespace vt640 {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Floor division and the matching remainder, for instants before 1970.
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// The civil calendar both ways, after H. Hinnant's days_from_civil and
// civil_from_days: eras of 400 years, years starting in March.
constexpr std::int64_t civilDays(int year, int month, int day)
{
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The local times a stamp may name: the years 0001 to 9999.
constexpr std::int64_t kFirstLocalMs = civilDays(1, 1, 1) * kMsPerDay;
constexpr std::int64_t kEndLocalMs = civilDays(10000, 1, 1) * kMsPerDay;
static_assert(civilDays(1970, 1, 1) == 0 && civilDays(2000, 3, 1) == 11017);

void putDigits(char* p, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

} // namespace

std::int64_t daysSinceEpoch(int year, int month, int day) { return civilDays(year, month, day); }

std::int64_t msSinceEpochOf(const LocalTime& t)
{
    return daysSinceEpoch(t.year, t.month, t.day) * kMsPerDay + ((t.hour * 60LL + t.minute) * 60LL + t.second) * 1000LL
           + t.millisecond;
}

LocalTime localTimeOf(const ZonedInstant& at)
{
    // Logging asks for this once a record: 32-bit unsigned arithmetic where
    // it suffices, whose divisions by constants are cheap.
    const std::int64_t local = at.utcMs + static_cast<std::int64_t>(at.offsetMinutes) * 60'000;
    std::int64_t days = local / kMsPerDay;
    std::int64_t ms = local % kMsPerDay;
    if (ms < 0) {
        ms += kMsPerDay;
        --days;
    }
    const std::int64_t z = days + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const auto doe = static_cast<std::uint32_t>(z - era * 146097);
    const std::uint32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::uint32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::uint32_t mp = (5 * doy + 2) / 153;
    LocalTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (t.month <= 2));
    auto rest = static_cast<std::uint32_t>(ms);
    t.millisecond = static_cast<int>(rest % 1000);
    rest /= 1000;
    t.second = static_cast<int>(rest % 60);
    rest /= 60;
    t.minute = static_cast<int>(rest % 60);
    t.hour = static_cast<int>(rest / 60);
    return t;
}

bool isWritable(const ZonedInstant& at)
{
    if (at.utcMs < 0 || at.offsetMinutes < -kMaxOffsetMinutes || at.offsetMinutes > kMaxOffsetMinutes)
        return false;
    if (at.utcMs >= kEndLocalMs) // also keeps the sum below from overflowing
        return false;
    const std::int64_t local = at.utcMs + static_cast<std::int64_t>(at.offsetMinutes) * 60'000;
    return local >= kFirstLocalMs && local < kEndLocalMs;
}

void appendRfc3339(std::string& out, const ZonedInstant& at)
{
    const LocalTime t = localTimeOf(at);
    char text[29]; // 2026-12-08T14:05:09.300+01:00
    putDigits(text, t.year, 4);
    text[4] = '-';
    putDigits(text + 5, t.month, 2);
    text[7] = '-';
    putDigits(text + 8, t.day, 2);
    text[10] = 'T';
    putDigits(text + 11, t.hour, 2);
    text[13] = ':';
    putDigits(text + 14, t.minute, 2);
    text[16] = ':';
    putDigits(text + 17, t.second, 2);
    text[19] = '.';
    putDigits(text + 20, t.millisecond, 3);
    const int offset = at.offsetMinutes < 0 ? -at.offsetMinutes : at.offsetMinutes;
    text[23] = at.offsetMinutes < 0 ? '-' : '+';
    putDigits(text + 24, offset / 60, 2);
    text[26] = ':';
    putDigits(text + 27, offset % 60, 2);
    out.append(text, sizeof text);
}

std::string rfc3339(const ZonedInstant& at)
{
    std::string s;
    appendRfc3339(s, at);
    return s;
}

} // namespace vt640
