#include "gui/controls/AM_View_Meter.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_View_Slider.h"
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
#include <cstring>

namespace {

constexpr const char* kTypeName = "Meter";

constexpr uint32_t kLevelTypes[] = {k_meter};
constexpr uint32_t kBlockTypes[] = {k_typeBinaryData};
const AM_PortDescriptor kPorts[] = {{0, "Meter Value", 1, kLevelTypes},
                                    {1, "MultiMeter", 1, kBlockTypes},
                                    {2, "SurroundVU", 1, kBlockTypes}};

enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kValue = 2 };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Value",  "Value2",
                                                "Value3",     "Value4", "Value5", "Value6",
                                                "Value7",     "Value8"};
enum GraphicSlot : int32_t { kMeterBackground = 0, kMeterValue = 1, kMeterHandle = 2 };
constexpr char kGraphicNames[][kGuiNameBytes] = {"MeterBackground", "MeterValue", "MeterHandle"};

// A block unchanged is read again after this many more ticks.
constexpr int32_t kIdlePolls = 4;
constexpr float kRedrawThreshold = 0.01f;
// Flags of parameters that a module refresh leaves alone.
constexpr uint32_t kNoRefreshFlags = 0x10000500;
constexpr uint8_t kNoLine = 0xFF;
constexpr float kDefaultLineScale = 1.0f / 254.0f;

constexpr const char* kDirectionKey = "direction";
constexpr const char* kModuleUpdateKey = "ModuleUpdate";
constexpr const char* kDimmingKey = "Dimming";
constexpr const char* kRunningLightKey = "RunningLight";
constexpr const char* kRunningStepKey = "runningStep";
constexpr const char* kRunningRangeKey = "runningRange";

// A block's three words: the eight bytes, then the divisor.
struct MeterBlock {
    uint8_t bytes[8];
    uint32_t divisor;
};

} // namespace

AM_View_Meter::AM_View_Meter(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Meter %u", unsigned(getId()));
    setName(name);
    initControl(0, 3, kPorts, 0, nullptr, 10, kColourNames, 3, kGraphicNames, true);
}

AM_View_Meter::~AM_View_Meter() = default;

AM_ViewControl* AM_View_Meter::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* meter = new AM_View_Meter(viewMan, bounds);
    meter->setFactory(&AM_View_Meter::create);
    return meter;
}

const char* AM_View_Meter::getTypeName() const
{
    return kTypeName;
}

bool AM_View_Meter::portBound(int32_t i) const
{
    const AM_PortRecord* port = const_cast<AM_View_Meter*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

void AM_View_Meter::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (i == kLevelPort && parameter != nullptr) {
        minimum_ = parameter->min;
        maximum_ = parameter->max;
        default_ = parameter->defaultValue;
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

const void* AM_View_Meter::getValuePointer(int32_t port)
{
    (void)port;
    return &value_;
}

void AM_View_Meter::setParameterValue(int32_t i, const void* value)
{
    // Ports 1 and 2 carry blocks, which the timer reads itself.
    if (i == kLevelPort && value != nullptr) {
        std::memcpy(&value_, value, sizeof value_);
    }
    AM_ViewControl::setParameterValue(i, value);
}

void AM_View_Meter::pollBlock(int32_t port, bool withDivisor)
{
    if (--pollCountdown_ >= 0) {
        return;
    }
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const AM_ParamInfo* parameter = getPort(port)->parameter;
    const auto* data =
        host != nullptr ? static_cast<const uint8_t*>(
                              host->getParameterValue(static_cast<int32_t>(parameter->index)))
                        : nullptr;
    if (data == nullptr) {
        return;
    }
    // A block shorter than three words gives zeros for what it lacks.
    MeterBlock block{};
    const size_t size = std::clamp(parameter->max, 0.0f, float(sizeof block));
    std::memcpy(&block, data, size);
    if (withDivisor && block.divisor != divisor_) {
        divisor_ = block.divisor;
        pollCountdown_ = 0;
        redraw();
    }
    if (std::memcmp(block.bytes, block_, sizeof block_) == 0) {
        pollCountdown_ = kIdlePolls;
        return;
    }
    std::memcpy(block_, block.bytes, sizeof block_);
    pollCountdown_ = 0;
    redraw();
}

float AM_View_Meter::lampLevel(float value) const
{
    const float offset = value - runningStep_;
    if (!(offset >= 0.0f && offset < runningRange_)) {
        return 0.0f;
    }
    return dimming_ != 0 ? 1.0f - offset / runningRange_ : 1.0f;
}

void AM_View_Meter::pollLevel()
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const AM_ParamInfo* parameter = getPort(kLevelPort)->parameter;
    const void* current =
        host != nullptr ? host->getParameterValue(static_cast<int32_t>(parameter->index)) : nullptr;
    if (current == nullptr) {
        return;
    }
    float v = 0.0f;
    std::memcpy(&v, current, sizeof v);
    if (runningLight_ != 0) {
        if (v == value_) {
            return;
        }
        const bool wasIn = lampLevel(value_) > 0.0f || value_ == runningStep_;
        const bool isIn = lampLevel(v) > 0.0f || v == runningStep_;
        if (wasIn != isIn || (dimming_ != 0 && isIn)) {
            setParameterValue(kLevelPort, &v);
        }
        value_ = v;
        return;
    }
    if (moduleUpdate_ != 0) {
        if (v != value_) {
            value_ = v;
            refreshModule();
        }
        return;
    }
    if (std::fabs(v - value_) > kRedrawThreshold) {
        value_ = v;
        redraw();
    }
}

void AM_View_Meter::refreshModule()
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const AM_ParamInfo* bound = getPort(kLevelPort)->parameter;
    if (host == nullptr || bound == nullptr) {
        return;
    }
    const int32_t first = static_cast<int32_t>(bound->index) - static_cast<int32_t>(bound->localNumber);
    for (int32_t index = std::max(first, 0);; ++index) {
        const AM_ParamInfo* info = host->getParameterInfo(index, false);
        if (info == nullptr || info->moduleIndex != bound->moduleIndex) {
            break;
        }
        if (info->kind() == k_meter || (info->flags & kNoRefreshFlags) != 0) {
            continue;
        }
        host->parameterChanged(index, host->getParameterValue(index), false);
    }
}

void AM_View_Meter::onTimer()
{
    if (!isVisible()) {
        return;
    }
    if (portBound(kMultiPort)) {
        pollBlock(kMultiPort, true);
    }
    if (portBound(kSurroundPort)) {
        pollBlock(kSurroundPort, false);
    }
    if (portBound(kLevelPort)) {
        pollLevel();
    }
}

void AM_View_Meter::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    const float range = maximum_ - minimum_;
    float p = range != 0.0f ? std::min((value_ - minimum_) / range, 1.0f) : 0.0f;
    if (AM_Graphic* background = getGraphic(kMeterBackground)) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (AM_Colour* fill = getColour(kBackground)) {
        context->setColourFromObject(fill);
        context->fillRect(&bounds_);
    }
    if (AM_Colour* border = getColour(kBorder)) {
        context->setColourFromObject(border);
        const AM_Rect frame{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1, bounds_.h - 1};
        context->frameRect(&frame);
    }
    const AM_Rect inner{bounds_.x + 1, bounds_.y + 1, bounds_.w - 2, bounds_.h - 2};
    if (portBound(kLevelPort)) {
        AM_Graphic* level = getGraphic(kMeterValue);
        const float lamp = lampLevel(value_);
        if (level != nullptr) {
            if (runningLight_ != 0) {
                level->draw(context, &bounds_, lamp > 0.0f ? 1.0f : 0.0f);
                return;
            }
            level->draw(context, &bounds_, p);
        }
        if (runningLight_ != 0) {
            if (lamp <= 0.0f) {
                return;
            }
            p = lamp;
        }
        if (AM_Colour* colour = getColour(kValue)) {
            if (runningLight_ != 0) {
                const uint32_t rgba = colour->getPacked();
                const auto alpha = static_cast<uint32_t>(float(rgba & 0xFF) * p);
                context->setColourPacked((rgba & 0xFFFFFF00u) | std::min(alpha, 0xFFu));
                context->fillRect(&inner);
            } else {
                context->setColourFromObject(colour);
                const AM_Rect bar =
                    AM_View_Slider::valueBar(inner, value_, minimum_, range, vertical_ != 0);
                context->fillRect(&bar);
            }
        }
        if (AM_Graphic* handle = getGraphic(kMeterHandle)) {
            const float length = AM_View_Slider::handleLength(handle, bounds_, vertical_ != 0);
            // A level past the range keeps the handle inside the meter.
            const AM_Rect place = AM_View_Slider::handleRect(
                bounds_, length, std::clamp(p, 0.0f, 1.0f), vertical_ != 0);
            handle->draw(context, &place, p);
        }
    }
    if (portBound(kMultiPort)) {
        float scale = kDefaultLineScale;
        if (divisor_ >= 1) {
            scale = 1.0f / static_cast<float>(divisor_);
        } else {
            AM_STD::printv("div not set - %d\n", int(divisor_));
        }
        for (int32_t i = 0; i < kBlockBytes; ++i) {
            AM_Colour* colour = getColour(kValue + i);
            if (block_[i] == kNoLine || colour == nullptr) {
                continue;
            }
            const float b = static_cast<float>(block_[i]) * scale;
            const AM_Rect line = vertical_ != 0
                                     ? AM_Rect{bounds_.x, bounds_.y + (1 - b) * (bounds_.h - 1), bounds_.w, 1}
                                     : AM_Rect{bounds_.x + b * (bounds_.w - 1), bounds_.y, 1, bounds_.h};
            context->setColourFromObject(colour);
            context->fillRect(&line);
        }
    }
    AM_Graphic* level = getGraphic(kMeterValue);
    if (portBound(kSurroundPort) && level != nullptr) {
        const float c = std::trunc((bounds_.w + 7) * 0.125f);
        const float r = std::trunc(bounds_.h * 0.5f);
        for (int32_t i = 0; i < kBlockBytes; ++i) {
            const float x = bounds_.x + static_cast<float>(i) * c;
            const AM_Rect upper{x, bounds_.y, c, r};
            const AM_Rect lower{x, bounds_.y + r, c, r};
            level->draw(context, &upper, static_cast<float>(block_[i] >> 4) / 15.0f);
            level->draw(context, &lower, static_cast<float>(block_[i] & 0x0F) / 15.0f);
        }
    }
}

void AM_View_Meter::copyProperties(AM_ViewControl* clone)
{
    auto* meter = dynamic_cast<AM_View_Meter*>(clone);
    if (meter == nullptr) {
        return;
    }
    meter->vertical_ = vertical_;
    meter->dimming_ = dimming_;
    if (runningLight_ != 0) {
        meter->setPortParameter(kLevelPort, getPort(kLevelPort)->parameter);
        meter->runningLight_ = 1;
        meter->runningStep_ = runningStep_ + runningRange_;
        meter->runningRange_ = runningRange_;
    }
}

AM_ControlMenu AM_View_Meter::buildEditItems() const
{
    AM_ControlMenu menu;
    AM_addMenuSeparator(&menu);
    menu.push_back({"vertical", AM_controlCommand(kToggleVertical), true, vertical_ != 0});
    menu.push_back(
        {"ModuleUpdate", AM_controlCommand(kToggleModuleUpdate), true, moduleUpdate_ != 0});
    menu.push_back({"Dimming", AM_controlCommand(kToggleDimming), true, dimming_ != 0});
    menu.push_back(
        {"RunningLight", AM_controlCommand(kToggleRunningLight), true, runningLight_ != 0});
    return menu;
}

bool AM_View_Meter::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                      const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    if (menuId == kControlEditMenu && AM_menuCode(item->command) == kControlMenuCode) {
        applyEditCommand(item->command);
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_Meter::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_buildClassEditMenu(this, point, open, extra, buildEditItems());
}

bool AM_View_Meter::applyEditCommand(uint32_t command)
{
    if ((command & 0xFFFF) != kControlMenuCode) {
        return false;
    }
    switch (command >> 16) {
    case kToggleVertical:
        vertical_ ^= 1;
        break;
    case kToggleModuleUpdate:
        moduleUpdate_ ^= 1;
        break;
    case kToggleDimming:
        dimming_ ^= 1;
        break;
    case kToggleRunningLight:
        runningLight_ ^= 1;
        break;
    default:
        break;
    }
    redraw();
    return true;
}

void AM_View_Meter::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    writer.property(getName(), kDirectionKey, 0, vertical_ != 0 ? "vertical" : "horizontal");
    if (moduleUpdate_ != 0) {
        writer.property(getName(), kModuleUpdateKey, 0, "Yes");
    }
    if (dimming_ != 0) {
        writer.property(getName(), kDimmingKey, 0, "Yes");
    }
    if (runningLight_ != 0) {
        char number[64];
        writer.property(getName(), kRunningLightKey, 0, "Yes");
        std::snprintf(number, sizeof number, "%.2f", double(runningStep_));
        writer.property(getName(), kRunningStepKey, 0, number);
        std::snprintf(number, sizeof number, "%.2f", double(runningRange_));
        writer.property(getName(), kRunningRangeKey, 0, number);
    }
}

void AM_View_Meter::setProperty(const char* name, int32_t id, const char* value)
{
    if (name != nullptr && value != nullptr) {
        float number = 0.0f;
        if (std::strcmp(name, kDirectionKey) == 0) {
            vertical_ = std::strcmp(value, "vertical") == 0 ? 1 : 0;
        } else if (std::strcmp(name, kModuleUpdateKey) == 0) {
            moduleUpdate_ = 1;
        } else if (std::strcmp(name, kDimmingKey) == 0) {
            dimming_ = 1;
        } else if (std::strcmp(name, kRunningLightKey) == 0) {
            runningLight_ = 1;
        } else if (std::strcmp(name, kRunningStepKey) == 0) {
            if (std::sscanf(value, "%f", &number) == 1 && std::isfinite(number)) {
                runningStep_ = number;
            }
        } else if (std::strcmp(name, kRunningRangeKey) == 0) {
            // A window of no width would never light.
            if (std::sscanf(value, "%f", &number) == 1 && std::isfinite(number) && number > 0) {
                runningRange_ = number;
            }
        }
    }
    AM_ViewControl::setProperty(name, id, value);
}
