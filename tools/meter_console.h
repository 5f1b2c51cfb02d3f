#pragma once

#include "meter/meter_port.h"
#include "resources/string_ids.h"

#include <string>

namespace vt640 {
struct MeterReading;
}

// What the tool's meter commands print: port failures on standard error,
// and one line per reading.
class StderrPortReporter : public vt640::PortErrorReporter {
public:
    void portOpenError(const std::string& device) override;
    void portTimeoutError() override;
};

// The local time of day with tenths, "hh:mm:ss.t".
std::string clockText();

// One reading as a line: the time, the readout with its unit, the
// sub-display and the annunciators.
std::string readingLine(const vt640::MeterReading& reading);

// The string table's text `message` under its caption, e.g.
// "Warning[W8004]: No data received.", on one line.
std::string numberedMessage(vt640::Str message);
