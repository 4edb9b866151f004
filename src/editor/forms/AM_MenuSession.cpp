#include "editor/forms/AM_MenuSession.h"

#include "editor/forms/AM_FormsLook.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

using namespace AM_FormsLook;
using platform::MenuEntry;
using platform::PixelRect;
using platform::PopupEvent;

AM_MenuSession::AM_MenuSession(platform::PopupHost& host, float zoom)
    : host_(host), zoom_(std::isfinite(zoom) && zoom > 0 ? zoom : 1.0f)
{
    canvas_.setZoom(zoom_, 0, 0);
}

AM_MenuSession::~AM_MenuSession()
{
    if (grabbed_) {
        host_.releaseInput();
    }
    closeFrom(0);
}

bool AM_MenuSession::open(const platform::PopupMenu& menu, int x, int y)
{
    answer_ = platform::kNoMenuChoice;
    menu_ = menu;
    if (menu_.entries.empty()) {
        over_ = true;
        return false;
    }
    int sx = 0;
    int sy = 0;
    host_.windowToScreen(x, y, sx, sy);
    startX_ = sx;
    startY_ = sy;
    bool shown = false;
    if (menu_.initialId != platform::kNoMenuChoice) {
        openOnInitialItem(menu_.initialId);
        shown = !panels_.empty();
    }
    if (!shown) {
        shown = openPanel(menu_.entries, sx, sy, sx, sx);
    }
    if (!shown) {
        platform::debugOutput("Menu: the popup panel could not be opened\n");
        over_ = true;
        return false;
    }
    tryGrab();
    redraw();
    return true;
}

bool AM_MenuSession::tryGrab()
{
    if (grabbed_) {
        return true;
    }
    if (host_.grabInput()) {
        grabbed_ = true;
        return true;
    }
    // The press that opened the menu may hold the pointer for a moment:
    // the next pumps try again before the menu gives up.
    if (++grabAttempts_ >= kGrabAttempts) {
        platform::debugOutput("Menu: the pointer is held by another program, menu dismissed\n");
        finish(platform::kNoMenuChoice);
    }
    return false;
}

bool AM_MenuSession::pump(uint32_t nowMs)
{
    if (over_) {
        return true;
    }
    if (!tryGrab()) {
        // Input waits until the menu has it all.
        return over_;
    }
    PopupEvent event;
    for (int n = 0; n < kEventsPerPump && !over_ && host_.pollEvent(event); ++n) {
        handle(event);
        if (!over_) {
            redraw();
        }
    }
    if (!over_ && scrollPanel_ >= 0) {
        // Resting on a scroll arrow scrolls a step every kStepMs.
        if (!stepTimed_) {
            stepTimed_ = true;
            lastStepMs_ = nowMs;
        }
        for (int steps = 0; nowMs - lastStepMs_ >= kStepMs && steps < kMaxStepsPerPump; ++steps) {
            lastStepMs_ += kStepMs;
            if (scrollPanel_ >= 0 && static_cast<size_t>(scrollPanel_) < panels_.size()) {
                scrollBy(*panels_[static_cast<size_t>(scrollPanel_)], scrollStep_);
            }
        }
        if (nowMs - lastStepMs_ >= kStepMs) {
            lastStepMs_ = nowMs;
        }
    }
    if (!over_) {
        redraw();
    }
    return over_;
}

void AM_MenuSession::handle(const PopupEvent& event)
{
    switch (event.kind) {
    case PopupEvent::Kind::Pause:
        // A wait without input: resting on a scroll arrow steps.
        if (scrollPanel_ >= 0 && static_cast<size_t>(scrollPanel_) < panels_.size()) {
            scrollBy(*panels_[static_cast<size_t>(scrollPanel_)], scrollStep_);
        }
        break;
    case PopupEvent::Kind::PointerMove:
        pointerMoved(event.x, event.y);
        break;
    case PopupEvent::Kind::ButtonDown:
        if (pressed(event)) {
            finish(answer_);
        }
        break;
    case PopupEvent::Kind::ButtonUp:
        if (released(event)) {
            finish(answer_);
        }
        break;
    case PopupEvent::Kind::KeyDown:
        if (keyDown(event)) {
            finish(answer_);
        }
        break;
    case PopupEvent::Kind::Wheel:
        wheel(event);
        break;
    case PopupEvent::Kind::Ended:
        finish(platform::kNoMenuChoice);
        break;
    }
}

void AM_MenuSession::finish(uint32_t answer)
{
    answer_ = answer;
    over_ = true;
    if (grabbed_) {
        grabbed_ = false;
        host_.releaseInput();
    }
    closeFrom(0);
}

void AM_MenuSession::openOnInitialItem(uint32_t id)
{
    // The rows leading to the item, one per level.
    std::vector<int> path;
    const auto search = [&](const auto& self, const std::vector<MenuEntry>& entries) -> bool {
        for (size_t i = 0; i < entries.size(); ++i) {
            const MenuEntry& e = entries[i];
            path.push_back(static_cast<int>(i));
            if (e.kind == MenuEntry::Kind::kItem && e.id == id && e.enabled) {
                return true;
            }
            if (e.kind == MenuEntry::Kind::kSubmenu && e.enabled &&
                path.size() < kMaxDepth && self(self, e.children)) {
                return true;
            }
            path.pop_back();
        }
        return false;
    };
    if (!search(search, menu_.entries)) {
        return;
    }
    // Entry indices are row indices: every entry has its row.
    if (!openPanel(menu_.entries, startX_, startY_, startX_, startX_, path[0])) {
        return;
    }
    for (size_t depth = 0; depth < path.size(); ++depth) {
        if (depth >= panels_.size()) {
            break;
        }
        setHover(depth, path[depth]);
        if (depth + 1 < path.size()) {
            openSubmenu(depth, path[depth], false);
        }
    }
}

bool AM_MenuSession::openPanel(const std::vector<MenuEntry>& entries, int x, int y, int avoidLeft,
                               int avoidRight, int anchorRow)
{
    auto panel = std::make_unique<Panel>();
    panel->entries = &entries;
    panel->layout = AM_MenuLayout::build(entries, canvas_);
    const PixelRect screen = host_.screenArea();
    const int w = static_cast<int>(std::ceil(panel->layout.width * zoom_));
    int h = static_cast<int>(std::ceil(panel->layout.height * zoom_));
    panel->view.layout = &panel->layout;
    panel->view.viewHeight = panel->layout.height;
    if (h > screen.h) {
        h = screen.h;
        panel->view.scrolls = true;
        panel->view.viewHeight = static_cast<float>(h) / zoom_;
    }
    // Right of the opening point (a submenu: right of its parent), or left
    // of it when the screen ends there; then inside the screen.
    int px = x;
    if (px + w > screen.x + screen.w) {
        // Left of the point (a submenu: of its parent), unless there is even
        // less room there.
        const int roomRight = screen.x + screen.w - x;
        const int roomLeft = avoidLeft - screen.x;
        if (roomLeft >= w || roomLeft > roomRight) {
            px = avoidLeft - w;
        }
    }
    px = std::clamp(px, screen.x, std::max(screen.x, screen.x + screen.w - w));
    int py = y;
    const bool anchored =
        anchorRow >= 0 && static_cast<size_t>(anchorRow) < panel->layout.rows.size();
    if (anchored) {
        // The row's middle at the pointer; a panel that scrolls starts at
        // the screen's top and scrolls the row there.
        const AM_MenuRow& r = panel->layout.rows[static_cast<size_t>(anchorRow)];
        const float middle = panel->view.contentTop() + r.y + r.h / 2;
        if (panel->view.scrolls) {
            py = screen.y;
            panel->view.scroll = std::clamp(middle - static_cast<float>(y - py) / zoom_, 0.0f,
                                            panel->view.maxScroll());
        } else {
            py = y - static_cast<int>(std::lround(middle * zoom_));
        }
    } else if (py + h > screen.y + screen.h) {
        // A top panel goes above the pointer when it fits there.
        py = (avoidLeft == avoidRight && y - h >= screen.y) ? y - h : screen.y + screen.h - h;
    }
    py = std::clamp(py, screen.y, std::max(screen.y, screen.y + screen.h - h));
    panel->rect = PixelRect{px, py, w, h};
    panel->hostId = host_.openPanel(panel->rect);
    if (panel->hostId == 0) {
        return false;
    }
    panels_.push_back(std::move(panel));
    return true;
}

void AM_MenuSession::openSubmenu(size_t parent, int row, bool highlightFirst)
{
    Panel& p = *panels_[parent];
    if (p.view.openRow == row && panels_.size() > parent + 1) {
        if (highlightFirst) {
            setHover(parent + 1, panels_[parent + 1]->layout.nextSelectable(-1, 1));
        }
        return;
    }
    closeFrom(parent + 1);
    const AM_MenuRow& r = p.layout.rows[static_cast<size_t>(row)];
    if (!r.isSubmenu() || !r.entry->enabled || r.entry->children.empty()) {
        return;
    }
    const float rowTop = p.view.contentTop() - p.view.scroll + r.y - kMenuPadding;
    const int x = p.rect.x + p.rect.w - static_cast<int>(std::lround(2 * zoom_));
    const int y = p.rect.y + static_cast<int>(std::lround(rowTop * zoom_));
    if (!openPanel(r.entry->children, x, y, p.rect.x + static_cast<int>(std::lround(2 * zoom_)),
                   x)) {
        return;
    }
    p.view.openRow = row;
    p.dirty = true;
    if (highlightFirst) {
        setHover(parent + 1, panels_[parent + 1]->layout.nextSelectable(-1, 1));
    }
}

void AM_MenuSession::closeFrom(size_t depth)
{
    while (panels_.size() > depth) {
        host_.closePanel(panels_.back()->hostId);
        panels_.pop_back();
    }
    if (depth > 0 && depth <= panels_.size()) {
        Panel& parent = *panels_[depth - 1];
        if (parent.view.openRow >= 0) {
            parent.view.openRow = -1;
            parent.dirty = true;
        }
    }
    if (scrollPanel_ >= static_cast<int>(panels_.size())) {
        scrollPanel_ = -1;
    }
}

void AM_MenuSession::draw(Panel& panel)
{
    const AM_Rect canvas{0, 0, static_cast<float>(panel.rect.w), static_cast<float>(panel.rect.h)};
    canvas_.setCanvas(&canvas);
    canvas_.beginDraw();
    AM_paintMenuPanel(canvas_, panel.view);
    host_.presentPanel(panel.hostId, canvas_.frame());
    panel.dirty = false;
}

void AM_MenuSession::redraw()
{
    for (auto& panel : panels_) {
        if (panel->dirty) {
            draw(*panel);
        }
    }
}

int AM_MenuSession::panelAt(int x, int y) const
{
    for (int i = static_cast<int>(panels_.size()) - 1; i >= 0; --i) {
        const PixelRect& r = panels_[static_cast<size_t>(i)]->rect;
        if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) {
            return i;
        }
    }
    return -1;
}

void AM_MenuSession::setHover(size_t depth, int row)
{
    Panel& p = *panels_[depth];
    if (p.view.hover != row) {
        p.view.hover = row;
        p.dirty = true;
    }
    if (row >= 0) {
        scrollToShow(p, row);
    }
}

void AM_MenuSession::scrollToShow(Panel& p, int row)
{
    if (!p.view.scrolls) {
        return;
    }
    const AM_MenuRow& r = p.layout.rows[static_cast<size_t>(row)];
    const float visible = p.view.contentBottom() - p.view.contentTop();
    float s = p.view.scroll;
    if (r.y < s) {
        s = r.y - (row == 0 ? kMenuPadding : 0);
    } else if (r.y + r.h > s + visible) {
        s = r.y + r.h - visible;
    }
    s = std::clamp(s, 0.0f, p.view.maxScroll());
    if (s != p.view.scroll) {
        p.view.scroll = s;
        p.dirty = true;
    }
}

void AM_MenuSession::scrollBy(Panel& p, float units)
{
    const float s = std::clamp(p.view.scroll + units, 0.0f, p.view.maxScroll());
    if (s != p.view.scroll) {
        p.view.scroll = s;
        p.dirty = true;
        // The submenu of a row that moved would hang in the air.
        for (size_t i = 0; i < panels_.size(); ++i) {
            if (panels_[i].get() == &p) {
                closeFrom(i + 1);
            }
        }
    }
}

void AM_MenuSession::pointerMoved(int x, int y)
{
    if (std::abs(x - startX_) > kReleaseSlop || std::abs(y - startY_) > kReleaseSlop) {
        moved_ = true;
    }
    scrollPanel_ = -1;
    const int depth = panelAt(x, y);
    if (depth < 0) {
        // Off every panel: the deepest panel forgets its highlight unless it
        // leads to an open submenu.
        Panel& last = *panels_.back();
        if (last.view.hover >= 0 && last.view.hover != last.view.openRow) {
            setHover(panels_.size() - 1, -1);
        }
        return;
    }
    Panel& p = *panels_[static_cast<size_t>(depth)];
    int row = -1;
    const float lx = static_cast<float>(x - p.rect.x) / zoom_;
    const float ly = static_cast<float>(y - p.rect.y) / zoom_;
    const AM_MenuPanelView::Zone zone = p.view.zoneAt(lx, ly, row);
    if (zone == AM_MenuPanelView::Zone::kScrollUp || zone == AM_MenuPanelView::Zone::kScrollDown) {
        scrollPanel_ = depth;
        scrollStep_ = zone == AM_MenuPanelView::Zone::kScrollUp ? -kMenuRowHeight * 0.5f
                                                                : kMenuRowHeight * 0.5f;
        stepTimed_ = false;
        return;
    }
    const bool selectable = row >= 0 && p.layout.rows[static_cast<size_t>(row)].selectable();
    setHover(static_cast<size_t>(depth), selectable ? row : -1);
    if (selectable && p.layout.rows[static_cast<size_t>(row)].isSubmenu()) {
        openSubmenu(static_cast<size_t>(depth), row, false);
    } else if (p.view.openRow >= 0) {
        closeFrom(static_cast<size_t>(depth) + 1);
    }
}

void AM_MenuSession::wheel(const PopupEvent& event)
{
    // The panel under the pointer, or the deepest one.
    int depth = panelAt(event.x, event.y);
    if (depth < 0) {
        depth = static_cast<int>(panels_.size()) - 1;
    }
    Panel& p = *panels_[static_cast<size_t>(depth)];
    if (!p.view.scrolls) {
        return;
    }
    scrollBy(p, -static_cast<float>(event.wheel) * kWheelRows * kMenuRowHeight);
    // The highlight follows the row now under the pointer.
    pointerMoved(event.x, event.y);
}

bool AM_MenuSession::pressed(const PopupEvent& event)
{
    const int depth = panelAt(event.x, event.y);
    if (depth < 0) {
        return true; // a press outside: dismissed
    }
    pressedInside_ = true;
    pointerMoved(event.x, event.y);
    if (scrollPanel_ >= 0) {
        scrollBy(*panels_[static_cast<size_t>(scrollPanel_)], scrollStep_);
    }
    return false;
}

bool AM_MenuSession::released(const PopupEvent& event)
{
    const int depth = panelAt(event.x, event.y);
    if (depth < 0) {
        // The release of the press that opened the menu, off the menu,
        // leaves it up; a release outside after moving dismisses.
        return moved_ && pressedInside_;
    }
    if (!pressedInside_ && !moved_) {
        return false;
    }
    Panel& p = *panels_[static_cast<size_t>(depth)];
    int row = -1;
    const float lx = static_cast<float>(event.x - p.rect.x) / zoom_;
    const float ly = static_cast<float>(event.y - p.rect.y) / zoom_;
    if (p.view.zoneAt(lx, ly, row) != AM_MenuPanelView::Zone::kRow) {
        return false;
    }
    return choose(p.layout.rows[static_cast<size_t>(row)]);
}

bool AM_MenuSession::choose(const AM_MenuRow& row)
{
    if (!row.selectable() || row.isSubmenu() || row.entry->id == platform::kNoMenuChoice) {
        return false;
    }
    answer_ = row.entry->id;
    return true;
}

bool AM_MenuSession::keyDown(const PopupEvent& event)
{
    const size_t depth = panels_.size() - 1;
    Panel& p = *panels_[depth];
    const int hover = p.view.hover;
    switch (event.virtualKey) {
    case platform::kVirtualKeyEscape:
        if (depth == 0) {
            return true;
        }
        closeFrom(depth);
        return false;
    case platform::kVirtualKeyLeft:
        if (depth > 0) {
            closeFrom(depth);
        }
        return false;
    case platform::kVirtualKeyDown:
        setHover(depth, p.layout.nextSelectable(hover, 1));
        return false;
    case platform::kVirtualKeyUp:
        setHover(depth, p.layout.nextSelectable(hover, -1));
        return false;
    case platform::kVirtualKeyHome:
        setHover(depth, p.layout.nextSelectable(-1, 1));
        return false;
    case platform::kVirtualKeyEnd:
        setHover(depth, p.layout.nextSelectable(-1, -1));
        return false;
    case platform::kVirtualKeyRight:
    case platform::kVirtualKeyReturn:
        if (hover < 0) {
            return false;
        }
        if (p.layout.rows[static_cast<size_t>(hover)].isSubmenu()) {
            openSubmenu(depth, hover, true);
            return false;
        }
        return event.virtualKey == platform::kVirtualKeyReturn &&
               choose(p.layout.rows[static_cast<size_t>(hover)]);
    default:
        break;
    }
    if (event.virtualKey == platform::kVirtualKeyNone && event.character > ' ' &&
        event.character < 0x80) {
        // The next selectable row whose text starts with the letter.
        const int letter = std::tolower(static_cast<int>(event.character));
        const int count = static_cast<int>(p.layout.rows.size());
        for (int n = 1; n <= count; ++n) {
            const int i = ((hover < 0 ? -1 : hover) + n + count) % count;
            const AM_MenuRow& r = p.layout.rows[static_cast<size_t>(i)];
            if (r.selectable() && !r.entry->text.empty() &&
                std::tolower(static_cast<unsigned char>(r.entry->text[0])) == letter) {
                setHover(depth, i);
                break;
            }
        }
    }
    return false;
}
