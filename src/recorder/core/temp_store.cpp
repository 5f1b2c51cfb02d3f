#include "recorder/core/temp_store.h"

#include "resources/string_table.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vt640 {

TempStore::~TempStore()
{
    removeAll();
    close();
}

std::string TempStore::fileName(const std::string& directory, int n)
{
    std::string name = directory.empty() ? std::string(".") : directory;
    if (name.back() != '/')
        name += '/';
    name += stringText(Str::TempFileStem);
    name += std::to_string(n);
    name += ".TMP";
    return name;
}

const std::string& TempStore::currentPath() const
{
    static const std::string none;
    return paths_.empty() ? none : paths_.back();
}

bool TempStore::openNext(const std::string& directory)
{
    close();
    ++counter_;
    const std::string path = fileName(directory, counter_);
    // A file, a stale file of an earlier run or a planted link: all go.
    ::unlink(path.c_str());
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    fd_ = fd;
    if (fd_ < 0)
        return false;
    paths_.push_back(path);
    return true;
}

void TempStore::append(const TBRecord& record)
{
    if (fd_ < 0)
        return;
    const char* p = reinterpret_cast<const char*>(&record);
    std::size_t left = sizeof record;
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // disk full or the like: the buffer still has the record
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void TempStore::close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void TempStore::removeAll()
{
    for (auto it = paths_.rbegin(); it != paths_.rend(); ++it) {
        if (::unlink(it->c_str()) != 0 && errno != ENOENT) {
            close();
            ::unlink(it->c_str());
        }
    }
    paths_.clear();
}

} // namespace vt640
