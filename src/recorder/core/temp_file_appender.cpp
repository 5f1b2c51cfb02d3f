#include "recorder/core/temp_file_appender.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vt640 {

TempFileAppender::~TempFileAppender() { close(); }

TempFileAppender::Create TempFileAppender::create(const std::string& path)
{
    close();
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        lastError_ = errno;
        return errno == EEXIST ? Create::Exists : Create::Failed;
    }
    // Another instance looking for left files may hold the lock of a new,
    // empty file for a moment; it lets go as soon as it sees it is empty,
    // and removes it, taking it for one left by a run killed before its
    // first record. The name is then another file's or nobody's, and this
    // one is given up as if the name had been taken.
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        lastError_ = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return Create::Failed;
    }
    struct stat mine {
    }, there{};
    if (::fstat(fd, &mine) != 0 || ::lstat(path.c_str(), &there) != 0 || mine.st_dev != there.st_dev
        || mine.st_ino != there.st_ino) {
        ::close(fd);
        lastError_ = EEXIST;
        return Create::Exists;
    }
    fd_ = fd;
    records_ = synced_ = 0;
    lastSync_ = {};
    return Create::Created;
}

TempFileAppender::Open TempFileAppender::openExisting(const std::string& path, TornTail torn)
{
    close();
    movedTail_ = {};
    // Reading is needed only to copy a torn tail out.
    const int access = torn == TornTail::MoveAside ? O_RDWR : O_WRONLY;
    int fd;
    do {
        fd = ::open(path.c_str(), access | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        lastError_ = errno;
        if (errno == ENOENT)
            return Open::Missing;
        return (errno == ELOOP || errno == EISDIR || errno == ENXIO) ? Open::NotAFile : Open::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        lastError_ = errno ? errno : EINVAL;
        ::close(fd);
        return Open::NotAFile;
    }
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        lastError_ = errno;
        ::close(fd);
        return lastError_ == EWOULDBLOCK ? Open::InUse : Open::Failed;
    }
    // The size counts once the lock is held: no other writer of ours moves it now.
    if (::fstat(fd, &st) != 0) {
        lastError_ = errno;
        ::close(fd);
        return Open::Failed;
    }
    const auto size = static_cast<std::int64_t>(st.st_size);
    const auto tail = size % static_cast<std::int64_t>(sizeof(TBRecord));
    if (tail != 0) {
        if (torn == TornTail::Refuse) {
            lastError_ = EINVAL;
            ::close(fd);
            return Open::NotWhole;
        }
        if (!moveTailAside(fd, path, size - tail, tail)) {
            ::close(fd);
            return Open::TailNotMoved;
        }
    }
    fd_ = fd;
    records_ = synced_ = (size - tail) / static_cast<std::int64_t>(sizeof(TBRecord));
    lastSync_ = {};
    return Open::Opened;
}

bool TempFileAppender::moveTailAside(int fd, const std::string& path, std::int64_t whole, std::int64_t bytes)
{
    char data[sizeof(TBRecord)];
    std::int64_t got = 0;
    while (got < bytes) {
        const ssize_t n =
            ::pread(fd, data + got, static_cast<std::size_t>(bytes - got), static_cast<off_t>(whole + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            lastError_ = n < 0 ? errno : EIO;
            return false;
        }
        got += n;
    }

    // A new name of our own: O_EXCL neither opens what stands there nor
    // follows a link planted at the name.
    std::string name;
    int out = -1;
    for (int i = 0; out < 0 && i < 100; ++i) {
        name = path + ".torn" + (i == 0 ? std::string() : "." + std::to_string(i));
        do {
            out = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        } while (out < 0 && errno == EINTR);
        if (out < 0 && errno != EEXIST) {
            lastError_ = errno;
            return false;
        }
    }
    if (out < 0) {
        lastError_ = EEXIST;
        return false;
    }
    std::int64_t put = 0;
    while (put < bytes) {
        const ssize_t n = ::write(out, data + put, static_cast<std::size_t>(bytes - put));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            lastError_ = n < 0 ? errno : ENOSPC;
            break;
        }
        put += n;
    }
    // On the disk, its name too, before the bytes leave the logger file.
    bool saved = put == bytes;
    if (saved && ::fsync(out) != 0) {
        lastError_ = errno;
        saved = false;
    }
    ::close(out);
    if (saved) {
        const std::size_t slash = name.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    if (saved && ::ftruncate(fd, static_cast<off_t>(whole)) != 0) {
        lastError_ = errno;
        saved = false;
    }
    if (!saved) {
        // The logger file still holds the bytes: the copy is not needed.
        ::unlink(name.c_str());
        return false;
    }
    // Whether or not the shorter size reaches the disk now, the bytes are
    // safe in the copy; the first flush of the records that follow takes
    // the size along.
    movedTail_ = {name, bytes};
    return true;
}

bool TempFileAppender::failed(int error, bool flush)
{
    lastError_ = error;
    // A failed flush leaves unknown what reached the disk since the last
    // good one: back to that, and the next append writes the rest again.
    // A failed write only drops what it wrote of its own record.
    if (flush)
        records_ = synced_;
    (void)::ftruncate(fd_, static_cast<off_t>(records_ * static_cast<std::int64_t>(sizeof(TBRecord))));
    return false;
}

bool TempFileAppender::append(const TBRecord& record)
{
    if (fd_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    const char* p = reinterpret_cast<const char*>(&record);
    std::size_t done = 0;
    const off_t at = static_cast<off_t>(records_ * static_cast<std::int64_t>(sizeof record));
    while (done < sizeof record) {
        const ssize_t n = ::pwrite(fd_, p + done, sizeof record - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return failed(n < 0 ? errno : ENOSPC, false);
        done += static_cast<std::size_t>(n);
    }
    ++records_;
    return syncIfDue();
}

bool TempFileAppender::syncIfDue()
{
    if (fd_ < 0 || synced_ == records_)
        return true;
    if (std::chrono::steady_clock::now() - lastSync_ < kSyncPeriod)
        return true;
    return sync();
}

bool TempFileAppender::sync()
{
    if (fd_ < 0 || synced_ == records_)
        return true;
    if (::fdatasync(fd_) != 0)
        return failed(errno, true);
    ++syncs_;
    synced_ = records_;
    lastSync_ = std::chrono::steady_clock::now();
    return true;
}

int TempFileAppender::release()
{
    sync();
    const int fd = fd_;
    fd_ = -1;
    records_ = synced_ = 0;
    return fd;
}

void TempFileAppender::close()
{
    const int fd = release();
    if (fd >= 0)
        ::close(fd); // ends the lock
}

} // namespace vt640
