#include "recorder/core/recorder_clock.h"

#include <chrono>
#include <ctime>

namespace vt640 {
namespace {

class SystemClock final : public RecorderClock {
public:
    std::int64_t utcMs() const override
    {
        timespec ts{};
        ::clock_gettime(CLOCK_REALTIME, &ts);
        return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
    }

    int utcOffsetMinutes(std::int64_t utcMs) const override { return localZoneOffsetMinutes(utcMs); }

    std::uint32_t tickMs() const override
    {
        using namespace std::chrono;
        const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        const auto tick = static_cast<std::uint32_t>(ms);
        return tick == 0 ? 1 : tick;
    }
};

} // namespace

int RecorderClock::localZoneOffsetMinutes(std::int64_t utcMs)
{
    // Whole seconds, rounded down, so that the second before 1970 is -1.
    const std::time_t t = static_cast<std::time_t>(utcMs / 1000 - (utcMs % 1000 < 0));
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return 0;
    return static_cast<int>(tm.tm_gmtoff / 60);
}

RecorderClock& RecorderClock::system()
{
    static SystemClock clock;
    return clock;
}

} // namespace vt640
