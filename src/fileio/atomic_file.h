#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vt640 {

// Writes a file so that a reader only ever finds the old file or the whole
// new one. The bytes go to a new file beside the target, created exclusively
// and never through a link; commit() puts it on disk and renames it over the
// target. A link planted at the target is replaced, never followed; a folder
// at the target is refused, and so is a file the user may not write (the
// rename would replace it all the same, as the folder is writable). Until commit() succeeds the target is untouched,
// and a file that is not committed is removed.
class AtomicFile {
public:
    enum class Error {
        None,
        FolderAtName,  // the target is a folder
        NoFolder,      // the target's folder does not exist
        CannotCreate,  // the new file could not be made in the target's folder
        WriteFailed,   // writing or flushing the new file failed (a full disk, say)
        ReplaceFailed, // the complete file could not be put in place
        Exists,        // something stands at the name and replacing was not allowed
        WriteProtected, // a file the user may not write stands at the name
    };

    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Whether commit() may replace what stands at the name (the default).
    // When not, commit() puts the file in place only if the name is free at
    // that moment, and fails with Exists otherwise.
    void setReplaceExisting(bool replace) { replace_ = replace; }
    // The new file is written under `path` (in the target's folder) instead
    // of a fresh name: what stands there is removed first if it is a file or
    // a link (a link's target is never touched); anything else makes open()
    // fail and is left alone.
    void setTemporaryPath(std::string path) { fixedTemp_ = std::move(path); }
    // The permissions of a new file, less the user's umask (0666 unless set);
    // a file that is replaced keeps its own.
    void setNewFileMode(unsigned mode) { newMode_ = mode; }

    bool open();
    // Appends bytes; once a write fails, every later call fails too.
    bool write(const void* data, std::size_t size);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    bool commit();
    // Gives up: the new file goes, the target stays as it was.
    void discard();

    Error error() const { return error_; }
    // The system's error number behind error(), 0 if none.
    int systemError() const { return systemError_; }

    // Renames `from` to `to`; with `replace` false only when nothing stands
    // at `to` (EEXIST otherwise), also on file systems that cannot rename
    // that way. Returns 0 or the system's error number.
    static int moveIntoPlace(const std::string& from, const std::string& to, bool replace);

    // Writes `bytes` as the whole file at `path`.
    static Error writeWhole(const std::string& path, std::string_view bytes, int* systemError = nullptr);

private:
    bool fail(Error error, int systemError);

    std::string path_;
    std::string temp_;
    int fd_ = -1;
    Error error_ = Error::None;
    int systemError_ = 0;
    bool replace_ = true;
    std::string fixedTemp_;
    unsigned newMode_ = 0666;
};

} // namespace vt640
