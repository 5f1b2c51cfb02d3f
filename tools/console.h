#pragma once

#include <iostream>
#include <string>

#include <unistd.h>

// Standard output holds the data, one line per record; what the tool says
// about its work (notes, warnings, and on a terminal a status line that is
// rewritten in place) goes to standard error.
class Console {
public:
    Console() : terminal_(::isatty(STDERR_FILENO) == 1) {}
    // Whether there is a status line to keep.
    bool terminal() const { return terminal_; }
    // A line of data.
    void line(const std::string& text)
    {
        clearStatus();
        std::cout << text << '\n';
        std::cout.flush();
    }
    // A line about the work: a note or a warning.
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
        std::cerr << "\r\033[K" << text;
        std::cerr.flush();
        shown_ = text;
    }
    void clearStatus()
    {
        if (!terminal_ || shown_.empty())
            return;
        std::cerr << "\r\033[K";
        std::cerr.flush();
        shown_.clear();
    }

private:
    bool terminal_;
    std::string shown_;
};
