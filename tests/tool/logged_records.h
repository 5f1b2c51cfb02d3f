#pragma once

// What `log` left behind, as the tests of its runs read it back: the
// records of its file, and how often a message stands in its output.

#include "recorder/core/logger_file_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace vt640::test {

inline std::vector<TBRecord> recordsOf(const std::filesystem::path& file)
{
    LoggerFileReader reader;
    EXPECT_EQ(reader.open(file.string()), LoggerFileReader::Status::Ok);
    std::vector<TBRecord> records(static_cast<std::size_t>(std::max(0, reader.recordCount())));
    if (!records.empty()) {
        EXPECT_EQ(reader.read(records.data(), static_cast<int>(records.size())), reader.recordCount());
    }
    return records;
}

inline std::size_t countOf(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace vt640::test
