#pragma once

#include "fileio/atomic_file.h"

#include <QByteArray>
#include <QString>

namespace vt640 {

// Writes a whole file so that a reader only ever sees the old file or the
// complete new one (see AtomicFile), and says why in the user's words when
// it cannot.
class SafeFileWriter {
public:
    static bool write(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

    // Why an AtomicFile of `path` failed, in the user's words.
    static QString reason(const QString& path, AtomicFile::Error error, int systemError);
};

} // namespace vt640
