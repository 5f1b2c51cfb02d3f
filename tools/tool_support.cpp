#include "tool_support.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <iostream>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tool {

std::optional<long long> integer(std::string_view text, long long min, long long max)
{
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    long long value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<vt640::RecordLayout> layout(std::string_view text)
{
    if (text == "640")
        return vt640::RecordLayout::Native;
    if (text == "r27")
        return vt640::RecordLayout::Older;
    if (text == "r26")
        return vt640::RecordLayout::Oldest;
    return std::nullopt;
}

bool endsWith(std::string_view name, std::string_view lowerSuffix)
{
    if (name.size() < lowerSuffix.size())
        return false;
    const std::string_view tail = name.substr(name.size() - lowerSuffix.size());
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != lowerSuffix[i])
            return false;
    return true;
}

std::string systemText(int error) { return std::strerror(error); }

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

int usageError(const std::string& command, const std::string& why)
{
    std::cerr << "vt640-tool " << command << ": " << why << '\n'
              << "Run 'vt640-tool " << command << " --help' for its options.\n";
    return 2;
}

std::string notAFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return path + " is a folder";
    return path + " is not a plain file";
}

LoggerInput::~LoggerInput()
{
    reader_.close();
    if (fd_ >= 0)
        ::close(fd_);
}

bool LoggerInput::open(const std::string& path, vt640::RecordLayout layout)
{
    path_ = path;
    // Non-blocking, so that a pipe without a writer is refused, not waited on.
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        std::cerr << "vt640-tool: cannot open " << path << ": " << systemText(errno) << '\n';
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) == 0)
        size_ = static_cast<std::int64_t>(st.st_size);
    switch (reader_.attach(fd_, layout)) {
    case vt640::LoggerFileReader::Status::Ok: break;
    case vt640::LoggerFileReader::Status::NotAFile: std::cerr << "vt640-tool: " << notAFile(path) << '\n'; return false;
    case vt640::LoggerFileReader::Status::TooLarge: return tooLarge();
    default: std::cerr << "vt640-tool: cannot read " << path << ": " << systemText(errno) << '\n'; return false;
    }
    // As the recorder does, a torn last record is left out; unlike the
    // window, the tool says so.
    const auto record = static_cast<std::int64_t>(vt640::recordSize(layout));
    if (const std::int64_t torn = size_ % record; torn != 0)
        std::cerr << "vt640-tool: " << path << " ends in part of a record: its last " << torn
                  << (torn == 1 ? " byte is" : " bytes are") << " ignored\n";
    return true;
}

bool LoggerInput::tooLarge()
{
    const auto records = size_ / static_cast<std::int64_t>(vt640::recordSize(reader_.layout()));
    std::cerr << "vt640-tool: " << path_ << " holds more records than this machine can keep in memory (" << records
              << " records, " << records * static_cast<std::int64_t>(sizeof(vt640::TBRecord)) << " bytes)\n";
    return false;
}

bool LoggerInput::readAll(const std::function<void(const vt640::TBRecord*, int)>& take)
{
    std::vector<vt640::TBRecord> chunk(256);
    for (;;) {
        const int got = reader_.read(chunk.data(), static_cast<int>(chunk.size()));
        if (got < 0) {
            // The reader returns at once after the failed read: errno is its.
            std::cerr << "vt640-tool: reading " << path_ << " failed: " << systemText(errno) << '\n';
            return false;
        }
        if (got == 0)
            return true;
        take(chunk.data(), got);
    }
}

} // namespace tool
