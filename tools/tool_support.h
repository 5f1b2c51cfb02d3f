#pragma once

#include "recorder/core/logger_file_reader.h"
#include "recorder/core/logger_layout.h"

#include <optional>
#include <string>
#include <string_view>

// What the tool's commands share: reading option values (numbers are plain
// decimal digits, with no sign, blanks or suffix) and the texts of
// failures.
namespace tool {

// A whole number from `min` to `max`; empty for anything else.
std::optional<long long> integer(std::string_view text, long long min, long long max);

// "640", "r27" or "r26": the layout of a logger file whose name does not tell it.
std::optional<vt640::RecordLayout> layout(std::string_view text);

// Whether `name` ends in `lowerSuffix` (given in lower case), ignoring case.
bool endsWith(std::string_view name, std::string_view lowerSuffix);

// The system's text for the error number `error`.
std::string systemText(int error);

// Why reading the logger file `path` failed, as a line for standard error.
std::string readFailure(const std::string& path, vt640::LoggerFileReader::Status status);

} // namespace tool
