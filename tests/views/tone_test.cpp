#include "views/core/alsa_tone_output.h"
#include "views/core/tone_wave.h"

#include <gtest/gtest.h>

namespace vt640 {
namespace {

// Upward zero crossings: one per period of the tone.
int periods(const std::vector<std::int16_t>& wave)
{
    int n = 0;
    for (std::size_t i = 1; i < wave.size(); ++i)
        if (wave[i - 1] < 0 && wave[i] >= 0)
            ++n;
    return n;
}

TEST(ToneWave, HoldsExactlyTheAskedFrequencyForTheAskedTime)
{
    const auto high = toneWave(1047, 100, 48000);
    EXPECT_EQ(high.size(), 4800u);
    EXPECT_NEAR(periods(high), 104.7, 1.0);
    const auto low = toneWave(523, 100, 48000);
    EXPECT_NEAR(periods(low), 52.3, 1.0);
    // Over a whole second the count is exact.
    EXPECT_NEAR(periods(toneWave(1047, 1000, 44100)), 1047, 1);
}

TEST(ToneWave, StartsAndEndsInSilence)
{
    const auto wave = toneWave(1047, 100, 48000);
    EXPECT_EQ(wave.front(), 0);
    EXPECT_EQ(wave.back(), 0);
    int peak = 0;
    for (auto s : wave)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 10000);
}

TEST(ToneWave, NothingForNonsense)
{
    EXPECT_TRUE(toneWave(0, 100, 48000).empty());
    EXPECT_TRUE(toneWave(1047, 0, 48000).empty());
    EXPECT_TRUE(toneWave(1047, 100, 0).empty());
}

TEST(AlsaToneOutput, WithoutADeviceTheToneIsSkippedQuietly)
{
    AlsaToneOutput output("vt640_no_such_device");
    output.beep(1047, 100);
    EXPECT_FALSE(output.lastTonePlayed());
    output.beep(523, 100);
    EXPECT_FALSE(output.lastTonePlayed());
}

TEST(AlsaToneOutput, PlaysTheWholeToneOnADeviceThatTakesIt)
{
    // ALSA's own null device accepts samples and discards them.
    AlsaToneOutput output("null");
    output.beep(1047, 100);
    EXPECT_TRUE(output.lastTonePlayed());
}

} // namespace
} // namespace vt640
