#pragma once

#include "views/core/tone_output.h"

#include <chrono>
#include <string>

namespace vt640 {

// Plays tones on an ALSA playback device ("default" unless told otherwise).
// The device is opened for each tone and closed after it, so the program
// holds no sound device between alarms.
//
// Where there is no sound device (a headless machine) opening fails at once
// and beep() returns without a sound; after such a failure the device is not
// tried again for a while, so a reading that keeps the alarm going costs
// nothing. ALSA's own complaints are kept off the terminal.
class AlsaToneOutput : public ToneOutput {
public:
    explicit AlsaToneOutput(std::string device = "default");

    void beep(int hertz, int milliseconds) override;

    // Whether the last tone reached a device.
    bool lastTonePlayed() const { return lastTonePlayed_; }

    static constexpr int kSampleRate = 48000;
    static constexpr std::chrono::seconds kRetryAfter{30};

private:
    std::string device_;
    std::chrono::steady_clock::time_point retryAt_{};
    bool lastTonePlayed_ = false;
};

} // namespace vt640
