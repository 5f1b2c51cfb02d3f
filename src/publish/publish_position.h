#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vt640::publish {

// How far a logger file has reached the broker, kept beside it in
// `FILE.640.mqtt`: the index of the last record the broker acknowledged,
// with the broker and the topic it went to. It is written whole or not at
// all (a new file renamed over the old), so a crash leaves the old position
// and at worst some records are published twice, never skipped.
struct PublishPosition {
    std::int64_t acked = -1; // the last acknowledged record; -1: none yet
    std::string broker;      // "host:port"
    std::string topic;       // the state topic

    static std::string pathFor(const std::string& loggerFile) { return loggerFile + ".mqtt"; }

    std::string text() const;
    // Nothing for a text that is not a position this program wrote.
    static std::optional<PublishPosition> parse(const std::string& text);

    // Nothing when the file is missing or unreadable; `error` then holds
    // the system's error number (0 for a file that is not a position).
    static std::optional<PublishPosition> read(const std::string& path, int* error = nullptr);
    // False with `error` set (the system's error number) when it could not be written.
    bool write(const std::string& path, int* error = nullptr) const;
};

} // namespace vt640::publish
