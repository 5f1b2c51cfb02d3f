#pragma once

#include "recorder/core/logger_file_reader.h"
#include "recorder/core/logger_layout.h"
#include "recorder/core/t_b_record.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// What the tool's commands share: reading option values (numbers are plain
// decimal digits, with no sign, blanks or suffix), the texts of failures,
// and reading a logger file given as input.
namespace tool {

// A whole number from `min` to `max`; empty for anything else.
std::optional<long long> integer(std::string_view text, long long min, long long max);

// "640", "r27" or "r26": the layout of a logger file whose name does not tell it.
std::optional<vt640::RecordLayout> layout(std::string_view text);

// Whether `name` ends in `lowerSuffix` (given in lower case), ignoring case.
bool endsWith(std::string_view name, std::string_view lowerSuffix);

// The system's text for the error number `error`.
std::string systemText(int error);

// `text` in single quotes, for an argument quoted back to the user.
std::string quoted(std::string_view text);

// A command line that parsed but asks for something wrong: "vt640-tool
// COMMAND: why" and where help is, on standard error. Returns exit status 2.
int usageError(const std::string& command, const std::string& why);

// Why `path`, which stands there, is not a plain file: "PATH is a folder",
// or "PATH is not a plain file" for a device, a pipe and the like. The same
// words wherever a command meets one.
std::string notAFile(const std::string& path);

// A logger file given as input, opened by the tool itself so that a failure
// can say why. Failures are told on standard error ("vt640-tool: ..."), and
// so are the bytes of an incomplete last record, which are ignored.
class LoggerInput {
public:
    LoggerInput() = default;
    ~LoggerInput();
    LoggerInput(const LoggerInput&) = delete;
    LoggerInput& operator=(const LoggerInput&) = delete;

    // Opens `path` with `layout`; false after telling why.
    bool open(const std::string& path, vt640::RecordLayout layout);
    // Whole records in the file.
    int recordCount() const { return reader_.recordCount(); }
    // Hands every record over to `take`, in chunks; false after telling why.
    bool readAll(const std::function<void(const vt640::TBRecord*, int)>& take);
    // Says that the records do not fit into memory: false.
    bool tooLarge();

private:
    std::string path_;
    vt640::LoggerFileReader reader_;
    int fd_ = -1;
    std::int64_t size_ = 0;
};

} // namespace tool
