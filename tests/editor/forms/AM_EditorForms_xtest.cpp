// The forms on a real X server: a right click in an editor window opens a
// menu window whose chosen item comes back; Escape and a click outside
// choose nothing; typing into a prompt reaches its client.

#include "X11TestDisplay.h"

#include "editor/forms/AM_EditorForms.h"
#include "editor/forms/AM_TextPromptOverlay.h"
#include "gui/graphics/text/AM_FontSettings.h"
#include "platform/x11/X11EditorWindow.h"
#include "platform/x11/X11PopupWindow.h"

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
        X11PopupOptions options;
        options.beforeWait = [this] {
            ++waits_;
            if (step_) {
                step_(waits_);
            }
        };
        forms_ =
            std::make_unique<AM_EditorForms>(*window_, 1.0f, openX11PopupHost(*window_, options));
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

    // A right press in the editor window, as the editor sees it; the menu
    // is shown at its point (the editor's view manager does so while it
    // handles the press).
    uint32_t rightClickMenu()
    {
        movePointer(static_cast<Window>(window_->nativeHandle()), 30, 30);
        button(Button3, true);
        RecordingSink sink;
        const bool pressed = pumpUntil(*window_, sink, [&] {
            for (const WindowEvent& e : sink.events)
                if (e.kind == WindowEventKind::ButtonDown && e.button == PointerButton::Secondary)
                    return true;
            return false;
        });
        EXPECT_TRUE(pressed);
        return forms_->menus().show(testMenu(), 30, 30);
    }

    Window host_ = 0;
    std::unique_ptr<EditorWindow> window_;
    std::unique_ptr<AM_EditorForms> forms_;
    std::function<void(int)> step_;
    int waits_ = 0;
};

TEST_F(FormsX11Test, ARightClickMapsAMenuWindowAndAChosenItemGivesItsCommand)
{
    std::vector<Popup> seen;
    uint32_t faceColour = 0;
    step_ = [&](int wait) {
        if (wait != 1)
            return;
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
    };
    EXPECT_EQ(rightClickMenu(), 102u);
    ASSERT_EQ(seen.size(), 1u);
    // At the pointer: the window's (30, 30) on the screen.
    EXPECT_EQ(seen[0].x, 60 + 30);
    EXPECT_EQ(seen[0].y, 40 + 30);
    EXPECT_EQ(faceColour, 0x2a2e35u);
    EXPECT_TRUE(popups().empty());
}

TEST_F(FormsX11Test, EscapeOrAClickOutsideChoosesNothing)
{
    struct Case {
        const char* what;
        bool escape;
    } cases[] = {{"Escape", true}, {"click outside", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        waits_ = 0;
        step_ = [&](int wait) {
            if (wait != 1)
                return;
            button(Button3, false);
            if (c.escape) {
                tap(XK_Escape);
            } else {
                moveRoot(60 + kWidth - 10, 40 + kHeight - 10);
                button(Button1, true);
                button(Button1, false);
            }
        };
        EXPECT_EQ(rightClickMenu(), kNoMenuChoice);
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
    // The editor's part: every event goes to the forms first.
    struct Sink : WindowEventSink {
        AM_EditorForms* forms = nullptr;
        int passed = 0;
        void onWindowEvent(const WindowEvent& e) override
        {
            if (!forms->takeEvent(e))
                ++passed;
        }
    } sink;
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
    for (int i = 0; i < 400 && client.accepted.empty(); ++i) {
        window_->pumpEvents(sink);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(client.accepted.size(), 1u);
    EXPECT_EQ(client.accepted[0], "abc");
    EXPECT_FALSE(forms_->prompt().isOpen());
}

} // namespace
