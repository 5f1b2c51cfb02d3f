#include "recorder/core/left_temp_files.h"

#include "fileio/atomic_file.h"
#include "recorder/core/t_b_record.h"
#include "resources/string_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <numeric>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vt640 {
namespace {

bool allDigits(std::string_view s)
{
    return !s.empty() && s.size() <= 9 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

LeftTempFiles::~LeftTempFiles() { release(); }

bool LeftTempFiles::isTempFileName(std::string_view name)
{
    const std::string_view stem = stringText(Str::TempFileStem);
    constexpr std::string_view suffix = ".TMP";
    if (name.size() <= stem.size() + suffix.size() || name.substr(0, stem.size()) != stem
        || name.substr(name.size() - suffix.size()) != suffix)
        return false;
    return allDigits(name.substr(stem.size(), name.size() - stem.size() - suffix.size()));
}

void LeftTempFiles::scan(const std::string& directory)
{
    release();
    const std::string folder = directory.empty() ? std::string(".") : directory;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<File> found;
    std::vector<int> fds;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!isTempFileName(name))
            continue;
        const std::string path = (folder.back() == '/' ? folder : folder + "/") + name;
        File f;
        f.path = path;
        f.name = name;
        struct stat st {};
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            // A file that is there but cannot be opened is offered with the
            // reason; anything else (gone, a link) is not ours to offer.
            const int error = errno;
            if (error == ENOENT || error == ELOOP || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            f.systemError = error;
        } else {
            // A running instance holds the lock of each of its files.
            if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                ::close(fd);
                continue;
            }
            f.records = st.st_size / static_cast<off_t>(sizeof(TBRecord));
            f.tooLarge = f.records > std::numeric_limits<int>::max();
            if (f.records < 1) {
                // Killed before its first record was written: nothing in it.
                // Only the very file that was opened and locked goes.
                struct stat now {};
                if (::lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino)
                    ::unlink(path.c_str());
                ::close(fd);
                continue;
            }
        }
        f.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
        f.device = st.st_dev;
        f.inode = st.st_ino;
        found.push_back(f);
        fds.push_back(fd);
    }
    ::closedir(dir);

    std::vector<std::size_t> order(found.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&found](std::size_t a, std::size_t b) {
        return found[a].modifiedNs != found[b].modifiedNs ? found[a].modifiedNs > found[b].modifiedNs
                                                          : found[a].name > found[b].name;
    });
    for (std::size_t k : order) {
        files_.push_back(found[k]);
        fds_.push_back(fds[k]);
    }
}

std::string LeftTempFiles::keep(std::size_t i)
{
    if (i >= files_.size())
        return {};
    const File& f = files_[i];
    // Only the very file that was found is renamed.
    struct stat now {};
    if (::lstat(f.path.c_str(), &now) != 0 || now.st_dev != f.device || now.st_ino != f.inode)
        return {};
    const std::string base = f.path.substr(0, f.path.size() - 4); // without ".TMP"
    for (int n = 1; n < 1000; ++n) {
        const std::string to = base + (n == 1 ? std::string("-kept") : "-kept" + std::to_string(n)) + ".TMP";
        const int error = AtomicFile::moveIntoPlace(f.path, to, false);
        if (error == 0)
            return to;
        if (error != EEXIST)
            return {};
    }
    return {};
}

void LeftTempFiles::release()
{
    for (int fd : fds_)
        if (fd >= 0)
            ::close(fd);
    fds_.clear();
    files_.clear();
}

} // namespace vt640
