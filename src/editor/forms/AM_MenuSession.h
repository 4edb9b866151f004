#pragma once
// One popup menu on screen, from showing to the answer: the panels of the
// menu and its open submenus placed inside the screen, the pointer and the
// keys while the input is grabbed, scrolling of panels taller than the
// screen, and the chosen item's id (kNoMenuChoice when the menu was
// dismissed: Escape on the top panel, a press outside every panel, the grab
// taken away or never had).
//
// The session never waits: open shows the first panel and returns, and
// every later pump handles what the popup host received since (the
// editor's idle call), so the host's own interface keeps running while the
// menu is up.
//
// Mouse: moving highlights, resting on a submenu entry opens it, a click on
// an item chooses it; releasing the button that opened the menu chooses the
// item under it once the pointer has moved. Keys: Up and Down (Home, End)
// move the highlight, Right or Return opens a submenu, Left or Escape
// closes one, Return chooses, a letter jumps to the next item starting
// with it. The wheel scrolls a menu taller than the screen; resting on a
// scroll arrow scrolls a step every kStepMs.
//
// GUI thread only.

#include "editor/forms/AM_MenuLayout.h"
#include "editor/forms/AM_MenuPainter.h"
#include "gui/graphics/AM_AGG_Context.h"
#include "platform/MenuPresenter.h"
#include "platform/PopupHost.h"

#include <cstdint>
#include <memory>
#include <vector>

class AM_MenuSession {
public:
    // zoom: the editor's GUI zoom (the menu's sizes follow it).
    AM_MenuSession(platform::PopupHost& host, float zoom);
    // Takes the panels down and gives the input back.
    ~AM_MenuSession();
    AM_MenuSession(const AM_MenuSession&) = delete;
    AM_MenuSession& operator=(const AM_MenuSession&) = delete;

    // Shows the menu (kept as a copy) with its corner at (x, y) of the
    // editor's window, or opened on its initial item; false when nothing
    // could be shown (an empty menu, no panel).
    bool open(const platform::PopupMenu& menu, int x, int y);
    // Handles the events that arrived since the last call; true once the
    // menu is over (answer() says how). nowMs: a millisecond clock.
    bool pump(uint32_t nowMs);
    bool over() const { return over_; }
    uint32_t answer() const { return answer_; }

    // A scroll step while the pointer rests on a scroll arrow, and the most
    // steps one pump makes up for.
    static constexpr uint32_t kStepMs = 40;
    static constexpr int kMaxStepsPerPump = 4;
    // Submenus deeper than this are not followed to an initial item.
    static constexpr size_t kMaxDepth = 64;
    // Pumps that try to take the input before the menu gives up (another
    // program holds the pointer).
    static constexpr int kGrabAttempts = 20;
    // The most events one pump handles; the rest wait for the next one.
    static constexpr int kEventsPerPump = 256;
    // How far (pixels) the pointer has to move before releasing the button
    // that opened the menu chooses.
    static constexpr int kReleaseSlop = 4;
    // Rows a wheel step scrolls a tall menu by.
    static constexpr float kWheelRows = 3.0f;

private:
    struct Panel {
        const std::vector<platform::MenuEntry>* entries = nullptr;
        AM_MenuLayout layout;
        AM_MenuPanelView view;
        platform::PixelRect rect; // screen pixels
        int hostId = 0;
        bool dirty = true;
    };

    // A panel beside (avoidLeft, avoidRight) at height y; with anchorRow,
    // the top panel placed so that the row lies under (x, y).
    bool openPanel(const std::vector<platform::MenuEntry>& entries, int x, int y, int avoidLeft,
                   int avoidRight, int anchorRow = -1);
    void openOnInitialItem(uint32_t id);
    void openSubmenu(size_t parent, int row, bool highlightFirst);
    void closeFrom(size_t depth);
    void draw(Panel& panel);
    void redraw();
    // The deepest panel containing the screen point, -1 for none.
    int panelAt(int x, int y) const;
    void setHover(size_t depth, int row);
    void scrollToShow(Panel& panel, int row);
    void scrollBy(Panel& panel, float units);
    void finish(uint32_t answer);
    bool tryGrab();

    void handle(const platform::PopupEvent& event);
    void pointerMoved(int x, int y);
    bool pressed(const platform::PopupEvent& event);
    bool released(const platform::PopupEvent& event);
    bool keyDown(const platform::PopupEvent& event);
    void wheel(const platform::PopupEvent& event);
    bool choose(const AM_MenuRow& row);
    void restOnArrow();

    platform::PopupHost& host_;
    float zoom_;
    AM_AGG_Context canvas_{nullptr};
    platform::PopupMenu menu_;
    std::vector<std::unique_ptr<Panel>> panels_;
    uint32_t answer_ = platform::kNoMenuChoice;
    bool over_ = false;
    bool grabbed_ = false;
    int grabAttempts_ = 0;
    int startX_ = 0;
    int startY_ = 0;
    bool moved_ = false;
    bool pressedInside_ = false;
    // A scroll arrow the pointer rests on: the panel's depth, the direction,
    // and when the last step went (0: not yet timed).
    int scrollPanel_ = -1;
    float scrollStep_ = 0;
    uint32_t lastStepMs_ = 0;
    bool stepTimed_ = false;
};
