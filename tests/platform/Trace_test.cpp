#include "platform/Trace.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(Trace, PiecesReachTheInstalledSinkInOrder)
{
    testsupport::TraceCapture capture;
    platform::debugOutput("first\n");
    platform::debugOutput("second");
    platform::standardOutput("out\n");
    EXPECT_EQ(capture.pieces(), (std::vector<std::string>{"first\n", "second"}));
    EXPECT_EQ(capture.standardOutput(), "out\n");
}

TEST(Trace, RealtimeThreadTextIsQueuedUntilFlushed)
{
    testsupport::TraceCapture capture;
    std::thread audio([] {
        platform::RealtimeScope scope;
        platform::debugOutput("from audio\n");
        platform::flushTrace();  // refused on a real-time thread
    });
    audio.join();
    EXPECT_EQ(capture.text(), "from audio\n");
}

TEST(Trace, LongRealtimeTextIsSplitNotLost)
{
    testsupport::TraceCapture capture;
    std::string longText(700, 'x');
    {
        platform::RealtimeScope scope;
        platform::debugOutput(longText.c_str());
    }
    EXPECT_EQ(capture.text(), longText);
}

TEST(Trace, MessageBoxesGoToTheHookWithoutBlocking)
{
    testsupport::TraceCapture capture;
    platform::messageBox("Orlen Error", "file couldn't be opened");
    EXPECT_EQ(capture.messageBoxes(),
              (std::vector<std::string>{"Orlen Error|file couldn't be opened"}));
}

TEST(Trace, FullRingDropsAndCounts)
{
    testsupport::TraceCapture capture;
    const uint64_t before = platform::droppedTracePieces();
    {
        platform::RealtimeScope scope;
        for (int i = 0; i < 1000; ++i)
            platform::debugOutput("x");
    }
    EXPECT_GT(platform::droppedTracePieces(), before);
    EXPECT_GT(capture.count("x"), 0);
}

// The default sinks with KESTANK4_TRACE set to a value (or unset), while
// the process's standard error and standard output go to files.
class TraceDestinationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::flushTrace();
        savedErr_ = ::dup(2);
        savedOut_ = ::dup(1);
        redirect(2, "stderr.txt");
        redirect(1, "stdout.txt");
        if (const char* old = std::getenv(platform::kTraceVariable))
            oldValue_ = old, hadValue_ = true;
    }
    void TearDown() override
    {
        ::dup2(savedErr_, 2);
        ::dup2(savedOut_, 1);
        ::close(savedErr_);
        ::close(savedOut_);
        if (hadValue_)
            ::setenv(platform::kTraceVariable, oldValue_.c_str(), 1);
        else
            ::unsetenv(platform::kTraceVariable);
        platform::resetTraceDestination();
    }
    void choose(const char* value)
    {
        if (value != nullptr)
            ::setenv(platform::kTraceVariable, value, 1);
        else
            ::unsetenv(platform::kTraceVariable);
        platform::resetTraceDestination();
    }
    void redirect(int fd, const char* name)
    {
        const int file = ::open(dir.file(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(file, 0);
        ::dup2(file, fd);
        ::close(file);
    }
    // Everything the three ways out received, once written.
    std::string written(const char* name)
    {
        platform::resetTraceDestination();
        return dir.exists(name) ? dir.readFile(name) : std::string();
    }

    testsupport::TempDir dir;

private:
    int savedErr_ = -1;
    int savedOut_ = -1;
    std::string oldValue_;
    bool hadValue_ = false;
};

TEST_F(TraceDestinationTest, NothingIsPrintedUnlessTheVariableNamesASink)
{
    struct Case {
        const char* value;  // null: unset
        const char* file;   // where the text must land, null: nowhere
    };
    const Case cases[] = {
        {nullptr, nullptr},     {"", nullptr},
        {"stderr", "stderr.txt"}, {"stdout", "stdout.txt"},
        {"file", "trace.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        redirect(2, "stderr.txt");
        redirect(1, "stdout.txt");
        ::unlink(dir.file("trace.txt").c_str());
        const std::string path = dir.file("trace.txt");
        choose(c.value != nullptr && std::string(c.value) == "file" ? path.c_str() : c.value);

        platform::debugOutput("Param 3\n");
        platform::standardOutput("Writing Line 1\n");
        std::thread audio([] {
            platform::RealtimeScope scope;
            platform::debugOutput("MidiBankSelect 2\n");
        });
        audio.join();
        platform::flushTrace();

        const std::string expected =
            c.file != nullptr ? "Param 3\nWriting Line 1\nMidiBankSelect 2\n" : "";
        for (const char* name : {"stderr.txt", "stdout.txt", "trace.txt"})
            EXPECT_EQ(written(name), c.file != nullptr && std::string(name) == c.file
                                         ? expected
                                         : std::string())
                << name;
    }
}

TEST_F(TraceDestinationTest, AFileSinkIsAppendedTo)
{
    dir.writeFile("trace.txt", "earlier\n");
    const std::string path = dir.file("trace.txt");
    choose(path.c_str());
    platform::debugOutput("later\n");
    EXPECT_EQ(written("trace.txt"), "earlier\nlater\n");
}

TEST_F(TraceDestinationTest, AnInstalledSinkStillReceivesEverything)
{
    choose(nullptr);
    testsupport::TraceCapture capture;
    platform::debugOutput("captured\n");
    EXPECT_EQ(capture.text(), "captured\n");
    EXPECT_EQ(written("stderr.txt"), "");
}

}  // namespace
