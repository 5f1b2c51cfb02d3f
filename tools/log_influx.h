#pragma once

#include "commands.h"

#include <cstdint>
#include <memory>
#include <string>

class Console;

namespace vt640::publish {
class InfluxWriter;
}

// `log --influx`: the options checked, and the database writer fed from the
// logging loop; what it tells goes to standard error. Without --influx
// every call does nothing.
class LogInflux {
public:
    LogInflux();
    ~LogInflux();

    // Checks the --influx options (reading the token file); empty when they
    // are fine, otherwise what is wrong, for a usage error. `meterId` is the
    // meter tag when --meter-id is not given.
    std::string configure(const InfluxOptions& options, const std::string& meterId);

    // Starts writing the records of `path` after its `records` records, or
    // after the position kept beside it.
    void start(const std::string& path, std::int64_t records, Console& console);
    // The file holds `records` records now.
    void recordsInFile(std::int64_t records);
    // Says on standard error what happened with the database.
    void tell(Console& console);
    // The last records and the position; a short wait at most.
    void finish(Console& console);

private:
    std::unique_ptr<vt640::publish::InfluxWriter> writer_;
    std::string where_; // the URL without its query, and the database
    std::string path_;
    std::int64_t records_ = 0;
    bool wasReached_ = false;
};
