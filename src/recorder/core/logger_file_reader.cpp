#include "recorder/core/logger_file_reader.h"

#include "recorder/core/record_buffer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vt640 {

LoggerFileReader::~LoggerFileReader() { close(); }

std::uint64_t LoggerFileReader::availableMemory()
{
    std::uint64_t available = 0;
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kb = 0;
    std::string unit;
    while (meminfo >> key >> kb) {
        std::getline(meminfo, unit);
        if (key == "MemAvailable:") {
            available = kb * 1024;
            break;
        }
    }
    if (available == 0) {
        const long pages = ::sysconf(_SC_PHYS_PAGES);
        const long size = ::sysconf(_SC_PAGESIZE);
        if (pages > 0 && size > 0)
            available = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(size);
    }
    rlimit as{};
    if (::getrlimit(RLIMIT_AS, &as) == 0 && as.rlim_cur != RLIM_INFINITY)
        available = std::min<std::uint64_t>(available, as.rlim_cur);
    return available;
}

LoggerFileReader::Status LoggerFileReader::open(const std::string& path) { return open(path, layoutForPath(path)); }

LoggerFileReader::Status LoggerFileReader::open(const std::string& path, RecordLayout layout)
{
    close();
    // Non-blocking, so that opening a pipe without a writer does not wait;
    // such a thing is refused right after.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        systemError_ = errno;
        return status_ = Status::CannotOpen;
    }
    return start(fd, true, layout);
}

LoggerFileReader::Status LoggerFileReader::attach(int fd, RecordLayout layout)
{
    close();
    if (fd < 0) {
        systemError_ = EBADF;
        return status_ = Status::CannotOpen;
    }
    return start(fd, false, layout);
}

LoggerFileReader::Status LoggerFileReader::start(int fd, bool owned, RecordLayout layout)
{
    fd_ = fd;
    ownsFd_ = owned;
    layout_ = layout;
    count_ = 0;
    read_ = 0;
    fileRecords_ = 0;
    systemError_ = 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        systemError_ = errno;
        close();
        return status_ = Status::CannotOpen;
    }
    if (!S_ISREG(st.st_mode)) {
        close();
        return status_ = Status::NotAFile;
    }
    const auto records = static_cast<std::uint64_t>(st.st_size) / recordSize(layout);
    fileRecords_ = static_cast<std::int64_t>(records);
    const std::uint64_t limit = memoryLimit_ != 0 ? memoryLimit_ : availableMemory();
    if (records > static_cast<std::uint64_t>(kMaxRecords) || records * sizeof(TBRecord) > limit) {
        close();
        return status_ = Status::TooLarge;
    }
    count_ = static_cast<int>(records);
    return status_ = Status::Ok;
}

int LoggerFileReader::read(TBRecord* out, int max)
{
    if (fd_ < 0 || status_ != Status::Ok)
        return status_ == Status::ReadFailed ? -1 : 0;
    const int want = std::min(max, count_ - read_);
    if (want <= 0)
        return 0;
    const std::size_t size = recordSize(layout_);
    const std::size_t total = static_cast<std::size_t>(want) * size;
    if (bytes_.size() < total)
        bytes_.resize(total);
    std::size_t got = 0;
    const off_t base = static_cast<off_t>(read_) * static_cast<off_t>(size);
    while (got < total) {
        const ssize_t n = ::pread(fd_, bytes_.data() + got, total - got, base + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            systemError_ = errno;
            status_ = Status::ReadFailed;
            return -1;
        }
        if (n == 0)
            break; // the file became shorter: what is whole is kept
        got += static_cast<std::size_t>(n);
    }
    const int whole = static_cast<int>(got / size);
    const char* p = bytes_.data();
    for (int i = 0; i < whole; ++i, p += size) {
        switch (layout_) {
        case RecordLayout::Native: std::memcpy(static_cast<void*>(&out[i]), p, sizeof(TBRecord)); break;
        case RecordLayout::Older: {
            TARecord a;
            std::memcpy(static_cast<void*>(&a), p, sizeof a);
            out[i] = TBRecord::fromOlder(a);
            break;
        }
        case RecordLayout::Oldest: {
            TRecord r;
            std::memcpy(static_cast<void*>(&r), p, sizeof r);
            out[i] = TBRecord::fromOlder(r);
            break;
        }
        }
    }
    read_ += whole;
    if (whole < want)
        count_ = read_; // nothing more will come
    return whole;
}

void LoggerFileReader::close()
{
    if (fd_ >= 0 && ownsFd_)
        ::close(fd_);
    fd_ = -1;
    ownsFd_ = false;
    std::vector<char>().swap(bytes_);
}

LoggerFileReader::Status LoggerFileReader::readAll(const std::string& path, RecordLayout layout, RecordBuffer& out)
{
    LoggerFileReader reader;
    const Status opened = reader.open(path, layout);
    if (opened != Status::Ok)
        return opened;
    if (static_cast<std::int64_t>(out.size()) + reader.recordCount() > kMaxRecords)
        return Status::TooLarge;
    try {
        out.reserve(out.size() + reader.recordCount());
    } catch (const std::exception&) {
        return Status::TooLarge;
    }
    TBRecord chunk[256];
    for (;;) {
        const int n = reader.read(chunk, 256);
        if (n < 0)
            return Status::ReadFailed;
        if (n == 0)
            return Status::Ok;
        for (int i = 0; i < n; ++i)
            out.append(chunk[i]);
    }
}

} // namespace vt640
