#include "viewer/core/safe_file_writer.h"

#include "app/core/user_messages.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace vt640 {

QString SafeFileWriter::reason(const QString& path, AtomicFile::Error error, int systemError)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString system = QString::fromLocal8Bit(std::strerror(systemError));
    switch (error) {
    case AtomicFile::Error::None: return {};
    case AtomicFile::Error::FolderAtName: return loadString(Str::ReasonFolderAtName);
    case AtomicFile::Error::NoFolder: return loadFormatted(Str::ReasonNoFolder, {folder});
    case AtomicFile::Error::CannotCreate: return loadFormatted(Str::ReasonCannotCreate, {folder, system});
    case AtomicFile::Error::WriteFailed: return loadFormatted(Str::ReasonWriteFailed, {system});
    case AtomicFile::Error::ReplaceFailed:
    case AtomicFile::Error::Exists: return loadFormatted(Str::ReasonReplaceFailed, {system});
    case AtomicFile::Error::WriteProtected: return loadFormatted(Str::ReasonWriteProtected, {system});
    }
    return {};
}

bool SafeFileWriter::write(const QString& path, const QByteArray& bytes, QString* why)
{
    const std::string target = QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString();
    int systemError = 0;
    const AtomicFile::Error error = AtomicFile::writeWhole(
        target, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), &systemError);
    if (error == AtomicFile::Error::None)
        return true;
    if (why)
        *why = reason(path, error, systemError);
    return false;
}

} // namespace vt640
