#pragma once

// A real mosquitto broker for one test: started on a free port of
// 127.0.0.1 with a configuration written into a folder of its own, waited
// for until it takes connections, stopped by its process id.

#include "server_process.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vt640::test {

class MosquittoBroker {
public:
    struct Options {
        // Logins (user, password) in a password file made by mosquitto_passwd;
        // none: anonymous clients are let in.
        std::vector<std::pair<std::string, std::string>> users;
        // A TLS listener with this certificate and key.
        std::filesystem::path certFile;
        std::filesystem::path keyFile;
        // Keeps sessions and retained messages across a restart (in the
        // broker's folder).
        bool persistence = false;
    };

    MosquittoBroker() : MosquittoBroker(Options()) {}
    explicit MosquittoBroker(Options options) : options_(std::move(options))
    {
        dir_ = freshServerFolder("broker");
        port_ = freeLoopbackPort();
    }
    ~MosquittoBroker()
    {
        stop();
        std::filesystem::remove_all(dir_);
    }
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    int port() const { return port_; }
    std::string url() const
    {
        return (options_.certFile.empty() ? "mqtt://127.0.0.1:" : "mqtts://127.0.0.1:") + std::to_string(port_);
    }
    const std::filesystem::path& dir() const { return dir_; }
    pid_t pid() const { return process_.pid(); }
    // What the broker logged so far.
    std::string log() const
    {
        std::ifstream in(dir_ / "broker.log");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // How many connections the broker has seen.
    int connectionsSeen() const
    {
        const std::string text = log();
        int n = 0;
        for (auto at = text.find("New connection from"); at != std::string::npos;
             at = text.find("New connection from", at + 1))
            ++n;
        return n;
    }

    // Starts the broker (again, on the same port) and waits until it
    // accepts connections. False if it did not come up.
    bool start()
    {
        if (process_.running())
            return true;
        writeConfig();
        return process_.start({"/usr/sbin/mosquitto", "-c", (dir_ / "mosquitto.conf").string()}, dir_ / "broker.log",
                              std::chrono::seconds(20), std::chrono::milliseconds(20), [this] { return accepts(); });
    }

    // Ends the broker (SIGTERM; it saves its state when it keeps one) and
    // waits for it.
    void stop() { process_.stop(); }

private:
    bool accepts() const
    {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(port_));
        const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        ::close(s);
        return ok;
    }

    void writeConfig()
    {
        std::ofstream c(dir_ / "mosquitto.conf");
        c << "per_listener_settings false\n";
        c << "listener " << port_ << " 127.0.0.1\n";
        if (!options_.certFile.empty())
            c << "certfile " << options_.certFile.string() << "\nkeyfile " << options_.keyFile.string() << "\n";
        if (options_.users.empty()) {
            c << "allow_anonymous true\n";
        } else {
            const auto passwords = dir_ / "passwords";
            if (!std::filesystem::exists(passwords)) {
                for (const auto& [user, password] : options_.users) {
                    const std::string command = "/usr/bin/mosquitto_passwd -b "
                                                + std::string(std::filesystem::exists(passwords) ? "" : "-c ")
                                                + passwords.string() + " " + user + " " + password + " >/dev/null 2>&1";
                    if (std::system(command.c_str()) != 0)
                        return;
                }
            }
            c << "allow_anonymous false\npassword_file " << passwords.string() << "\n";
        }
        if (options_.persistence)
            c << "persistence true\npersistence_location " << dir_.string() << "/\nautosave_interval 0\n"
              << "max_queued_messages 0\n";
        else
            c << "persistence false\n";
        // As whoever runs the test: a broker started by root would otherwise
        // change to a user that may not read this folder.
        if (const passwd* me = ::getpwuid(::geteuid()))
            c << "user " << me->pw_name << "\n";
        c << "log_dest stderr\nconnection_messages true\n";
    }

    Options options_;
    std::filesystem::path dir_;
    int port_ = 0;
    ServerProcess process_;
};

} // namespace vt640::test
