#include "platform/UrlOpener.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

// A stand-in opener: a script that writes its arguments, one a line, to a
// file beside it.
class UrlOpenerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        script_ = dir_.path() + "/opener";
        log_ = dir_.path() + "/args";
        std::ofstream(script_) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '"
                               << log_ << "'; done\n";
        ::chmod(script_.c_str(), 0700);
    }
    void TearDown() override { platform::reapUrlOpeners(true); }

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

TEST_F(UrlOpenerTest, FinishedOpenersAreReaped)
{
    ASSERT_TRUE(platform::openUrlWith(script_.c_str(), "https://example.org/1"));
    ASSERT_TRUE(platform::openUrlWith(script_.c_str(), "https://example.org/2"));
    EXPECT_EQ(platform::reapUrlOpeners(true), 2);
    EXPECT_EQ(platform::reapUrlOpeners(true), 0);
}

} // namespace
