#pragma once
// The zrb command-line companion: show, check, set and diff motion model files.

#include <ostream>
#include <string>
#include <vector>

namespace zrb::cli {

// Runs one zrb command. `args` are the arguments after the program name, the first
// being the command. Results go to `out`, messages and usage to `err`. Returns the exit
// status: 0 success (clean, equal), 1 something found (findings, differences, a set
// refused because of findings), 2 bad arguments or a file that could not be read or
// written.
int ZrbMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zrb::cli
