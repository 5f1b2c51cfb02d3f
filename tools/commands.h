#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The subcommands of vt640-tool. Each returns the process exit status.
int runWatch(const std::vector<std::string>& args);
int runLog(const std::vector<std::string>& args);
int runConvert(const std::vector<std::string>& args);
int runPlot(const std::vector<std::string>& args);
int runSimulate(const std::vector<std::string>& args);
int runDecode(std::istream& in, std::ostream& out, std::ostream& err);
