// The timer tick of the view manager, the dirty rectangles with their
// merging, and the repaint that draws the control tree into the drawing
// context and copies it to the window.

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Context.h"
#include "gui/views/AM_ViewMan.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>

namespace {

// Two rectangles whose union is smaller than their areas plus this many
// square units are merged into one.
constexpr float kMergeSlack = 500.0f;
// A slot with a smaller area is free.
constexpr float kMinimumArea = 1.0f;

float area(const AM_Rect& r)
{
    return r.w * r.h;
}

bool isFree(const AM_Rect& r)
{
    return !(area(r) >= kMinimumArea);
}

AM_Rect unionOf(const AM_Rect& a, const AM_Rect& b)
{
    const float x = std::min(a.x, b.x);
    const float y = std::min(a.y, b.y);
    const float right = std::max(a.x + a.w, b.x + b.w);
    const float bottom = std::max(a.y + a.h, b.y + b.h);
    return AM_Rect{x, y, right - x, bottom - y};
}

// The common part of two rectangles; its width or height is 0 or below
// when they do not overlap.
AM_Rect intersectionOf(const AM_Rect& a, const AM_Rect& b)
{
    const float x = std::max(a.x, b.x);
    const float y = std::max(a.y, b.y);
    const float right = std::min(a.x + a.w, b.x + b.w);
    const float bottom = std::min(a.y + a.h, b.y + b.h);
    return AM_Rect{x, y, right - x, bottom - y};
}

bool overlaps(const AM_Rect& a, const AM_Rect& b)
{
    const AM_Rect common = intersectionOf(a, b);
    return common.w > 0.0f && common.h > 0.0f;
}

bool isFinite(const AM_Rect& r)
{
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.w) && std::isfinite(r.h);
}

} // namespace

AM_Rect AM_ViewMan::getDirtyRect(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= dirtyRects_.size()) {
        return AM_Rect{};
    }
    return dirtyRects_[static_cast<size_t>(index)];
}

void AM_ViewMan::setClipRect(const AM_Rect* rect)
{
    clipRect_ = rect != nullptr ? *rect : AM_Rect{};
}

void AM_ViewMan::setInputBlockRect(const AM_Rect* rect)
{
    inputBlockRect_ = rect != nullptr ? *rect : AM_Rect{};
}

void AM_ViewMan::invalidateRect(const AM_Rect* rect)
{
    if (topControl_ == nullptr || dirtyRects_.empty()) {
        return;
    }
    const AM_Rect top = topControl_->getBounds();
    AM_Rect r = rect != nullptr ? *rect : top;
    if (!isFinite(r)) {
        return;
    }
    // Only what lies on the top control can be drawn.
    r = intersectionOf(r, top);
    if (r.w < 1.0f || r.h < 1.0f) {
        return;
    }
    if (clipRect_.w > 0.0f) {
        if (!overlaps(r, clipRect_)) {
            return;
        }
        r = intersectionOf(r, clipRect_);
        if (r.w <= 0.0f || r.h <= 0.0f) {
            return;
        }
    }
    if (dirty_ == 0) {
        for (AM_Rect& slot : dirtyRects_) {
            slot = AM_Rect{};
        }
        dirtyRects_[0] = r;
        dirty_ = 1;
        return;
    }

    const float rectArea = area(r);
    int32_t best = -1;
    float bestGrowth = 0.0f;
    for (size_t i = 0; i < dirtyRects_.size(); ++i) {
        const AM_Rect slot = dirtyRects_[i];
        if (isFree(slot)) {
            continue;
        }
        const AM_Rect u = unionOf(slot, r);
        const float unionArea = area(u);
        const float slotArea = area(slot);
        if (unionArea == slotArea) {
            return; // already dirty
        }
        if (unionArea == rectArea || unionArea < slotArea + rectArea + kMergeSlack) {
            // Close enough: the union replaces the slot and may merge on.
            dirtyRects_[i] = AM_Rect{};
            invalidateRect(&u);
            return;
        }
        const float growth = unionArea - slotArea;
        if (best < 0 || growth < bestGrowth) {
            best = static_cast<int32_t>(i);
            bestGrowth = growth;
        }
    }

    if (best < 0 || bestGrowth > rectArea) {
        for (AM_Rect& slot : dirtyRects_) {
            if (isFree(slot)) {
                slot = r;
                return;
            }
        }
        // Every slot is taken: the one that grows least takes the rect.
        AM_Rect& grown = dirtyRects_[static_cast<size_t>(best)];
        grown = unionOf(grown, r);
        return;
    }
    AM_Rect& merged = dirtyRects_[static_cast<size_t>(best)];
    const AM_Rect u = unionOf(merged, r);
    merged = AM_Rect{};
    invalidateRect(&u);
}

void AM_ViewMan::paintArea(AM_Context* context, const AM_Rect& area)
{
    context->pushClip();
    context->intersectClip(&area);
    if (topControl_ != nullptr) {
        topControl_->paintTree(context, &area);
    }
    if (topLayerControls_) {
        for (int32_t i = 0; i < kTopLayerSlots && topLayerControls_[i] != nullptr; ++i) {
            topLayerControls_[i]->drawTopLayer(context, &area);
        }
    }
    context->popClip();
    context->blitToWindow(&area);
}

void AM_ViewMan::repaint(const AM_Rect* rect)
{
    AM_Context* context = getContext();
    if (context == nullptr) {
        return;
    }
    // The slots are emptied before drawing, so whatever a control
    // invalidates while it draws is kept for the next repaint.
    AM_Rect areas[kDirtyRectSlots];
    int32_t count = 0;
    if (rect != nullptr) {
        areas[count++] = *rect;
    } else {
        for (AM_Rect& slot : dirtyRects_) {
            if (!isFree(slot) && count < kDirtyRectSlots) {
                areas[count++] = slot;
            }
            slot = AM_Rect{};
        }
        dirty_ = 0;
    }
    if (count == 0) {
        return;
    }
    context->beginDraw();
    const AM_Rect& block = inputBlockRect_;
    for (int32_t i = 0; i < count; ++i) {
        const AM_Rect& a = areas[i];
        if (!isFinite(a) || a.w <= 0.0f || a.h <= 0.0f) {
            continue;
        }
        if (!(block.w > 0.0f && block.h > 0.0f) || !overlaps(a, block)) {
            paintArea(context, a);
            continue;
        }
        // The input-block rectangle is left alone: the parts of the area
        // above, below, left and right of it are drawn.
        const float top = std::max(a.y, block.y);
        const float bottom = std::min(a.y + a.h, block.y + block.h);
        const float left = std::max(a.x, block.x);
        const float right = std::min(a.x + a.w, block.x + block.w);
        AM_Rect parts[4] = {
            {a.x, a.y, a.w, top - a.y},                       // above
            {a.x, bottom, a.w, a.y + a.h - bottom},           // below
            {a.x, top, left - a.x, bottom - top},             // left
            {right, top, a.x + a.w - right, bottom - top},    // right
        };
        if (parts[0].h > a.h) {
            AM_STD::printv("nh > partial.h");
            parts[0].h = a.h;
        }
        if (parts[1].h > a.h) {
            AM_STD::printv("nh > partial.h 2");
            parts[1].h = a.h;
        }
        if (parts[2].w > a.w) {
            AM_STD::printv("nw > partial.w");
            parts[2].w = a.w;
        }
        if (parts[3].w > a.w) {
            AM_STD::printv("nw > partial.h 2");
            parts[3].w = a.w;
        }
        for (const AM_Rect& part : parts) {
            if (part.w > 0.0f && part.h > 0.0f) {
                paintArea(context, part);
            }
        }
    }
}

void AM_ViewMan::repaintAll()
{
    if (topControl_ == nullptr) {
        return;
    }
    const AM_Rect bounds = topControl_->getBounds();
    repaint(&bounds);
}

void AM_ViewMan::runTimerChain()
{
    if (timerChain_ != nullptr) {
        timerChain_->runTimerChain();
    }
}

void AM_ViewMan::onTimer()
{
    if (scriptLoading_ != 0) {
        return;
    }
    inTimerTick_ = 1;
    if (pendingScript_ >= 0) {
        // Cleared first: a load may ask for another one.
        const int32_t index = pendingScript_;
        pendingScript_ = -1;
        loadScript(index);
    }
    if (refreshPending_ != 0 && interface_ != nullptr) {
        const bool flag = refreshFlag_ != 0;
        refreshPending_ = 0;
        refreshFlag_ = 0;
        interface_->updateActiveModules(flag);
    }
    if (wheelControl_ != nullptr) {
        --wheelHoldCount_;
        if (wheelHoldCount_ < 1) {
            AM_ViewControl* control = wheelControl_;
            wheelControl_ = nullptr;
            wheelHoldCount_ = 0;
            control->endWheel();
        }
    }
    // A control that joined the timer since the last tick is found even
    // when the chain was empty.
    if (timerChainDirty_ != 0) {
        updateTimerChain();
        timerChainDirty_ = 0;
    }
    if (timerChain_ != nullptr) {
        runTimerChain();
    } else {
        AM_STD::printv("timechain NULL");
    }
    repaint(nullptr);
    inTimerTick_ = 0;
}
