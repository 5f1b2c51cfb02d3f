#include "stop_signal.h"

#include <algorithm>
#include <csignal>
#include <thread>

namespace {
volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }
} // namespace

namespace stop_signal {

void install()
{
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

bool requested() { return g_stop != 0; }

bool sleepFor(std::chrono::milliseconds d)
{
    const auto until = std::chrono::steady_clock::now() + d;
    while (!requested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= until)
            return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(until - now, std::chrono::milliseconds(20)));
    }
    return false;
}

} // namespace stop_signal
