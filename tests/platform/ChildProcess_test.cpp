#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ChildCase {
    const char* name;
    std::vector<std::string> arguments;
    bool started;
    int exitCode;
    std::string output;
};

TEST(ChildProcess, RunsToTheEndAndReadsTheStandardOutput)
{
    const std::string big(100000, 'x');
    const ChildCase cases[] = {
        {"prints and exits",
         {"/bin/sh", "-c", "printf 'a b\\n'; printf 'c'; exit 3"},
         true,
         3,
         "a b\nc"},
        {"arguments passed as they are",
         {"/bin/sh", "-c", "printf '%s|' \"$@\"", "-", "x y", "*"},
         true,
         0,
         "x y|*|"},
        {"more than a pipe holds", {"/bin/sh", "-c", "printf '%s' \"$0\"", big}, true, 0, big},
        {"standard error not captured", {"/bin/sh", "-c", "echo gone >&2"}, true, 0, ""},
        {"no such program", {"/nonexistent/program"}, false, -1, ""},
        {"no arguments", {}, false, -1, ""},
    };
    for (const ChildCase& c : cases) {
        std::string output = "stale";
        int exitCode = 99;
        std::string error;
        EXPECT_EQ(platform::runToEnd(c.arguments, output, exitCode, error), c.started) << c.name;
        EXPECT_EQ(exitCode, c.exitCode) << c.name;
        EXPECT_EQ(output, c.output) << c.name;
        EXPECT_EQ(error.empty(), c.started) << c.name << ": " << error;
    }
}

TEST(ChildProcess, AKilledChildIsAFailure)
{
    std::string output;
    int exitCode = 0;
    std::string error;
    EXPECT_FALSE(platform::runToEnd({"/bin/sh", "-c", "kill -9 $$"}, output, exitCode, error));
    EXPECT_NE(error.find("did not exit normally"), std::string::npos) << error;
}

} // namespace
