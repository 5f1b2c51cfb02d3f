#pragma once

#include "commands.h"

#include <cstdint>
#include <memory>
#include <string>

class Console;

namespace vt640::publish {
class Publisher;
}

// `log --mqtt`: the options checked, and the publisher fed from the
// logging loop; what it tells goes to standard error. Without --mqtt every
// call does nothing.
class LogPublishing {
public:
    LogPublishing();
    ~LogPublishing();

    // Checks the --mqtt options (reading the password file); empty when
    // they are fine, otherwise what is wrong, for a usage error.
    std::string configure(const MqttOptions& options, const std::string& portName);

    // Starts publishing the records of `path` after its `records` records,
    // or after the position kept beside it.
    void start(const std::string& path, std::int64_t records, Console& console);
    // The file holds `records` records now.
    void recordsInFile(std::int64_t records);
    // Readings arrive, or they stopped (three failed polls, the adapter pulled).
    void meterOnline(bool online);
    // Says on standard error what happened with the broker.
    void tell(Console& console);
    // "offline", the last records, the position; a short wait at most.
    void finish(Console& console);

private:
    std::unique_ptr<vt640::publish::Publisher> publisher_;
    std::string endpoint_; // mqtt://host:port
    std::string topics_;   // prefix/id, for the note at the start
    std::string path_;     // the logger file
    std::int64_t records_ = 0;
    bool wasConnected_ = false;
};
