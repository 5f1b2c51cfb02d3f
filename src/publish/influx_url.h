#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vt640::publish {

// Where `log --influx` writes: an InfluxDB write URL, of the 1.x API
//
//   http://host:8086/write?db=NAME[&rp=POLICY]
//
// or of the 2.x API (its token from a file, never the command line)
//
//   http://host:8086/api/v2/write?org=ORG&bucket=BUCKET
//
// https:// as well; a path before /write or /api/v2/write (a reverse
// proxy's) is kept. Credentials in the URL (user@, u=, p=, token=) are
// refused, and so is a precision other than nanoseconds, since the points
// carry nanoseconds.
struct InfluxUrl {
    enum class Api { V1, V2 };
    Api api = Api::V1;
    bool tls = false;
    std::string host; // as written, brackets and all for IPv6
    int port = 0;
    std::string path;        // "/write", "/api/v2/write", with any prefix
    std::string database;    // V1: db
    std::string retention;   // V1: rp, or empty
    std::string org, bucket; // V2

    // The URL to post to, with precision=ns.
    std::string writeUrl() const;
    // "host:port": whom the position beside the logger file is for.
    std::string endpoint() const;
    // Where in it: "db=NAME", "db=NAME rp=POLICY" or "org=ORG bucket=BUCKET".
    std::string stream() const;

    // Empty, with `why` set, for anything else.
    static std::optional<InfluxUrl> parse(std::string_view text, std::string* why);
};

} // namespace vt640::publish
