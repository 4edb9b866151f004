#include "X11TestDisplay.h"

#include "platform/x11/X11ErrorTrap.h"

namespace {

using platform::x11::X11ErrorTrap;

int hostErrors = 0;
int countingHandler(Display*, XErrorEvent*)
{
    ++hostErrors;
    return 0;
}

class X11ErrorTrapTest : public x11test::X11TestDisplay {
protected:
    void SetUp() override
    {
        X11TestDisplay::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ours_ = XOpenDisplay(nullptr);
        ASSERT_NE(ours_, nullptr);
        hostErrors = 0;
        before_ = XSetErrorHandler(countingHandler);
    }
    void TearDown() override
    {
        if (ours_ != nullptr) {
            XSetErrorHandler(before_);
            XCloseDisplay(ours_);
        }
        X11TestDisplay::TearDown();
    }
    // A request that fails: no such window.
    static void failOn(Display* display) { XUnmapWindow(display, Window(0x7ffffff0)); }

    Display* ours_ = nullptr;
    XErrorHandler before_ = nullptr;
};

TEST_F(X11ErrorTrapTest, OurErrorsAreCaughtAndTheHostsStillReachItsHandler)
{
    {
        X11ErrorTrap trap(ours_);
        failOn(ours_);
        EXPECT_TRUE(trap.failed());
        EXPECT_EQ(trap.firstError(), BadWindow);
        // An error on the host's connection meanwhile goes to the host's handler.
        failOn(display_);
        XSync(display_, False);
        EXPECT_EQ(hostErrors, 1);
        EXPECT_EQ(trap.errorCount(), 1);
    }
    EXPECT_EQ(XSetErrorHandler(countingHandler), countingHandler);
    failOn(ours_);
    XSync(ours_, False);
    EXPECT_EQ(hostErrors, 2);
}

TEST_F(X11ErrorTrapTest, NestedTrapsCatchTheirOwnErrorsAndAreRequestsSinceTheirStart)
{
    X11ErrorTrap outer(ours_);
    {
        X11ErrorTrap inner(ours_);
        failOn(ours_);
        EXPECT_TRUE(inner.failed());
    }
    EXPECT_FALSE(outer.failed());
    failOn(ours_);
    EXPECT_TRUE(outer.failed());
    EXPECT_EQ(hostErrors, 0);
}

TEST_F(X11ErrorTrapTest, AnErrorMadeBeforeTheTrapIsNotCountedAsOurs)
{
    failOn(ours_);
    X11ErrorTrap trap(ours_);
    EXPECT_FALSE(trap.failed());
    EXPECT_EQ(hostErrors, 1);
}

} // namespace
