#pragma once

// What the tests' real servers (mosquitto, influxd) have in common: a folder
// of their own, free ports on 127.0.0.1, and a process started with its
// output in a log file, waited for until it serves, stopped by its id.

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vt640::test {

// A port of 127.0.0.1 nobody listens on now.
inline int freeLoopbackPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
    ::close(s);
    return ntohs(a.sin_port);
}

// An empty folder for one server of this test process.
inline std::filesystem::path freshServerFolder(const std::string& kind)
{
    static int serial = 0;
    const auto dir = std::filesystem::temp_directory_path()
                     / ("vt640-" + kind + "-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// Asks `done` every 20 ms until it says yes; false after `limit`.
template <typename Done>
bool waitUntil(Done done, std::chrono::seconds limit = std::chrono::seconds(60))
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0; }

    // Runs argv[0] with its output appended to `log`, and asks `serves`
    // every `poll` until it says yes. False if the process ended or did not
    // serve within `patience`.
    bool start(const std::vector<std::string>& argv, const std::filesystem::path& log,
               std::chrono::milliseconds patience, std::chrono::milliseconds poll, const std::function<bool()>& serves)
    {
        if (pid_ > 0)
            return true;
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const std::string logPath = log.string();
        pid_ = ::fork();
        if (pid_ == 0) {
            const int out = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        const auto until = std::chrono::steady_clock::now() + patience;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            if (serves())
                return true;
            std::this_thread::sleep_for(poll);
        }
        return false;
    }

    // Ends the process (SIGTERM, so that a server saves what it keeps) and
    // waits for it.
    void stop()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

} // namespace vt640::test
