#pragma once

// Running vt640-tool as a user runs it: a child process with its own
// standard streams, waited for, or left running and stopped with a signal.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vt640::test {

namespace fs = std::filesystem;

inline std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void spit(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

// A fresh folder of its own for one test.
inline fs::path scratch(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / ("vt640-tool-test-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

struct ToolOptions {
    std::string input;                   // standard input
    bool inputStaysOpen = false;         // standard input a pipe that never ends (instead of `input`)
    std::optional<rlim_t> fileSizeLimit; // RLIMIT_FSIZE of the child (the soft limit; it may be lifted)
    bool noDisplay = false;              // no display or platform named in the environment
    bool asNobody = false;               // run as the user nobody (when started as root)
};

// The user a child started with `asNobody` runs as.
constexpr uid_t kNobody = 65534;

// The exit status, or 128 + the signal that ended it.
inline int exitStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// A child process running the tool with `args`; its standard output and
// error go to files of their own.
class ToolProcess {
public:
    ~ToolProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        closeInput();
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    void start(const std::vector<std::string>& args, const ToolOptions& options = {})
    {
        static int serial = 0;
        dir_ = scratch("process-" + std::to_string(++serial));
        spit(dir_ / "in", options.input);
        std::vector<std::string> argv{VT640_TOOL};
        argv.insert(argv.end(), args.begin(), args.end());
        int pipeEnds[2] = {-1, -1};
        if (options.inputStaysOpen && ::pipe2(pipeEnds, O_CLOEXEC) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const int in = options.inputStaysOpen ? pipeEnds[0] : ::open((dir_ / "in").c_str(), O_RDONLY);
            const int out = ::open((dir_ / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open((dir_ / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(err, 2);
            if (options.fileSizeLimit) {
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = *options.fileSizeLimit;
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            if (options.asNobody && ::geteuid() == 0
                && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                ::_exit(126);
            if (options.noDisplay) {
                ::unsetenv("DISPLAY");
                ::unsetenv("WAYLAND_DISPLAY");
                ::unsetenv("QT_QPA_PLATFORM");
            }
            std::signal(SIGXFSZ, SIG_DFL);
            std::vector<char*> a;
            for (auto& s : argv)
                a.push_back(s.data());
            a.push_back(nullptr);
            ::execv(a[0], a.data());
            ::_exit(127);
        }
        if (options.inputStaysOpen) {
            ::close(pipeEnds[0]);
            inputEnd_ = pipeEnds[1]; // held until the child has ended
        }
    }

    pid_t pid() const { return pid_; }

    // Lifts the child's file-size limit to its hard limit, as room coming
    // back on a full disk.
    bool liftFileSizeLimit() const
    {
        rlimit limit{};
        if (::prlimit(pid_, RLIMIT_FSIZE, nullptr, &limit) != 0)
            return false;
        limit.rlim_cur = limit.rlim_max;
        return ::prlimit(pid_, RLIMIT_FSIZE, &limit, nullptr) == 0;
    }

    std::string out() const { return slurp(dir_ / "out"); }
    std::string err() const { return slurp(dir_ / "err"); }

    // Waits for the end; the exit status.
    int wait()
    {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        closeInput();
        return exitStatus(status);
    }
    // Waits for the end at most `limit`; the exit status, or nothing while
    // the child still runs.
    std::optional<int> waitFor(std::chrono::seconds limit)
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                closeInput();
                return exitStatus(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return std::nullopt;
    }
    // Sends `signal` and waits for the end.
    int stop(int signal = SIGINT)
    {
        ::kill(pid_, signal);
        return wait();
    }
    bool running() const { return pid_ > 0; }

    // Waits until standard output holds `count` lines that contain `text`
    // (any number of seconds up to `limit`, for slow machines).
    bool waitForLines(const std::string& text, std::size_t count,
                      std::chrono::seconds limit = std::chrono::seconds(60)) const
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            std::size_t seen = 0;
            for (const auto& line : lines(out()))
                seen += line.find(text) != std::string::npos;
            if (seen >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    bool waitForError(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(60)) const
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            if (err().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

private:
    void closeInput()
    {
        if (inputEnd_ >= 0)
            ::close(inputEnd_);
        inputEnd_ = -1;
    }

    pid_t pid_ = -1;
    int inputEnd_ = -1;
    fs::path dir_;
};

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the tool to its end.
inline ToolRun runTool(const std::vector<std::string>& args, const ToolOptions& options = {})
{
    ToolProcess p;
    p.start(args, options);
    ToolRun r;
    r.status = p.wait();
    r.out = p.out();
    r.err = p.err();
    return r;
}

} // namespace vt640::test
