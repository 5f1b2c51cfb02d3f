#pragma once

#include <chrono>

// Ctrl-C and SIGTERM end the tool's loops cleanly.
namespace stop_signal {
void install();
bool requested();
// Sleeps for `d` unless a stop is requested first; false if it was.
bool sleepFor(std::chrono::milliseconds d);
} // namespace stop_signal
