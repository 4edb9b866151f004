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
    closeFrom(0);
}

uint32_t AM_MenuSession::run(const platform::PopupMenu& menu, int x, int y)
{
    answer_ = platform::kNoMenuChoice;
    if (menu.entries.empty()) {
        return answer_;
    }
    int sx = 0;
    int sy = 0;
    host_.windowToScreen(x, y, sx, sy);
    startX_ = sx;
    startY_ = sy;
    if (!openPanel(menu.entries, sx, sy, sx, sx)) {
        platform::debugOutput("Menu: the popup panel could not be opened\n");
        return answer_;
    }
    if (!host_.grabInput()) {
        platform::debugOutput("Menu: the pointer is held by another program, menu dismissed\n");
        closeFrom(0);
        return answer_;
    }
    redraw();
    bool done = false;
    while (!done) {
        const PopupEvent event = host_.nextEvent(kWaitMs);
        switch (event.kind) {
        case PopupEvent::Kind::Timeout:
            if (scrollPanel_ >= 0 && static_cast<size_t>(scrollPanel_) < panels_.size()) {
                scrollBy(*panels_[static_cast<size_t>(scrollPanel_)], scrollStep_);
            }
            break;
        case PopupEvent::Kind::PointerMove:
            pointerMoved(event.x, event.y);
            break;
        case PopupEvent::Kind::ButtonDown:
            done = pressed(event);
            break;
        case PopupEvent::Kind::ButtonUp:
            done = released(event);
            break;
        case PopupEvent::Kind::KeyDown:
            done = keyDown(event);
            break;
        case PopupEvent::Kind::Wheel:
            wheel(event);
            break;
        case PopupEvent::Kind::Ended:
            done = true;
            break;
        }
        if (!done) {
            redraw();
        }
    }
    host_.releaseInput();
    closeFrom(0);
    return answer_;
}

bool AM_MenuSession::openPanel(const std::vector<MenuEntry>& entries, int x, int y, int avoidLeft,
                               int avoidRight)
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
    if (py + h > screen.y + screen.h) {
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
