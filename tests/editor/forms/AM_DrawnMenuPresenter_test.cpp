#include "editor/forms/AM_DrawnMenuPresenter.h"
#include "editor/forms/AM_FormsLook.h"
#include "editor/forms/AM_MenuSession.h"

#include "FormsFixture.h"
#include "GoldenImage.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using formstest::checkItem;
using formstest::item;
using formstest::separator;
using formstest::submenu;
using platform::HeadlessPopupHost;
using platform::kNoMenuChoice;
using platform::PixelRect;

platform::PopupMenu presetMenu()
{
    platform::PopupMenu menu;
    menu.entries = {
        item("Undo", 1),
        item("Redo", 2, false),
        separator(),
        checkItem("Snap to Grid", 3, true),
        checkItem("Show Layers", 4, false),
        submenu("Align", {item("Align Top", 10), item("Align Left", 11), separator(),
                          item("Align Right", 12), item("Align Bottom", 13)}),
        separator(),
        item("Rename \xe2\x80\xa6", 5),
        item("A very long preset name that keeps going and going well past any sensible width", 6),
    };
    return menu;
}

// Records the answers a presenter gives.
struct MenuAnswers : platform::MenuClient {
    void menuClosed(uint32_t chosen) override { answers.push_back(chosen); }
    std::vector<uint32_t> answers;
};

// A hundred items, "Preset 1" to "Preset 100" (ids 1 to 100), the one
// with id `checked` checked.
platform::PopupMenu tallMenu(uint32_t checked = 0)
{
    platform::PopupMenu tall;
    for (uint32_t i = 1; i <= 100; ++i) {
        tall.entries.push_back(checkItem("Preset " + std::to_string(i), i, i == checked));
        tall.entries.back().checkable = checked != 0;
    }
    return tall;
}

struct MenuFixture : formstest::PinnedFont {
    // The screen is 800 x 600, the editor's window sits at (100, 50).
    std::unique_ptr<HeadlessPopupHost> makeHost(PixelRect screen = {0, 0, 800, 600})
    {
        return std::make_unique<HeadlessPopupHost>(screen, 100, 50);
    }
    // Opens the menu, then pumps it as the editor's idle calls do until it
    // answers (the script running out ends it); the answer its client got.
    uint32_t show(const platform::PopupMenu& menu, int x, int y, float zoom = 1.0f,
                  PixelRect screen = {0, 0, 800, 600})
    {
        auto owned = makeHost(screen);
        host = owned.get();
        script(*host);
        presenter = std::make_unique<AM_DrawnMenuPresenter>(std::move(owned), zoom);
        MenuAnswers client;
        if (!presenter->open(menu, x, y, &client)) {
            return kNoMenuChoice;
        }
        for (int idle = 0; idle < kMaxIdles && presenter->isOpen(); ++idle) {
            presenter->pump(0);
        }
        EXPECT_FALSE(presenter->isOpen());
        EXPECT_EQ(client.answers.size(), 1u);
        return client.answers.empty() ? kNoMenuChoice : client.answers.front();
    }
    static constexpr int kMaxIdles = 100;
    // A presenter whose host waits for the test's input: the menu stays up
    // while none comes. `host` is its host.
    std::unique_ptr<AM_DrawnMenuPresenter> waitingPresenter(PixelRect screen = {0, 0, 800, 600})
    {
        auto owned = makeHost(screen);
        owned->setEndWhenEmpty(false);
        host = owned.get();
        return std::make_unique<AM_DrawnMenuPresenter>(std::move(owned), 1.0f);
    }
    // Queues the events of the test: called before every event the menu
    // asks for, with the number of the ask (1, 2, ...).
    std::function<void(HeadlessPopupHost&, int)> steps;
    void script(HeadlessPopupHost& h)
    {
        h.setBeforeEvent([this, n = 0](HeadlessPopupHost& hh) mutable {
            if (steps) {
                steps(hh, ++n);
            }
        });
    }
    // The screen point in the middle of row `row` (no separators above it
    // unless given in units) of panel `panel`.
    static void rowPoint(const HeadlessPopupHost::Panel& panel, float rowTopUnits, float zoom,
                         int& x, int& y)
    {
        x = panel.rect.x + static_cast<int>(30 * zoom);
        y = panel.rect.y +
            static_cast<int>(std::lround((rowTopUnits + AM_FormsLook::kMenuRowHeight / 2) * zoom));
    }
    HeadlessPopupHost* host = nullptr;
    std::unique_ptr<AM_DrawnMenuPresenter> presenter;
};

// Row tops of presetMenu in GUI units: padding 4, rows 20, separators 9.
constexpr float kUndoTop = 4, kRedoTop = 24, kSnapTop = 53, kAlignTop = 93, kRenameTop = 122;

// The menu at zoom 1 and 2 with its Align submenu open and an item
// highlighted in it: check mark, disabled text, separators, the submenu
// arrow and a long text shortened in its middle.
TEST_F(MenuFixture, LooksRightAtZoomOneAndTwo)
{
    for (const float zoom : {1.0f, 2.0f}) {
        testsupport::BgraPicture picture;
        steps = [&](HeadlessPopupHost& h, int n) {
            if (n == 1) {
                int x = 0, y = 0;
                rowPoint(*h.openPanels()[0], kAlignTop, zoom, x, y);
                h.postMove(x, y);
                h.post(platform::PopupEvent{}); // a pause
            } else if (n == 2) {
                ASSERT_EQ(h.openPanels().size(), 2u);
                int sx = 0, sy = 0;
                rowPoint(*h.openPanels()[1], 24, zoom, sx, sy);
                h.postMove(sx, sy);
            } else if (n == 4) {
                picture = formstest::panelsPicture(h, 6);
            }
        };
        EXPECT_EQ(show(presetMenu(), 20, 30, zoom, PixelRect{0, 0, 1920, 1080}), kNoMenuChoice);
        const std::string name = zoom == 1.0f ? "menu_open_submenu_z1" : "menu_open_submenu_z2";
        ASSERT_GT(picture.width, 0);
        EXPECT_EQ(testsupport::compareWithGolden(name, picture.pixels.data(), picture.width,
                                                 picture.height, picture.width * 4, 2, 40),
                  "");
    }
}

TEST_F(MenuFixture, TheFirstPanelOpensAtThePointerAndGrabsTheInput)
{
    steps = [&](HeadlessPopupHost& h, int n) {
        if (n != 1) {
            return;
        }
        ASSERT_EQ(h.openPanels().size(), 1u);
        EXPECT_EQ(h.openPanels()[0]->rect.x, 120);
        EXPECT_EQ(h.openPanels()[0]->rect.y, 80);
        EXPECT_TRUE(h.grabbed());
        EXPECT_GT(h.openPanels()[0]->presents, 0);
    };
    EXPECT_EQ(show(presetMenu(), 20, 30), kNoMenuChoice);
    EXPECT_FALSE(host->grabbed());
    EXPECT_TRUE(host->openPanels().empty());
}

// What the mouse chooses: a click on an item gives its id; a click on a
// disabled item, a separator or a submenu entry chooses nothing and leaves
// the menu up; a press outside dismisses.
TEST_F(MenuFixture, AClickChoosesAnEnabledItemOnly)
{
    struct Case {
        const char* what;
        float rowTop;
        bool outside;
        uint32_t expected;
    } cases[] = {
        {"Undo", kUndoTop, false, 1},
        {"Snap to Grid", kSnapTop, false, 3},
        {"Rename", kRenameTop, false, 5},
        {"disabled Redo", kRedoTop, false, kNoMenuChoice},
        {"separator", 44.5f - 10, false, kNoMenuChoice},
        {"submenu entry", kAlignTop, false, kNoMenuChoice},
        {"outside", 0, true, kNoMenuChoice},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool stillOpen = false;
        steps = [&](HeadlessPopupHost& h, int n) {
            if (n == 1) {
                int x = 0, y = 0;
                rowPoint(*h.openPanels()[0], c.rowTop, 1.0f, x, y);
                if (c.outside) {
                    x = 5;
                    y = 5;
                }
                h.postMove(x, y);
                h.postClick(x, y);
            } else if (n == 4) {
                stillOpen = !h.openPanels().empty();
            }
        };
        EXPECT_EQ(show(presetMenu(), 20, 30), c.expected);
        if (c.expected == kNoMenuChoice && !c.outside) {
            EXPECT_TRUE(stillOpen);
        }
    }
}

TEST_F(MenuFixture, AnItemOfASubmenuIsChosenThroughIt)
{
    steps = [&](HeadlessPopupHost& h, int n) {
        if (n == 1) {
            int x = 0, y = 0;
            rowPoint(*h.openPanels()[0], kAlignTop, 1.0f, x, y);
            h.postMove(x, y);
        } else if (n == 2) {
            ASSERT_EQ(h.openPanels().size(), 2u);
            const auto& sub = *h.openPanels()[1];
            // Beside its parent, its first row level with the entry.
            EXPECT_GE(sub.rect.x, h.openPanels()[0]->rect.x + h.openPanels()[0]->rect.w - 3);
            EXPECT_EQ(sub.rect.y, h.openPanels()[0]->rect.y + static_cast<int>(kAlignTop) - 4);
            int sx = 0, sy = 0;
            rowPoint(sub, 4 + 20 + 20 + 9, 1.0f, sx, sy); // Align Right
            h.postMove(sx, sy);
            h.postClick(sx, sy);
        }
    };
    EXPECT_EQ(show(presetMenu(), 20, 30), 12u);
}

// Keys: arrows move over enabled rows only (skipping separators and the
// disabled Redo), Right opens a submenu on its first item, Left closes it,
// Return chooses; Escape closes a submenu, and on the first panel dismisses.
TEST_F(MenuFixture, TheKeyboardWalksTheMenu)
{
    using platform::kVirtualKeyDown;
    using platform::kVirtualKeyEscape;
    using platform::kVirtualKeyLeft;
    using platform::kVirtualKeyReturn;
    using platform::kVirtualKeyRight;
    using platform::kVirtualKeyUp;
    struct Case {
        const char* what;
        std::vector<int> keys;
        uint32_t expected;
    } cases[] = {
        {"first item", {kVirtualKeyDown, kVirtualKeyReturn}, 1},
        {"skips disabled and separator", {kVirtualKeyDown, kVirtualKeyDown, kVirtualKeyReturn}, 3},
        {"wraps upwards", {kVirtualKeyUp, kVirtualKeyReturn}, 6},
        {"into the submenu",
         {kVirtualKeyUp, kVirtualKeyUp, kVirtualKeyUp, kVirtualKeyRight, kVirtualKeyDown,
          kVirtualKeyReturn},
         11},
        {"Return opens a submenu",
         {kVirtualKeyUp, kVirtualKeyUp, kVirtualKeyUp, kVirtualKeyReturn, kVirtualKeyReturn},
         10},
        {"Left comes back",
         {kVirtualKeyUp, kVirtualKeyUp, kVirtualKeyUp, kVirtualKeyRight, kVirtualKeyLeft,
          kVirtualKeyDown, kVirtualKeyReturn},
         5},
        {"Escape closes the submenu only",
         {kVirtualKeyUp, kVirtualKeyUp, kVirtualKeyUp, kVirtualKeyRight, kVirtualKeyEscape,
          kVirtualKeyUp, kVirtualKeyReturn},
         4},
        {"Escape dismisses",
         {kVirtualKeyDown, kVirtualKeyEscape, kVirtualKeyReturn},
         kNoMenuChoice},
        {"Return without a highlight", {kVirtualKeyReturn, kVirtualKeyEscape}, kNoMenuChoice},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        steps = [&](HeadlessPopupHost& h, int n) {
            for (int key : n == 1 ? c.keys : std::vector<int>{}) {
                h.postKey(key);
            }
        };
        EXPECT_EQ(show(presetMenu(), 20, 30), c.expected);
    }
}

TEST_F(MenuFixture, ALetterJumpsToTheNextItemStartingWithIt)
{
    steps = [&](HeadlessPopupHost& h, int n) {
        if (n != 1) {
            return;
        }
        h.postKey(platform::kVirtualKeyNone, 's');
        h.postKey(platform::kVirtualKeyNone, 'S');
        h.postKey(platform::kVirtualKeyReturn);
    };
    EXPECT_EQ(show(presetMenu(), 20, 30), 4u);
}

// Releasing the button that opened the menu chooses only after the pointer
// moved: a right press opens the menu and its release right there must not
// pick the item that happens to be under the pointer (here the menu is
// pushed up by the screen's edge, so the pointer is over Snap to Grid).
TEST_F(MenuFixture, TheOpeningReleaseChoosesOnlyAfterAMove)
{
    for (const bool moved : {false, true}) {
        SCOPED_TRACE(moved);
        steps = [&](HeadlessPopupHost& h, int n) {
            if (n != 1) {
                return;
            }
            EXPECT_EQ(h.openPanels()[0]->rect.y, 200 - 166);
            const int x = moved ? 150 : 120;
            if (moved) {
                h.postMove(x, 100);
            }
            platform::PopupEvent up;
            up.kind = platform::PopupEvent::Kind::ButtonUp;
            up.button = platform::PointerButton::Secondary;
            up.x = x;
            up.y = 100;
            h.post(up);
        };
        EXPECT_EQ(show(presetMenu(), 20, 50, 1.0f, PixelRect{0, 0, 800, 200}),
                  moved ? 3u : kNoMenuChoice);
    }
}

// Near the screen's right and bottom edges the menu opens left of and above
// the pointer, and a submenu that does not fit right of its parent opens
// left of it: every panel stays on the screen.
TEST_F(MenuFixture, PanelsStayOnTheScreen)
{
    const PixelRect screen{0, 0, 700, 300};
    steps = [&](HeadlessPopupHost& h, int n) {
        if (n == 1) {
            const auto& first = *h.openPanels()[0];
            EXPECT_LE(first.rect.y + first.rect.h, 300);
            EXPECT_EQ(first.rect.x + first.rect.w, 100 + 560);
            int x = 0, y = 0;
            rowPoint(first, kAlignTop, 1.0f, x, y);
            h.postMove(x, y);
        } else if (n == 2) {
            ASSERT_EQ(h.openPanels().size(), 2u);
            const auto& parent = *h.openPanels()[0];
            const auto& sub = *h.openPanels()[1];
            EXPECT_LE(sub.rect.x + sub.rect.w, parent.rect.x + 3);
            EXPECT_GE(sub.rect.x, 0);
            EXPECT_LE(sub.rect.y + sub.rect.h, 300);
        }
    };
    EXPECT_EQ(show(presetMenu(), 560, 240, 1.0f, screen), kNoMenuChoice);
}

// A menu taller than the screen fits the screen's height and scrolls: the
// keyboard scrolls the highlight into view, and resting on the lower arrow
// scrolls step by step.
TEST_F(MenuFixture, ATallMenuScrolls)
{
    const platform::PopupMenu tall = tallMenu();
    const PixelRect screen{0, 0, 600, 300};
    steps = [&](HeadlessPopupHost& h, int n) {
        if (n != 1) {
            return;
        }
        const auto& panel = *h.openPanels()[0];
        EXPECT_EQ(panel.rect.y, 0);
        EXPECT_EQ(panel.rect.h, 300);
        h.postKey(platform::kVirtualKeyEnd);
        h.postKey(platform::kVirtualKeyReturn);
    };
    EXPECT_EQ(show(tall, 10, 10, 1.0f, screen), 100u);

    // Resting on the lower arrow for 5 waits scrolls 5 half rows: a click
    // in the content's first row then picks the item it now shows.
    steps = [&](HeadlessPopupHost& h, int n) {
        if (n != 1) {
            return;
        }
        const auto& panel = *h.openPanels()[0];
        h.postMove(panel.rect.x + 40, panel.rect.y + panel.rect.h - 4);
        for (int i = 0; i < 10; ++i) {
            h.post(platform::PopupEvent{});
        }
        const int y = panel.rect.y + static_cast<int>(AM_FormsLook::kMenuScrollArrowHeight) + 4;
        h.postMove(panel.rect.x + 40, y);
        h.postClick(panel.rect.x + 40, y);
    };
    const uint32_t chosen = show(tall, 10, 10, 1.0f, screen);
    EXPECT_GE(chosen, 5u);
    EXPECT_LE(chosen, 7u);
}

// The wheel scrolls a tall menu three rows a step; on a menu that fits it
// does nothing.
TEST_F(MenuFixture, TheWheelScrollsATallMenu)
{
    const platform::PopupMenu tall = tallMenu();
    const PixelRect screen{0, 0, 600, 300};
    for (const bool isTall : {true, false}) {
        SCOPED_TRACE(isTall);
        steps = [&](HeadlessPopupHost& h, int n) {
            if (n != 1) {
                return;
            }
            const auto& panel = *h.openPanels()[0];
            const int x = panel.rect.x + 40;
            const int y = panel.rect.y + static_cast<int>(AM_FormsLook::kMenuScrollArrowHeight) +
                          (isTall ? 14 : 39);
            h.postMove(x, y);
            h.postWheel(x, y, -1);
            h.postWheel(x, y, -1);
            h.postWheel(x, y, 1);
            h.postClick(x, y);
        };
        // Preset 1 was under the pointer; 3 rows down, 3 down, 3 up: 4.
        EXPECT_EQ(show(isTall ? tall : presetMenu(), 10, 10, 1.0f, screen), isTall ? 4u : 3u);
    }
}

// Opening returns at once: the menu stays up across idle calls while no
// input comes, a second menu is refused meanwhile, and the answer reaches
// the client on the idle call that handles the click, once.
TEST_F(MenuFixture, AMenuStaysUpAcrossIdleCallsAndAnswersOnTheIdleOfTheClick)
{
    const auto waiting = waitingPresenter();
    AM_DrawnMenuPresenter& p = *waiting;
    HeadlessPopupHost* h = host;
    MenuAnswers client;
    ASSERT_TRUE(p.open(presetMenu(), 20, 30, &client));
    for (int idle = 0; idle < 5; ++idle) {
        p.pump(static_cast<uint32_t>(idle) * 16);
        EXPECT_TRUE(p.isOpen());
        ASSERT_EQ(h->openPanels().size(), 1u);
        EXPECT_TRUE(h->grabbed());
    }
    MenuAnswers other;
    EXPECT_FALSE(p.open(presetMenu(), 0, 0, &other));
    EXPECT_TRUE(client.answers.empty());

    int x = 0, y = 0;
    rowPoint(*h->openPanels()[0], kSnapTop, 1.0f, x, y);
    h->postMove(x, y);
    h->postClick(x, y);
    p.pump(100);
    EXPECT_FALSE(p.isOpen());
    EXPECT_FALSE(h->grabbed());
    EXPECT_TRUE(h->openPanels().empty());
    EXPECT_EQ(client.answers, std::vector<uint32_t>{3});
    p.pump(116);
    EXPECT_EQ(client.answers.size(), 1u);
    EXPECT_TRUE(other.answers.empty());
}

// Taking a menu down: close tells its client nothing, dismiss tells it
// that nothing was chosen; either way the panels go and the input is free.
TEST_F(MenuFixture, CloseTellsNothingAndDismissTellsNoChoice)
{
    for (const bool dismiss : {false, true}) {
        SCOPED_TRACE(dismiss);
        const auto waiting = waitingPresenter();
        AM_DrawnMenuPresenter& p = *waiting;
        HeadlessPopupHost* h = host;
        MenuAnswers client;
        ASSERT_TRUE(p.open(presetMenu(), 20, 30, &client));
        if (dismiss) {
            p.dismiss();
        } else {
            p.close();
        }
        p.pump(0);
        EXPECT_FALSE(p.isOpen());
        EXPECT_FALSE(h->grabbed());
        EXPECT_TRUE(h->openPanels().empty());
        EXPECT_EQ(client.answers,
                  dismiss ? std::vector<uint32_t>{kNoMenuChoice} : std::vector<uint32_t>{});
    }
}

// A menu with an initial item opens with that item highlighted and under
// the pointer (its submenus open when it lies in one, a tall menu scrolled
// to it); the release of the opening press there chooses nothing, Return
// chooses it.
TEST_F(MenuFixture, AMenuOpensOnItsInitialItem)
{
    platform::PopupMenu tall = tallMenu(60);
    tall.initialId = 60;
    struct Case {
        const char* what;
        platform::PopupMenu menu;
        PixelRect screen;
        size_t panels;
        uint32_t expected;
    };
    platform::PopupMenu onSnap = presetMenu();
    onSnap.initialId = 3;
    platform::PopupMenu inAlign = presetMenu();
    inAlign.initialId = 12;
    platform::PopupMenu onDisabled = presetMenu();
    onDisabled.initialId = 2; // Redo is disabled: opened as usual
    const Case cases[] = {
        {"top-level item", onSnap, {0, 0, 800, 600}, 1, 3},
        {"item of a submenu", inAlign, {0, 0, 800, 600}, 2, 12},
        {"tall menu", tall, {0, 0, 800, 300}, 1, 60},
        {"disabled item", onDisabled, {0, 0, 800, 600}, 1, kNoMenuChoice},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        steps = [&](HeadlessPopupHost& h, int n) {
            if (n != 1) {
                return;
            }
            ASSERT_EQ(h.openPanels().size(), c.panels);
            if (c.expected != kNoMenuChoice) {
                // The pointer (the window's (20, 150) at (100, 50)) is on the
                // row: a release there chooses nothing.
                const auto& panel = *h.openPanels()[0];
                EXPECT_GE(150 + 50, panel.rect.y);
                EXPECT_LT(150 + 50, panel.rect.y + panel.rect.h);
                platform::PopupEvent up;
                up.kind = platform::PopupEvent::Kind::ButtonUp;
                up.button = platform::PointerButton::Secondary;
                up.x = 120;
                up.y = 200;
                h.post(up);
            } else {
                EXPECT_EQ(h.openPanels()[0]->rect.y, 200);
            }
            h.postKey(platform::kVirtualKeyReturn);
        };
        EXPECT_EQ(show(c.menu, 20, 150, 1.0f, c.screen), c.expected);
    }
}

// The highlighted initial item is drawn under the pointer: the pixels in
// the middle of the row under the pointer are the highlight's.
TEST_F(MenuFixture, TheInitialItemIsHighlightedUnderThePointer)
{
    platform::PopupMenu menu = presetMenu();
    menu.initialId = 5;
    uint32_t underPointer = 0;
    uint32_t elsewhere = 0;
    steps = [&](HeadlessPopupHost& h, int n) {
        if (n != 1) {
            return;
        }
        const auto& panel = *h.openPanels()[0];
        const auto pixel = [&](int sx, int sy) {
            const size_t at = (static_cast<size_t>(sy - panel.rect.y) * panel.width +
                               static_cast<size_t>(sx - panel.rect.x)) *
                              4;
            return uint32_t(panel.pixels[at]) | uint32_t(panel.pixels[at + 1]) << 8 |
                   uint32_t(panel.pixels[at + 2]) << 16;
        };
        underPointer = pixel(panel.rect.x + 8, 200);
        int x = 0, y = 0;
        rowPoint(panel, kUndoTop, 1.0f, x, y);
        elsewhere = pixel(panel.rect.x + 8, y);
        h.postKey(platform::kVirtualKeyEscape);
    };
    EXPECT_EQ(show(menu, 20, 150), kNoMenuChoice);
    EXPECT_NE(underPointer, elsewhere);
    EXPECT_EQ(underPointer, AM_FormsLook::kHighlight >> 8);
}

// Resting on a scroll arrow scrolls a step every kStepMs of the clock the
// idle calls give, and no faster when the idle calls come more often.
TEST_F(MenuFixture, RestingOnAScrollArrowStepsWithTheClock)
{
    const platform::PopupMenu tall = tallMenu();
    for (const uint32_t idleMs : {AM_MenuSession::kStepMs, AM_MenuSession::kStepMs / 4}) {
        SCOPED_TRACE(idleMs);
        const auto waiting = waitingPresenter({0, 0, 600, 300});
        AM_DrawnMenuPresenter& p = *waiting;
        HeadlessPopupHost* h = host;
        MenuAnswers client;
        ASSERT_TRUE(p.open(tall, 10, 10, &client));
        const auto& panel = *h->openPanels()[0];
        h->postMove(panel.rect.x + 40, panel.rect.y + panel.rect.h - 4);
        uint32_t now = 1000;
        p.pump(now);
        // Ten steps of half a row: five rows.
        while (now < 1000 + 10 * AM_MenuSession::kStepMs) {
            now += idleMs;
            p.pump(now);
        }
        const int y = panel.rect.y + static_cast<int>(AM_FormsLook::kMenuScrollArrowHeight) + 4;
        h->postMove(panel.rect.x + 40, y);
        h->postClick(panel.rect.x + 40, y);
        p.pump(now);
        ASSERT_EQ(client.answers.size(), 1u);
        EXPECT_EQ(client.answers[0], 6u);
    }
}

TEST_F(MenuFixture, NothingIsShownWhenTheInputCannotBeGrabbed)
{
    testsupport::TraceCapture trace;
    auto owned = makeHost();
    owned->refuseGrab(true);
    owned->postKey(platform::kVirtualKeyDown);
    owned->postKey(platform::kVirtualKeyReturn);
    HeadlessPopupHost* h = owned.get();
    AM_DrawnMenuPresenter p(std::move(owned), 1.0f);
    MenuAnswers client;
    ASSERT_TRUE(p.open(presetMenu(), 10, 10, &client));
    // The next idle calls try the grab again, then the menu gives up
    // without handling a key.
    for (int idle = 0; idle < AM_MenuSession::kGrabAttempts && p.isOpen(); ++idle) {
        EXPECT_TRUE(client.answers.empty());
        p.pump(0);
    }
    EXPECT_FALSE(p.isOpen());
    EXPECT_EQ(client.answers, std::vector<uint32_t>{kNoMenuChoice});
    EXPECT_TRUE(h->openPanels().empty());
    EXPECT_EQ(h->handedOut(), 0);
    EXPECT_NE(trace.text().find("held by another program"), std::string::npos);
}

TEST_F(MenuFixture, WithoutPopupsEveryMenuIsDismissedAndTheFontSizeIsKept)
{
    testsupport::TraceCapture trace;
    AM_DrawnMenuPresenter none(nullptr, 1.0f);
    MenuAnswers client;
    EXPECT_FALSE(none.open(presetMenu(), 10, 10, &client));
    EXPECT_TRUE(client.answers.empty());
    EXPECT_NE(trace.text().find("no popup windows"), std::string::npos);

    steps = [](HeadlessPopupHost& h, int n) {
        if (n == 1) {
            h.postKey(platform::kVirtualKeyEscape);
        }
    };
    show(presetMenu(), 10, 10);
    EXPECT_EQ(AM_FontSettings::size(), 9.0f);
    platform::PopupMenu empty;
    EXPECT_EQ(show(empty, 10, 10), kNoMenuChoice);
    EXPECT_TRUE(host->panels().empty());
}

} // namespace
