#pragma once

#include <QByteArray>
#include <QString>

namespace vt640 {

// Writes a whole file so that a reader only ever sees the old file or the
// complete new one. The bytes go to a new file beside the target (created
// exclusively, never through a link), are flushed to disk and then renamed
// over the target. A symbolic link planted at the target is replaced, never
// followed; a folder at the target is left alone and reported. On any
// failure the temporary file is removed, the old file stays as it was and
// `reason` (when given) says why, in the user's words.
class SafeFileWriter {
public:
    static bool write(const QString& path, const QByteArray& bytes, QString* reason = nullptr);
};

} // namespace vt640
