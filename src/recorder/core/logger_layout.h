#pragma once

#include <cstddef>
#include <string_view>

namespace vt640 {

// The three record layouts a logger file may hold. A logger file has no
// header: the layout follows from the file's name.
enum class RecordLayout {
    Native, // 128-byte TBRecord: ".640" files and the temporary files
    Older,  // 96-byte TARecord: ".r27" files
    Oldest, // 68-byte TRecord: ".r26" and any other name
};

std::size_t recordSize(RecordLayout layout);

// The layout of the file at `path`, from its last path component compared
// without regard to case: ".r27" anywhere in it gives the 96-byte layout;
// otherwise ".640" anywhere gives 128; otherwise a name ending in ".tmp"
// (the temporary files) gives 128; anything else gives 68. The folders on
// the way do not count, so a folder called "run.640" decides nothing.
RecordLayout layoutForPath(std::string_view path);

} // namespace vt640
