#include "platform/UrlOpener.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A stand-in opener: a script that writes its arguments, one a line, to a
// file beside it.
class UrlOpenerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        log_ = dir_.path() + "/args";
        script_ = writeOpener("opener", "");
    }
    void TearDown() override { platform::reapUrlOpeners(true); }

    // Writes an executable script that logs its arguments, then runs the
    // further lines; answers its path.
    std::string writeOpener(const std::string& name, const std::string& moreLines)
    {
        const std::string path = dir_.path() + "/" + name;
        std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" << log_
                            << "'; done\n"
                            << moreLines;
        ::chmod(path.c_str(), 0700);
        return path;
    }

    std::string loggedArguments()
    {
        platform::reapUrlOpeners(true);
        std::ifstream in(log_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    testsupport::TempDir dir_;
    std::string script_;
    std::string log_;
};

TEST_F(UrlOpenerTest, HandsTheAddressOverAsOneArgumentWithoutAShell)
{
    // Shell syntax in the address stays text: nothing is run by it.
    const char* url = "https://example.org/a?b=1&c=$(touch${IFS}pwned);d=`id`|x";
    ASSERT_TRUE(platform::openUrlWith(script_.c_str(), url));
    EXPECT_EQ(loggedArguments(), std::string(url) + "\n");
    struct stat st {};
    EXPECT_NE(::stat((dir_.path() + "/pwned").c_str(), &st), 0);
    EXPECT_NE(::stat("pwned", &st), 0);
}

TEST_F(UrlOpenerTest, RefusesUnfitAddresses)
{
    const std::string tooLong(platform::kMaxUrlLength + 1, 'a');
    const char* unfit[] = {
        nullptr,         "",
        "--help",        "-x",
        "http://a b",    "http://a\nb",
        "http://a\tb",   "http://a\x7f",
        tooLong.c_str(),
    };
    testsupport::TraceCapture trace;
    for (const char* url : unfit) {
        SCOPED_TRACE(url ? url : "(null)");
        EXPECT_FALSE(platform::openUrlWith(script_.c_str(), url));
    }
    EXPECT_EQ(loggedArguments(), "");
    EXPECT_TRUE(trace.contains("address refused"));
}

TEST_F(UrlOpenerTest, AMissingProgramIsReportedAsAFailure)
{
    testsupport::TraceCapture trace;
    EXPECT_FALSE(
        platform::openUrlWith((dir_.path() + "/no-such-opener").c_str(), "https://example.org/"));
    EXPECT_TRUE(trace.contains("can't start"));
}

// An opener that is still running when the next one starts is kept until it
// has finished: both are reaped by the waiting call. The openers wait for a
// line on a pipe the test holds, so neither can have finished early.
TEST_F(UrlOpenerTest, RunningOpenersAreReapedOnceFinished)
{
    const std::string gate = dir_.path() + "/gate";
    ASSERT_EQ(::mkfifo(gate.c_str(), 0600), 0);
    // Read and write: opening it never blocks, and the pipe stays until the
    // test closes it, whenever the openers come to read.
    const int gateFd = ::open(gate.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(gateFd, 0);
    const std::string gated = writeOpener("gated", "read line < '" + gate + "'\n");

    ASSERT_TRUE(platform::openUrlWith(gated.c_str(), "https://example.org/1"));
    ASSERT_TRUE(platform::openUrlWith(gated.c_str(), "https://example.org/2"));
    EXPECT_EQ(platform::reapUrlOpeners(false), 0);
    // One line for each opener (the shell reads a pipe up to the line feed).
    ASSERT_EQ(::write(gateFd, "\n\n", 2), 2);
    EXPECT_EQ(platform::reapUrlOpeners(true), 2);
    EXPECT_EQ(platform::reapUrlOpeners(true), 0);
    ::close(gateFd);
}

// An opener that has finished is reaped by the next start without waiting.
// The opener names its process on a pipe, and the test waits until that
// process has ended without reaping it.
TEST_F(UrlOpenerTest, AFinishedOpenerIsReapedByTheNextStart)
{
    const std::string pidPipe = dir_.path() + "/pid";
    ASSERT_EQ(::mkfifo(pidPipe.c_str(), 0600), 0);
    const std::string announcing = writeOpener("announcing", "echo $$ > '" + pidPipe + "'\n");

    ASSERT_TRUE(platform::openUrlWith(announcing.c_str(), "https://example.org/1"));
    pid_t first = 0;
    {
        std::ifstream in(pidPipe); // waits for the opener to open its end
        in >> first;
    }
    ASSERT_GT(first, 0);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(first), &info, WEXITED | WNOWAIT), 0);

    ASSERT_TRUE(platform::openUrlWith(script_.c_str(), "https://example.org/2"));
    // The first is gone already: only the second is left to reap.
    EXPECT_EQ(::waitpid(first, nullptr, WNOHANG), -1);
    EXPECT_EQ(platform::reapUrlOpeners(true), 1);
    EXPECT_EQ(platform::reapUrlOpeners(true), 0);
    EXPECT_EQ(loggedArguments(), "https://example.org/1\nhttps://example.org/2\n");
}

} // namespace
