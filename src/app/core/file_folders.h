#pragma once

#include "app/core/prompt_service.h"

#include <QString>

#include <array>

namespace vt640 {

// Where a file dialog starts, by the kind of file it asks for: in the
// folder the user last chose a file of that kind in, during this run; at
// first in the folder the program was started in, unless that is the
// program's own folder (the menu starts it there, to keep its settings and
// temporary files out of sight), where a user's files do not belong: then
// in the user's documents folder, or home without one.
class FileFolders {
public:
    using Kind = PromptService::FileKind;

    // `startFolder`: the current folder at start-up; `ownFolder`: the
    // program's own data folder; `documents`: the user's documents folder
    // (empty when there is none); `home`: the home folder.
    FileFolders(const QString& startFolder, const QString& ownFolder, const QString& documents, const QString& home);
    // The same for this user and this run (the standard locations).
    static FileFolders forThisRun(const QString& startFolder);

    QString folderFor(Kind kind) const;
    // The user chose `path` in a dialog for `kind`: its folder is where the
    // next one starts.
    void chosen(Kind kind, const QString& path);

private:
    QString first_;
    std::array<QString, 3> last_; // by Kind
};

} // namespace vt640
