#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vt640 {

// Temporary files ("~KRMDLn.TMP") that a run which did not end normally
// left in a folder: the file is there, holds at least one record, and no
// running instance holds its lock. They are only ever looked at, locked
// while they are being offered, and renamed out of the way once the user
// has dealt with them; nothing here deletes a file.
class LeftTempFiles {
public:
    struct File {
        std::string path;
        std::string name; // the last path component
        int records = 0;  // whole 128-byte records
        std::int64_t modifiedNs = 0;
    };

    LeftTempFiles() = default;
    ~LeftTempFiles();
    LeftTempFiles(const LeftTempFiles&) = delete;
    LeftTempFiles& operator=(const LeftTempFiles&) = delete;

    // Finds the left files of `directory`, newest first. Each one found is
    // locked by this object until release(), so that another instance
    // starting at the same time does not offer it as well.
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
    std::vector<int> fds_; // one per file, holding its lock
};

} // namespace vt640
