#include "publish/broker_url.h"

#include "publish/url_text.h"

#include <algorithm>
#include <cctype>

namespace vt640::publish {
namespace {

constexpr std::size_t kMaxHost = 253;   // the longest DNS name
constexpr std::size_t kMaxUser = 256;   // far above any broker's
constexpr std::size_t kMaxPrefix = 200; // leaves room for the id and the subtopic

std::optional<BrokerUrl> fail(std::string* why, std::string text)
{
    if (why)
        *why = std::move(text);
    return std::nullopt;
}

std::string quoted(std::string_view s)
{
    std::string q = "'";
    for (unsigned char c : s)
        q += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    return q + "'";
}

// Well-formed UTF-8 without overlong forms or surrogates, as MQTT wants its
// topic names and user names.
bool validUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int more = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            more = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(more) >= s.size())
            return false;
        for (int k = 1; k <= more; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

bool hostNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_'; }

bool ipv6Char(char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; }

// The URL as it may be quoted back: a password in it (which is refused)
// never shows in a message.
std::string redacted(std::string_view url)
{
    const auto sep = url.find("://");
    if (sep == std::string_view::npos)
        return std::string(url);
    const auto start = sep + 3;
    const auto end = std::min(url.find('/', start), url.size());
    const auto at = url.substr(0, end).rfind('@');
    if (at == std::string_view::npos || at < start)
        return std::string(url);
    const auto colon = url.substr(0, at).find(':', start);
    if (colon == std::string_view::npos)
        return std::string(url);
    return std::string(url.substr(0, colon + 1)) + "***" + std::string(url.substr(at));
}

} // namespace

std::string BrokerUrl::endpoint() const
{
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<BrokerUrl> BrokerUrl::parse(std::string_view url, std::string* why)
{
    const std::string whole = quoted(redacted(url));
    const auto sep = url.find("://");
    if (sep == std::string_view::npos)
        return fail(why, whole + " is no broker URL; write mqtt://[user@]host[:port][/prefix] or mqtts://...");
    std::string scheme(url.substr(0, sep));
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    BrokerUrl result;
    if (scheme == "mqtts") {
        result.tls = true;
        result.port = kTlsPort;
    } else if (scheme != "mqtt") {
        return fail(why, "unknown scheme " + quoted(url.substr(0, sep)) + " in " + whole
                             + "; the broker URL begins with mqtt:// or mqtts://");
    }
    std::string_view rest = url.substr(sep + 3);
    if (const auto bad = rest.find_first_of("?#"); bad != std::string_view::npos)
        return fail(why, whole + " has " + (rest[bad] == '?' ? "a query" : "a fragment") + " ('" + rest[bad]
                             + "...'); a topic prefix takes neither '?' nor '#'");

    // The authority runs to the first "/"; what follows is the prefix.
    const auto slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    const std::string_view path = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);

    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view user = authority.substr(0, at);
        authority = authority.substr(at + 1);
        if (user.find(':') != std::string_view::npos)
            return fail(why, whole + " holds a password; give it with --mqtt-password-file instead");
        const auto decoded = urlDecoded(user, UrlPart::Path, true);
        if (!decoded || decoded->empty() || decoded->size() > kMaxUser || !validUtf8(*decoded))
            return fail(why, "the user name " + quoted(user) + " in " + whole + " is not valid");
        result.user = *decoded;
    }

    std::string_view host;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos)
            return fail(why, whole + " opens an IPv6 address with '[' and does not close it");
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return fail(why, whole + " has " + quoted(after) + " after the IPv6 address");
            port = after.substr(1);
            if (port.empty())
                return fail(why, whole + " has a ':' without a port number");
        }
        if (host.empty() || host.size() > 45 || host.find(':') == std::string_view::npos)
            return fail(why, quoted(host) + " in " + whole + " is no IPv6 address");
        for (char c : host)
            if (!ipv6Char(c))
                return fail(why, quoted(host) + " in " + whole + " is no IPv6 address");
    } else {
        const auto colon = authority.find(':');
        host = authority.substr(0, colon);
        if (colon != std::string_view::npos) {
            port = authority.substr(colon + 1);
            if (port.empty())
                return fail(why, whole + " has a ':' without a port number");
        }
        if (host.empty())
            return fail(why, whole + " names no broker host");
        if (host.size() > kMaxHost)
            return fail(why,
                        "the host name in " + whole + " is longer than " + std::to_string(kMaxHost) + " characters");
        for (char c : host)
            if (!hostNameChar(c))
                return fail(why, "the host name " + quoted(host) + " in " + whole + " is not valid");
        if (host.front() == '.' || host.front() == '-' || host.find("..") != std::string_view::npos)
            return fail(why, "the host name " + quoted(host) + " in " + whole + " is not valid");
    }
    result.host = std::string(host);

    if (!port.empty()) {
        long value = 0;
        for (char c : port) {
            if (c < '0' || c > '9' || value > 65535)
                return fail(why, "the port " + quoted(port) + " in " + whole + " is not a number from 1 to 65535");
            value = value * 10 + (c - '0');
        }
        if (value < 1 || value > 65535)
            return fail(why, "the port " + quoted(port) + " in " + whole + " is not a number from 1 to 65535");
        result.port = static_cast<int>(value);
    }

    // The prefix: levels of a topic, none empty, no wildcard, not one of
    // the broker's own "$" topics. A trailing "/" is allowed and dropped.
    std::string_view prefixText = path;
    if (!prefixText.empty() && prefixText.back() == '/')
        prefixText.remove_suffix(1);
    if (!prefixText.empty()) {
        const auto decoded = urlDecoded(prefixText, UrlPart::Path, true);
        if (!decoded)
            return fail(why, "the topic prefix " + quoted(prefixText) + " in " + whole + " is not valid");
        if (const std::string problem = topicPrefixProblem(*decoded); !problem.empty())
            return fail(why, "the topic prefix " + quoted(*decoded) + " in " + whole + " " + problem);
        result.prefix = *decoded;
    }
    return result;
}

std::string topicPrefixProblem(std::string_view p)
{
    if (p.empty())
        return "is empty";
    if (p.size() > kMaxPrefix)
        return "is longer than " + std::to_string(kMaxPrefix) + " characters";
    for (unsigned char c : p)
        if (c < 0x20 || c == 0x7F)
            return "holds a control character";
    if (!validUtf8(p))
        return "is not valid UTF-8";
    if (p.find_first_of("+#") != std::string_view::npos)
        return "holds a wildcard ('+' or '#'), which no topic may hold";
    if (p.front() == '$')
        return "begins with '$', which is kept for the broker's own topics";
    if (p.front() == '/' || p.back() == '/' || p.find("//") != std::string_view::npos)
        return "has an empty level";
    return {};
}

} // namespace vt640::publish
