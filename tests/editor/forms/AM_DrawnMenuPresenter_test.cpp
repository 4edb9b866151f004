#include "editor/forms/AM_DrawnMenuPresenter.h"
#include "editor/forms/AM_FormsLook.h"

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

struct MenuFixture : formstest::PinnedFont {
    // The screen is 800 x 600, the editor's window sits at (100, 50).
    std::unique_ptr<HeadlessPopupHost> makeHost(PixelRect screen = {0, 0, 800, 600})
    {
        return std::make_unique<HeadlessPopupHost>(screen, 100, 50);
    }
    uint32_t show(const platform::PopupMenu& menu, int x, int y, float zoom = 1.0f,
                  PixelRect screen = {0, 0, 800, 600})
    {
        auto owned = makeHost(screen);
        host = owned.get();
        script(*host);
        presenter = std::make_unique<AM_DrawnMenuPresenter>(std::move(owned), zoom);
        return presenter->show(menu, x, y);
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
    platform::PopupMenu tall;
    for (uint32_t i = 1; i <= 100; ++i) {
        tall.entries.push_back(item("Preset " + std::to_string(i), i));
    }
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
    platform::PopupMenu tall;
    for (uint32_t i = 1; i <= 100; ++i) {
        tall.entries.push_back(item("Preset " + std::to_string(i), i));
    }
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

TEST_F(MenuFixture, NothingIsShownWhenTheInputCannotBeGrabbed)
{
    testsupport::TraceCapture trace;
    auto owned = makeHost();
    owned->refuseGrab(true);
    owned->postKey(platform::kVirtualKeyDown);
    owned->postKey(platform::kVirtualKeyReturn);
    HeadlessPopupHost* h = owned.get();
    AM_DrawnMenuPresenter p(std::move(owned), 1.0f);
    EXPECT_EQ(p.show(presetMenu(), 10, 10), kNoMenuChoice);
    EXPECT_TRUE(h->openPanels().empty());
    EXPECT_NE(trace.text().find("held by another program"), std::string::npos);
}

TEST_F(MenuFixture, WithoutPopupsEveryMenuIsDismissedAndTheFontSizeIsKept)
{
    testsupport::TraceCapture trace;
    AM_DrawnMenuPresenter none(nullptr, 1.0f);
    EXPECT_EQ(none.show(presetMenu(), 10, 10), kNoMenuChoice);
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
