#include "editor/forms/AM_FormsLook.h"
#include "editor/forms/AM_TextPromptOverlay.h"

#include "OverlayFixture.h"

#include <gtest/gtest.h>

namespace {

using formstest::OverlayFixture;
using formstest::PromptClient;
using namespace platform;

struct PromptTest : OverlayFixture {
    void openPrompt(const std::string& text, bool multiLine, size_t maxBytes = 1023,
                    AM_Rect place = {16, 20, 140, 16})
    {
        TextPromptRequest request;
        request.text = text;
        request.multiLine = multiLine;
        request.place = placeOf(place);
        request.maxBytes = maxBytes;
        ASSERT_TRUE(forms->prompt().open(request, &client));
    }
    PromptClient client;
};

// The single-line prompt over a label at zoom 1 and 2, its text selected;
// the multi-line one with its buttons. After the answer the window shows
// the frame again, untouched.
TEST_F(PromptTest, LooksRightAndLeavesNothingBehind)
{
    for (const float zoom : {1.0f, 2.0f}) {
        const std::string z = zoom == 1.0f ? "_z1" : "_z2";
        make(400, 220, zoom);
        const std::vector<uint8_t> before = windowPixels();
        openPrompt("Warm Pad", false);
        EXPECT_EQ(compare("prompt_single" + z), "");
        key(kVirtualKeyEnd);
        type(" 2");
        key(kVirtualKeyReturn);
        pump();
        ASSERT_EQ(client.accepted.size(), 1u);
        EXPECT_EQ(client.accepted[0], "Warm Pad 2");
        EXPECT_TRUE(windowPixels() == before);

        openPrompt("First line of the note\nSecond line", true, 1023, {30, 40, 260, 70});
        key(kVirtualKeyEnd);
        pump();
        EXPECT_EQ(compare("prompt_multi" + z), "");
        forms->closeAll();
        EXPECT_TRUE(windowPixels() == before);
        client = PromptClient{};
    }
}

// Keys on a field that starts with "Cutoff" selected.
TEST_F(PromptTest, KeysEditTheText)
{
    struct Step {
        int key;
        uint32_t character;
        int modifiers;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        const char* expected;
    } cases[] = {
        {"typing replaces the selection", {{0, 'Q', 0}}, "Q"},
        {"end and backspace", {{kVirtualKeyEnd, 0, 0}, {kVirtualKeyBack, 0, 0}}, "Cutof"},
        {"home then shift-right twice, typed over",
         {{kVirtualKeyHome, 0, 0},
          {kVirtualKeyRight, 0, kModifierShift},
          {kVirtualKeyRight, 0, kModifierShift},
          {0, 'X', 0}},
         "Xtoff"},
        {"left collapses the selection to its start",
         {{kVirtualKeyLeft, 0, 0}, {0, '>', 0}},
         ">Cutoff"},
        {"delete forward", {{kVirtualKeyHome, 0, 0}, {kVirtualKeyDelete, 0, 0}}, "utoff"},
        {"Latin-1 letters arrive as UTF-8",
         {{kVirtualKeyEnd, 0, 0}, {0, 0xE9, 0}},
         "Cutoff\xc3\xa9"},
        {"control characters are not text", {{kVirtualKeyEnd, 0, 0}, {0, 0x07, 0}}, "Cutoff"},
        {"control-A selects all",
         {{kVirtualKeyEnd, 0, 0}, {0, 'a', kModifierControl}, {0, 'z', 0}},
         "z"},
        {"tab is not text", {{kVirtualKeyEnd, 0, 0}, {kVirtualKeyTab, 0, 0}}, "Cutoff"},
    };
    make(300, 200, 1.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        client = PromptClient{};
        openPrompt("Cutoff", false);
        for (const Step& s : c.steps) {
            key(s.key, s.character, s.modifiers);
        }
        key(kVirtualKeyReturn);
        pump();
        ASSERT_EQ(client.accepted.size(), 1u);
        EXPECT_EQ(client.accepted[0], c.expected);
    }
}

// Typing stops at the byte limit and never splits a character.
TEST_F(PromptTest, TypingStopsAtTheLimitOnAWholeCharacter)
{
    make(300, 200, 1.0f);
    openPrompt("", false, 5);
    type("ab\xE9\xE9\xE9");
    key(kVirtualKeyReturn);
    pump();
    ASSERT_EQ(client.accepted.size(), 1u);
    EXPECT_EQ(client.accepted[0], "ab\xc3\xa9");
    // A starting text over the limit is cut the same way.
    openPrompt("\xc3\xa9\xc3\xa9\xc3\xa9", false, 5);
    key(kVirtualKeyReturn);
    pump();
    EXPECT_EQ(client.accepted.back(), "\xc3\xa9\xc3\xa9");
}

TEST_F(PromptTest, EscapeCancelsAndASingleLineTakesNoLineEnds)
{
    make(300, 200, 1.0f);
    openPrompt("one\r\ntwo\nthree", false);
    EXPECT_EQ(forms->promptOverlay().field().text(), "one two three");
    key(kVirtualKeyEscape);
    pump();
    EXPECT_EQ(client.cancelled, 1);
    EXPECT_TRUE(client.accepted.empty());
    EXPECT_FALSE(forms->prompt().isOpen());
}

// In the multi-line prompt Return starts a line, Control+Return or OK
// accepts, Cancel cancels; line ends come back as LF.
TEST_F(PromptTest, TheMultiLinePromptAcceptsWithItsButtonsOrControlReturn)
{
    make(400, 240, 1.0f);
    openPrompt("", true);
    type("one");
    key(kVirtualKeyReturn);
    type("two");
    key(kVirtualKeyReturn, 0, kModifierControl);
    pump();
    ASSERT_EQ(client.accepted.size(), 1u);
    EXPECT_EQ(client.accepted[0], "one\ntwo");

    openPrompt("a\r\nb", true);
    clickMiddle(forms->promptOverlay().okButton());
    pump();
    ASSERT_EQ(client.accepted.size(), 2u);
    EXPECT_EQ(client.accepted[1], "a\nb");

    openPrompt("kept", true);
    clickMiddle(forms->promptOverlay().cancelButton());
    pump();
    EXPECT_EQ(client.cancelled, 1);
    EXPECT_EQ(client.accepted.size(), 2u);
}

// The pointer places the caret and selects; clicks elsewhere are taken (the
// controls under the prompt are blocked) but change nothing.
TEST_F(PromptTest, ThePointerPlacesTheCaretAndTheControlsAreBlocked)
{
    make(300, 200, 2.0f);
    openPrompt("Resonance", false);
    const AM_Rect box = forms->promptOverlay().fieldBox();
    click(box.x + box.w - 3, box.y + box.h / 2); // past the text's end
    type("!");
    click(box.x + 3, box.y + box.h / 2); // before its start
    type("<");
    click(250, 180); // a control's place, outside the prompt
    WindowEvent wheel;
    wheel.kind = WindowEventKind::Wheel;
    wheel.wheel = 1;
    post(wheel);
    WindowEvent exposed;
    exposed.kind = WindowEventKind::Exposed;
    post(exposed);
    pump();
    EXPECT_EQ(forms->promptOverlay().field().text(), "<Resonance!");
    EXPECT_TRUE(forms->prompt().isOpen());
    ASSERT_EQ(notTaken.size(), 1u);
    EXPECT_EQ(notTaken[0].kind, WindowEventKind::Exposed);

    // A double click selects the word under it.
    click(box.x + 20, box.y + box.h / 2, true);
    type("X");
    pump();
    EXPECT_EQ(forms->promptOverlay().field().text(), "<X!");
    forms->closeAll();
    click(10, 10);
    pump();
    EXPECT_EQ(notTaken.size(), 3u);
}

// The view manager repainting under an open prompt does not paint over it.
TEST_F(PromptTest, ARepaintUnderThePromptKeepsItOnTop)
{
    make(300, 200, 1.0f);
    openPrompt("Level", false, 1023, {40, 60, 120, 18});
    const AM_Rect box = forms->promptOverlay().fieldBox();
    const int px = static_cast<int>(box.x + 8);
    const int py = static_cast<int>(box.y + 2);
    const uint32_t fieldColour = window->headlessSurface().pixel(px, py);
    drawFrame(0xc02020ff);
    EXPECT_EQ(window->headlessSurface().pixel(px, py), fieldColour);
    EXPECT_EQ(window->headlessSurface().pixel(5, 5), 0xffc02020u);
}

// The caret blinks with the editor's idle calls.
TEST_F(PromptTest, TheCaretBlinks)
{
    make(300, 200, 1.0f);
    openPrompt("", false, 1023, {40, 60, 120, 18});
    const AM_Rect box = forms->promptOverlay().fieldBox();
    const int x = static_cast<int>(box.x + 4);
    const int y = static_cast<int>(box.y + box.h / 2);
    forms->tick(1000);
    const uint32_t on = window->headlessSurface().pixel(x, y);
    forms->tick(1000 + AM_FormsLook::kCaretBlinkMs + 10);
    const uint32_t off = window->headlessSurface().pixel(x, y);
    forms->tick(1000 + 2 * AM_FormsLook::kCaretBlinkMs + 10);
    EXPECT_NE(on, off);
    EXPECT_EQ(window->headlessSurface().pixel(x, y), on);
}

} // namespace
