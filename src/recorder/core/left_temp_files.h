#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vt640 {

// Temporary files ("~KRMDLn.TMP") that a run which did not end normally
// left in a folder: the file is there and no running instance holds its
// lock. Those that hold at least one record, or that cannot be read at all,
// are offered; they are locked while they are being offered (where they
// can be opened) and renamed out of the way once the user has dealt with
// them. A left file without a single whole record holds nothing to offer:
// the scan removes it.
class LeftTempFiles {
public:
    struct File {
        std::string path;
        std::string name; // the last path component
        std::int64_t records = 0; // whole 128-byte records
        std::int64_t modifiedNs = 0;
        // Why the file cannot be read: the system's error number from
        // opening it, or more records than a buffer can hold.
        int systemError = 0;
        bool tooLarge = false;
        bool readable() const { return systemError == 0 && !tooLarge; }
        // Which file it was when found.
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
    };

    LeftTempFiles() = default;
    ~LeftTempFiles();
    LeftTempFiles(const LeftTempFiles&) = delete;
    LeftTempFiles& operator=(const LeftTempFiles&) = delete;

    // Finds the left files of `directory`, newest first, and removes those
    // without a whole record. Each readable one found is locked by this
    // object until release(), so that another instance starting at the
    // same time does not offer it as well.
    void scan(const std::string& directory);
    const std::vector<File>& files() const { return files_; }

    // Takes file `i` out of later offers: it is renamed in its folder to
    // "~KRMDLn-kept.TMP" (or "-kept2" and so on when that name is taken),
    // which keeps the 128-byte layout by name and is never reused by a
    // logging run. Returns the new path; empty when it could not be renamed.
    std::string keep(std::size_t i);

    // Lets go of every lock.
    void release();

    // Whether `name` is that of a temporary file: the stem, a number, ".TMP".
    static bool isTempFileName(std::string_view name);

private:
    std::vector<File> files_;
    std::vector<int> fds_; // one per file, holding its lock (-1 for one that cannot be opened)
};

} // namespace vt640
