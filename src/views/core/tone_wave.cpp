#include "views/core/tone_wave.h"

#include <algorithm>
#include <cmath>

namespace vt640 {

std::vector<std::int16_t> toneWave(int hertz, int milliseconds, int sampleRate)
{
    if (hertz <= 0 || milliseconds <= 0 || sampleRate <= 0)
        return {};
    const auto frames = static_cast<std::size_t>(static_cast<std::int64_t>(sampleRate) * milliseconds / 1000);
    // Two milliseconds of rise and fall, shorter for very short tones.
    const std::size_t ramp = std::min<std::size_t>(sampleRate / 500, frames / 4);
    constexpr double kAmplitude = 0.5 * 32767.0;
    constexpr double kTwoPi = 6.283185307179586476925;

    std::vector<std::int16_t> wave(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        // The phase is taken from the sample number each time, so the tone
        // keeps its exact frequency over any length.
        const double phase = std::fmod(static_cast<double>(i) * hertz, sampleRate) / sampleRate;
        double gain = 1.0;
        if (ramp > 0) {
            if (i < ramp)
                gain = static_cast<double>(i) / ramp;
            else if (frames - i <= ramp)
                gain = static_cast<double>(frames - 1 - i) / ramp;
        }
        wave[i] = static_cast<std::int16_t>(std::lround(kAmplitude * gain * std::sin(kTwoPi * phase)));
    }
    return wave;
}

} // namespace vt640
