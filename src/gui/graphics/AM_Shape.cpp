#include "gui/graphics/AM_Shape.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_LinkColours.h"
#include "gui/graphics/AM_RoundRectPath.h"
#include "gui/graphics/AM_ScriptLines.h"
#include "gui/graphics/AM_ShapeGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kShapeChangedMessage = 33;
constexpr uint32_t kColourChangedMessage = 35;
constexpr uint32_t kControlClassMask = 4096;
constexpr int kCircLinks = 9;
constexpr int kPointerLink = 3;
constexpr int kFillLinks = 0;
constexpr int kOutlineLinks = 3;
constexpr float kPointerWidth = 1;
constexpr int kInfoLine = 1;
// Bytes of an info line's text.
constexpr size_t kInfoTextBytes = 39;

AM_Colour* findColour(AM_GuiServices* services, const char* name)
{
    return services != nullptr && name != nullptr ? services->getColour(name) : nullptr;
}

AM_Rect insetBy(const AM_Rect& r, float inset)
{
    return {r.x + inset, r.y + inset, r.w - 2 * inset, r.h - 2 * inset};
}

} // namespace

AM_Shape::AM_Shape(AM_GuiServices* services, uint32_t key, AM_ShapeKind kind,
                   const char* nameFormat)
    : AM_Graphic(services, key), values_(kind)
{
    mask_ |= kShapeBit;
    kind_ = kShape;
    char name[kGuiNameBytes];
    AM_STD::sprintvn(name, sizeof name, nameFormat, int32_t(getId()));
    setName(name);
}

AM_Shape* AM_Shape::create(AM_GuiServices* services, const char* typeName, uint32_t key)
{
    if (typeName == nullptr)
        return nullptr;
    if (std::strcmp(typeName, "circ") == 0)
        return new AM_ShapeCirc(services, key);
    if (std::strcmp(typeName, "box") == 0)
        return new AM_ShapeBox(services, key);
    if (std::strcmp(typeName, "rounded rect") == 0)
        return new AM_RoundRect(services, key);
    return nullptr;
}

void AM_Shape::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* data)
{
    if (message == kColourChangedMessage && data != nullptr)
        for (int i = 0; i < getLinkCount(); ++i)
            if (links_[i] == data) {
                announceChange();
                break;
            }
    AM_Graphic::receiveMessage(sender, message, arg, data);
}

void AM_Shape::announceChange()
{
    sendMessage(kControlClassMask, kShapeChangedMessage, 0, this);
}

void AM_Shape::setColourLink(int index, AM_Colour* colour)
{
    if (index < 0 || index >= getLinkCount())
        return;
    links_[index] = colour;
    announceChange();
}

AM_Colour* AM_Shape::getColourLink(int index) const
{
    return index >= 0 && index < getLinkCount() ? links_[index] : nullptr;
}

void AM_Shape::writeScript(std::string* script)
{
    if (script == nullptr)
        return;
    AM_Graphic::writeScript(script);
    std::string& text = *script;
    for (int i = 0; i < getLinkCount(); ++i)
        if (links_[i] != nullptr)
            AM_appendScriptLine(text, "\nGR_PROPERTY graphic='%s' name='colour' id='%d' value='%s'",
                                getName(), int32_t(i), links_[i]->getName());
    values_.writeLines(text, getName());
}

void AM_Shape::setProperty(const char* name, int id, const char* value)
{
    if (name == nullptr)
        return;
    if (std::strcmp(name, "colour") == 0) {
        if (id < 0 || id >= getLinkCount()) {
            AM_STD::printv("GR_PROPERTY '%s' of '%s': id %d out of range, ignored", name, getName(),
                           int32_t(id));
            return;
        }
        links_[id] = findColour(services_, value);
        if (links_[id] == nullptr)
            AM_STD::printv("GR_PROPERTY 'colour' of '%s': no colour named '%s'", getName(),
                           value != nullptr ? value : "");
        return;
    }
    if (values_.setProperty(name, id, value) == AM_ShapeValues::Take::refused)
        AM_STD::printv("GR_PROPERTY '%s' of '%s': id %d out of range, ignored", name, getName(),
                       int32_t(id));
}

void AM_Shape::editParameters(int index, float amount)
{
    char text[kInfoTextBytes];
    if (!values_.edit(index, amount, text, sizeof text))
        return;
    if (services_ != nullptr)
        services_->showInfoLine(kInfoLine, this, values_.editTag(), text, false);
    announceChange();
}

void AM_Shape::setColourAt(AM_Context* context, int firstLink, float value) const
{
    const float* rgba[3];
    float storage[3][4];
    for (int i = 0; i < 3; ++i) {
        const AM_Colour* link = links_[firstLink + i];
        rgba[i] = nullptr;
        if (link != nullptr) {
            storage[i][0] = link->r;
            storage[i][1] = link->g;
            storage[i][2] = link->b;
            storage[i][3] = link->a;
            rgba[i] = storage[i];
        }
    }
    float colour[4];
    AM_interpolateLinkColours(rgba, value, colour);
    context->setColourFromArray(colour);
}

AM_ShapeCirc::AM_ShapeCirc(AM_GuiServices* services, uint32_t key)
    : AM_Shape(services, key, AM_ShapeKind::circ, "Circ #%d")
{
    for (int i = 0; i < kCircLinks; ++i) {
        char name[kGuiNameBytes];
        AM_STD::sprintvn(name, sizeof name, "defaultCirc%d", int32_t(i + 1));
        links_[i] = findColour(services_, name);
    }
}

void AM_ShapeCirc::draw(AM_Context* context, const AM_Rect* rect, float value)
{
    if (context == nullptr || rect == nullptr)
        return;
    const AM_RingGeometry ring =
        AM_ringGeometry(values_, centre_, rect->x, rect->y, rect->w, rect->h, value);
    setColourAt(context, kFillLinks, value);
    context->fillRingSegment(ring.centre, ring.inner, ring.outer, ring.from, ring.to);
    if (links_[kPointerLink] != nullptr) {
        context->setColourFromObject(links_[kPointerLink]);
        context->drawLine(ring.pointerStart, ring.pointerEnd, kPointerWidth);
    }
}

AM_ShapeBox::AM_ShapeBox(AM_GuiServices* services, uint32_t key)
    : AM_Shape(services, key, AM_ShapeKind::box, "Box #%d")
{
}

void AM_ShapeBox::draw(AM_Context* context, const AM_Rect* rect, float value)
{
    if (context == nullptr || rect == nullptr)
        return;
    const AM_BoxGeometry g = AM_boxGeometry(values_, rect->x, rect->y, rect->w, rect->h, value);
    const AM_Rect box{g.x, g.y, g.w, g.h};
    setColourAt(context, kFillLinks, value);
    context->fillRect(&box);
    const int pair = kOutlineLinks + (value < 0.5f ? 0 : 1);
    if (links_[pair] != nullptr || links_[pair + 1] != nullptr)
        setColourAt(context, kOutlineLinks, value);
    const AM_Rect outline{box.x + 0.5f, box.y + 0.5f, box.w - 1, box.h - 1};
    context->frameRect(&outline);
}

AM_RoundRect::AM_RoundRect(AM_GuiServices* services, uint32_t key)
    : AM_Shape(services, key, AM_ShapeKind::roundRect, "Rounded Rect #%d")
{
}

void AM_RoundRect::draw(AM_Context* context, const AM_Rect* rect, float)
{
    if (context == nullptr || rect == nullptr)
        return;
    const AM_RoundRectGeometry g = AM_roundRectGeometry(values_, rect->w, rect->h);
    const AM_Rect inner = insetBy(*rect, g.border);
    const AM_Rect middle = insetBy(*rect, g.border * 0.5f);
    if (std::trunc(g.radius) != 0) {
        float points[2 * kRoundRectMaxPoints];
        if (links_[0] != nullptr) {
            const int count = AM_buildRoundRectPath(points, inner.x, inner.y, inner.w, inner.h,
                                                    std::max(g.radius - g.border, 0.0f));
            context->setColourFromObject(links_[0]);
            context->fillPolygon(points, count);
        }
        if (links_[1] != nullptr) {
            const int count =
                AM_buildRoundRectPath(points, middle.x, middle.y, middle.w, middle.h, g.radius);
            context->setColourFromObject(links_[1]);
            context->drawPolyline(points, count, g.border, true);
        }
        return;
    }
    if (links_[0] != nullptr) {
        context->setColourFromObject(links_[0]);
        context->fillRect(&inner);
    }
    if (links_[1] != nullptr) {
        context->setColourFromObject(links_[1]);
        context->frameRect(&middle);
    }
}
