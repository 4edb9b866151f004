#include "editor/forms/AM_QuestionOverlay.h"

#include "OverlayFixture.h"

#include <gtest/gtest.h>

namespace {

using formstest::OverlayFixture;
using namespace platform;

QuestionText presetExists()
{
    return QuestionText{"Preset exists",
                        "A preset named \"Warm Pad\" is already in this folder. Keep a backup "
                        "of it before saving, or overwrite it?",
                        "Backup + Save", "Cancel", "Overwrite"};
}

struct QuestionTest : OverlayFixture {
    // Posts the events the loop's first turn hands out.
    QuestionAnswer ask(const std::function<void()>& input)
    {
        int turns = 0;
        forms->questionOverlay().setLoopHook([&] {
            if (turns++ == 0) {
                input();
            }
            if (turns > 50) {
                // A test that forgot to answer ends instead of hanging.
                forms->closeAll();
            }
        });
        return forms->question().ask(presetExists());
    }
    AM_QuestionOverlay& question() { return forms->questionOverlay(); }
};

TEST_F(QuestionTest, LooksRight)
{
    for (const float zoom : {1.0f, 2.0f}) {
        make(480, 300, zoom);
        std::string result;
        const QuestionAnswer answer = ask([&] {
            result = compare(zoom == 1.0f ? "question_z1" : "question_z2");
            key(kVirtualKeyEscape);
        });
        EXPECT_EQ(result, "");
        EXPECT_EQ(answer, QuestionAnswer::kCancel);
    }
}

// Each button answers its own; the keys press the focused button (the
// first at the start); anything else answers Cancel.
TEST_F(QuestionTest, TheButtonsAndKeysAnswer)
{
    make(480, 300, 1.0f);
    struct Case {
        const char* what;
        std::function<void(QuestionTest&)> input;
        QuestionAnswer expected;
    } cases[] = {
        {"first button", [](QuestionTest& t) { t.clickMiddle(t.question().button(0)); },
         QuestionAnswer::kAccept},
        {"second button", [](QuestionTest& t) { t.clickMiddle(t.question().button(1)); },
         QuestionAnswer::kOther},
        {"third button", [](QuestionTest& t) { t.clickMiddle(t.question().button(2)); },
         QuestionAnswer::kCancel},
        {"Return", [](QuestionTest& t) { t.key(kVirtualKeyReturn); }, QuestionAnswer::kAccept},
        {"Right then Return",
         [](QuestionTest& t) {
             t.key(kVirtualKeyRight);
             t.key(kVirtualKeyReturn);
         },
         QuestionAnswer::kOther},
        {"Left then Return",
         [](QuestionTest& t) {
             t.key(kVirtualKeyLeft);
             t.key(kVirtualKeyReturn);
         },
         QuestionAnswer::kCancel},
        {"Escape", [](QuestionTest& t) { t.key(kVirtualKeyEscape); }, QuestionAnswer::kCancel},
        {"a click beside the buttons, then the window goes",
         [](QuestionTest& t) {
             t.click(5, 5);
             t.window->destroyFromOutside();
         },
         QuestionAnswer::kCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!window->alive()) {
            make(480, 300, 1.0f);
        }
        EXPECT_EQ(ask([&] { c.input(*this); }), c.expected);
        EXPECT_FALSE(question().asking());
    }
}

// A press on a button and its release elsewhere does not answer.
TEST_F(QuestionTest, APressReleasedOffTheButtonDoesNotAnswer)
{
    make(480, 300, 1.0f);
    const QuestionAnswer answer = ask([&] {
        const AM_Rect b = question().button(1);
        WindowEvent down;
        down.kind = WindowEventKind::ButtonDown;
        down.button = PointerButton::Primary;
        down.x = static_cast<int>(b.x + 4);
        down.y = static_cast<int>(b.y + 4);
        post(down);
        WindowEvent up = down;
        up.kind = WindowEventKind::ButtonUp;
        up.x = 2;
        up.y = 2;
        post(up);
        key(kVirtualKeyReturn);
    });
    EXPECT_EQ(answer, QuestionAnswer::kOther); // the press moved the focus
}

// While it asks, exposure and resizing go to the editor's sink, a nested
// question answers Cancel at once, and closeAll ends it with Cancel.
TEST_F(QuestionTest, TheLoopPassesOnWhatItDoesNotTake)
{
    make(480, 300, 1.0f);
    struct Sink : WindowEventSink {
        void onWindowEvent(const WindowEvent& e) override { kinds.push_back(e.kind); }
        std::vector<WindowEventKind> kinds;
    } sink;
    forms->setEventSink(&sink);
    QuestionAnswer nested = QuestionAnswer::kAccept;
    int turns = 0;
    question().setLoopHook([&] {
        if (++turns == 1) {
            WindowEvent e;
            e.kind = WindowEventKind::Exposed;
            post(e);
            e.kind = WindowEventKind::FocusLost;
            post(e);
            e.kind = WindowEventKind::PointerMove;
            post(e);
            nested = forms->question().ask(presetExists());
            EXPECT_TRUE(forms->overlayOpen());
        } else {
            forms->closeAll();
        }
    });
    const QuestionAnswer answer = forms->question().ask(presetExists());
    EXPECT_EQ(answer, QuestionAnswer::kCancel);
    EXPECT_EQ(nested, QuestionAnswer::kCancel);
    ASSERT_EQ(sink.kinds.size(), 2u);
    EXPECT_EQ(sink.kinds[0], WindowEventKind::Exposed);
    EXPECT_EQ(sink.kinds[1], WindowEventKind::FocusLost);
    EXPECT_FALSE(forms->overlayOpen());
}

} // namespace
