#pragma once

#include "fileio/atomic_file.h"
#include "recorder/core/t_b_record.h"

#include <cstddef>
#include <string>

namespace vt640 {

// Writes records as a ".640" logger file: 128-byte record images one after
// the other, no header. The bytes go to a new file beside the target,
// which replaces the target only once it is complete and on disk, so a
// failed save never leaves a half-written file where a good one stood, and
// a link planted at the target is replaced rather than followed.
class LoggerFileWriter {
public:
    enum class Status {
        Ok,
        CannotCreate, // the new file could not be made in the target's folder
        WriteFailed,  // writing, flushing or putting it in place failed
        Exists,       // something stands at the target and replacing was not allowed
    };

    // With `replace` false the file goes in place only if nothing stands at
    // the target at that moment; the target is then never touched.
    // `failure` and `systemError`, when given, take what went wrong and the
    // system's error number behind it.
    static Status write(const std::string& path, const TBRecord* records, std::size_t count, bool replace = true,
                        AtomicFile::Error* failure = nullptr, int* systemError = nullptr);
};

} // namespace vt640
