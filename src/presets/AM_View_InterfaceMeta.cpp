// The GUI-to-engine interface: meta (XY) parameters and their targets, the
// names of the modulation sources and the modules they switch on and off,
// module selection and MIDI learn.

#include "presets/AM_View_Interface.h"

#include "foundation/AM_STD.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_ViewManServices.h"
#include "presets/AM_ValueNameAt.h"
#include "presets/AM_ViewText.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace {

constexpr const char* kNoMeta = "NoMeta";
// The range of an unassigned target.
constexpr float kUnassignedLow = -100.0f;
constexpr float kUnassignedHigh = 100.0f;
constexpr uint32_t kUsageMasks = 2;

// Short names of the "PCore" parameters of a meta target, counted from 1.
void targetName(char* out, size_t capacity, const char* prefix, int32_t slot, int32_t target)
{
    AM_STD::sprintn(out, capacity, "%s%d%d", prefix, slot + 1, target + 1);
}

bool validTarget(int32_t slot, int32_t target)
{
    return slot >= 0 && slot < AM_View_Interface::kMaxModTargets && target >= 0 &&
           target < AM_View_Interface::kMaxModTargets;
}

float floatAt(const void* value)
{
    float number = 0.0f;
    if (value != nullptr)
        std::memcpy(&number, value, sizeof number);
    return number;
}

} // namespace

int32_t AM_View_Interface::getNumMetaParameters()
{
    metaWalkPosition_ = 0;
    return metaParameterCount_;
}

int32_t AM_View_Interface::getNumModTargets()
{
    return modTargetCount_;
}

const char* AM_View_Interface::nextMetaParameterName()
{
    const int32_t n = getNumParameters();
    if (n < 1)
        return kNoMeta;
    for (int32_t tries = 0; tries < n; ++tries) {
        if (++metaWalkPosition_ >= n || metaWalkPosition_ < 0)
            metaWalkPosition_ = 0;
        const AM_ParamInfo* info = getParameterInfo(metaWalkPosition_, false);
        if (info != nullptr && info->kind() == k_kindXYAxis)
            return info->longName;
    }
    return kNoMeta;
}

int32_t AM_View_Interface::getModTarget(int32_t slot, int32_t target)
{
    if (!validTarget(slot, target))
        return -1;
    char name[k_shortNameBytes + 16];
    targetName(name, sizeof name, "MT", slot, target);
    const AM_ParamInfo* info = findCoreParameter(name);
    if (info == nullptr)
        return -1;
    const void* value = getParameterValue(static_cast<int32_t>(info->index));
    return value != nullptr ? viewtext::truncated(floatAt(value)) : -1;
}

void AM_View_Interface::assignModTarget(int32_t slot, int32_t parameter, int32_t target)
{
    // The target of an automatic assignment: the one that holds the
    // parameter already (which then lets it go), else the first free one.
    if (target == -1 && parameter >= 1 && parameter < kUnassignParameter) {
        for (int32_t t = modTargetCount_ - 1; t >= 0; --t) {
            if (getModTarget(slot, t) == parameter) {
                target = t;
                parameter = -1;
                break;
            }
        }
        if (target == -1) {
            for (int32_t t = 0; t < modTargetCount_; ++t) {
                if (getModTarget(slot, t) == -1) {
                    target = t;
                    break;
                }
            }
        }
    }
    if (!validTarget(slot, target))
        return;
    if (parameter == kUnassignParameter || parameter < 0)
        parameter = -1;
    else if (parameter >= getNumParameters() || getParameterInfo(parameter, false) == nullptr) {
        AM_STD::printv("assignModTarget: no parameter %d", parameter);
        return;
    }

    char name[k_shortNameBytes + 16];
    targetName(name, sizeof name, "MT", slot, target);
    const AM_ParamInfo* targetInfo = findCoreParameter(name);
    if (targetInfo == nullptr)
        return;
    const auto assigned = static_cast<float>(parameter);
    setParameterValue(static_cast<int32_t>(targetInfo->index), &assigned);

    if (viewMan_ != nullptr) {
        if (AM_InfoLine* line = viewMan_->getInfoLine(0)) {
            line->subject = getModuleInfoByIndex(targetInfo->moduleIndex);
            viewtext::copy(line->title, sizeof line->title, targetInfo->longName);
            const AM_ParamInfo* parameterInfo =
                parameter >= 0 ? getParameterInfo(parameter, false) : nullptr;
            if (parameterInfo != nullptr)
                AM_STD::sprintn(line->text, sizeof line->text, "%s -> %s", targetInfo->longName,
                                parameterInfo->longName);
            else
                AM_STD::sprintn(line->text, sizeof line->text, "%s unassigned",
                                targetInfo->longName);
            viewMan_->showInfoLine(0, true);
        }
    }
    writeTargetRange(slot, target, parameter);
}

void AM_View_Interface::writeTargetRange(int32_t slot, int32_t target, int32_t parameter)
{
    float low = kUnassignedLow;
    float high = kUnassignedHigh;
    float current = 0.0f;
    if (const AM_ParamInfo* info = parameter >= 0 ? getParameterInfo(parameter, false) : nullptr) {
        low = info->min;
        high = info->max;
        current = low;
        if (info->kind() != k_kindData)
            if (const void* value = getParameterValue(parameter))
                current = floatAt(value);
    }
    const float range = high - low;
    if (!std::isfinite(range) || !std::isfinite(current))
        return;
    struct Bound {
        const char* prefix;
        float value;
    };
    const Bound bounds[] = {{"ML", high - current}, {"MR", low - current}};
    for (const Bound& bound : bounds) {
        char name[k_shortNameBytes + 16];
        targetName(name, sizeof name, bound.prefix, slot, target);
        AM_ParamInfo* info = findCoreParameter(name);
        if (info == nullptr)
            continue;
        // The engine reads the range from other threads as it clamps.
        std::atomic_ref<float>(info->min).store(-range, std::memory_order_relaxed);
        std::atomic_ref<float>(info->max).store(range, std::memory_order_relaxed);
        std::atomic_ref<float>(info->defaultValue).store(0.0f, std::memory_order_relaxed);
        setParameterValue(static_cast<int32_t>(info->index), &bound.value);
    }
}

void AM_View_Interface::buildValueNames(const AM_ParamInfo* record)
{
    valueNames_.reset();
    valueNameCount_ = 0;
    if (record == nullptr || !(record->max >= 0.0f))
        return;
    const int32_t count = std::min(viewtext::truncated(record->max), kMaxValueNames - 1) + 1;
    valueNames_ = std::make_unique<char[][k_valueNameBytes]>(static_cast<size_t>(count));
    valueNameCount_ = count;
    for (int32_t i = 0; i < count; ++i) {
        const auto value = static_cast<float>(i);
        valueNames_[i][0] = 0;
        getParameterDisplay(static_cast<int32_t>(record->index), &value, valueNames_[i]);
        valueNames_[i][k_valueNameBytes - 1] = 0;
    }
}

AM_ValueNames AM_View_Interface::getValueNames()
{
    return valueNames_.get();
}

const char* AM_View_Interface::getValueName(float value) const
{
    return AM_valueNameAt(valueNames_.get(), valueNameCount_, value, 0.0f);
}

void AM_View_Interface::updateActiveModules(bool force)
{
    if (modules_.empty() || valueNames_ == nullptr)
        return;
    const int32_t usageIndices[kUsageMasks] = {usageIndex1_, usageIndex2_};
    uint32_t* lastMasks[kUsageMasks] = {&lastMask1_, &lastMask2_};
    for (uint32_t g = 0; g < kUsageMasks; ++g) {
        uint32_t mask = 0;
        if (usageIndices[g] > 0)
            if (const void* value = getParameterValue(usageIndices[g]))
                std::memcpy(&mask, value, sizeof mask);
        for (int32_t j = 0; j < kSourcesPerMask; ++j) {
            const int32_t name = static_cast<int32_t>(g) * kSourcesPerMask + j + 1;
            if (name >= valueNameCount_)
                break;
            const bool on = ((mask >> j) & 1u) != 0;
            const bool was = ((*lastMasks[g] >> j) & 1u) != 0;
            if (on == was && !force)
                continue;
            char moduleName[k_valueNameBytes];
            viewtext::copy(moduleName, sizeof moduleName, valueNames_[name]);
            AM_ModuleRecord* record = getModuleInfoL(moduleName);
            if (record == nullptr)
                continue;
            setModuleActiveL(moduleName, on);
            sendTopControlMessage(AM_ViewManServices::kControlsClassMask,
                                  AM_ViewManServices::kMsgShowModule, on ? 1u : 0u, moduleName);
        }
        *lastMasks[g] = mask;
    }
}

void AM_View_Interface::selectModule(const char* modulePath)
{
    selectedModuleId_ = -1;
    selectedModuleName_[0] = 0;
    if (modulePath == nullptr)
        return;
    const AM_ModuleRecord* record = getModuleInfoL(modulePath);
    if (record == nullptr)
        return;
    viewtext::modulePart(selectedModuleName_, sizeof selectedModuleName_, modulePath);
    AM_STD::printv("module selected: %s as %s", modulePath, selectedModuleName_);
    selectedModuleId_ = static_cast<int32_t>(record->moduleIndex);
}

void AM_View_Interface::midiLearn(const AM_ParamInfo* record, AM_PortOwner* control)
{
    learnParameter_ = record;
    learnControl_ = control;
}

void AM_View_Interface::midiLearnDone(int32_t controller)
{
    if (viewMan_ != nullptr)
        viewMan_->finishMidiLearn(learnParameter_, controller, learnControl_);
}
