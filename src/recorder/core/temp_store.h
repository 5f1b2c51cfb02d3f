#pragma once

#include "recorder/core/t_b_record.h"

#include <string>
#include <vector>

namespace vt640 {

// The real-time temporary files "~KRMDLn.TMP": one per automatic logging run,
// each a plain sequence of 128-byte records, all removed when the store goes
// away (the recorder window is destroyed at exit).
class TempStore {
public:
    TempStore() = default;
    ~TempStore();
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

    // Counts the next file and creates it in `directory`. Whatever is at that
    // name is removed first, and the file is then created exclusively without
    // following links, so a link planted there cannot redirect the records.
    // False when the file could not be created.
    bool openNext(const std::string& directory);

    bool isOpen() const { return fd_ >= 0; }

    // Appends the record's 128 bytes. A failed write is ignored: the record
    // stays in the buffer all the same.
    void append(const TBRecord& record);

    void close();

    // Files counted so far, and the name of file n (1-based) in `directory`.
    int counter() const { return counter_; }
    static std::string fileName(const std::string& directory, int n);
    // The files of this run, oldest first.
    const std::vector<std::string>& paths() const { return paths_; }
    const std::string& currentPath() const;

    // Removes every file of this run, newest first; a removal that fails is
    // tried once more after closing the open file.
    void removeAll();

private:
    int fd_ = -1;
    int counter_ = 0;
    std::vector<std::string> paths_;
};

} // namespace vt640
