#pragma once

#include "recorder/core/recorder_clock.h"

#include <string>

namespace vt640 {

// A record's time stamp: "%3d:%02d:%02d.%-3d" of hour, minute, second and
// tenths, e.g. " 14:05:09.3  ".
std::string recordTimeText(const LocalTime& t);
// The same for the local time of day that `at` names.
std::string recordTimeText(const ZonedInstant& at);

// The status bar's clock: two blanks, AM/PM, a blank, the 12-hour time and a
// double quote, e.g. "  PM 02:05:09\"".
std::string statusClockText(const LocalTime& t);

} // namespace vt640
