// Records as line protocol and the write URLs of both APIs, without a
// server; and what the writer puts on the wire for the 2.x API (token,
// organisation and bucket), which Debian's InfluxDB 1.6 does not serve:
// a listening socket here takes the request and answers 204.
#include "publish/influx_url.h"
#include "publish/influx_writer.h"
#include "publish/line_protocol.h"
#include "support/generated_logs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace vt640;
using namespace vt640::publish;
using vt640::test::MainsLog;

namespace {

std::string lineOf(const TBRecord& r, std::int64_t utcMs = 1796770680000, const std::string& meter = "box-com5")
{
    std::string out;
    EXPECT_TRUE(appendLineProtocol(out, r, utcMs, meter));
    return out;
}

// Takes one HTTP request on a port of 127.0.0.1 and answers 204.
class OneRequest {
public:
    OneRequest()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 1);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~OneRequest()
    {
        thread_.join();
        ::close(fd_);
    }
    int port() const { return port_; }
    std::string request()
    {
        thread_.join();
        thread_ = std::thread([] {});
        return request_;
    }

private:
    void serve()
    {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 20000) != 1)
            return;
        const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        char buffer[65536];
        // The head, then as much body as Content-Length says.
        for (;;) {
            pollfd q{c, POLLIN, 0};
            if (::poll(&q, 1, 10000) != 1)
                break;
            const ssize_t n = ::read(c, buffer, sizeof buffer);
            if (n <= 0)
                break;
            request_.append(buffer, static_cast<std::size_t>(n));
            const auto head = request_.find("\r\n\r\n");
            const auto length = request_.find("Content-Length: ");
            if (head != std::string::npos && length != std::string::npos
                && request_.size() >= head + 4 + std::stoul(request_.substr(length + 16)))
                break;
        }
        const std::string answer = "HTTP/1.1 204 No Content\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        [[maybe_unused]] const ssize_t w = ::write(c, answer.data(), answer.size());
        ::close(c);
    }

    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::string request_;
};

// The request the writer makes for two records; "PORT" in `url` stands
// for the listening socket's port.
std::string requestFor(std::string url, const std::string& token)
{
    OneRequest server;
    url.replace(url.find("PORT"), 4, std::to_string(server.port()));
    const auto dir = std::filesystem::temp_directory_path() / ("vt640-influx-wire-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "mains.640";
    auto records = MainsLog::records();
    records.resize(2);
    std::ofstream(file, std::ios::binary) << test::fileImage(records);

    std::string why;
    const auto parsed = InfluxUrl::parse(url, &why);
    EXPECT_TRUE(parsed) << why;
    InfluxSettings s;
    s.url = *parsed;
    s.token = token;
    s.meterId = "box";
    s.flushAfter = std::chrono::milliseconds(0);
    {
        InfluxWriter w(s);
        w.follow(file.string(), 0); // as a logger starting a new file
        w.recordsAppended(2);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (w.progress().acked < 1 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(w.progress().acked, 1);
        w.stop();
    }
    std::filesystem::remove_all(dir);
    return server.request();
}

} // namespace

TEST(LineProtocol, EachKindOfRecordAsAPoint)
{
    const auto records = MainsLog::records();
    EXPECT_EQ(lineOf(records[0]), "vt640,function=AC\\ volts,meter=box-com5,unit=V value=229.7 1796770680000000000\n");
    // Overloads and status displays have no value; their display makes the point.
    EXPECT_EQ(lineOf(records[MainsLog::kOverload]),
              "vt640,function=AC\\ volts,meter=box-com5,unit=V display=\"OL\" 1796770680000000000\n");
    EXPECT_EQ(lineOf(records[MainsLog::kStrt]),
              "vt640,function=AC\\ volts,meter=box-com5,unit=V display=\"Strt\" 1796770680000000000\n");
    // Active power in W (the base unit) with its energy sum and power factor.
    EXPECT_EQ(lineOf(records[MainsLog::kVolts + 1], 1),
              "vt640,function=Active\\ power\\,\\ single\\ phase,meter=box-com5,unit=W value=1010,energy_kwh=0.001,"
              "pf=0.98 1000000\n");
    // Ohms as the unit is written, the value in ohms.
    EXPECT_EQ(lineOf(records.back(), 0), "vt640,function=Resistance,meter=box-com5,unit=\u03A9 value=1204 0\n");
    // Another number on the sub-display.
    test::RecordSpec hr;
    hr.main = "230.0";
    hr.value = 230;
    hr.sub = "3.5";
    hr.subFunction = "THD%";
    EXPECT_NE(lineOf(test::generatedRecord(hr, 0, 0)).find(" value=230,sub_value=3.5 "), std::string::npos);
}

TEST(LineProtocol, EscapingFollowsTheRules)
{
    std::string tag;
    appendTagText(tag, "a b,c=d\\e\nf");
    EXPECT_EQ(tag, "a\\ b\\,c\\=d_e_f");
    std::string field;
    appendStringField(field, "say \"hi\" \\ now");
    EXPECT_EQ(field, "\"say \\\"hi\\\" \\\\ now\"");
    // A display's bytes above 127 are Latin-1, written as UTF-8.
    test::RecordSpec odd;
    odd.main = "\xB5L \"x\"";
    EXPECT_NE(lineOf(test::generatedRecord(odd, 0, 0)).find("display=\"\xC2\xB5L \\\"x\\\"\""), std::string::npos);
    EXPECT_TRUE(isValidMeterTag("logbox-COM5_2"));
    for (const char* bad : {"", "a b", "a,b", "a=b", "a\"b", "a\\b", "a\nb"})
        EXPECT_FALSE(isValidMeterTag(bad)) << bad;
    EXPECT_FALSE(isValidMeterTag(std::string(65, 'x')));
}

TEST(InfluxUrls, BothApisAndWhatIsRefused)
{
    std::string why;
    auto u = InfluxUrl::parse("http://127.0.0.1:8086/write?db=mains", &why);
    ASSERT_TRUE(u) << why;
    EXPECT_EQ(u->api, InfluxUrl::Api::V1);
    EXPECT_EQ(u->writeUrl(), "http://127.0.0.1:8086/write?db=mains&precision=ns");
    EXPECT_EQ(u->endpoint(), "127.0.0.1:8086");
    EXPECT_EQ(u->stream(), "db=mains");

    u = InfluxUrl::parse("https://db.example:9999/proxy/api/v2/write?org=my%20org&bucket=site+a&precision=ns", &why);
    ASSERT_TRUE(u) << why;
    EXPECT_EQ(u->api, InfluxUrl::Api::V2);
    EXPECT_TRUE(u->tls);
    EXPECT_EQ(u->org, "my org");
    EXPECT_EQ(u->bucket, "site a");
    EXPECT_EQ(u->writeUrl(), "https://db.example:9999/proxy/api/v2/write?org=my%20org&bucket=site%20a&precision=ns");
    EXPECT_EQ(u->stream(), "org=my org bucket=site a");

    u = InfluxUrl::parse("http://[::1]/write?db=x&rp=week", &why);
    ASSERT_TRUE(u) << why;
    EXPECT_EQ(u->endpoint(), "[::1]:80");
    EXPECT_EQ(u->stream(), "db=x rp=week");

    const std::pair<const char*, const char*> refused[] = {
        {"ftp://h/write?db=x", "http:// or https://"},
        {"http://h:8086/query?db=x", "/write"},
        {"http://h:8086/write", "names the database"},
        {"http://h:8086/write?db=", "names the database"},
        {"http://h:8086/api/v2/write?org=o", "organisation and the bucket"},
        {"http://user:pw@h/write?db=x", "--influx-token-file"},
        {"http://h/write?db=x&p=secret", "--influx-token-file"},
        {"http://h/write?db=x&precision=s", "nanoseconds"},
        {"http://h:0/write?db=x", "port 0"},
        {"http://h:99999/write?db=x", "port 99999"},
        {"http://h:/write?db=x", "port after"},
        {"http://h a/write?db=x", "blanks"},
        {"http://h/write?db=%zz", "%-escape"},
        {"http:///write?db=x", "no host"},
        {"http://h/write?db=x&org=o", "takes db= and rp="},
    };
    for (const auto& [url, says] : refused) {
        why.clear();
        EXPECT_FALSE(InfluxUrl::parse(url, &why)) << url;
        EXPECT_NE(why.find(says), std::string::npos) << url << ": " << why;
    }
}

TEST(InfluxWire, The2xApiGetsItsTokenOrganisationAndBucket)
{
    const std::string r = requestFor("http://127.0.0.1:PORT/api/v2/write?org=my%20org&bucket=mains", "s3cr3t");
    EXPECT_EQ(r.substr(0, r.find("\r\n")), "POST /api/v2/write?org=my%20org&bucket=mains&precision=ns HTTP/1.1");
    EXPECT_NE(r.find("\r\nAuthorization: Token s3cr3t\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find("\r\nContent-Type: text/plain; charset=utf-8\r\n"), std::string::npos) << r;
    const std::string body = r.substr(r.find("\r\n\r\n") + 4);
    EXPECT_EQ(body, "vt640,function=AC\\ volts,meter=box,unit=V value=229.7 1796770680000000000\n"
                    "vt640,function=AC\\ volts,meter=box,unit=V value=229.8 1796770681000000000\n");
}

TEST(InfluxWire, The1xApiTakesUserAndPasswordAsBasicAuthentication)
{
    const std::string r = requestFor("http://127.0.0.1:PORT/write?db=mains", "logger:pa55");
    EXPECT_EQ(r.substr(0, r.find("\r\n")), "POST /write?db=mains&precision=ns HTTP/1.1");
    EXPECT_NE(r.find("\r\nAuthorization: Basic bG9nZ2VyOnBhNTU=\r\n"), std::string::npos) << r;
}
