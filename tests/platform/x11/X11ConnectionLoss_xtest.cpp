// The X server goes away under an open editor window: the process goes on.
// Each case runs in a child process (the host) on an Xvfb of the test's own,
// which the test kills while the window is open; the child reports what it
// saw and ends normally.
#include <gtest/gtest.h>

#include "OwnXServer.h"

#include "platform/x11/X11ConnectionWatch.h"
#include "platform/x11/X11EditorWindow.h"
#include "platform/x11/X11Window.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace platform;
using platform::x11::X11ConnectionWatch;
using testsupport::ChildProcess;
using testsupport::OwnXServer;

constexpr int kAnswerMs = 60000;
constexpr int kWidth = 200;
constexpr int kHeight = 120;
constexpr int kPumpsAfterLoss = 3;

struct RecordingSink : WindowEventSink {
    void onWindowEvent(const WindowEvent& event) override { events.push_back(event); }
    int count(WindowEventKind kind) const
    {
        int n = 0;
        for (const WindowEvent& e : events)
            n += e.kind == kind ? 1 : 0;
        return n;
    }
    std::vector<WindowEvent> events;
};

struct Case {
    const char* name;
    // libX11 without the per-display exit handler (before 1.7).
    bool withoutExitHandler;
    // Xlib meets the broken connection itself, inside the event pump's read.
    bool withoutSocketCheck;
};

void PrintTo(const Case& row, std::ostream* out)
{
    *out << row.name;
}

struct ChildSetting {
    std::string display;
    Case row;
};

// The host's own guard on its own connection, as a careful host has it.
Display* g_hostDisplay = nullptr;
bool g_hostSawItsLoss = false;

int hostIOError(Display* display)
{
    if (display == g_hostDisplay)
        g_hostSawItsLoss = true;
    return 0;
}

void hostExit(Display*, void*) {}

int hostWithEditorWindow(int toParent, int fromParent, void* arg)
{
    const ChildSetting& setting = *static_cast<ChildSetting*>(arg);
    X11ConnectionWatch::TestOptions options;
    options.withoutExitHandler = setting.row.withoutExitHandler;
    options.withoutSocketCheck = setting.row.withoutSocketCheck;
    X11ConnectionWatch::setTestOptions(options);

    g_hostDisplay = XOpenDisplay(setting.display.c_str());
    if (g_hostDisplay == nullptr)
        return 10;
    XSetIOErrorHandler(&hostIOError);
    XSetIOErrorExitHandler(g_hostDisplay, &hostExit, nullptr);
    const Window parent = XCreateSimpleWindow(g_hostDisplay, DefaultRootWindow(g_hostDisplay), 0,
                                              0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(g_hostDisplay, parent);
    XSync(g_hostDisplay, False);

    X11WindowOptions windowOptions;
    windowOptions.displayName = setting.display.c_str();
    std::unique_ptr<EditorWindow> window = openX11EditorWindow(parent, kWidth, kHeight,
                                                               windowOptions);
    if (!window)
        return 11;
    RecordingSink sink;
    window->pumpEvents(sink);
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 4, 0x80);
    const FrameView frame{pixels.data(), kWidth, kHeight, kWidth * 4};
    window->surface().present(frame, PixelRect{0, 0, kWidth, kHeight}, 0, 0);
    ChildProcess::send(toParent, "open");

    std::string line;
    if (!ChildProcess::receive(fromParent, line, kAnswerMs) || line != "killed")
        return 12;
    for (int i = 0; i < kPumpsAfterLoss; ++i)
        window->pumpEvents(sink);
    const int lostEvents = sink.count(WindowEventKind::Lost);
    // Nothing that follows may reach the server or end the process.
    window->surface().present(frame, PixelRect{0, 0, kWidth, kHeight}, 0, 0);
    const bool resized = window->resize(kWidth * 2, kHeight * 2);
    window->takeFocus();
    const bool alive = window->alive();
    window.reset();
    const int watched = X11ConnectionWatch::watchedCount();
    // The process-wide handler is the host's again.
    const bool restored = XSetIOErrorHandler(nullptr) == &hostIOError;
    XSetIOErrorHandler(&hostIOError);
    // The host's connection broke too: its own handler hears of it.
    XPending(g_hostDisplay);

    ChildProcess::send(toParent, "lost " + std::to_string(lostEvents) + " alive " +
                                     std::to_string(alive) + " resized " +
                                     std::to_string(resized) + " watched " +
                                     std::to_string(watched) + " restored " +
                                     std::to_string(restored) + " host " +
                                     std::to_string(g_hostSawItsLoss));
    return 0;
}

class X11ConnectionLossTest : public ::testing::TestWithParam<Case> {};

TEST_P(X11ConnectionLossTest, TheHostGoesOnWhenTheServerDiesUnderAnOpenWindow)
{
    OwnXServer server;
    std::string error;
    if (!server.start(error)) {
        if (std::getenv("KK_REQUIRE_X11") != nullptr)
            FAIL() << error;
        GTEST_SKIP() << error;
    }
    ChildSetting setting{server.displayName(), GetParam()};
    ChildProcess host;
    ASSERT_TRUE(host.start(&hostWithEditorWindow, &setting));
    std::string line;
    ASSERT_TRUE(host.readLine(line, kAnswerMs)) << "exit " << host.wait(kAnswerMs);
    ASSERT_EQ(line, "open");

    server.kill();
    ASSERT_TRUE(host.writeLine("killed"));
    ASSERT_TRUE(host.readLine(line, kAnswerMs)) << "the host ended: exit " << host.wait(kAnswerMs);
    EXPECT_EQ(line, "lost 1 alive 0 resized 0 watched 0 restored 1 host 1");
    EXPECT_EQ(host.wait(kAnswerMs), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, X11ConnectionLossTest,
    ::testing::Values(Case{"ExitHandler", false, false},
                      Case{"ExitHandlerXlibFindsIt", false, true},
                      Case{"NoExitHandler", true, false},
                      Case{"NoExitHandlerXlibFindsIt", true, true}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
