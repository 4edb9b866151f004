#include "gui/controls/AM_View_MultiKnob.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_ControlMenu.h"
#include "gui/controls/AM_ControlText.h"
#include "gui/controls/AM_DialLook.h"
#include "gui/controls/AM_DragSensitivity.h"
#include "gui/controls/AM_View_Label.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kTypeName = "MultiKnob";

constexpr uint32_t kValueTypes[] = {k_kindFloat, k_kindXYAxis};
constexpr uint32_t kListTypes[] = {k_kindInteger};
const AM_PortDescriptor kPorts[] = {{0, "Value", 2, kValueTypes}, {1, "Menu", 1, kListTypes},
                                    {2, "Aux1", 2, kValueTypes},  {3, "Menu1", 1, kListTypes},
                                    {4, "Aux2", 2, kValueTypes},  {5, "Menu2", 1, kListTypes}};

constexpr char kColourNames[][kGuiNameBytes] = {"positive", "negative", "label"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"MultiKnobBackground", "MultiKnobForeGround",
                                                 "MultiKnobForeGround1", "MultiKnobForeGround2"};
constexpr int32_t kPositiveColour = 0;
constexpr int32_t kNegativeColour = 1;
constexpr int32_t kLabelColour = 2;

constexpr uint32_t kShift = 1;
constexpr uint32_t kRightButton = 2;
constexpr uint32_t kControl = 4;

constexpr float kFineStep = 0.01f;
constexpr float kWheelPixels = 2.0f;
constexpr float kWheelFinePixels = 0.2f;
constexpr float kValueRange = 100.0f;
// The aux arcs: radii as shares of the width, and their ends in degrees.
constexpr float kArcInner = 0.375f;
constexpr float kArcOuter = 0.4375f;
// The labels: a 12-unit row 15 units above the bottom.
constexpr float kLabelRise = 15.0f;
constexpr float kLabelHeight = 12.0f;
constexpr uint32_t kLabelBlack = 0x000000FF;
// The drawn look's arc colours when the colour slots are empty.
constexpr uint32_t kDrawnPositive = 0xE9A23BFF;
constexpr uint32_t kDrawnNegative = 0x5FC3E4FF;

constexpr const char* kInactiveText = "...";
constexpr const char* kTouchSelectKey = "touchSelect";
constexpr const char* kAlignmentKey = "TextAlignment";
constexpr const char* kVAlignmentKey = "TextVAlignment";
constexpr const char* kSizeKey = "TextSize";
constexpr const char* kVOffsetKey = "TextVOffset";

bool readFloat(const void* value, float* out)
{
    if (value == nullptr) {
        return false;
    }
    std::memcpy(out, value, sizeof *out);
    return true;
}

// The table of list port 1, 3 or 5.
int32_t tableOf(int32_t port)
{
    return port == 1 || port == 3 || port == 5 ? port / 2 : -1;
}

} // namespace

AM_View_MultiKnob::AM_View_MultiKnob(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    for (int32_t i = 0; i < kPortCount; ++i) {
        const bool valuePort = i % 2 == 0;
        minimum_[i] = valuePort ? -kValueRange : 0.0f;
        maximum_[i] = valuePort ? kValueRange : 0.0f;
        default_[i] = 0.0f;
        value_[i] = 0.0f;
    }
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "MultiKnob %u", unsigned(getId()));
    setName(name);
    acceptsWheel_ = 1;
    initControl(0, kPortCount, kPorts, 0, nullptr, 3, kColourNames, 4, kGraphicNames, false);
}

AM_View_MultiKnob::~AM_View_MultiKnob() = default;

AM_ViewControl* AM_View_MultiKnob::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* knob = new AM_View_MultiKnob(viewMan, bounds);
    knob->setFactory(&AM_View_MultiKnob::create);
    return knob;
}

const char* AM_View_MultiKnob::getTypeName() const
{
    return kTypeName;
}

float AM_View_MultiKnob::sensitivityForRange(float r)
{
    if (r > 190) {
        return 4.0f;
    }
    if (r > 130) {
        return 2.0f;
    }
    return AM_smallRangeSensitivity(r);
}

float AM_View_MultiKnob::getValue(int32_t port) const
{
    return validPort(port) ? value_[port] : 0.0f;
}

float AM_View_MultiKnob::getMinimum(int32_t port) const
{
    return validPort(port) ? minimum_[port] : 0.0f;
}

float AM_View_MultiKnob::getMaximum(int32_t port) const
{
    return validPort(port) ? maximum_[port] : 0.0f;
}

const AM_ValueNameTable& AM_View_MultiKnob::getNames(int32_t port) const
{
    static const AM_ValueNameTable kEmpty;
    const int32_t t = tableOf(port);
    return t >= 0 ? names_[t] : kEmpty;
}

bool AM_View_MultiKnob::portBound(int32_t i) const
{
    const AM_PortRecord* port = const_cast<AM_View_MultiKnob*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

void AM_View_MultiKnob::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (parameter != nullptr && validPort(i)) {
        minimum_[i] = parameter->min;
        maximum_[i] = parameter->max;
        default_[i] = parameter->defaultValue;
        AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
        if (host != nullptr) {
            readFloat(host->getParameterValue(static_cast<int32_t>(parameter->index)), &value_[i]);
        }
        if (i == kMainZone) {
            sensitivity_ = sensitivityForRange(maximum_[i] - minimum_[i]);
        }
        const int32_t t = tableOf(i);
        if (t >= 0 && !names_[t].rebuild(host, parameter)) {
            AM_STD::printv("%s: list parameter %s has no usable range\n", getName(),
                           parameter->shortName);
        }
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_MultiKnob::setParameterValue(int32_t i, const void* value)
{
    if (validPort(i)) {
        readFloat(value, &value_[i]);
    }
    AM_ViewControl::setParameterValue(i, value);
    if (i == 1 && getFirstChildControl() != nullptr) {
        const char* name = names_[0].nameOfValue(value_[1]);
        setLabelText(!editable_ ? kInactiveText : (name != nullptr ? name : ""));
    }
}

void AM_View_MultiKnob::userSets(int32_t i, float value)
{
    setValueFromUser(i, &value);
}

int32_t AM_View_MultiKnob::zoneAt(const float* point) const
{
    const float q = inBottomStrip(point) ? 0.5f : 0.25f;
    if (point[0] < bounds_.x + q * bounds_.w) {
        return kAux1Zone;
    }
    if (point[0] > bounds_.x + (1.0f - q) * bounds_.w) {
        return kAux2Zone;
    }
    return kMainZone;
}

bool AM_View_MultiKnob::inBottomStrip(const float* point) const
{
    return !(point[1] < bounds_.y + bounds_.h - kStripHeight);
}

void AM_View_MultiKnob::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    userSets(kMainZone, default_[kMainZone]);
}

void AM_View_MultiKnob::beginDrag(int32_t zone, const float* point, bool fine)
{
    zone_ = zone;
    mouseDownPoint_[0] = lastPoint_[0] = point[0];
    mouseDownPoint_[1] = lastPoint_[1] = point[1];
    fine_ = fine ? 1 : 0;
    startValue_ = value_[zone];
    sendValueToParameter(zone, &value_[zone]);
}

bool AM_View_MultiKnob::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    mouseDownPoint_[0] = lastPoint_[0] = point[0];
    mouseDownPoint_[1] = lastPoint_[1] = point[1];
    zone_ = zoneAt(point);
    const bool menu = (buttons & kRightButton) != 0 || inBottomStrip(point);
    if (menu && !portBound(zone_ + 1)) {
        if (!portBound(zone_)) {
            return false;
        }
        openLearnMenu(point);
        return false;
    }
    if (menu) {
        openListMenu(point);
        return false;
    }
    if (!editable_) {
        return false;
    }
    if ((buttons & kControl) != 0) {
        userSets(zone_, default_[zone_]);
        return false;
    }
    beginDrag(zone_, point, (buttons & kShift) != 0);
    return true;
}

void AM_View_MultiKnob::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[0]) || !std::isfinite(point[1]) ||
        !validPort(zone_)) {
        return;
    }
    lastPoint_[0] = point[0];
    lastPoint_[1] = point[1];
    const float dy = mouseDownPoint_[1] - point[1];
    const float delta = fine_ != 0 ? dy * kFineStep : dy * sensitivity_ * 0.5f;
    const float v = std::clamp(startValue_ + delta, minimum_[zone_], maximum_[zone_]);
    if (v != value_[zone_]) {
        const float rounded = std::copysign(std::trunc(std::fabs(v) * 100.0f + 0.5f) * 0.01f, v);
        userSets(zone_, rounded);
        AM_STD::printv("Param %d - %f\n", int(zone_), double(rounded));
    }
}

void AM_View_MultiKnob::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
}

void AM_View_MultiKnob::onMouseWheel(float steps)
{
    if (!editable_ || !std::isfinite(steps)) {
        return;
    }
    if (mouseDown_ != 0) {
        mouseDownPoint_[1] += kWheelFinePixels * steps;
        onMouseDrag(lastPoint_, 0);
        return;
    }
    if (!portBound(kMainZone)) {
        return;
    }
    // An edit of the main value pressed in its own zone, whatever the
    // control's place and size: no side zone, no list menu.
    const float centre[2] = {bounds_.x + bounds_.w / 2, bounds_.y + bounds_.h / 2};
    beginDrag(kMainZone, centre, false);
    const float to[2] = {centre[0], centre[1] - kWheelPixels * steps};
    onMouseDrag(to, 0);
}

bool AM_View_MultiKnob::openLearnMenu(const float* point)
{
    AM_ControlMenu menu;
    menu.push_back({"MidiLearn", AM_controlCommand(kMidiLearn), false, false});
    menu.push_back({"MidiUnLearn", AM_controlCommand(kMidiUnlearn), false, false});
    return AM_openControlMenu(viewMan_, this, point, kControlRunMenu, menu);
}

bool AM_View_MultiKnob::openListMenu(const float* point)
{
    const AM_ValueNameTable& names = getNames(zone_ + 1);
    const int32_t current = names.indexOfValue(value_[zone_ + 1]);
    AM_ControlMenu menu;
    for (int32_t i = 0; i < names.count(); ++i) {
        menu.push_back(
            {names.name(i), AM_controlCommand(static_cast<uint32_t>(i)), true, i == current});
    }
    AM_addMenuSeparator(&menu);
    menu.push_back({"MidiLearn", AM_controlCommand(kMidiLearn), false, false});
    // Opened on the current value.
    return AM_openControlMenu(viewMan_, this, point, kControlRunMenu, menu, true);
}

bool AM_View_MultiKnob::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                          const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    if (AM_menuCode(item->command) != kControlMenuCode) {
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kControlEditMenu && sub == kToggleTouchSelect) {
        touchSelect_ = !touchSelect_;
        return true;
    }
    if (menuId != kControlRunMenu || !validPort(zone_)) {
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
    if (sub == kMidiLearn || sub == kMidiUnlearn) {
        if (portBound(zone_)) {
            midiLearn(zone_);
            if (sub == kMidiUnlearn) {
                midiLearn(zone_);
            }
        }
        return true;
    }
    // Only the names the zone's list holds are its values.
    if (sub < static_cast<uint32_t>(getNames(zone_ + 1).count())) {
        userSets(zone_ + 1, minimum_[zone_ + 1] + static_cast<float>(sub));
    }
    return true;
}

void AM_View_MultiKnob::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_ControlMenu items;
    AM_addMenuSeparator(&items);
    items.push_back(
        {kTouchSelectKey, AM_controlCommand(kToggleTouchSelect), true, touchSelect_});
    AM_buildClassEditMenu(this, point, open, extra, items);
}

void AM_View_MultiKnob::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    const float range = maximum_[0] - minimum_[0];
    float f = range != 0.0f ? (value_[0] - minimum_[0]) / range : 0.0f;
    if (!std::isfinite(f)) {
        f = 0.0f;
    }
    const AM_Rect inset{bounds_.x + bounds_.w / 4, bounds_.y + bounds_.w / 4, bounds_.w / 2,
                        bounds_.h - bounds_.w / 2};
    AM_Graphic* background = getGraphic(0);
    AM_Graphic* foreground = getGraphic(1);
    AM_Colour* positive = getColour(kPositiveColour);
    AM_Colour* negative = getColour(kNegativeColour);
    if (background == nullptr && foreground == nullptr) {
        // The drawn look: the knob in the middle, the aux tracks beside it.
        AM_DialLook::drawKnob(context, inset, f, AM_DialLook::kArcColour);
        const float centre[2] = {bounds_.x + bounds_.w / 2, bounds_.y + bounds_.h / 2};
        context->setColourPacked(AM_DialLook::kTrackColour);
        context->fillRingSegment(centre, kArcInner * bounds_.w, kArcOuter * bounds_.w, -136, -44);
        context->fillRingSegment(centre, kArcInner * bounds_.w, kArcOuter * bounds_.w, 44, 136);
        if (positive == nullptr || negative == nullptr) {
            drawArcs(context, kDrawnPositive, kDrawnNegative);
        }
    } else {
        if (background != nullptr) {
            background->draw(context, &bounds_, 1.0f);
        }
        if (foreground != nullptr) {
            foreground->draw(context, &inset, f);
        }
    }
    if (positive != nullptr && negative != nullptr) {
        drawArcs(context, positive->getPacked(), negative->getPacked());
    }
    drawLabels(context);
}

void AM_View_MultiKnob::drawArcs(AM_Context* context, uint32_t positive, uint32_t negative)
{
    const float centre[2] = {bounds_.x + bounds_.w / 2, bounds_.y + bounds_.h / 2};
    const float inner = kArcInner * bounds_.w;
    const float outer = kArcOuter * bounds_.w;
    // The share of a value's side of the range, 0 for an empty side.
    auto share = [](float v, float limit) {
        const float s = limit != 0.0f ? v / std::fabs(limit) : 0.0f;
        return std::isfinite(s) ? std::clamp(s, -1.0f, 1.0f) : 0.0f;
    };
    const float v1 = value_[kAux1Zone];
    const float f1 = v1 > 0 ? share(v1, maximum_[kAux1Zone]) : share(v1, minimum_[kAux1Zone]);
    if (f1 > 0) {
        context->setColourPacked(positive);
        context->fillRingSegment(centre, inner, outer, -136, 90 * f1 - 135);
    } else if (f1 < 0) {
        context->setColourPacked(negative);
        context->fillRingSegment(centre, inner, outer, 90 * f1 - 45, -44);
    }
    const float v2 = value_[kAux2Zone];
    const float f2 = v2 > 0 ? share(v2, maximum_[kAux2Zone]) : share(v2, minimum_[kAux2Zone]);
    if (f2 > 0) {
        context->setColourPacked(positive);
        context->fillRingSegment(centre, inner, outer, 44, 45 + 90 * f2);
    } else if (f2 < 0) {
        context->setColourPacked(negative);
        context->fillRingSegment(centre, inner, outer, 135 - 90 * std::fabs(f2), 136);
    }
}

void AM_View_MultiKnob::drawLabels(AM_Context* context)
{
    const char* left = names_[1].nameOfValue(value_[3]);
    const char* right = names_[2].nameOfValue(value_[5]);
    if (left == nullptr && right == nullptr) {
        return;
    }
    AM_setTextColour(context, getColour(kLabelColour));
    const AM_Rect box{bounds_.x, bounds_.y + bounds_.h - kLabelRise + textVOffset_,
                      bounds_.w / 2, kLabelHeight};
    if (left != nullptr) {
        AM_drawAlignedText(context, left, box, textAlignment_, textVAlignment_, textSize_);
    }
    if (right != nullptr) {
        const AM_Rect shifted{box.x + bounds_.w / 2, box.y, box.w, box.h};
        AM_drawAlignedText(context, right, shifted, textAlignment_, textVAlignment_, textSize_);
    }
}

void AM_View_MultiKnob::addControl(AM_ViewControl* child, uint32_t layerMask, bool offset)
{
    AM_ViewControl::addControl(child, layerMask, offset);
    if (names_[0].empty() || child == nullptr) {
        return;
    }
    if (auto* label = dynamic_cast<AM_View_Label*>(child)) {
        label->setValueLabel(true);
        const char* name = names_[0].nameOfValue(value_[1]);
        label->setText(!editable_ ? kInactiveText : (name != nullptr ? name : ""));
    }
}

void AM_View_MultiKnob::copyProperties(AM_ViewControl* clone)
{
    AM_ViewControl::copyProperties(clone);
    if (auto* knob = dynamic_cast<AM_View_MultiKnob*>(clone)) {
        knob->touchSelect_ = touchSelect_;
        knob->textAlignment_ = textAlignment_;
        knob->textVAlignment_ = textVAlignment_;
        knob->textSize_ = textSize_;
        knob->textVOffset_ = textVOffset_;
    }
}

void AM_View_MultiKnob::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    if (!touchSelect_) {
        writer.property(getName(), kTouchSelectKey, 0, "NO");
    }
    char text[64];
    std::snprintf(text, sizeof text, "%d", int(textAlignment_));
    writer.property(getName(), kAlignmentKey, 0, text);
    std::snprintf(text, sizeof text, "%d", int(textVAlignment_));
    writer.property(getName(), kVAlignmentKey, 0, text);
    std::snprintf(text, sizeof text, "%.2f", double(textSize_));
    writer.property(getName(), kSizeKey, 0, text);
    std::snprintf(text, sizeof text, "%.2f", double(textVOffset_));
    writer.property(getName(), kVOffsetKey, 0, text);
}

void AM_View_MultiKnob::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr) {
        return;
    }
    char* end = nullptr;
    if (std::strcmp(name, kTouchSelectKey) == 0) {
        if (std::strcmp(value, "NO") == 0) {
            touchSelect_ = false;
        }
    } else if (std::strcmp(name, kAlignmentKey) == 0) {
        const long v = std::strtol(value, &end, 10);
        if (end != value) {
            textAlignment_ = static_cast<int32_t>(std::clamp(v, -1000L, 1000L));
        }
    } else if (std::strcmp(name, kVAlignmentKey) == 0) {
        const long v = std::strtol(value, &end, 10);
        if (end != value) {
            textVAlignment_ = static_cast<int32_t>(std::clamp(v, -1000L, 1000L));
        }
    } else if (std::strcmp(name, kSizeKey) == 0) {
        const float v = std::strtof(value, &end);
        if (end != value && std::isfinite(v) && v > 0.0f) {
            textSize_ = v;
        }
    } else if (std::strcmp(name, kVOffsetKey) == 0) {
        const float v = std::strtof(value, &end);
        if (end != value && std::isfinite(v)) {
            textVOffset_ = v;
        }
    }
}
