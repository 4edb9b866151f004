#include "gui/controls/AM_View_WireOut.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_ControlMenu.h"
#include "gui/controls/AM_View_WireIn.h"
#include "gui/controls/AM_WireShared.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/views/AM_ViewMan.h"

#include <cstdio>

namespace {

constexpr const char* kTypeName = "Wire Out";
constexpr char kColourNames[][kGuiNameBytes] = {"Ring", "Inner", "Wire"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"WirePlug"};

} // namespace

AM_View_WireOut::AM_View_WireOut(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Wire Out %u", unsigned(getId()));
    setName(name);
    initControl(0, 0, nullptr, 0, nullptr, 3, kColourNames, 1, kGraphicNames, false);
    style_ = AM_WireShared::style();
}

AM_ViewControl* AM_View_WireOut::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* socket = new AM_View_WireOut(viewMan, bounds);
    socket->setFactory(&AM_View_WireOut::create);
    return socket;
}

const char* AM_View_WireOut::getTypeName() const
{
    return kTypeName;
}

void AM_View_WireOut::draw(AM_Context* context)
{
    AM_WireShared::drawSocket(this, context);
}

void AM_View_WireOut::drawTopLayer(AM_Context* context, const AM_Rect* clip)
{
    if (context == nullptr || clip == nullptr) {
        return;
    }
    AM_Colour* colour = getWireColour();
    context->setColourFromObject(colour);
    if (draggingAll_ || pointCount_ == 0) {
        context->drawLine(start_, end_, kMoveAllLineWidth);
        return;
    }
    drawWire(clip, context, points_, pointCount_, colour, style_);
}

void AM_View_WireOut::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_ControlMenu items;
    AM_addMenuSeparator(&items);
    AM_buildClassEditMenu(this, point, open, extra, items);
}

bool AM_View_WireOut::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                        const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_WireOut::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
    if (message == kWireMsgStyle && arg < uint32_t(kWireStyleCount)) {
        style_ = static_cast<int32_t>(arg);
    }
}

bool AM_View_WireOut::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    AM_WireShared::centreOf(this, start_);
    end_[0] = point[0];
    end_[1] = point[1];
    if ((buttons & 2) != 0) {
        int32_t counter = 0;
        sendMessage(0, kWireMsgCount, 0, &counter);
        AM_STD::printv("numWires: %d\n", int(counter));
        draggingAll_ = true;
    } else {
        draggingAll_ = false;
        if (AM_Colour* colour = AM_WireShared::nextCordColour(viewMan_)) {
            setWireColour(colour);
        }
        invalidateWire(true);
        redraw();
    }
    if (viewMan_ != nullptr) {
        viewMan_->setTopLayerControl(this, true);
    }
    return true;
}

void AM_View_WireOut::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr) {
        return;
    }
    if (draggingAll_) {
        AM_WireShared::invalidateLine(viewMan_, start_, end_);
        end_[0] = point[0];
        end_[1] = point[1];
        AM_WireShared::invalidateLine(viewMan_, start_, end_);
        return;
    }
    invalidateWire(false);
    end_[0] = point[0];
    end_[1] = point[1];
    invalidateWire(true);
}

void AM_View_WireOut::onMouseUp(const float* point, uint32_t buttons)
{
    (void)buttons;
    AM_ViewControl* target = AM_WireShared::socketAt(viewMan_, point);
    if (draggingAll_) {
        AM_WireShared::invalidateLine(viewMan_, start_, end_);
        auto* other = dynamic_cast<AM_View_WireOut*>(target);
        sendMessage(0, kWireMsgSourceMoved, 0,
                    other != nullptr ? const_cast<char*>(other->getName()) : nullptr);
    } else {
        invalidateWire(true);
        if (auto* in = dynamic_cast<AM_View_WireIn*>(target)) {
            in->setWireColour(getWireColour());
            in->setProperty(AM_View_WireIn::kWireUpProperty, 0, getName());
        }
    }
    draggingAll_ = false;
    if (viewMan_ != nullptr) {
        viewMan_->setTopLayerControl(this, false);
    }
}

void AM_View_WireOut::setWireColour(AM_Colour* colour)
{
    AM_WireShared::setCordColour(this, kWireColourSlot, colour);
}

AM_Colour* AM_View_WireOut::getWireColour() const
{
    return getColour(kWireColourSlot);
}

void AM_View_WireOut::invalidateWire(bool recompute)
{
    if (recompute) {
        pointCount_ = wireCurve(points_, start_, end_, nullptr);
    }
    AM_WireShared::invalidatePoints(viewMan_, points_, pointCount_);
}
