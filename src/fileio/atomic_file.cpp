#include "fileio/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace vt640 {
namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // best effort: the rename is done already
    ::close(fd);
}

} // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::fail(Error error, int systemError)
{
    if (error_ == Error::None) {
        error_ = error;
        systemError_ = systemError;
    }
    return false;
}

bool AtomicFile::open()
{
    // lstat: a link at the name is not looked through.
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return fail(Error::FolderAtName, EISDIR);
        // A file the user could not open for writing is not theirs to
        // replace either. Asked with the effective ids, as opening would.
        if (replace_ && S_ISREG(st.st_mode) && ::faccessat(AT_FDCWD, path_.c_str(), W_OK, AT_EACCESS) != 0
            && (errno == EACCES || errno == EPERM))
            return fail(Error::WriteProtected, errno);
    }
    const std::string folder = folderOf(path_);
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return fail(Error::NoFolder, errno ? errno : ENOTDIR);

    // A fresh name beside the target; O_EXCL and O_NOFOLLOW refuse anything
    // that is already there, a planted link included.
    // The temporary name starts with the target's, cut short so that the
    // longest allowed name still leaves room for what is added.
    const std::size_t slash = path_.find_last_of('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    const std::string stem = path_.substr(0, nameAt + std::min<std::size_t>(path_.size() - nameAt, 200));
    std::random_device random;
    if (!fixedTemp_.empty()) {
        // A leftover at the fixed name: unlink removes a file or a link,
        // never a link's target; anything else stays and fails the create.
        if (::lstat(fixedTemp_.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
            ::unlink(fixedTemp_.c_str());
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp_ = fixedTemp_.empty() ? stem + "." + std::to_string(random()) + ".tmp" : fixedTemp_;
        // The mode less the user's umask, as any new file of theirs.
        do {
            fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, newMode_);
        } while (fd_ < 0 && errno == EINTR);
        if (fd_ >= 0) {
            // A file that is replaced keeps its permissions.
            struct stat old {};
            if (::lstat(path_.c_str(), &old) == 0 && S_ISREG(old.st_mode))
                (void)::fchmod(fd_, old.st_mode & 07777);
            return true;
        }
        if (errno != EEXIST || !fixedTemp_.empty())
            break;
    }
    const int error = errno;
    temp_.clear();
    return fail(Error::CannotCreate, error);
}

bool AtomicFile::write(const void* data, std::size_t size)
{
    if (fd_ < 0 || error_ != Error::None)
        return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(Error::WriteFailed, errno);
        }
        if (n == 0)
            return fail(Error::WriteFailed, ENOSPC);
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool AtomicFile::commit()
{
    if (fd_ < 0) {
        discard();
        return fail(Error::CannotCreate, EBADF);
    }
    if (error_ == Error::None && ::fsync(fd_) != 0)
        fail(Error::WriteFailed, errno);
    if (::close(fd_) != 0)
        fail(Error::WriteFailed, errno);
    fd_ = -1;
    if (error_ != Error::None) {
        discard();
        return false;
    }
    if (const int error = moveIntoPlace(temp_, path_, replace_)) {
        discard();
        if (error == EEXIST)
            return fail(Error::Exists, error);
        return fail(error == EISDIR ? Error::FolderAtName : Error::ReplaceFailed, error);
    }
    temp_.clear();
    syncFolder(folderOf(path_));
    return true;
}

void AtomicFile::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

int AtomicFile::moveIntoPlace(const std::string& from, const std::string& to, bool replace)
{
    if (replace)
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // A file system that cannot rename without replacing: a second name
    // for the file, which cannot be made over an existing one, then the
    // temporary name goes.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

AtomicFile::Error AtomicFile::writeWhole(const std::string& path, std::string_view bytes, int* systemError)
{
    AtomicFile file(path);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (systemError)
        *systemError = file.systemError();
    return ok ? Error::None : file.error();
}

} // namespace vt640
