#pragma once

#include <cstdint>
#include <vector>

namespace vt640 {

// One channel of 16-bit samples holding a sine tone of exactly `hertz` for
// `milliseconds` at `sampleRate`, with a short rise and fall so that it
// starts and stops without a click. Empty for any non-positive argument.
std::vector<std::int16_t> toneWave(int hertz, int milliseconds, int sampleRate);

} // namespace vt640
