#pragma once
// What kk-vsthost does with its options: load the plug-in, restore chunks,
// set parameters, print information, play and write the result, save chunks,
// or run the bench. Text goes to out, failures to err.

#include "CommandLine.h"

#include <iosfwd>
#include <vector>

namespace vsthost {

// Exit status: 0 done, 1 the plug-in or a file failed, 2 wrong arguments.
enum ExitStatus { kExitDone = 0, kExitFailed = 1, kExitUsage = 2 };

int runHost(const Options& options, std::ostream& out, std::ostream& err);
// Parses args (without the program name) and runs.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vsthost
