#include "views/core/alsa_tone_output.h"

#include "views/core/tone_wave.h"

#include <alsa/asoundlib.h>

#include <cstdarg>

namespace vt640 {
namespace {

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

// The playback device, closed on every way out.
struct Pcm {
    snd_pcm_t* handle = nullptr;
    ~Pcm()
    {
        if (handle)
            snd_pcm_close(handle);
    }
};

} // namespace

AlsaToneOutput::AlsaToneOutput(std::string device) : device_(std::move(device))
{
    snd_lib_error_set_handler(quietAlsa);
}

void AlsaToneOutput::beep(int hertz, int milliseconds)
{
    lastTonePlayed_ = false;
    const auto now = std::chrono::steady_clock::now();
    if (now < retryAt_)
        return;
    const auto wave = toneWave(hertz, milliseconds, kSampleRate);
    if (wave.empty())
        return;

    Pcm pcm;
    // Opened without waiting, so that a busy or missing device fails at once;
    // the writes below then wait as playback proceeds.
    if (snd_pcm_open(&pcm.handle, device_.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
        pcm.handle = nullptr;
        retryAt_ = now + kRetryAfter;
        return;
    }
    constexpr unsigned kLatencyMicroseconds = 20000;
    if (snd_pcm_set_params(pcm.handle, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kSampleRate, 1,
                           kLatencyMicroseconds)
            < 0
        || snd_pcm_nonblock(pcm.handle, 0) < 0) {
        retryAt_ = now + kRetryAfter;
        return;
    }

    const std::int16_t* data = wave.data();
    auto left = static_cast<snd_pcm_uframes_t>(wave.size());
    int recoveries = 0;
    while (left > 0) {
        const snd_pcm_sframes_t written = snd_pcm_writei(pcm.handle, data, left);
        if (written < 0) {
            if (++recoveries > 2 || snd_pcm_recover(pcm.handle, static_cast<int>(written), 1) < 0)
                return;
            continue;
        }
        data += written;
        left -= static_cast<snd_pcm_uframes_t>(written);
    }
    snd_pcm_drain(pcm.handle);
    lastTonePlayed_ = true;
}

} // namespace vt640
