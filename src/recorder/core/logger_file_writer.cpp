#include "recorder/core/logger_file_writer.h"

#include "recorder/core/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vt640 {
namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A new, exclusively created file in `folder`; -1 when none can be made.
int createBeside(const std::string& folder, std::string& name)
{
    static std::atomic<unsigned> serial{0};
    const auto now = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char leaf[64];
        std::snprintf(leaf, sizeof leaf, ".vt640-save-%d-%u-%llx", static_cast<int>(::getpid()),
                      serial.fetch_add(1), now + static_cast<unsigned long long>(attempt));
        name = folder == "/" ? "/" + std::string(leaf) : folder + "/" + leaf;
        int fd;
        do {
            // 0666 less the user's umask, as any new file of theirs.
            fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, const char* p, std::size_t left)
{
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

LoggerFileWriter::Status LoggerFileWriter::write(const std::string& path, const TBRecord* records,
                                                 std::size_t count, bool replace)
{
    if (path.empty())
        return Status::CannotCreate;
    const std::string folder = folderOf(path);
    std::string temp;
    const int fd = createBeside(folder, temp);
    if (fd < 0)
        return Status::CannotCreate;

    // A file that is replaced keeps its permissions.
    struct stat old {};
    if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        (void)::fchmod(fd, old.st_mode & 07777);

    bool ok = writeAll(fd, reinterpret_cast<const char*>(records), count * sizeof(TBRecord));
    ok = ok && ::fdatasync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    const int placed = ok ? AtomicFile::moveIntoPlace(temp, path, replace) : -1;
    if (placed != 0) {
        ::unlink(temp.c_str());
        return placed == EEXIST ? Status::Exists : Status::WriteFailed;
    }
    // The new name itself reaches the disk with the folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return Status::Ok;
}

} // namespace vt640
