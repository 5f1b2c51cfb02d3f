#include "app/core/file_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vt640 {
namespace {

QString canonical(const QString& folder)
{
    const QString c = QFileInfo(folder).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : c;
}

} // namespace

FileFolders::FileFolders(const QString& startFolder, const QString& ownFolder, const QString& documents,
                         const QString& home)
{
    first_ = startFolder;
    if (!ownFolder.isEmpty() && canonical(startFolder) == canonical(ownFolder))
        first_ = !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : home;
}

FileFolders FileFolders::forThisRun(const QString& startFolder)
{
    // The folder the menu's launcher runs the program in.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return FileFolders(startFolder, data.isEmpty() ? QString() : data + QStringLiteral("/vt640"),
                       QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath());
}

QString FileFolders::folderFor(Kind kind) const
{
    const QString& last = last_[static_cast<std::size_t>(kind)];
    return last.isEmpty() ? first_ : last;
}

void FileFolders::chosen(Kind kind, const QString& path)
{
    if (path.isEmpty())
        return;
    last_[static_cast<std::size_t>(kind)] = QFileInfo(path).absolutePath();
}

} // namespace vt640
