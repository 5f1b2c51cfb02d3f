#pragma once

#include "commands.h"

#include "meter/meter_port.h"
#include "recorder/core/zoned_instant.h"
#include "resources/string_ids.h"

#include <string>

namespace vt640 {
struct MeterReading;
struct PollOutcome;
} // namespace vt640

// What the tool's meter commands print: port failures on standard error,
// and one line per reading.
class StderrPortReporter : public vt640::PortErrorReporter {
public:
    void portOpenError(const std::string& device, int error) override;
    void portTimeoutError() override;
};

// The local time of day with tenths, "hh:mm:ss.t".
std::string clockText();

// One reading taken at `at` as a line: the date and time in RFC 3339 with
// the offset, the readout with its unit, the sub-display and the
// annunciators.
std::string readingLine(const vt640::MeterReading& reading, const vt640::ZonedInstant& at);

// The string table's text `message` under the caption the window shows it
// under, e.g. "Warning[W8004]: No data received.", on one line.
std::string numberedMessage(vt640::Str message);

// What is wrong with the choice of a meter: both a port and --demo, or
// neither; empty when it is fine.
std::string meterChoiceProblem(const MeterChoice& meter);

// The device a port argument stands for: COM1..COM10 through the port
// table (and the user's port links), anything else as a device path.
std::string meterDevice(const std::string& port);

// W8004 with the hint to check the cable, on one line: three failed polls.
std::string noDataMessage();

// What to say of a pulled adapter that has gone, or that is back; empty
// when neither happened.
std::string portChangeText(const vt640::PollOutcome& outcome, const std::string& device);
