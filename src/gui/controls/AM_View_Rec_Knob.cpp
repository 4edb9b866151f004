#include "gui/controls/AM_View_Rec_Knob.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_ControlMenu.h"
#include "gui/controls/AM_DialLook.h"
#include "gui/controls/AM_DragSensitivity.h"
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
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kTypeName = "Rec_Knob";

constexpr uint32_t kValueTypes[] = {k_kindFloat, k_kindXYAxis};
constexpr uint32_t kMenuTypes[] = {k_kindInteger};
constexpr uint32_t kStepTypes[] = {k_meter};
const AM_PortDescriptor kPorts[] = {{0, "Value", 2, kValueTypes},
                                    {1, "Menu", 1, kMenuTypes},
                                    {2, "RecParam", 2, kValueTypes},
                                    {3, "RecStep", 1, kStepTypes}};

constexpr char kGraphicNames[][kGuiNameBytes] = {"Rec_KnobBackground", "Rec_KnobForeGround"};

constexpr uint32_t kShift = 1;
constexpr uint32_t kRightButton = 2;
constexpr uint32_t kControl = 4;
constexpr uint32_t kAlt = 8;

// Bit 0 of a parameter's flags: small ranges get the finer sensitivities.
constexpr uint32_t kFineRangesFlag = 0x1;

constexpr const char* kNone = "none";
constexpr const char* kHiddenName = "...";
constexpr const char* kOffsetKey = "recParamOffset";
constexpr const char* kOffsetMenu = "Rec Param Offset";

constexpr float kFineStep = 0.01f;
// An armed recording remembers values no drag can give, so the first tick
// always writes.
constexpr float kArmedLastValue = 1000.0f;

bool readFloat(const void* value, float* out)
{
    if (value == nullptr) {
        return false;
    }
    std::memcpy(out, value, sizeof *out);
    return true;
}

// A whole number within int32 (truncated); false when the value is not
// finite or too large.
bool toIndex(float value, int32_t* out)
{
    constexpr float kLimit = 2147483520.0f;
    if (!std::isfinite(value) || value < -kLimit || value > kLimit) {
        return false;
    }
    *out = static_cast<int32_t>(value);
    return true;
}

} // namespace

const AM_View_Rec_Knob::OffsetEntry AM_View_Rec_Knob::kOffsetTable[] = {
    {"Param +1", 1},   {"Param +2", 2},   {"Param +3", 3},   {"Param +4", 4},
    {"Param +5", 5},   {"Param +6", 6},   {"Param +7", 7},   {"Param +8", 8},
    {"Param +9", 9},   {"Param +10", 10}, {"Param +11", 11}, {"Param +12", 12},
    {"Param +13", 13}, {"Param +14", 14}, {"Param +15", 15}, {"Param +16", 16},
    {nullptr, -1}};

AM_View_Rec_Knob::AM_View_Rec_Knob(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Rec_Knob %u", unsigned(getId()));
    setName(name);
    initControl(0, 4, kPorts, 0, nullptr, 0, nullptr, 2, kGraphicNames, true);
}

AM_View_Rec_Knob::~AM_View_Rec_Knob() = default;

AM_ViewControl* AM_View_Rec_Knob::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* knob = new AM_View_Rec_Knob(viewMan, bounds);
    knob->setFactory(&AM_View_Rec_Knob::create);
    return knob;
}

const char* AM_View_Rec_Knob::getTypeName() const
{
    return kTypeName;
}

float AM_View_Rec_Knob::sensitivityForRange(float r, bool fineRanges)
{
    if (r > 190) {
        return 4.0f;
    }
    if (r > 130) {
        return 2.0f;
    }
    if (!fineRanges) {
        return 1.0f;
    }
    return AM_smallRangeSensitivity(r);
}

bool AM_View_Rec_Knob::portBound(int32_t i) const
{
    const AM_PortRecord* port = const_cast<AM_View_Rec_Knob*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

bool AM_View_Rec_Knob::engineValue(int32_t port, float* value) const
{
    const AM_PortRecord* record = const_cast<AM_View_Rec_Knob*>(this)->getPort(port);
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (record == nullptr || record->parameter == nullptr || host == nullptr) {
        return false;
    }
    return readFloat(host->getParameterValue(static_cast<int32_t>(record->parameter->index)),
                     value);
}

void AM_View_Rec_Knob::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (parameter != nullptr && i == kValuePort) {
        minimum_ = parameter->min;
        maximum_ = parameter->max;
        default_ = parameter->defaultValue;
        sensitivity_ =
            sensitivityForRange(maximum_ - minimum_, (parameter->flags & kFineRangesFlag) != 0);
    } else if (parameter != nullptr && i == kMenuPort) {
        menuMinimum_ = parameter->min;
        menuMaximum_ = parameter->max;
        menuDefault_ = parameter->defaultValue;
        if (!menuNames_.rebuild(viewMan_ != nullptr ? viewMan_->getInterface() : nullptr,
                                parameter)) {
            AM_STD::printv("%s: menu parameter %s has no usable range\n", getName(),
                           parameter->shortName);
        }
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

const char* AM_View_Rec_Knob::currentMenuName() const
{
    return menuNames_.nameOfValue(menuValue_);
}

void AM_View_Rec_Knob::setParameterValue(int32_t i, const void* value)
{
    float v = 0.0f;
    readFloat(value, &v);
    if (i == kValuePort) {
        value_ = v;
        AM_ViewControl::setParameterValue(i, value);
        return;
    }
    if (i != kMenuPort) {
        AM_ViewControl::setParameterValue(i, value);
        return;
    }
    menuValue_ = v;
    AM_ViewControl::setParameterValue(i, value);
    const char* name = currentMenuName();
    showName_ = name != nullptr && std::strcmp(name, kNone) == 0 ? 0 : 1;
    if (AM_ViewControl* child = getFirstChildControl()) {
        setLabelText(showName_ != 0 ? (name != nullptr ? name : "") : kHiddenName);
        child->redraw();
    }
}

void AM_View_Rec_Knob::userSets(int32_t i, float value)
{
    setValueFromUser(i, &value);
}

void AM_View_Rec_Knob::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    userSets(kValuePort, default_);
}

bool AM_View_Rec_Knob::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    mouseDownPoint_[0] = point[0];
    mouseDownPoint_[1] = point[1];
    if ((buttons & kRightButton) != 0) {
        if (!portBound(kMenuPort)) {
            if (portBound(kValuePort)) {
                midiLearn(kValuePort);
            }
            return false;
        }
        // With a list bound the right button offers its value names.
        openRunMenu(point);
        return false;
    }
    if ((buttons & kAlt) != 0) {
        recordState_ = kRecordArmed;
        lastRecordedValue_ = kArmedLastValue;
        lastStep_ = -1;
        startValue_ = 0.0f;
        recordedValue_ = 0.0f;
        fine_ = 0;
        redraw();
        return true;
    }
    if ((buttons & kControl) != 0) {
        userSets(kValuePort, default_);
        return false;
    }
    fine_ = (buttons & kShift) != 0 ? 1 : 0;
    startValue_ = value_;
    sendValueToParameter(kValuePort, &value_);
    return true;
}

bool AM_View_Rec_Knob::recordingDrag() const
{
    return recordState_ != kRecordOff && portBound(kRecParamPort);
}

void AM_View_Rec_Knob::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[1])) {
        return;
    }
    const float dy = mouseDownPoint_[1] - point[1];
    const float delta = fine_ != 0 ? dy * kFineStep : dy * sensitivity_ * 0.5f;
    if (recordingDrag()) {
        const AM_ParamInfo* recParam = getPort(kRecParamPort)->parameter;
        recordedValue_ = std::clamp(startValue_ + delta, recParam->min, recParam->max);
        sendRecordedValue();
        return;
    }
    const float v = std::clamp(startValue_ + delta, minimum_, maximum_);
    if (v != value_) {
        userSets(kValuePort, v);
    }
}

void AM_View_Rec_Knob::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
    if (recordState_ != kRecordOff) {
        recordState_ = kRecordOff;
        redraw();
    }
}

void AM_View_Rec_Knob::onTimer()
{
    if (!isVisible() || recordState_ < kRecordArmed) {
        return;
    }
    recordState_ = kRecording;
    float current = 0.0f;
    if (engineValue(kRecStepPort, &current)) {
        const AM_ParamInfo* recStep = getPort(kRecStepPort)->parameter;
        float next = current + 1.0f;
        if (next > recStep->max) {
            next = recStep->min;
        }
        int32_t step = 0;
        if (!toIndex(next, &step)) {
            AM_STD::printv("%s: no step for the play step %f\n", getName(), double(current));
            return;
        }
        step_ = step;
    }
    sendRecordedValue();
}

void AM_View_Rec_Knob::sendRecordedValue()
{
    if (recordState_ < kRecording || !portBound(kRecParamPort)) {
        return;
    }
    if (step_ == lastStep_ && recordedValue_ == lastRecordedValue_) {
        return;
    }
    lastStep_ = step_;
    lastRecordedValue_ = recordedValue_;
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host == nullptr) {
        return;
    }
    const int64_t index = int64_t(getPort(kRecParamPort)->parameter->index) +
                          int64_t(recParamOffset_) * int64_t(step_);
    if (index < 0 || index >= int64_t(host->getNumParameters()) ||
        host->getParameterInfo(static_cast<int32_t>(index)) == nullptr) {
        AM_STD::printv("%s: step %d with the offset %d names no parameter\n", getName(),
                       int(step_), int(recParamOffset_));
        return;
    }
    host->setParameterValue(static_cast<int32_t>(index), &recordedValue_);
    redraw();
}

bool AM_View_Rec_Knob::openRunMenu(const float* point)
{
    if (viewMan_ == nullptr) {
        return false;
    }
    AM_ControlMenu menu;
    const int32_t current = menuNames_.indexOfValue(menuValue_);
    for (int32_t k = 0; k < menuNames_.count(); ++k) {
        menu.push_back({menuNames_.name(k), AM_controlCommand(static_cast<uint32_t>(k)), true,
                        k == current});
    }
    AM_addMenuSeparator(&menu);
    menu.push_back({"MidiLearn", AM_controlCommand(kMidiLearn), false, false});
    return AM_openControlMenu(viewMan_, this, point, kControlRunMenu, menu);
}

bool AM_View_Rec_Knob::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                         const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    if (AM_menuCode(item->command) != kControlMenuCode) {
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kControlRunMenu) {
        if (sub == kMidiLearn) {
            if (portBound(kValuePort)) {
                midiLearn(kValuePort);
            }
            return true;
        }
        // Only the names the table holds are values of the list.
        if (sub < static_cast<uint32_t>(menuNames_.count())) {
            userSets(kMenuPort, menuMinimum_ + static_cast<float>(sub));
        }
        return true;
    }
    if (menuId == kControlEditMenu && sub == kSetOffset) {
        // The item data is a row of the offset table.
        const auto* entry = static_cast<const OffsetEntry*>(item->userData);
        for (const OffsetEntry* row = kOffsetTable; row->offset >= 0; ++row) {
            if (row == entry) {
                recParamOffset_ = row->offset;
                return true;
            }
        }
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_Rec_Knob::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    if (viewMan_ == nullptr || (open && point == nullptr)) {
        return;
    }
    if (open) {
        viewMan_->beginMenu(this, point, kControlEditMenu);
        viewMan_->addMenuItem(0, 0, getName());
    }
    AM_ViewControl::buildEditMenu(point, false, extra);
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText);
    const uint32_t offsets = viewMan_->addSubMenu(0, kOffsetMenu);
    for (const OffsetEntry* row = kOffsetTable; row->offset >= 0; ++row) {
        viewMan_->addMenuItem(offsets, AM_controlCommand(kSetOffset), row->text, 0,
                              row->offset == recParamOffset_ ? uint32_t(kMenuChecked) : 0u,
                              const_cast<OffsetEntry*>(row));
    }
    if (open) {
        viewMan_->showMenu();
    }
}

void AM_View_Rec_Knob::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    float f = 0.0f;
    if (recordingDrag()) {
        const AM_ParamInfo* recParam = getPort(kRecParamPort)->parameter;
        const float range = recParam->max - recParam->min;
        f = range != 0.0f ? (recordedValue_ - recParam->min) / range : 0.0f;
    } else {
        const float range = maximum_ - minimum_;
        f = range != 0.0f ? (value_ - minimum_) / range : 0.0f;
    }
    if (!std::isfinite(f)) {
        f = 0.0f;
    }
    AM_Graphic* background = getGraphic(0);
    AM_Graphic* foreground = getGraphic(1);
    if (background == nullptr && foreground == nullptr) {
        drawGenerated(context, f);
        return;
    }
    if (background != nullptr) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (foreground != nullptr) {
        foreground->draw(context, &bounds_, f);
    }
}

void AM_View_Rec_Knob::drawGenerated(AM_Context* context, float position)
{
    using namespace AM_DialLook;
    drawKnob(context, bounds_, position,
             recordState_ != kRecordOff ? kRecordColour : kArcColour);
    // The record lamp at the bottom of the sweep: an outline while idle,
    // filled while armed or recording.
    float centre[2];
    float half = 0.0f;
    centreOf(bounds_, centre, &half);
    if (half < 6.0f) {
        return;
    }
    const float lamp[2] = {centre[0], centre[1] + half - std::max(2.0f, half * 0.16f)};
    const float radius = std::max(1.5f, half * 0.13f);
    if (recordState_ != kRecordOff) {
        fillDisc(context, lamp, radius, kRecordColour);
    } else if (portBound(kRecParamPort)) {
        context->setColourPacked(kRecordColour);
        context->fillRingSegment(lamp, radius * 0.55f, radius, 0, 360);
    }
}

void AM_View_Rec_Knob::addControl(AM_ViewControl* child, uint32_t layerMask, bool offset)
{
    AM_ViewControl::addControl(child, layerMask, offset);
    if (menuNames_.empty() || child == nullptr) {
        return;
    }
    if (auto* label = dynamic_cast<AM_View_Label*>(child)) {
        label->setValueLabel(true);
        const char* name = currentMenuName();
        label->setText(showName_ != 0 ? (name != nullptr ? name : "") : kHiddenName);
    }
}

void AM_View_Rec_Knob::copyProperties(AM_ViewControl* clone)
{
    AM_ViewControl::copyProperties(clone);
    if (auto* knob = dynamic_cast<AM_View_Rec_Knob*>(clone)) {
        knob->recParamOffset_ = recParamOffset_;
    }
}

void AM_View_Rec_Knob::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script == nullptr) {
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", int(recParamOffset_));
    AM_ScriptWriter(*script).property(getName(), kOffsetKey, 0, text);
}

void AM_View_Rec_Knob::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr || std::strcmp(name, kOffsetKey) != 0) {
        return;
    }
    char* end = nullptr;
    const long v = std::strtol(value, &end, 10);
    if (end != value) {
        // Offsets beyond the parameter table are refused when recording.
        recParamOffset_ = static_cast<int32_t>(std::clamp(v, -65536L, 65536L));
    }
}
