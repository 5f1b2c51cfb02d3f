// Any 20 bytes must decode and complete without a crash or undefined
// behaviour; run this under the sanitizers as well.
#include "meter/meter_link.h"
#include "meter/frame_decoder.h"
#include "recorder/core/record_value.h"

#include <gtest/gtest.h>
#include <random>

using namespace vt640;

namespace {

// Frames biased toward what the meter sends: mostly valid segment patterns,
// sometimes anything at all.
MeterFrame randomFrame(std::mt19937& rng)
{
    static constexpr std::uint8_t kPatterns[] = {0x00, 0x20, 0x50, 0xB5, 0xF1, 0x72, 0xE3, 0xE7, 0x51, 0xF7, 0xF3,
                                                 0xD7, 0x86, 0x87, 0xA7, 0x27, 0x77, 0xC4, 0xA6, 0xE4, 0xE6, 0xF4};
    MeterFrame f;
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kPatterns)) - 1);
    const bool wild = byte(rng) < 64;
    for (int i = 0; i < 20; ++i) {
        if (!wild && (i <= 2 || (i >= 4 && i <= 7)))
            f[i] = static_cast<std::uint8_t>(kPatterns[pick(rng)] | (byte(rng) < 40 ? 0x08 : 0));
        else
            f[i] = static_cast<std::uint8_t>(byte(rng));
    }
    return f;
}

} // namespace

TEST(RandomFrames, AMillionFramesDecodeAndCompleteSafely)
{
    std::mt19937 rng(20261207);
    MeterReading r; // carried over, as the shared reading is between ticks
    long completed = 0;
    for (int i = 0; i < 1000000; ++i) {
        const MeterFrame f = randomFrame(rng);
        if (applyMeterFrame(f, r)) {
            ++completed;
            ASSERT_LE(r.valueText.size(), MeterReading::kValueTextMax);
            ASSERT_LE(r.prefixText.size(), MeterReading::kShortTextMax);
            ASSERT_LE(r.unitText.size(), MeterReading::kShortTextMax);
            ASSERT_LE(r.mainText.size(), 8u);
            ASSERT_LE(r.exponentText.size(), 3u);
            ASSERT_FALSE(r.readoutText.empty() && !r.mainText.empty());
            (void)recordValueFor(r.mainText, r.exponentText, r.functionCode);
        }
        ASSERT_EQ(r.functionCode & 0x80000000, 0);
    }
    EXPECT_GT(completed, 900000);
}
