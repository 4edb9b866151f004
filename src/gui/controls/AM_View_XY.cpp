#include "gui/controls/AM_View_XY.h"

#include "gui/controls/AM_ControlValues.h"
#include "gui/controls/AM_XYWizard.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kTypeName = "XY";

constexpr uint32_t kAxisTypes[] = {k_kindFloat, k_kindXYAxis};
const AM_PortDescriptor kPorts[] = {{0, "X Value", 2, kAxisTypes}, {1, "Y Value", 2, kAxisTypes}};

enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kValue = 2 };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Value"};
enum GraphicSlot : int32_t { kPadBackground = 0, kPuck = 1 };
constexpr char kGraphicNames[][kGuiNameBytes] = {"XYBackground", "XYPuck"};

constexpr uint32_t kRightButton = 2;
constexpr float kLineWidth = 0.8f;
// The frame handle drawn in the value colour.
constexpr float kHandleSide = 6.0f;

// The drawn pad, when no slot is set.
constexpr uint32_t kEdgeColour = 0x121418FF;
constexpr uint32_t kBodyColour = 0x22252BFF;
constexpr uint32_t kGridColour = 0x30343BFF;
constexpr uint32_t kAxisColour = 0x454A53FF;
constexpr uint32_t kCrossColour = 0xE9A23B80;
constexpr uint32_t kPuckEdgeColour = 0x16181CFF;
constexpr uint32_t kPuckColour = 0xE9A23BFF;
constexpr uint32_t kPuckCentreColour = 0xF4F4F4FF;
constexpr int kGridDivisions = 4;
constexpr float kPuckRadius = 5.0f;

} // namespace

AM_View_XY::AM_View_XY(AM_ViewMan* viewMan, const AM_Rect* bounds) : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "XY %u", unsigned(getId()));
    setName(name);
    initControl(0, 2, kPorts, 0, nullptr, 3, kColourNames, 2, kGraphicNames, false);
}

AM_View_XY::~AM_View_XY() = default;

AM_ViewControl* AM_View_XY::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* pad = new AM_View_XY(viewMan, bounds);
    pad->setFactory(&AM_View_XY::create);
    return pad;
}

const char* AM_View_XY::getTypeName() const
{
    return kTypeName;
}

int32_t AM_View_XY::padNumberOf(const char* shortName)
{
    if (shortName == nullptr) {
        return -1;
    }
    char text[k_shortNameBytes + 1] = {};
    std::memcpy(text, shortName, strnlen(shortName, k_shortNameBytes));
    if (std::strncmp(text, "X_", 2) != 0) {
        return -1;
    }
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text + 2, &end, 10);
    if (end == text + 2 || errno != 0 || n <= 0 || n > INT32_MAX) {
        return -1;
    }
    return static_cast<int32_t>(n);
}

bool AM_View_XY::portBound(int32_t i) const
{
    const AM_PortRecord* port = const_cast<AM_View_XY*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

void AM_View_XY::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (parameter != nullptr && i == kXPort) {
        xMinimum_ = parameter->min;
        xMaximum_ = parameter->max;
        xDefault_ = parameter->defaultValue;
        const int32_t pad = padNumberOf(parameter->shortName);
        if (pad > 0) {
            padNumber_ = pad;
        }
    } else if (parameter != nullptr && i == kYPort) {
        yMinimum_ = parameter->min;
        yMaximum_ = parameter->max;
        yDefault_ = parameter->defaultValue;
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_XY::setParameterValue(int32_t i, const void* value)
{
    if (i == kXPort) {
        xValue_ = AM_readFloat(value);
    } else if (i == kYPort) {
        yValue_ = AM_readFloat(value);
    }
    AM_ViewControl::setParameterValue(i, value);
}

float AM_View_XY::fractionX() const
{
    return AM_fractionOf(xValue_, xMinimum_, xMaximum_);
}

float AM_View_XY::fractionY() const
{
    return AM_fractionOf(yValue_, yMinimum_, yMaximum_);
}

void AM_View_XY::handleOrigin(float handleWidth, float handleHeight, float* x, float* y) const
{
    if (x != nullptr) {
        *x = bounds_.x + (bounds_.w - handleWidth) * fractionX();
    }
    if (y != nullptr) {
        *y = bounds_.y + (bounds_.h - handleHeight) * (1.0f - fractionY());
    }
}

void AM_View_XY::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    AM_Colour* fill = getColour(kBackground);
    AM_Colour* border = getColour(kBorder);
    AM_Colour* value = getColour(kValue);
    AM_Graphic* background = getGraphic(kPadBackground);
    AM_Graphic* puck = getGraphic(kPuck);
    if (fill == nullptr && border == nullptr && value == nullptr && background == nullptr &&
        puck == nullptr) {
        drawGenerated(context);
        return;
    }
    if (fill != nullptr) {
        context->setColourFromObject(fill);
        context->fillRect(&bounds_);
    }
    if (border != nullptr) {
        context->setColourFromObject(border);
        const float x0 = bounds_.x + 0.5f;
        const float y0 = bounds_.y + 0.5f;
        const float x1 = x0 + bounds_.w - 1;
        const float y1 = y0 + bounds_.h - 1;
        const float frame[] = {x0, y0, x1, y0, x1, y1, x0, y1};
        context->drawPolyline(frame, 4, kLineWidth, true);
    }
    if (background != nullptr) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (puck != nullptr) {
        AM_Rect place{0, 0, puck->getWidth(), puck->getHeight()};
        handleOrigin(place.w, place.h, &place.x, &place.y);
        puck->draw(context, &place, 1.0f);
    } else if (value != nullptr) {
        float x = 0.0f;
        float y = 0.0f;
        handleOrigin(kTravelReduction, kTravelReduction, &x, &y);
        x += 0.5f;
        y += 0.5f;
        const float frame[] = {
            x, y, x + kHandleSide, y, x + kHandleSide, y + kHandleSide, x, y + kHandleSide};
        context->setColourFromObject(value);
        context->drawPolyline(frame, 4, kLineWidth, true);
    }
}

void AM_View_XY::drawGenerated(AM_Context* context)
{
    const AM_Rect& b = bounds_;
    if (b.w < kTravelReduction || b.h < kTravelReduction) {
        return;
    }
    // The puck is wider than the margin: at an edge it is cut by the pad.
    context->pushClip();
    context->intersectClip(&b);
    context->setColourPacked(kEdgeColour);
    context->fillRect(&b);
    const AM_Rect body{b.x + 1, b.y + 1, b.w - 2, b.h - 2};
    context->setColourPacked(kBodyColour);
    context->fillRect(&body);
    // A grid over the handle's travel, the centre lines a shade lighter.
    const float left = b.x + kMargin + 0.5f;
    const float top = b.y + kMargin + 0.5f;
    const float travelX = b.w - kTravelReduction;
    const float travelY = b.h - kTravelReduction;
    for (int k = 1; k < kGridDivisions; ++k) {
        const float x = std::round(left + travelX * k / kGridDivisions) + 0.5f;
        const float y = std::round(top + travelY * k / kGridDivisions) + 0.5f;
        context->setColourPacked(2 * k == kGridDivisions ? kAxisColour : kGridColour);
        const float v0[2] = {x, body.y + 1};
        const float v1[2] = {x, body.y + body.h - 1};
        context->drawLine(v0, v1, 1.0f);
        const float h0[2] = {body.x + 1, y};
        const float h1[2] = {body.x + body.w - 1, y};
        context->drawLine(h0, h1, 1.0f);
    }
    float hx = 0.0f;
    float hy = 0.0f;
    handleOrigin(kTravelReduction, kTravelReduction, &hx, &hy);
    const float centre[2] = {hx + kTravelReduction / 2, hy + kTravelReduction / 2};
    context->setColourPacked(kCrossColour);
    const float cv0[2] = {centre[0], body.y + 1};
    const float cv1[2] = {centre[0], body.y + body.h - 1};
    context->drawLine(cv0, cv1, 1.0f);
    const float ch0[2] = {body.x + 1, centre[1]};
    const float ch1[2] = {body.x + body.w - 1, centre[1]};
    context->drawLine(ch0, ch1, 1.0f);
    context->setColourPacked(kPuckEdgeColour);
    context->fillRingSegment(centre, 0, kPuckRadius + 1.0f, 0, 360);
    context->setColourPacked(kPuckColour);
    context->fillRingSegment(centre, 0, kPuckRadius, 0, 360);
    context->setColourPacked(kPuckCentreColour);
    context->fillRingSegment(centre, 0, kPuckRadius * 0.4f, 0, 360);
    context->popClip();
}

void AM_View_XY::userSets(int32_t i, float value)
{
    setValueFromUser(i, &value);
}

void AM_View_XY::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    userSets(kXPort, xDefault_);
    userSets(kYPort, yDefault_);
}

bool AM_View_XY::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    lastPoint_[0] = point[0];
    lastPoint_[1] = point[1];
    if ((buttons & kRightButton) == 0) {
        onMouseDrag(point, buttons);
        return true;
    }
    if (viewMan_ == nullptr) {
        return false;
    }
    return AM_openControlMenu(viewMan_, this, point, kControlRunMenu, buildRunMenu());
}

void AM_View_XY::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[0]) || !std::isfinite(point[1])) {
        return;
    }
    const float travelX = bounds_.w - kTravelReduction;
    const float travelY = bounds_.h - kTravelReduction;
    // A pad too small for the handle's travel pins it to the low end.
    float fx = travelX > 0 ? (point[0] - (bounds_.x + kMargin)) / travelX : 0.0f;
    float fy = travelY > 0 ? 1.0f - (point[1] - (bounds_.y + kMargin)) / travelY : 0.0f;
    fx = std::isfinite(fx) ? std::clamp(fx, 0.0f, 1.0f) : 0.0f;
    fy = std::isfinite(fy) ? std::clamp(fy, 0.0f, 1.0f) : 0.0f;
    const float x = fx * (xMaximum_ - xMinimum_) + xMinimum_;
    const float y = fy * (yMaximum_ - yMinimum_) + yMinimum_;
    if (x != xValue_) {
        userSets(kXPort, x);
    }
    if (y != yValue_) {
        userSets(kYPort, y);
    }
}

void AM_View_XY::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
}

AM_ControlMenu AM_View_XY::buildRunMenu() const
{
    AM_ControlMenu menu;
    menu.push_back({"MidiLearn X Axis", AM_controlCommand(kLearnX), false, false});
    menu.push_back({"MidiLearn Y Axis", AM_controlCommand(kLearnY), false, false});
    addWizardMenuItems(&menu);
    return menu;
}

void AM_View_XY::addWizardMenuItems(AM_ControlMenu* menu)
{
    if (menu == nullptr) {
        return;
    }
    AM_addMenuSeparator(menu);
    menu->push_back({"Filters", AM_controlCommand(kWizardFilters), false, false});
    menu->push_back({"FilterMod", AM_controlCommand(kWizardFilterMod), false, false});
    menu->push_back({"EnvSpeed", AM_controlCommand(kWizardEnvSpeed), false, false});
    menu->push_back({"EnvDyn", AM_controlCommand(kWizardEnvDyn), false, false});
}

void AM_View_XY::runWizard(uint32_t subIndex)
{
    AM_XYWizard::run(viewMan_ != nullptr ? viewMan_->getInterface() : nullptr, padNumber_,
                     subIndex);
}

bool AM_View_XY::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                   const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    if (menuId != kControlRunMenu) {
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
    if (AM_menuCode(item->command) != kControlMenuCode) {
        return true;
    }
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (sub == kLearnX || sub == kLearnY) {
        const int32_t port = sub == kLearnX ? kXPort : kYPort;
        if (portBound(port)) {
            midiLearn(port);
        }
    } else if (sub >= kWizardFilters) {
        runWizard(sub);
    }
    return true;
}
