#include "publish/influx_url.h"

#include "publish/url_text.h"

#include <charconv>
#include <vector>

namespace vt640::publish {
namespace {

bool endsWith(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// Characters a URL may hold as it stands (RFC 3986's unreserved, reserved
// and '%').
bool urlCharacter(char c)
{
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F)
        return false;
    return c != '"' && c != '<' && c != '>' && c != '\\' && c != '^' && c != '`' && c != '{' && c != '|' && c != '}';
}

} // namespace

std::string InfluxUrl::writeUrl() const
{
    std::string url = std::string(tls ? "https://" : "http://") + host + ":" + std::to_string(port) + path + "?";
    auto param = [&url](std::string_view key, std::string_view value) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        url += key;
        url += '=';
        for (const char c : value) {
            const auto b = static_cast<unsigned char>(c);
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
                               || c == '.' || c == '_' || c == '~';
            if (plain) {
                url += c;
            } else {
                url += '%';
                url += kHex[b >> 4];
                url += kHex[b & 15];
            }
        }
        url += '&';
    };
    if (api == Api::V1) {
        param("db", database);
        if (!retention.empty())
            param("rp", retention);
    } else {
        param("org", org);
        param("bucket", bucket);
    }
    url += "precision=ns";
    return url;
}

std::string InfluxUrl::endpoint() const { return host + ":" + std::to_string(port); }

std::string InfluxUrl::stream() const
{
    if (api == Api::V2)
        return "org=" + org + " bucket=" + bucket;
    return "db=" + database + (retention.empty() ? "" : " rp=" + retention);
}

std::optional<InfluxUrl> InfluxUrl::parse(std::string_view text, std::string* why)
{
    auto no = [why](std::string reason) -> std::optional<InfluxUrl> {
        if (why)
            *why = std::move(reason);
        return std::nullopt;
    };
    InfluxUrl u;
    for (const char c : text)
        if (!urlCharacter(c))
            return no("a URL holds no blanks, control characters or quotes");
    if (text.substr(0, 7) == "http://") {
        text.remove_prefix(7);
    } else if (text.substr(0, 8) == "https://") {
        u.tls = true;
        text.remove_prefix(8);
    } else {
        return no("the URL starts with http:// or https://");
    }
    if (const auto hash = text.find('#'); hash != std::string_view::npos)
        return no("the URL has no #fragment");

    const std::size_t slash = text.find_first_of("/?");
    std::string_view authority = text.substr(0, slash);
    std::string_view rest = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
    if (authority.find('@') != std::string_view::npos)
        return no("no user or password in the URL: --influx-token-file holds them");
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos || close == 1)
            return no("an IPv6 address is written in brackets, as [::1]");
        u.host = authority.substr(0, close + 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty() && after.front() != ':')
            return no("after the host comes :PORT or the path");
        port = after.empty() ? after : after.substr(1);
        if (after.size() == 1)
            return no("the port after ':' is missing");
    } else {
        const auto colon = authority.find(':');
        u.host = authority.substr(0, colon);
        if (colon != std::string_view::npos) {
            port = authority.substr(colon + 1);
            if (port.empty())
                return no("the port after ':' is missing");
        }
        for (const char c : u.host)
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
                  || c == '_'))
                return no("the host " + u.host + " is no host name or address");
    }
    if (u.host.empty())
        return no("the URL names no host");
    u.port = u.tls ? 443 : 80;
    if (!port.empty()) {
        int p = 0;
        const auto r = std::from_chars(port.data(), port.data() + port.size(), p);
        if (r.ec != std::errc() || r.ptr != port.data() + port.size() || p < 1 || p > 65535)
            return no("the port " + std::string(port) + " is no number from 1 to 65535");
        u.port = p;
    }

    const auto question = rest.find('?');
    const std::string_view path = rest.substr(0, question);
    const std::string_view query = question == std::string_view::npos ? std::string_view() : rest.substr(question + 1);
    if (endsWith(path, "/api/v2/write"))
        u.api = Api::V2;
    else if (endsWith(path, "/write"))
        u.api = Api::V1;
    else
        return no("the path ends in /write (InfluxDB 1.x) or /api/v2/write (2.x), not "
                  + (path.empty() ? std::string("nothing") : std::string(path)));
    const auto decodedPath = urlDecoded(path, UrlPart::Path, false);
    if (!decodedPath)
        return no("the path " + std::string(path) + " is written wrong");
    u.path = path;

    bool haveDb = false, haveOrg = false, haveBucket = false;
    std::string_view q = query;
    while (!q.empty()) {
        const auto amp = q.find('&');
        const std::string_view pair = q.substr(0, amp);
        q = amp == std::string_view::npos ? std::string_view() : q.substr(amp + 1);
        if (pair.empty())
            continue;
        const auto eq = pair.find('=');
        const std::string_view key = pair.substr(0, eq);
        const auto value =
            urlDecoded(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1), UrlPart::Query, false);
        if (!value)
            return no("the query's " + std::string(key) + " holds a broken %-escape");
        if (key == "u" || key == "p" || key == "token")
            return no("no user, password or token in the URL: --influx-token-file holds them");
        if (key == "precision") {
            if (*value != "ns")
                return no("the points carry nanoseconds; leave precision out of the URL");
        } else if (key == "db" && u.api == Api::V1) {
            u.database = *value;
            haveDb = true;
        } else if (key == "rp" && u.api == Api::V1) {
            u.retention = *value;
        } else if (key == "org" && u.api == Api::V2) {
            u.org = *value;
            haveOrg = true;
        } else if (key == "bucket" && u.api == Api::V2) {
            u.bucket = *value;
            haveBucket = true;
        } else {
            return no("the query takes " + std::string(u.api == Api::V1 ? "db= and rp=" : "org= and bucket=") + ", not "
                      + std::string(key) + "=");
        }
    }
    if (u.api == Api::V1 && (!haveDb || u.database.empty()))
        return no("the URL names the database: /write?db=NAME");
    if (u.api == Api::V2 && (!haveOrg || !haveBucket || u.org.empty() || u.bucket.empty()))
        return no("the URL names the organisation and the bucket: /api/v2/write?org=ORG&bucket=BUCKET");
    return u;
}

} // namespace vt640::publish
