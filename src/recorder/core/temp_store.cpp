#include "recorder/core/temp_store.h"

#include "recorder/core/record_buffer.h"
#include "resources/string_table.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace vt640 {
namespace {

// How far past a taken number a new run looks for a free one.
constexpr int kMaxSkipped = 100000;

} // namespace

TempStore::~TempStore() { removeAll(); }

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

bool TempStore::openNext(const std::string& directory, int firstIndex)
{
    close();
    for (int skipped = 0; skipped <= kMaxSkipped; ++skipped) {
        ++counter_;
        const std::string path = fileName(directory, counter_);
        switch (file_.create(path)) {
        case TempFileAppender::Create::Exists: continue; // someone else's file: left alone
        case TempFileAppender::Create::Failed: return false;
        case TempFileAppender::Create::Created: break;
        }
        Held held;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) {
            held.device = st.st_dev;
            held.inode = st.st_ino;
        }
        paths_.push_back(path);
        held_.push_back(held);
        firstIndex_ = firstIndex;
        failing_ = notice_ = false;
        return true;
    }
    return false;
}

bool TempStore::catchUp(const RecordBuffer& buffer)
{
    if (!file_.isOpen())
        return true;
    const std::int64_t runRecords = static_cast<std::int64_t>(buffer.size()) - firstIndex_;
    while (file_.records() < runRecords) {
        const auto i = static_cast<int>(firstIndex_ + file_.records());
        if (!file_.append(buffer[i])) {
            if (!failing_)
                notice_ = true;
            failing_ = true;
            return false;
        }
    }
    failing_ = false;
    return true;
}

bool TempStore::takeFailureNotice()
{
    const bool notice = notice_;
    notice_ = false;
    return notice;
}

void TempStore::tick(const RecordBuffer& buffer)
{
    if (!file_.isOpen() || !catchUp(buffer))
        return;
    if (!file_.syncIfDue()) {
        // The flush failed: the file is back at what is on disk and the
        // next tick or record writes the rest again.
        if (!failing_)
            notice_ = true;
        failing_ = true;
    }
}

void TempStore::close(const RecordBuffer& buffer)
{
    catchUp(buffer);
    close();
}

void TempStore::close()
{
    if (!file_.isOpen())
        return;
    held_.back().fd = file_.release();
}

void TempStore::removeAll()
{
    close();
    for (std::size_t k = paths_.size(); k-- > 0;) {
        const std::string& path = paths_[k];
        Held& held = held_[k];
        struct stat st {};
        const bool ours = ::lstat(path.c_str(), &st) == 0 && st.st_dev == held.device && st.st_ino == held.inode;
        if (ours)
            ::unlink(path.c_str());
        if (held.fd >= 0)
            ::close(held.fd);
        held.fd = -1;
    }
    paths_.clear();
    held_.clear();
}

} // namespace vt640
