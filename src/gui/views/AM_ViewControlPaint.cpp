// Painting, the edit frame and hit tests of controls.

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Context.h"
#include "gui/views/AM_ViewControl.h"

namespace {

// Packed 0xRRGGBBAA colours of the edit frame.
constexpr uint32_t kEditFill = 0x00000020;
constexpr uint32_t kFrameSelected = 0xFF0000FF;
constexpr uint32_t kFrameInsideSelected = 0x0000FFA0;
constexpr uint32_t kFrameSelectedInside = 0xFF0000A0;
constexpr uint32_t kFramePlain = 0x0000FF60;
constexpr float kHandleSide = 5.0f;
constexpr uint32_t kStateNoHandlesToo = 0x40000;
constexpr float kHandleCentreOffset = 2.0f;

// Whether two rectangles meet, edges included.
bool meets(const AM_Rect& a, const AM_Rect& b)
{
    return a.x <= b.x + b.w && b.x <= a.x + a.w && a.y <= b.y + b.h && b.y <= a.y + a.h;
}

bool contains(const AM_Rect& r, const float* point)
{
    return point[0] >= r.x && point[0] <= r.x + r.w && point[1] >= r.y && point[1] <= r.y + r.h;
}

} // namespace

void AM_ViewControl::drawOverlay(AM_Context* context)
{
    (void)context;
}

void AM_ViewControl::drawTopLayer(AM_Context* context, const AM_Rect* clip)
{
    (void)context;
    (void)clip;
}

void AM_ViewControl::paintTree(AM_Context* context, const AM_Rect* clip)
{
    if (context == nullptr || clip == nullptr) {
        return;
    }
    for (AM_ViewControl* c = this; c != nullptr; c = c->getNextControl()) {
        if (!c->isVisible()) {
            continue;
        }
        auto* control = dynamic_cast<AM_ViewControl*>(c);
        auto* child = dynamic_cast<AM_ViewControl*>(c->getFirstChildControl());
        if (meets(c->getBounds(), *clip)) {
            c->draw(context);
            if (control != nullptr) {
                control->drawEditFrame(context);
            }
            if (child != nullptr) {
                // In run mode a container shows its children only inside
                // its own bounds.
                const bool clipChildren = c->isContainer() && (c->getState() & kStateEditMode) == 0;
                if (clipChildren) {
                    const AM_Rect bounds = c->getBounds();
                    context->pushClip();
                    context->intersectClip(&bounds);
                }
                child->paintTree(context, clip);
                if (clipChildren) {
                    context->popClip();
                }
            }
            if (control != nullptr) {
                control->drawOverlay(context);
            }
        } else if (child != nullptr &&
                   ((c->getState() & kStateEditMode) != 0 || !c->isContainer())) {
            child->paintTree(context, clip);
        }
    }
}

void AM_ViewControl::drawEditFrame(AM_Context* context)
{
    if (context == nullptr || (state_ & kStateEditMode) == 0) {
        return;
    }
    const AM_Rect& b = bounds_;
    const AM_Rect inner{b.x + 0.5f, b.y + 0.5f, b.w - 1.0f, b.h - 1.0f};
    context->setColourPacked(kEditFill);
    context->fillRect(&inner);

    const bool selected = (state_ & kStateSelected) != 0;
    const bool inside = (state_ & kStateInsideSelected) != 0;
    const uint32_t frame = selected && inside ? kFrameSelectedInside
                           : selected         ? kFrameSelected
                           : inside           ? kFrameInsideSelected
                                              : kFramePlain;
    context->setColourPacked(frame);
    context->frameRect(&inner);

    // Locked controls, controls without resize handles and the state bit
    // between them get no handles.
    constexpr uint32_t kNoHandles =
        uint32_t(kStateLocked) | kStateNoHandlesToo | uint32_t(kStateNoResizeHandles);
    if (!selected || inside || (state_ & kNoHandles) != 0) {
        return;
    }
    const float left = b.x;
    const float right = b.x + b.w - kHandleSide;
    const float top = b.y;
    const float bottom = b.y + b.h - kHandleSide;
    const float middleX = b.x + b.w / 2.0f - kHandleCentreOffset;
    const float middleY = b.y + b.h / 2.0f - kHandleCentreOffset;
    const float corners[8][2] = {{left, top},      {middleX, top},  {right, top},
                                 {right, middleY}, {right, bottom}, {middleX, bottom},
                                 {left, bottom},   {left, middleY}};
    for (const auto& corner : corners) {
        const AM_Rect handle{corner[0], corner[1], kHandleSide, kHandleSide};
        context->fillRect(&handle);
    }
}

AM_ViewControl* AM_ViewControl::getControlInPoint(const float* point, uint32_t flags)
{
    if (point == nullptr) {
        return nullptr;
    }
    if (flags != 0) {
        AM_STD::printv("getControlInPoint RELATIVE");
    }
    // The siblings one after the other, so that a long list does not
    // deepen the stack.
    AM_ViewControl* last = this;
    for (AM_ViewControl* c = this; c != nullptr; c = c->getNextControl()) {
        if (c->claimsPoint(point)) {
            return c;
        }
        last = c;
    }
    // The last painted control answers first.
    for (AM_ViewControl* c = last; c != nullptr;
         c = c == this ? nullptr : dynamic_cast<AM_ViewControl*>(c->getPrevious())) {
        if (AM_ViewControl* found = c->getControlInSubtree(point, flags)) {
            return found;
        }
    }
    return nullptr;
}

bool AM_ViewControl::claimsPoint(const float* point) const
{
    (void)point;
    return false;
}

AM_ViewControl* AM_ViewControl::getControlInSubtree(const float* point, uint32_t flags)
{
    if (!isVisible()) {
        return nullptr;
    }
    auto* child = dynamic_cast<AM_ViewControl*>(getFirstChild());
    if ((state_ & kStateEditMode) != 0) {
        if (child != nullptr) {
            if (AM_ViewControl* found = child->getControlInPoint(point, flags)) {
                return found;
            }
        }
        return contains(bounds_, point) ? this : nullptr;
    }
    if (!contains(bounds_, point)) {
        return nullptr;
    }
    if (child != nullptr) {
        if (AM_ViewControl* found = child->getControlInPoint(point, flags)) {
            return found;
        }
    }
    return this;
}

AM_ViewControl* AM_ViewControl::getControlInRect(const AM_Rect* rect, uint32_t flags)
{
    if (rect == nullptr) {
        return nullptr;
    }
    if (flags != 0) {
        AM_STD::printv("getControlInRect RELATIVE");
    }
    for (AM_ViewControl* c = this; c != nullptr; c = c->getNextControl()) {
        auto* control = dynamic_cast<AM_ViewControl*>(c);
        if (control == nullptr || !control->isVisible()) {
            continue;
        }
        AM_Rect area = control->bounds_;
        if ((control->state_ & kStateEditMode) != 0) {
            control->getUnionBounds(&area, false);
        }
        if (!meets(area, *rect)) {
            continue;
        }
        if (auto* child = dynamic_cast<AM_ViewControl*>(control->getFirstChild())) {
            if (AM_ViewControl* found = child->getControlInRect(rect, 0)) {
                return found;
            }
        }
        return control;
    }
    return nullptr;
}
