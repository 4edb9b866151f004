#include "platform/HeadlessPopupHost.h"

#include <cstring>

namespace platform {

HeadlessPopupHost::HeadlessPopupHost(PixelRect screen, int windowOriginX, int windowOriginY)
    : screen_(screen), originX_(windowOriginX), originY_(windowOriginY)
{
}

void HeadlessPopupHost::windowToScreen(int x, int y, int& screenX, int& screenY) const
{
    screenX = x + originX_;
    screenY = y + originY_;
}

int HeadlessPopupHost::openPanel(const PixelRect& screenRect)
{
    if (screenRect.w <= 0 || screenRect.h <= 0) {
        return 0;
    }
    Panel panel;
    panel.id = static_cast<int>(panels_.size()) + 1;
    panel.rect = screenRect;
    panel.open = true;
    panels_.push_back(panel);
    return panel.id;
}

void HeadlessPopupHost::presentPanel(int panel, const FrameView& picture)
{
    if (panel <= 0 || panel > static_cast<int>(panels_.size()) || picture.pixels == nullptr) {
        return;
    }
    Panel& p = panels_[static_cast<size_t>(panel - 1)];
    p.width = picture.width;
    p.height = picture.height;
    p.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(p.pixels.data() +
                        static_cast<size_t>(y) * static_cast<size_t>(picture.width) * 4,
                    picture.pixels + static_cast<size_t>(y) * static_cast<size_t>(picture.stride),
                    static_cast<size_t>(picture.width) * 4);
    }
    ++p.presents;
}

void HeadlessPopupHost::closePanel(int panel)
{
    if (panel > 0 && panel <= static_cast<int>(panels_.size())) {
        panels_[static_cast<size_t>(panel - 1)].open = false;
    }
}

bool HeadlessPopupHost::grabInput()
{
    if (refuseGrab_) {
        return false;
    }
    grabbed_ = true;
    ++grabs_;
    return true;
}

bool HeadlessPopupHost::pollEvent(PopupEvent& event)
{
    if (hook_) {
        hook_(*this);
    }
    if (events_.empty()) {
        if (!endWhenEmpty_) {
            return false;
        }
        event = PopupEvent{};
        event.kind = PopupEvent::Kind::Ended;
    } else {
        event = events_.front();
        events_.pop_front();
    }
    ++handedOut_;
    return true;
}

void HeadlessPopupHost::postMove(int x, int y)
{
    PopupEvent e;
    e.kind = PopupEvent::Kind::PointerMove;
    e.x = x;
    e.y = y;
    post(e);
}

void HeadlessPopupHost::postClick(int x, int y)
{
    PopupEvent e;
    e.x = x;
    e.y = y;
    e.button = PointerButton::Primary;
    e.kind = PopupEvent::Kind::ButtonDown;
    post(e);
    e.kind = PopupEvent::Kind::ButtonUp;
    post(e);
}

void HeadlessPopupHost::postKey(int virtualKey, uint32_t character)
{
    PopupEvent e;
    e.kind = PopupEvent::Kind::KeyDown;
    e.virtualKey = virtualKey;
    e.character = character;
    post(e);
}

void HeadlessPopupHost::postWheel(int x, int y, int steps)
{
    PopupEvent e;
    e.kind = PopupEvent::Kind::Wheel;
    e.x = x;
    e.y = y;
    e.wheel = steps;
    post(e);
}

std::vector<const HeadlessPopupHost::Panel*> HeadlessPopupHost::openPanels() const
{
    std::vector<const Panel*> open;
    for (const Panel& p : panels_) {
        if (p.open) {
            open.push_back(&p);
        }
    }
    return open;
}

} // namespace platform
