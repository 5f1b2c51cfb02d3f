// vt640-tool: the meter from the command line, for users without a desktop
// and for tests.
#include "commands.h"

#include <csignal>
#include <cstring>
#include <iostream>

namespace {

void usage(std::ostream& out)
{
    out << "usage: vt640-tool watch PORT | --demo   poll the meter every 750 ms and print each reading\n"
           "                                          (PORT: COM1..COM10 or a device path)\n"
           "       vt640-tool log PORT | --demo -o FILE.640 [--interval SECONDS] [--count N]\n"
           "                      [--duration SECONDS] [--append]\n"
           "                                          log readings into a logger file as the recorder does\n"
           "       vt640-tool convert IN -o OUT [--pages A-B] [--layout 640|r27|r26]\n"
           "                      [--points-per-page N] [--force]\n"
           "                                          a logger file to CSV (OUT .csv or -) or to .640\n"
           "       vt640-tool plot IN -o OUT [--page N | --whole] [--size WxH] [--mono] [--layout 640|r27|r26]\n"
           "                                          draw a page, or the whole file, as .bmp .png .emf .wmf .svg "
           ".pdf\n"
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
    // A file-size limit makes a write fail like a full disk, reported and
    // cleaned up, rather than ending the process with half a file beside
    // the target.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "watch")
        return runWatch(args);
    if (command == "log")
        return runLog(args);
    if (command == "convert")
        return runConvert(args);
    if (command == "plot")
        return runPlot(args);
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
