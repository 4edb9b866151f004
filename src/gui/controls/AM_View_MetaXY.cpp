#include "gui/controls/AM_View_MetaXY.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_ControlMenu.h"
#include "gui/controls/AM_ControlValues.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "MetaXY";

constexpr uint32_t kAxisTypes[] = {k_kindFloat, k_kindXYAxis};
const AM_PortDescriptor kPorts[] = {
    {0, "MetaX Value1", 2, kAxisTypes}, {1, "MetaX Value2", 2, kAxisTypes},
    {2, "MetaX Value3", 2, kAxisTypes}, {3, "MetaX Value4", 2, kAxisTypes},
    {4, "MetaY Value1", 2, kAxisTypes}, {5, "MetaY Value2", 2, kAxisTypes},
    {6, "MetaY Value3", 2, kAxisTypes}, {7, "MetaY Value4", 2, kAxisTypes},
};
constexpr int32_t kPortCount = 8;

constexpr char kGraphicNames[][kGuiNameBytes] = {"MetaXYBackground", "MetaXYForeGround"};

constexpr uint32_t kShift = 1;
constexpr float kFineStep = 0.01f;

// The drawn pad, when it has no background graphic.
constexpr uint32_t kEdgeColour = 0x121418FF;
constexpr uint32_t kBodyColour = 0x30343BFF;
constexpr uint32_t kArrowColour = 0xE9A23BFF;

int32_t g_assignMode = AM_View_MetaXY::kAssignNone;

// A value held to a range that may be given either way round.

} // namespace

AM_View_MetaXY::AM_View_MetaXY(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "MetaXY %u", unsigned(getId()));
    setName(name);
    initControl(0, kPortCount, kPorts, 0, nullptr, 0, nullptr, 2, kGraphicNames, false);
}

AM_View_MetaXY::~AM_View_MetaXY() = default;

AM_ViewControl* AM_View_MetaXY::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* pad = new AM_View_MetaXY(viewMan, bounds);
    pad->setFactory(&AM_View_MetaXY::create);
    return pad;
}

const char* AM_View_MetaXY::getTypeName() const
{
    return kTypeName;
}

int32_t AM_View_MetaXY::getAssignMode()
{
    return g_assignMode;
}

void AM_View_MetaXY::resetProcessState()
{
    g_assignMode = kAssignNone;
}

float AM_View_MetaXY::sensitivityForRange(float r)
{
    if (r > 190) {
        return 4.0f;
    }
    if (r > 130) {
        return 2.0f;
    }
    if (r < 8) {
        return 0.04f;
    }
    if (r < 16) {
        return 0.2f;
    }
    if (r < 75) {
        return 0.4f;
    }
    return 1.0f;
}

bool AM_View_MetaXY::portBound(int32_t i) const
{
    const AM_PortRecord* port = const_cast<AM_View_MetaXY*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

float& AM_View_MetaXY::minimumOf(int32_t i)
{
    return i < kFirstYPort ? xMinimum_[i] : yMinimum_[i - kFirstYPort];
}

float& AM_View_MetaXY::maximumOf(int32_t i)
{
    return i < kFirstYPort ? xMaximum_[i] : yMaximum_[i - kFirstYPort];
}

float& AM_View_MetaXY::startOf(int32_t i)
{
    return i < kFirstYPort ? xStart_[i] : yStart_[i - kFirstYPort];
}

void AM_View_MetaXY::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (parameter != nullptr && i >= 0 && i < kPortCount) {
        startOf(i) = 0.0f;
        minimumOf(i) = parameter->min;
        maximumOf(i) = parameter->max;
        const float sensitivity = sensitivityForRange(parameter->max - parameter->min);
        (i < kFirstYPort ? xSensitivity_ : ySensitivity_) = sensitivity;
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

bool AM_View_MetaXY::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    pressPoint_[0] = lastPoint_[0] = point[0];
    pressPoint_[1] = lastPoint_[1] = point[1];
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    for (int32_t i = 0; i < kPortCount; ++i) {
        const AM_PortRecord* port = getPort(i);
        if (host != nullptr && port != nullptr && port->parameter != nullptr) {
            startOf(i) = AM_readFloat(
                host->getParameterValue(static_cast<int32_t>(port->parameter->index)), startOf(i));
        }
    }
    fine_ = (buttons & kShift) != 0;
    return true;
}

void AM_View_MetaXY::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[0]) || !std::isfinite(point[1])) {
        return;
    }
    lastPoint_[0] = point[0];
    lastPoint_[1] = point[1];
    const float dx = point[0] - pressPoint_[0];
    const float dy = pressPoint_[1] - point[1];
    const float xOffset = fine_ ? dx * kFineStep : dx * xSensitivity_ * 0.5f;
    const float yOffset = fine_ ? dy * kFineStep : dy * ySensitivity_ * 0.5f;
    for (int32_t i = 0; i < kPortCount; ++i) {
        if (!portBound(i)) {
            continue;
        }
        float v = AM_within(startOf(i) + (i < kFirstYPort ? xOffset : yOffset), minimumOf(i),
                            maximumOf(i));
        setValueFromUser(i, &v);
    }
}

void AM_View_MetaXY::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
}

AM_ControlMenu AM_View_MetaXY::buildEditItems()
{
    AM_ControlMenu menu;
    AM_addMenuSeparator(&menu);
    menu.push_back({"Selection 2 X", AM_controlCommand(kSelectionToX), false, false});
    menu.push_back({"Selection 2 Y", AM_controlCommand(kSelectionToY), false, false});
    return menu;
}

void AM_View_MetaXY::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_buildClassEditMenu(this, point, open, extra, buildEditItems());
}

void AM_View_MetaXY::assignFromSelection(AssignMode mode)
{
    if (mode != kAssignX && mode != kAssignY) {
        return;
    }
    const int32_t first = mode == kAssignX ? 0 : kFirstYPort;
    AM_STD::printv(mode == kAssignX ? "assign X from selection\n" : "assign Y from selection\n");
    for (int32_t i = first; i < first + kAxisPorts; ++i) {
        setPortParameter(i, nullptr);
    }
    g_assignMode = mode;
    sendMessage(kGuiControlBit, kCtlMsgAskSelected, kMsgSelectionAnswer, this);
    g_assignMode = kAssignNone;
}

void AM_View_MetaXY::takeAnswer(AM_Object* sender)
{
    auto* control = dynamic_cast<AM_ViewControl*>(sender);
    if (control == nullptr || control == this) {
        return;
    }
    const AM_PortRecord* answer = control->getPort(0);
    if (answer == nullptr || answer->parameter == nullptr) {
        return;
    }
    const int32_t first = g_assignMode == kAssignX ? 0 : kFirstYPort;
    for (int32_t i = first; i < first + kAxisPorts; ++i) {
        if (!portBound(i)) {
            setPortParameter(i, answer->parameter);
            return;
        }
    }
    AM_STD::printv("%s: no free port left for %s\n", getName(), control->getName());
}

void AM_View_MetaXY::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    if (message == kMsgSelectionAnswer && g_assignMode != kAssignNone && ptr == this) {
        takeAnswer(sender);
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

bool AM_View_MetaXY::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                       const AM_MenuItem* item)
{
    if (valid && item != nullptr && AM_menuCode(item->command) == kControlMenuCode) {
        const uint32_t sub = AM_menuSubIndex(item->command);
        if (menuId == kControlEditMenu && (sub == kSelectionToX || sub == kSelectionToY)) {
            assignFromSelection(sub == kSelectionToX ? kAssignX : kAssignY);
            return true;
        }
        if (menuId == kControlRunMenu && (sub == kMidiLearn || sub == kMidiUnlearn)) {
            if (portBound(0)) {
                midiLearn(0);
                if (sub == kMidiUnlearn) {
                    midiLearn(0);
                }
            }
            return true;
        }
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_MetaXY::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    if (AM_Graphic* background = getGraphic(0)) {
        background->draw(context, &bounds_, 1.0f);
        return;
    }
    drawGenerated(context);
}

void AM_View_MetaXY::drawGenerated(AM_Context* context)
{
    const AM_Rect& b = bounds_;
    const float side = std::min(b.w, b.h);
    if (side < 8.0f) {
        return;
    }
    context->setColourPacked(kEdgeColour);
    context->fillRect(&b);
    const AM_Rect body{b.x + 1, b.y + 1, b.w - 2, b.h - 2};
    context->setColourPacked(kBodyColour);
    context->fillRect(&body);
    // Four arrow heads around the centre: the pad drags both ways on both
    // axes.
    const float cx = b.x + b.w / 2;
    const float cy = b.y + b.h / 2;
    const float reach = side * 0.36f;
    const float head = side * 0.14f;
    context->setColourPacked(kArrowColour);
    const float across0[2] = {cx - reach + head, cy};
    const float across1[2] = {cx + reach - head, cy};
    const float down0[2] = {cx, cy - reach + head};
    const float down1[2] = {cx, cy + reach - head};
    const float width = std::max(1.0f, side * 0.06f);
    context->drawLine(across0, across1, width);
    context->drawLine(down0, down1, width);
    const float arrows[4][6] = {
        {cx - reach, cy, cx - reach + head, cy - head, cx - reach + head, cy + head},
        {cx + reach, cy, cx + reach - head, cy - head, cx + reach - head, cy + head},
        {cx, cy - reach, cx - head, cy - reach + head, cx + head, cy - reach + head},
        {cx, cy + reach, cx - head, cy + reach - head, cx + head, cy + reach - head},
    };
    for (const auto& arrow : arrows) {
        context->fillPolygon(arrow, 3);
    }
}
