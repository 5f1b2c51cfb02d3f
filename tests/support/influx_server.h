#pragma once

// A real InfluxDB 1.x server (Debian's influxd) for one test: started with
// a configuration written into a folder of its own (its data there, HTTP
// and the RPC service each on a free port of 127.0.0.1, no reporting, no
// other listener), waited for until /ping answers, stopped by its process
// id. Queries and writes go through libcurl.

#include "server_process.h"

#include <curl/curl.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace vt640::test {

struct HttpAnswer {
    long status = 0; // 0: no answer
    std::string body;
};

// One HTTP request; `post` empty for a GET.
inline HttpAnswer httpRequest(const std::string& url, const std::string* post = nullptr, long timeoutMs = 10000)
{
    HttpAnswer a;
    CURL* c = curl_easy_init();
    if (!c)
        return a;
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(
        c, CURLOPT_WRITEFUNCTION, +[](char* d, size_t s, size_t n, void* out) {
            static_cast<std::string*>(out)->append(d, s * n);
            return s * n;
        });
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &a.body);
    if (post) {
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, post->data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post->size()));
    }
    if (curl_easy_perform(c) == CURLE_OK)
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &a.status);
    curl_easy_cleanup(c);
    return a;
}

inline std::string urlEncoded(const std::string& text)
{
    CURL* c = curl_easy_init();
    char* e = curl_easy_escape(c, text.c_str(), static_cast<int>(text.size()));
    std::string out = e ? e : "";
    curl_free(e);
    curl_easy_cleanup(c);
    return out;
}

class InfluxServer {
public:
    InfluxServer()
    {
        dir_ = freshServerFolder("influx");
        httpPort_ = freeLoopbackPort();
        do
            rpcPort_ = freeLoopbackPort();
        while (rpcPort_ == httpPort_);
        std::ofstream c(dir_ / "influxd.conf");
        c << "reporting-disabled = true\n"
          << "bind-address = \"127.0.0.1:" << rpcPort_ << "\"\n"
          << "[meta]\n  dir = \"" << (dir_ / "meta").string() << "\"\n  logging-enabled = false\n"
          << "[data]\n  dir = \"" << (dir_ / "data").string() << "\"\n  wal-dir = \"" << (dir_ / "wal").string()
          << "\"\n  query-log-enabled = false\n"
          << "[monitor]\n  store-enabled = false\n"
          << "[subscriber]\n  enabled = false\n"
          << "[continuous_queries]\n  enabled = false\n"
          << "[http]\n  enabled = true\n  bind-address = \"127.0.0.1:" << httpPort_ << "\"\n  log-enabled = false\n";
    }
    ~InfluxServer()
    {
        stop();
        std::filesystem::remove_all(dir_);
    }
    InfluxServer(const InfluxServer&) = delete;
    InfluxServer& operator=(const InfluxServer&) = delete;

    int port() const { return httpPort_; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(httpPort_); }
    std::string writeUrl(const std::string& db) const { return base() + "/write?db=" + db; }

    // Starts the server (again, on the same ports and data) and waits until
    // /ping answers. False if it did not come up.
    bool start()
    {
        return process_.start({"/usr/bin/influxd", "-config", (dir_ / "influxd.conf").string()}, dir_ / "influxd.log",
                              std::chrono::seconds(60), std::chrono::milliseconds(50),
                              [this] { return httpRequest(base() + "/ping", nullptr, 1000).status == 204; });
    }

    // Ends the server (SIGTERM) and waits for it.
    void stop() { process_.stop(); }

    bool createDatabase(const std::string& db) const
    {
        const std::string q = "q=" + urlEncoded("CREATE DATABASE \"" + db + "\"");
        return httpRequest(base() + "/query", &q).status == 200;
    }
    // The JSON answer of a query.
    std::string query(const std::string& db, const std::string& q) const
    {
        return httpRequest(base() + "/query?db=" + urlEncoded(db) + "&epoch=ms&q=" + urlEncoded(q)).body;
    }

private:
    std::filesystem::path dir_;
    int httpPort_ = 0, rpcPort_ = 0;
    ServerProcess process_;
};

} // namespace vt640::test
