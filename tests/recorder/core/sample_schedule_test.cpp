#include "recorder/core/sample_schedule.h"

#include <gtest/gtest.h>

namespace vt640 {
namespace {

// The readings logged, at 750 ms per poll, of the first `polls` after Start.
std::vector<int> logged(std::int32_t intervalMs, int polls, std::uint32_t startMs = 1000)
{
    SampleSchedule s;
    s.start(startMs, intervalMs);
    std::vector<int> taken;
    for (int i = 0; i < polls; ++i) {
        s.advanceTo(startMs + static_cast<std::uint32_t>(i) * 750);
        if (s.take())
            taken.push_back(i);
    }
    return taken;
}

TEST(SampleSchedule, FirstReadingAtOnceThenTheFirstAfterEachTick)
{
    EXPECT_EQ(SampleSchedule::intervalFor(0), 500);
    EXPECT_EQ(SampleSchedule::intervalFor(5), 5000);
    // Full speed: every reading (ticks that pass between two count once).
    EXPECT_EQ(logged(500, 6), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    // Every 2 s: the first reading after each 2 s mark.
    EXPECT_EQ(logged(2000, 12), (std::vector<int>{0, 3, 6, 8, 11}));
    // The millisecond tick wraps around after 49 days: nothing changes.
    EXPECT_EQ(logged(2000, 12, 0xFFFFFFFFu - 3000), (std::vector<int>{0, 3, 6, 8, 11}));
}

TEST(SampleSchedule, StopAsksForNothingAndATimerTickAsksAgain)
{
    SampleSchedule s;
    s.start(0, 500);
    s.stop();
    EXPECT_FALSE(s.requested());
    EXPECT_FALSE(s.take());
    s.tick();
    EXPECT_TRUE(s.take());
    EXPECT_FALSE(s.take());
}

} // namespace
} // namespace vt640
