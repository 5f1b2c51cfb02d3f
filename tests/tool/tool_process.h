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
    std::optional<rlim_t> fileSizeLimit; // RLIMIT_FSIZE of the child
    bool noDisplay = false;              // no display or platform named in the environment
    bool asNobody = false;               // run as the user nobody when started by the superuser
};

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
        pid_ = ::fork();
        if (pid_ == 0) {
            const int in = ::open((dir_ / "in").c_str(), O_RDONLY);
            const int out = ::open((dir_ / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open((dir_ / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(err, 2);
            if (options.fileSizeLimit) {
                rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            if (options.noDisplay) {
                ::unsetenv("DISPLAY");
                ::unsetenv("WAYLAND_DISPLAY");
                ::unsetenv("QT_QPA_PLATFORM");
            }
            if (options.asNobody && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(126);
            std::signal(SIGXFSZ, SIG_DFL);
            std::vector<char*> a;
            for (auto& s : argv)
                a.push_back(s.data());
            a.push_back(nullptr);
            ::execv(a[0], a.data());
            ::_exit(127);
        }
    }

    std::string out() const { return slurp(dir_ / "out"); }
    std::string err() const { return slurp(dir_ / "err"); }

    // Waits for the end; the exit status.
    int wait()
    {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return exitStatus(status);
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
    pid_t pid_ = -1;
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
