#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vt640::publish {

// How far a logger file has reached a receiver, kept beside it in
// `FILE.640.mqtt` (the broker) or `FILE.640.influx` (the database): the
// index of the last record the receiver acknowledged, with the receiver and
// where in it the records went. It is written whole or not at all (a new
// file renamed over the old), so a crash leaves the old position and at
// worst some records are sent twice, never skipped.
struct PublishPosition {
    std::int64_t acked = -1; // the last acknowledged record; -1: none yet
    std::string broker;      // the receiver, "host:port"
    std::string topic;       // the state topic, or the database written to

    // The position file of `kind` ("mqtt", "influx") beside a logger file.
    static std::string pathFor(const std::string& loggerFile, std::string_view kind = "mqtt")
    {
        return loggerFile + "." + std::string(kind);
    }

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
