// The forms on a real X server: a right click in an editor window opens a
// menu window that stays up across idle calls and whose chosen item comes
// back on a later one; Escape and a click outside choose nothing; typing
// into a prompt reaches its client.

#include "X11TestDisplay.h"

#include "editor/forms/AM_EditorForms.h"
#include "editor/forms/AM_TextPromptOverlay.h"
#include "gui/graphics/text/AM_FontSettings.h"
#include "platform/Clock.h"
#include "platform/x11/X11EditorWindow.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace platform;
using x11test::RecordingSink;

constexpr int kWidth = 400;
constexpr int kHeight = 300;

PopupMenu testMenu()
{
    PopupMenu menu;
    auto item = [](const char* text, uint32_t id) {
        MenuEntry e;
        e.text = text;
        e.id = id;
        return e;
    };
    menu.entries = {item("Copy", 101), item("Paste", 102), item("Rename", 103)};
    return menu;
}

class FormsX11Test : public x11test::X11TestDisplay {
protected:
    void SetUp() override
    {
        X11TestDisplay::SetUp();
        if (IsSkipped() || HasFailure()) {
            return;
        }
        const std::string vera = KK_VERA_TTF;
        AM_FontSettings::reset();
        AM_FontSettings::setFolder(vera.substr(0, vera.rfind('/') + 1).c_str());
        host_ = makeHostWindow(60, 40, kWidth, kHeight);
        window_ = openX11EditorWindow(host_, kWidth, kHeight);
        ASSERT_NE(window_, nullptr);
        forms_ = std::make_unique<AM_EditorForms>(*window_, 1.0f);
        RecordingSink sink;
        pumpFor(*window_, sink, 50);
    }
    void TearDown() override
    {
        forms_.reset();
        window_.reset();
        AM_FontSettings::reset();
        X11TestDisplay::TearDown();
    }

    // The override-redirect windows on the screen that are mapped.
    struct Popup {
        Window window;
        int x, y, w, h;
    };
    std::vector<Popup> popups()
    {
        std::vector<Popup> found;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        XSync(display_, False);
        if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count))
            return found;
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes a{};
            if (children[i] == host_ || !XGetWindowAttributes(display_, children[i], &a))
                continue;
            if (a.override_redirect && a.map_state == IsViewable)
                found.push_back(Popup{children[i], a.x, a.y, a.width, a.height});
        }
        if (children)
            XFree(children);
        return found;
    }
    void moveRoot(int x, int y) { movePointer(DefaultRootWindow(display_), x, y); }

    // The editor's part: every event goes to the forms first.
    struct FormsSink : WindowEventSink {
        AM_EditorForms* forms = nullptr;
        int passed = 0;
        void onWindowEvent(const WindowEvent& e) override
        {
            if (!forms->takeEvent(e))
                ++passed;
        }
    };
    struct MenuAnswers : MenuClient {
        void menuClosed(uint32_t chosen) override { answers.push_back(chosen); }
        std::vector<uint32_t> answers;
    };

    // One idle call of the editor: the window's pump, then the forms.
    void idle(FormsSink& sink)
    {
        window_->pumpEvents(sink);
        forms_->tick(platform::tickCount());
    }

    // A right press in the editor window, as the editor sees it; the menu
    // is opened at its point (the editor's view manager does so while it
    // handles the press) and the call returns. Then idle calls as the host
    // makes them, with `input` given once on the first one that finds the
    // menu's window mapped on the screen (the editor's connection and the
    // test's are served in their own order), until the menu answers.
    uint32_t rightClickMenu(const std::function<void()>& input)
    {
        movePointer(static_cast<Window>(window_->nativeHandle()), 30, 30);
        button(Button3, true);
        RecordingSink pressSink;
        const bool pressed = pumpUntil(*window_, pressSink, [&] {
            for (const WindowEvent& e : pressSink.events)
                if (e.kind == WindowEventKind::ButtonDown && e.button == PointerButton::Secondary)
                    return true;
            return false;
        });
        EXPECT_TRUE(pressed);
        MenuAnswers client;
        EXPECT_TRUE(forms_->menus().open(testMenu(), 30, 30, &client));
        FormsSink sink;
        sink.forms = forms_.get();
        bool given = false;
        const uint64_t start = platform::tickCount64();
        while (client.answers.empty() &&
               platform::tickCount64() - start < static_cast<uint64_t>(kPatientMs)) {
            idle(sink);
            if (!given && forms_->menuOpen() && popups().size() == 1) {
                given = true;
                input();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_EQ(client.answers.size(), 1u);
        EXPECT_FALSE(forms_->menuOpen());
        return client.answers.empty() ? kNoMenuChoice : client.answers.front();
    }

    Window host_ = 0;
    std::unique_ptr<EditorWindow> window_;
    std::unique_ptr<AM_EditorForms> forms_;
};

TEST_F(FormsX11Test, ARightClickMapsAMenuWindowAndAChosenItemGivesItsCommand)
{
    std::vector<Popup> seen;
    uint32_t faceColour = 0;
    const uint32_t chosen = rightClickMenu([&] {
        seen = popups();
        if (seen.size() != 1)
            return;
        const Popup& p = seen[0];
        const std::vector<uint32_t> pixels = grab(p.window, p.w, p.h);
        faceColour = pixels[static_cast<size_t>(p.h - 3) * p.w + 2];
        // The release of the opening press chooses nothing; then a click on
        // the second row.
        button(Button3, false);
        moveRoot(p.x + 40, p.y + 4 + 20 + 10);
        button(Button1, true);
        button(Button1, false);
    });
    EXPECT_EQ(chosen, 102u);
    ASSERT_EQ(seen.size(), 1u);
    // At the pointer: the window's (30, 30) on the screen.
    EXPECT_EQ(seen[0].x, 60 + 30);
    EXPECT_EQ(seen[0].y, 40 + 30);
    EXPECT_EQ(faceColour, 0x2a2e35u);
    EXPECT_TRUE(popups().empty());
}

// While the menu is up, every idle call returns and the menu stays mapped
// with the input grabbed: the host's own interface goes on.
TEST_F(FormsX11Test, IdleCallsReturnWhileTheMenuIsUp)
{
    int idlesWithTheMenuUp = 0;
    const uint32_t chosen = rightClickMenu([&] {
        button(Button3, false);
        FormsSink sink;
        sink.forms = forms_.get();
        for (int i = 0; i < 20; ++i) {
            idle(sink);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (forms_->menuOpen() && popups().size() == 1)
                ++idlesWithTheMenuUp;
        }
        // Another program cannot take the pointer while the menu has it.
        EXPECT_EQ(XGrabPointer(display_, DefaultRootWindow(display_), False, ButtonPressMask,
                               GrabModeAsync, GrabModeAsync, None, None, CurrentTime),
                  AlreadyGrabbed);
        tap(XK_Down);
        tap(XK_Return);
    });
    EXPECT_EQ(idlesWithTheMenuUp, 20);
    EXPECT_EQ(chosen, 101u);
}

TEST_F(FormsX11Test, EscapeOrAClickOutsideChoosesNothing)
{
    struct Case {
        const char* what;
        bool escape;
    } cases[] = {{"Escape", true}, {"click outside", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint32_t chosen = rightClickMenu([&] {
            button(Button3, false);
            if (c.escape) {
                tap(XK_Escape);
            } else {
                moveRoot(60 + kWidth - 10, 40 + kHeight - 10);
                button(Button1, true);
                button(Button1, false);
            }
        });
        EXPECT_EQ(chosen, kNoMenuChoice);
        EXPECT_TRUE(popups().empty());
        RecordingSink sink;
        pumpFor(*window_, sink, 30);
    }
}

TEST_F(FormsX11Test, TypingIntoThePromptReachesItsClient)
{
    struct Client : TextPromptClient {
        void textPromptAccepted(const std::string& text) override { accepted.push_back(text); }
        void textPromptCancelled() override {}
        std::vector<std::string> accepted;
    } client;
    FormsSink sink;
    sink.forms = forms_.get();
    TextPromptRequest request;
    request.text = "old";
    request.place = PixelRect{40, 50, 160, 20};
    ASSERT_TRUE(forms_->prompt().open(request, &client));
    const std::vector<uint32_t> pixels =
        grab(static_cast<Window>(window_->nativeHandle()), kWidth, kHeight);
    const AM_Rect box = forms_->promptOverlay().fieldBox();
    EXPECT_EQ(pixels[static_cast<size_t>(box.y + box.h / 2) * kWidth +
                     static_cast<size_t>(box.x + box.w - 6)],
              0x16181cu);
    window_->takeFocus();
    XSync(display_, False);
    for (KeySym k : {XK_a, XK_b, XK_c, XK_Return})
        tap(k);
    constexpr int kSliceMs = 5;
    for (int i = 0; i < kPatientMs / kSliceMs && client.accepted.empty(); ++i) {
        window_->pumpEvents(sink);
        std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMs));
    }
    ASSERT_EQ(client.accepted.size(), 1u);
    EXPECT_EQ(client.accepted[0], "abc");
    EXPECT_FALSE(forms_->prompt().isOpen());
}

} // namespace
