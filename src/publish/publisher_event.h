#pragma once

#include <cstdint>
#include <string>

namespace vt640::publish {

// What the publisher tells its owner, who words it for the user. Each
// failure is told once: again only after the broker has been reached since.
struct PublisherEvent {
    enum class Kind {
        Connected,       // the broker took the connection (`detail`: host:port)
        Unreachable,     // the broker cannot be reached; retried with a growing pause (`detail`: why)
        ConnectionLost,  // the connection broke; retried (`detail`: why)
        Refused,         // the broker refused the login (`detail`: the broker's reason)
        TlsFailed,       // TLS could not be set up: the CA file, or the broker's certificate (`detail`: why)
        CaughtUp,        // the records logged while the broker was away are published (`count`)
        PositionIgnored, // the position beside the file is for another broker or topic, or
                         // beyond the file's end: publishing starts with the next record (`detail`: what)
        PositionFailed,  // the position file cannot be read or written (`detail`: file and why)
        StoreFailed,     // the logger file cannot be read (`detail`: file and why)
    };
    Kind kind;
    std::string detail;
    std::int64_t count = 0;
};

} // namespace vt640::publish
