#pragma once
// Running another program to its end and reading what it prints on its
// standard output (the peer benchmark starts itself to measure a plug-in's
// load in a fresh process).
//
// Any thread but a real-time one: it waits for the child.

#include <string>
#include <vector>

namespace platform {

// The most output kept of one child; the rest is read and dropped.
inline constexpr size_t kMaxChildOutput = 1 << 20;

// Starts the program at arguments[0] (a path, not searched for) with the
// arguments, the environment of this process and its standard error, waits
// for it to end and collects its standard output. False with a reason when
// it cannot be started or did not exit normally; exitCode is its exit status.
bool runToEnd(const std::vector<std::string>& arguments, std::string& output, int& exitCode,
              std::string& error);

} // namespace platform
