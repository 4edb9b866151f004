#include "editor/forms/AM_QuestionOverlay.h"

#include "OverlayFixture.h"

#include <gtest/gtest.h>

#include <optional>

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

struct Answers : ThreeWayQuestionClient {
    void questionAnswered(QuestionAnswer answer) override { answers.push_back(answer); }
    std::vector<QuestionAnswer> answers;
};

struct QuestionTest : OverlayFixture {
    // Asks, gives the input, and hands the window's events to the forms as
    // the editor's idle call does: the answer the client got (none: the
    // question is still open).
    std::optional<QuestionAnswer> ask(const std::function<void()>& input)
    {
        Answers client;
        EXPECT_TRUE(forms->question().ask(presetExists(), &client));
        input();
        pump();
        EXPECT_LE(client.answers.size(), 1u);
        if (client.answers.empty()) {
            return std::nullopt;
        }
        return client.answers.front();
    }
    AM_QuestionOverlay& question() { return forms->questionOverlay(); }
};

TEST_F(QuestionTest, LooksRight)
{
    for (const float zoom : {1.0f, 2.0f}) {
        make(480, 300, zoom);
        std::string result;
        const std::optional<QuestionAnswer> answer = ask([&] {
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
    const std::optional<QuestionAnswer> answer = ask([&] {
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

// Asking returns at once and the question stays up over any number of
// pumps without an answer; meanwhile it takes the pointer and the keys but
// leaves exposure and focus to the editor, a second question is not shown,
// a resize centres it again, and closeAll answers Cancel once.
TEST_F(QuestionTest, TheQuestionStaysUpAcrossPumpsAndTakesOnlyInput)
{
    make(480, 300, 1.0f);
    Answers client;
    ASSERT_TRUE(forms->question().ask(presetExists(), &client));
    for (int i = 0; i < 5; ++i) {
        WindowEvent e;
        for (const WindowEventKind kind : {WindowEventKind::Exposed, WindowEventKind::FocusLost,
                                           WindowEventKind::PointerMove}) {
            e.kind = kind;
            post(e);
        }
        pump();
        EXPECT_TRUE(question().asking());
    }
    EXPECT_TRUE(client.answers.empty());
    ASSERT_EQ(notTaken.size(), 10u);
    EXPECT_EQ(notTaken[0].kind, WindowEventKind::Exposed);
    EXPECT_EQ(notTaken[1].kind, WindowEventKind::FocusLost);

    Answers second;
    EXPECT_FALSE(forms->question().ask(presetExists(), &second));
    EXPECT_TRUE(forms->overlayOpen());

    const AM_Rect before = question().overlayBounds();
    ASSERT_TRUE(window->resize(600, 400));
    pump();
    EXPECT_GT(question().overlayBounds().x, before.x);
    EXPECT_GT(question().overlayBounds().y, before.y);

    forms->closeAll();
    forms->closeAll();
    EXPECT_EQ(client.answers, std::vector<QuestionAnswer>{QuestionAnswer::kCancel});
    EXPECT_TRUE(second.answers.empty());
    EXPECT_FALSE(forms->overlayOpen());
}

// close takes the question down without telling its client.
TEST_F(QuestionTest, CloseTellsTheClientNothing)
{
    make(480, 300, 1.0f);
    Answers client;
    ASSERT_TRUE(forms->question().ask(presetExists(), &client));
    forms->question().close();
    key(kVirtualKeyReturn);
    pump();
    EXPECT_FALSE(question().asking());
    EXPECT_TRUE(client.answers.empty());
}

} // namespace
