#pragma once

#include <iostream>
#include <string>

#include <unistd.h>

// Standard output: one line per record and, on a terminal, a status line
// below them that is rewritten in place.
class Console {
public:
    Console() : terminal_(::isatty(STDOUT_FILENO) == 1) {}
    // Whether there is a status line to keep.
    bool terminal() const { return terminal_; }
    void line(const std::string& text)
    {
        clearStatus();
        std::cout << text << '\n';
        std::cout.flush();
    }
    void warn(const std::string& text)
    {
        clearStatus();
        std::cerr << text << '\n';
        std::cerr.flush();
    }
    void status(const std::string& text)
    {
        if (!terminal_ || text == shown_)
            return;
        std::cout << "\r\033[K" << text;
        std::cout.flush();
        shown_ = text;
    }
    void clearStatus()
    {
        if (!terminal_ || shown_.empty())
            return;
        std::cout << "\r\033[K";
        std::cout.flush();
        shown_.clear();
    }

private:
    bool terminal_;
    std::string shown_;
};
