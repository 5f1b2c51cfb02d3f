#include "viewer/core/safe_file_writer.h"

#include "app/core/user_messages.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vt640 {
namespace {

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool writeAll(int fd, const char* data, qsizetype size, int* error)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        if (n == 0) {
            *error = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

void syncDirectory(const QByteArray& directory)
{
    const int fd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // best effort: the rename is already done
    ::close(fd);
}

bool fail(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
    return false;
}

} // namespace

bool SafeFileWriter::write(const QString& path, const QByteArray& bytes, QString* reason)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folderName = QFile::encodeName(folder);

    // lstat: a link at the name is not looked through.
    struct stat st{};
    if (::lstat(target.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return fail(reason, loadString(Str::ReasonFolderAtName));
    struct stat dirSt{};
    if (::stat(folderName.constData(), &dirSt) != 0 || !S_ISDIR(dirSt.st_mode))
        return fail(reason, loadFormatted(Str::ReasonNoFolder, {folder}));

    // A fresh name beside the target; O_EXCL | O_NOFOLLOW refuse anything
    // already there, a planted link included.
    QByteArray temp;
    int fd = -1;
    int error = 0;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = target + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        error = errno;
        if (fd < 0 && error != EEXIST)
            break;
    }
    if (fd < 0)
        return fail(reason, loadFormatted(Str::ReasonCannotCreate, {folder, errnoText(error)}));

    bool ok = writeAll(fd, bytes.constData(), bytes.size(), &error);
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.constData());
        return fail(reason, loadFormatted(Str::ReasonWriteFailed, {errnoText(error)}));
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        error = errno;
        ::unlink(temp.constData());
        if (error == EISDIR)
            return fail(reason, loadString(Str::ReasonFolderAtName));
        return fail(reason, loadFormatted(Str::ReasonReplaceFailed, {errnoText(error)}));
    }
    syncDirectory(folderName);
    return true;
}

} // namespace vt640
