// vt640-tool: the meter from the command line, for users without a desktop
// and for tests.
#include "commands.h"

#include <cstring>
#include <iostream>

namespace {

void usage(std::ostream& out)
{
    out << "usage: vt640-tool watch PORT | --demo   poll the meter every 750 ms and print each reading\n"
           "                                          (PORT: COM1..COM10 or a device path)\n"
           "       vt640-tool simulate [--as COMn] [--condition normal|lowbattery|kwh|overload]\n"
           "                                          run the simulated meter on a pseudo-terminal\n"
           "       vt640-tool decode                  decode frames (40 hex digits a line) from standard input\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage(std::cerr);
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "watch")
        return runWatch(args);
    if (command == "simulate")
        return runSimulate(args);
    if (command == "decode")
        return runDecode(std::cin, std::cout, std::cerr);
    if (command == "-h" || command == "--help" || command == "help") {
        usage(std::cout);
        return 0;
    }
    usage(std::cerr);
    return 2;
}
