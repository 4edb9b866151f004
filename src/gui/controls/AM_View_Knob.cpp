#include "gui/controls/AM_View_Knob.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_View_Label.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "Knob";

constexpr uint32_t kValueTypes[] = {k_kindFloat, k_kindXYAxis};
constexpr uint32_t kMenuTypes[] = {k_kindInteger};
const AM_PortDescriptor kPorts[] = {{0, "Knob Value", 2, kValueTypes}, {1, "Menu", 1, kMenuTypes}};

constexpr char kGraphicNames[][kGuiNameBytes] = {"KnobBackground", "KnobForeGround"};

constexpr uint32_t kShift = 1;
constexpr uint32_t kRightButton = 2;
constexpr uint32_t kControl = 4;

constexpr const char* kNone = "none";
constexpr const char* kInactiveText = "...";
constexpr const char* kTouchSelectKey = "touchSelect";

// A fine drag moves by a hundredth of a unit per pixel on knobs of a small
// sensitivity, by a unit on the others.
constexpr float kFineStep = 0.01f;
constexpr float kFineSensitivityLimit = 9.0f;
constexpr uint8_t kSnapHoldEvents = 3;
// A wheel step is a simulated drag of two pixels; during a press it moves
// the press point by a fifth of a pixel.
constexpr float kWheelPixels = 2.0f;
constexpr float kWheelFinePixels = 0.2f;

// The drawn knob: the sweep of its arc and its colours.
constexpr float kSweepDegrees = 135.0f;
constexpr uint32_t kTrackColour = 0x3B4048FF;
constexpr uint32_t kArcColour = 0xE9A23BFF;
constexpr uint32_t kArcInactiveColour = 0x80848CFF;
constexpr uint32_t kRimColour = 0x16181CFF;
constexpr uint32_t kBodyColour = 0x4A505AFF;
constexpr uint32_t kBodyTopColour = 0x5C636EFF;
constexpr uint32_t kPointerColour = 0xF4F4F4FF;
constexpr float kDegreesToRadians = 3.14159265358979f / 180.0f;

bool isWhole(float x)
{
    return std::isfinite(x) && std::trunc(x) == x;
}

} // namespace

AM_View_Knob::AM_View_Knob(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Knob %u", unsigned(getId()));
    setName(name);
    acceptsWheel_ = 1;
    initControl(0, 2, kPorts, 0, nullptr, 0, nullptr, 2, kGraphicNames, false);
}

AM_View_Knob::~AM_View_Knob() = default;

AM_ViewControl* AM_View_Knob::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* knob = new AM_View_Knob(viewMan, bounds);
    knob->setFactory(&AM_View_Knob::create);
    return knob;
}

const char* AM_View_Knob::getTypeName() const
{
    return kTypeName;
}

float AM_View_Knob::sensitivityForRange(float r)
{
    if (r > 4000) {
        return 40.0f;
    }
    if (r > 1000) {
        return 10.0f;
    }
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

bool AM_View_Knob::portBound(int32_t i) const
{
    const AM_PortRecord* port = const_cast<AM_View_Knob*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

void AM_View_Knob::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (parameter != nullptr && i == kValuePort) {
        minimum_ = parameter->min;
        maximum_ = parameter->max;
        default_ = parameter->defaultValue;
        sensitivity_ = sensitivityForRange(maximum_ - minimum_);
    } else if (parameter != nullptr && i == kMenuPort) {
        valueNames_.reset();
        valueNameCount_ = 0;
        menuMinimum_ = parameter->min;
        menuMaximum_ = parameter->max;
        menuDefault_ = parameter->defaultValue;
        const float span = std::trunc(menuMaximum_ - menuMinimum_);
        if (std::isfinite(span) && span >= 0 && span < 65536) {
            valueNameCount_ = static_cast<int32_t>(span) + 1;
            valueNames_ = std::make_unique<char[][kValueNameBytes]>(
                static_cast<size_t>(valueNameCount_));
            AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
            for (int32_t k = 0; k < valueNameCount_; ++k) {
                char text[256] = {};
                const float v = menuMinimum_ + static_cast<float>(k);
                if (host != nullptr) {
                    host->getParameterDisplay(static_cast<int32_t>(parameter->index), &v, text);
                }
                // Names longer than the table's entries are cut.
                const size_t length = strnlen(text, kValueNameBytes - 1);
                std::memcpy(valueNames_[k], text, length);
                valueNames_[k][length] = '\0';
            }
        } else {
            AM_STD::printv("%s: menu parameter %s has no usable range\n", getName(),
                           parameter->shortName);
        }
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

const char* AM_View_Knob::getValueName(int32_t i) const
{
    if (!valueNames_ || i < 0 || i >= valueNameCount_) {
        return nullptr;
    }
    return valueNames_[i];
}

const char* AM_View_Knob::currentValueName() const
{
    const float k = std::trunc(menuValue_ - menuMinimum_);
    if (!std::isfinite(k) || k < 0 || k >= static_cast<float>(valueNameCount_)) {
        return nullptr;
    }
    return getValueName(static_cast<int32_t>(k));
}

void AM_View_Knob::setParameterValue(int32_t i, const void* value)
{
    float v = 0.0f;
    if (value != nullptr) {
        std::memcpy(&v, value, sizeof v);
    }
    if (i == kValuePort) {
        value_ = v;
        AM_ViewControl::setParameterValue(i, value);
        return;
    }
    if (i != kMenuPort) {
        return;
    }
    menuValue_ = v;
    AM_ViewControl::setParameterValue(i, value);
    const char* name = currentValueName();
    active_ = name == nullptr || std::strcmp(name, kNone) != 0 ? 1 : 0;
    if (AM_ViewControl* child = getFirstChildControl()) {
        setLabelText(active_ != 0 ? (name != nullptr ? name : "") : kInactiveText);
        child->redraw();
    }
}

void AM_View_Knob::userSets(int32_t i, float value)
{
    setValueFromUser(i, &value);
}

void AM_View_Knob::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    userSets(kValuePort, default_);
}

bool AM_View_Knob::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    mouseDownPoint_[0] = lastPoint_[0] = point[0];
    mouseDownPoint_[1] = lastPoint_[1] = point[1];
    const bool right = (buttons & kRightButton) != 0;
    if (!portBound(kMenuPort) && right) {
        if (!portBound(kValuePort)) {
            return false;
        }
        return openRunMenu(point, false);
    }
    if (active_ != 0 && !right) {
        if (touchSelect_ != 0 && portBound(kMenuPort) && viewMan_ != nullptr) {
            if (const char* name = currentValueName()) {
                viewMan_->selectModule(name);
            }
        }
        if ((buttons & kControl) != 0) {
            userSets(kValuePort, default_);
            return false;
        }
        fineDrag_ = (buttons & kShift) != 0 ? 1 : 0;
        // A hold on a multiple of the snap belongs to the drag that landed
        // there: a new press starts without one, whatever the value is now.
        snapHold_ = 0;
        dragStart_ = value_;
        sendValueToParameter(kValuePort, &value_);
        return true;
    }
    return openRunMenu(point, true);
}

void AM_View_Knob::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr) {
        return;
    }
    lastPoint_[0] = point[0];
    lastPoint_[1] = point[1];
    const float d = mouseDownPoint_[1] - point[1];
    float v = 0.0f;
    if (fineDrag_ != 0) {
        v = sensitivity_ <= kFineSensitivityLimit ? dragStart_ + d * kFineStep : dragStart_ + d;
    } else {
        if (customScale_ != 0.0f) {
            const float range = maximum_ - minimum_;
            const float q = range >= 50 ? 1.0f : range >= 25 ? 0.5f : range >= 11 ? 0.2f : 0.1f;
            v = std::trunc(customScale_ * d / q) * q + dragStart_;
        } else {
            v = d * sensitivity_ * 0.5f + dragStart_;
        }
        if (customSnap_ != 0.0f && isWhole(value_ / customSnap_) && snapHold_ > 0) {
            --snapHold_;
            return;
        }
    }
    v = std::clamp(v, minimum_, maximum_);
    if (v != value_) {
        const float r = std::copysign(std::trunc(std::fabs(v) * 100.0f + 0.5f) * 0.01f, v);
        userSets(kValuePort, r);
        if (customSnap_ != 0.0f && isWhole(value_ / customSnap_)) {
            snapHold_ = kSnapHoldEvents;
        }
    }
}

void AM_View_Knob::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
}

void AM_View_Knob::onMouseWheel(float steps)
{
    if (active_ == 0) {
        return;
    }
    if (mouseDown_ == 0) {
        const float savedScale = customScale_;
        customScale_ = 0.0f;
        const float centre[2] = {std::trunc(bounds_.x + bounds_.w / 2),
                                 std::trunc(bounds_.y + bounds_.h / 2)};
        if (onMouseDown(centre, 0)) {
            const float to[2] = {centre[0], centre[1] - kWheelPixels * steps};
            onMouseDrag(to, 0);
        }
        customScale_ = savedScale;
        return;
    }
    mouseDownPoint_[1] += kWheelFinePixels * steps;
    onMouseDrag(lastPoint_, 0);
}

AM_ControlMenu AM_View_Knob::buildRunMenu(bool withValueNames) const
{
    AM_ControlMenu menu;
    if (withValueNames && valueNames_) {
        const int32_t first = static_cast<int32_t>(std::trunc(menuMinimum_));
        const int32_t current = static_cast<int32_t>(std::trunc(menuValue_));
        for (int32_t k = 0; k < valueNameCount_; ++k) {
            menu.push_back({valueNames_[k], AM_controlCommand(static_cast<uint32_t>(k)), true,
                            first + k == current});
        }
        AM_addMenuSeparator(&menu);
    }
    menu.push_back({"MidiLearn", AM_controlCommand(kMidiLearn), false, false});
    menu.push_back({"MidiUnLearn", AM_controlCommand(kMidiUnlearn), false, false});
    return menu;
}

bool AM_View_Knob::openRunMenu(const float* point, bool withValueNames)
{
    if (viewMan_ == nullptr) {
        return false;
    }
    const uint32_t checked =
        AM_beginControlMenu(viewMan_, this, point, kControlRunMenu, buildRunMenu(withValueNames));
    buildAssignMenu(0);
    // Opened on the current value.
    viewMan_->setMenuInitialItem(checked);
    return viewMan_->showMenu();
}

bool AM_View_Knob::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                     const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    if (AM_menuCode(item->command) == kControlMenuCode) {
        const uint32_t sub = AM_menuSubIndex(item->command);
        if (menuId == kControlRunMenu) {
            applyMenuCommand(menuId, item->command);
            if (sub == kMidiLearn || sub == kMidiUnlearn) {
                AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
            }
            return true;
        }
        if (menuId == kControlEditMenu && applyMenuCommand(menuId, item->command)) {
            return true;
        }
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_Knob::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_buildClassEditMenu(this, point, open, extra, buildEditItems());
}

AM_ControlMenu AM_View_Knob::buildEditItems() const
{
    AM_ControlMenu menu;
    AM_addMenuSeparator(&menu);
    menu.push_back(
        {kTouchSelectKey, AM_controlCommand(kToggleTouchSelect), true, touchSelect_ != 0});
    menu.push_back({"Value To CustomScale", AM_controlCommand(kValueToScale), false, false});
    menu.push_back({"Value To CustomSnap", AM_controlCommand(kValueToSnap), false, false});
    return menu;
}

bool AM_View_Knob::applyMenuCommand(uint32_t menuId, uint32_t command)
{
    if ((command & 0xFFFF) != kControlMenuCode) {
        return false;
    }
    const uint32_t sub = command >> 16;
    if (menuId == kControlRunMenu) {
        if (sub == kMidiLearn || sub == kMidiUnlearn) {
            if (portBound(kValuePort)) {
                midiLearn(kValuePort);
                if (sub == kMidiUnlearn) {
                    midiLearn(kValuePort);
                }
            }
            return false;
        }
        userSets(kMenuPort, static_cast<float>(sub) + menuMinimum_);
        return true;
    }
    if (menuId == kControlEditMenu) {
        switch (sub) {
        case kToggleTouchSelect:
            touchSelect_ = touchSelect_ != 0 ? 0 : 1;
            return true;
        case kValueToScale:
            customScale_ = value_;
            return true;
        case kValueToSnap:
            customSnap_ = value_;
            snapHold_ = 0;
            return true;
        default:
            return false;
        }
    }
    return false;
}

float AM_View_Knob::position() const
{
    const float v = active_ != 0 ? value_ : default_;
    const float range = maximum_ - minimum_;
    if (!(range != 0.0f) || !std::isfinite(range)) {
        return 0.0f;
    }
    return (v - minimum_) / range;
}

float AM_View_Knob::angleOfPosition(float p)
{
    return -kSweepDegrees + 2.0f * kSweepDegrees * std::clamp(p, 0.0f, 1.0f);
}

float AM_View_Knob::valueFromAngle(float degrees) const
{
    const float p = std::clamp((degrees + kSweepDegrees) / (2.0f * kSweepDegrees), 0.0f, 1.0f);
    return minimum_ + p * (maximum_ - minimum_);
}

void AM_View_Knob::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    const float p = position();
    AM_Graphic* background = getGraphic(0);
    AM_Graphic* foreground = getGraphic(1);
    if (background == nullptr && foreground == nullptr) {
        drawGenerated(context, p);
        return;
    }
    if (background != nullptr) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (foreground != nullptr) {
        foreground->draw(context, &bounds_, p);
    }
}

void AM_View_Knob::drawGenerated(AM_Context* context, float p)
{
    const float side = std::min(bounds_.w, bounds_.h);
    if (side < 4.0f) {
        return;
    }
    const float centre[2] = {bounds_.x + bounds_.w / 2, bounds_.y + bounds_.h / 2};
    const float outer = side / 2 - 0.5f;
    const float ringWidth = std::max(2.0f, side * 0.1f);
    const float inner = outer - ringWidth;
    const float angle = angleOfPosition(p);

    context->setColourPacked(kTrackColour);
    context->fillRingSegment(centre, inner, outer, -kSweepDegrees, kSweepDegrees);
    // The arc grows from the bottom of the sweep, or from the middle for a
    // range around zero.
    const float zero = minimum_ < 0 && maximum_ > 0 ? angleOfPosition(-minimum_ / (maximum_ - minimum_))
                                                     : -kSweepDegrees;
    if (angle != zero) {
        context->setColourPacked(active_ != 0 ? kArcColour : kArcInactiveColour);
        context->fillRingSegment(centre, inner, outer, std::min(zero, angle),
                                 std::max(zero, angle));
    }
    const float body = inner - std::max(1.0f, side * 0.05f);
    context->setColourPacked(kRimColour);
    context->fillRingSegment(centre, 0, body, 0, 360);
    context->setColourPacked(kBodyColour);
    context->fillRingSegment(centre, 0, body - 1.0f, 0, 360);
    context->setColourPacked(kBodyTopColour);
    context->fillRingSegment(centre, 0, (body - 1.0f) * 0.7f, 0, 360);
    const float s = std::sin(angle * kDegreesToRadians);
    const float c = std::cos(angle * kDegreesToRadians);
    const float from[2] = {centre[0] + s * body * 0.3f, centre[1] - c * body * 0.3f};
    const float to[2] = {centre[0] + s * (body - 1.5f), centre[1] - c * (body - 1.5f)};
    context->setColourPacked(active_ != 0 ? kPointerColour : kArcInactiveColour);
    context->drawLine(from, to, std::max(1.5f, side * 0.07f));
}

void AM_View_Knob::addControl(AM_ViewControl* child, uint32_t layerMask, bool offset)
{
    AM_ViewControl::addControl(child, layerMask, offset);
    if (!valueNames_ || child == nullptr) {
        return;
    }
    if (auto* label = dynamic_cast<AM_View_Label*>(child)) {
        label->setValueLabel(true);
        const char* name = currentValueName();
        label->setText(active_ != 0 ? (name != nullptr ? name : "") : kInactiveText);
    }
}

void AM_View_Knob::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script != nullptr && touchSelect_ == 0) {
        AM_ScriptWriter(*script).property(getName(), kTouchSelectKey, 0, "NO");
    }
}

void AM_View_Knob::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name != nullptr && value != nullptr && std::strcmp(name, kTouchSelectKey) == 0 &&
        std::strcmp(value, "NO") == 0) {
        touchSelect_ = 0;
    }
}
