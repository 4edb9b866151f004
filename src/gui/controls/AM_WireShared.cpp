#include "gui/controls/AM_WireShared.h"

#include "gui/controls/AM_View_WireIn.h"
#include "gui/controls/AM_View_WireOut.h"
#include "gui/controls/AM_WireCord.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ViewMan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

int32_t g_style = kWireThickSolid;
int32_t g_colourCounter = 0;
int32_t g_seed = AM_WireShared::kDefaultSeed;

// The plain jack: a dark plate, a light ring and the hole.
constexpr uint32_t kPlateColour = 0x1B1D21FFu;
constexpr uint32_t kRingColour = 0x9AA1ABFFu;
constexpr uint32_t kRingShadeColour = 0x5C626BFFu;
constexpr uint32_t kHoleColour = 0x050506FFu;
constexpr float kFullTurn = 360.0f;

AM_Colour* cordColour(AM_ViewMan* viewMan, int32_t number)
{
    if (viewMan == nullptr) {
        return nullptr;
    }
    char name[16];
    std::snprintf(name, sizeof name, "WireC%d", int(number));
    return viewMan->getColour(name);
}

void disc(AM_Context* context, const float centre[2], float radius, uint32_t colour)
{
    if (radius <= 0.0f) {
        return;
    }
    context->setColourPacked(colour);
    context->fillRingSegment(centre, 0.0f, radius, 0.0f, kFullTurn);
}

} // namespace

bool AM_WireShared::dragInProgress = false;
bool AM_WireShared::cloning = false;
bool AM_WireShared::newCord = false;

int32_t AM_WireShared::style()
{
    return g_style;
}

void AM_WireShared::setStyle(int32_t style)
{
    if (style >= 0 && style < kWireStyleCount) {
        g_style = style;
    }
}

AM_Colour* AM_WireShared::nextCordColour(AM_ViewMan* viewMan)
{
    g_colourCounter = (g_colourCounter + 1) % kCordColours;
    return cordColour(viewMan, g_colourCounter + 1);
}

AM_Colour* AM_WireShared::initialCordColour(AM_ViewMan* viewMan)
{
    g_seed = (g_seed >> 4) + 1;
    const int32_t step = ((g_seed % kCordColours) + kCordColours) % kCordColours;
    return cordColour(viewMan, step + 1);
}

void AM_WireShared::seedColours(int32_t seed)
{
    g_seed = seed;
}

void AM_WireShared::reset()
{
    g_style = kWireThickSolid;
    g_colourCounter = 0;
    g_seed = kDefaultSeed;
    dragInProgress = false;
    cloning = false;
    newCord = false;
}

void AM_WireShared::drawSocket(const AM_ViewControl* socket, AM_Context* context)
{
    if (socket == nullptr || context == nullptr) {
        return;
    }
    const AM_Rect b = socket->getBounds();
    AM_Graphic* graphic = socket->getGraphic(0);
    AM_Colour* ring = socket->getColour(0);
    AM_Colour* inner = socket->getColour(1);
    if (graphic != nullptr) {
        graphic->draw(context, &b, 1.0f);
    }
    if (ring != nullptr) {
        context->setColourFromObject(ring);
        context->fillRect(&b);
    }
    if (inner != nullptr) {
        context->setColourFromObject(inner);
        const AM_Rect frame{b.x + 0.5f, b.y + 0.5f, b.w - 1.0f, b.h - 1.0f};
        context->frameRect(&frame);
    }
    if (graphic != nullptr || ring != nullptr || inner != nullptr) {
        return;
    }
    float centre[2];
    centreOf(socket, centre);
    const float radius = std::min(b.w, b.h) * 0.5f;
    if (!std::isfinite(radius) || radius < 2.0f) {
        return;
    }
    disc(context, centre, radius - 0.5f, kPlateColour);
    disc(context, centre, radius * 0.72f, kRingShadeColour);
    disc(context, centre, radius * 0.64f, kRingColour);
    disc(context, centre, radius * 0.42f, kHoleColour);
}

void AM_WireShared::setCordColour(AM_ViewControl* socket, int32_t slot, AM_Colour* colour)
{
    if (socket == nullptr || colour == socket->getColour(slot)) {
        return;
    }
    socket->AM_ViewControl::setProperty("colours", slot,
                                        colour != nullptr ? colour->getName() : "none");
    if (socket->getColour(slot) != colour) {
        // A colour the GUI does not list by that name.
        socket->setColour(colour, slot);
    }
}

void AM_WireShared::centreOf(const AM_ViewControl* control, float centre[2])
{
    const AM_Rect b = control != nullptr ? control->getBounds() : AM_Rect{};
    centre[0] = b.x + b.w * 0.5f;
    centre[1] = b.y + b.h * 0.5f;
}

void AM_WireShared::invalidatePoints(AM_ViewMan* viewMan, const float* points, int count)
{
    if (viewMan == nullptr || points == nullptr || count <= 0) {
        return;
    }
    AM_Rect box;
    pointsBounds(&box, points, count);
    const AM_Rect grown{box.x - kWireInvalidateMargin, box.y - kWireInvalidateMargin,
                        box.w + 2.0f * kWireInvalidateMargin, box.h + 2.0f * kWireInvalidateMargin};
    viewMan->invalidateRect(&grown);
}

void AM_WireShared::invalidateLine(AM_ViewMan* viewMan, const float a[2], const float b[2])
{
    const float line[4] = {a[0], a[1], b[0], b[1]};
    invalidatePoints(viewMan, line, 2);
}

AM_ViewControl* AM_WireShared::socketAt(AM_ViewMan* viewMan, const float* point)
{
    AM_ViewControl* top = viewMan != nullptr ? viewMan->getTopControl() : nullptr;
    if (top == nullptr || point == nullptr) {
        return nullptr;
    }
    for (AM_ViewControl* c = top->getControlInPoint(point, 0); c != nullptr;
         c = c->getParentControl()) {
        if (dynamic_cast<AM_View_WireIn*>(c) != nullptr ||
            dynamic_cast<AM_View_WireOut*>(c) != nullptr) {
            return c;
        }
    }
    return nullptr;
}
