// The VST plug-in's GUI-to-engine interface: the record caches, parameter
// values to and from the engine and the host, MIDI learn.

#include "presets/AM_VST_View_Interface.h"

#include "foundation/AM_STD.h"
#include "params/object/AM_ParamInfo.h"
#include "plugin/AM_VST_base.h"
#include "presets/AM_VST_EditorBase.h"
#include "presets/AM_ValueNameAt.h"
#include "presets/AM_ViewManServices.h"
#include "presets/AM_ViewText.h"
#include "script/ScriptPrint.h"
#include "synth/Synth_AudioMan.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kNoIndex = UINT32_MAX;
constexpr const char* kHostExtension = "fxp";

bool isText(const AM_ParamInfo& info)
{
    return info.type == k_typeTextData || (info.flags & k_paramTextData) != 0;
}

uint32_t blockBytes(const AM_ParamInfo& info)
{
    return info.max > 0.0f ? static_cast<uint32_t>(std::min(info.max, 16777216.0f)) : 0;
}

// The host's 0..1 for a plain value; 0 for a parameter without a range.
float normalised(const AM_ParamInfo& info, float value)
{
    const float range = info.max - info.min;
    if (range == 0.0f || !std::isfinite(range))
        return 0.0f;
    const float n = (value - info.min) / range;
    return std::isfinite(n) ? std::clamp(n, 0.0f, 1.0f) : 0.0f;
}

} // namespace

AM_VST_View_Interface::AM_VST_View_Interface(AM_VST_EditorBase& editor) : editor_(editor)
{
    setDefaultExtension(kHostExtension);
}

AM_VST_View_Interface::~AM_VST_View_Interface() = default;

AM_VST_base* AM_VST_View_Interface::plugin() const
{
    return editor_.getPlugin();
}

void AM_VST_View_Interface::sizeWindow(int32_t width, int32_t height)
{
    editor_.sizeWindow(width, height);
}

void* AM_VST_View_Interface::getParentWindow()
{
    return editor_.getWindow();
}

AM_AudioMan* AM_VST_View_Interface::getAudioMan()
{
    AM_VST_base* effect = plugin();
    return effect != nullptr ? effect->getAudioMan() : nullptr;
}

void AM_VST_View_Interface::initialize(AM_ViewManServices* viewMan)
{
    AM_AudioMan* audio = getAudioMan();

    std::vector<AM_ModuleRecord> modules;
    const int32_t moduleCount = audio != nullptr ? audio->getModuleCount() : 0;
    for (int32_t i = 0; i < moduleCount; ++i) {
        const AM_ModuleRecord* record = audio->getModuleRecord(i);
        AM_ModuleRecord copy{};
        if (record != nullptr)
            copy = *record;
        copy.group = static_cast<int32_t>(static_cast<uint32_t>(copy.group) | kModuleActive);
        modules.push_back(copy);
    }
    setModuleTable(std::move(modules));

    parameters_.clear();
    automatableCount_ = 0;
    int32_t selector = -1;
    const int32_t parameterCount = audio != nullptr ? audio->getParameterCount(false) : 0;
    parameters_.reserve(static_cast<size_t>(std::max(parameterCount, 0)));
    for (int32_t i = 0; i < parameterCount; ++i) {
        const AM_ParamInfo* info = audio->getParameterDescriptor(i, false);
        AM_ParamInfo copy{};
        if (info != nullptr)
            copy = *info;
        if ((copy.flags & k_paramPublished) != 0)
            ++automatableCount_;
        if (copy.kind() == k_kindInteger && (copy.flags & k_paramSourceSelector) != 0)
            selector = i;
        parameters_.push_back(copy);
    }
    dataCopies_.assign(parameters_.size(), {});

    AM_View_Interface::initialize(viewMan);

    hostIndexMap_.clear();
    if (automatableCount_ > 0) {
        const int32_t published = std::max(audio->getParameterCount(true), automatableCount_);
        hostIndexMap_.assign(static_cast<size_t>(published), kNoIndex);
        for (int32_t i = 0; i < parameterCount; ++i) {
            const AM_ParamInfo* info = audio->getParameterDescriptor(i, false);
            if (info == nullptr || info->kind() == k_kindData ||
                (info->flags & k_paramPublished) == 0)
                continue;
            if (info->publishedIndex >= 0 && info->publishedIndex < published)
                hostIndexMap_[static_cast<size_t>(info->publishedIndex)] = static_cast<uint32_t>(i);
        }
    }
    if (selector >= 0)
        buildValueNames(getParameterInfo(selector, false));
    if (viewMan_ != nullptr)
        viewMan_->parametersRefreshed();
}

int32_t AM_VST_View_Interface::getNumParameters()
{
    return static_cast<int32_t>(parameters_.size());
}

int32_t AM_VST_View_Interface::getNumModules()
{
    return static_cast<int32_t>(moduleTable().size());
}

AM_ModuleRecord* AM_VST_View_Interface::getModuleInfoByIndex(int32_t id)
{
    std::vector<AM_ModuleRecord>& modules = moduleTable();
    if (id < 0 || static_cast<size_t>(id) >= modules.size())
        return nullptr;
    return &modules[static_cast<size_t>(id)];
}

int32_t AM_VST_View_Interface::hostIndexToInternal(int32_t publishedIndex) const
{
    if (publishedIndex < 0 || static_cast<size_t>(publishedIndex) >= hostIndexMap_.size())
        return -1;
    const uint32_t index = hostIndexMap_[static_cast<size_t>(publishedIndex)];
    return index == kNoIndex ? -1 : static_cast<int32_t>(index);
}

int32_t AM_VST_View_Interface::internalIndexOf(int32_t publishedIndex)
{
    return hostIndexToInternal(publishedIndex);
}

void AM_VST_View_Interface::setParameterValue(int32_t index, const void* value)
{
    AM_AudioMan* audio = getAudioMan();
    const AM_ParamInfo* info =
        index < getNumParameters() ? getParameterInfo(index, false) : nullptr;
    if (audio == nullptr || info == nullptr || value == nullptr)
        return;
    if (info->kind() != k_kindData) {
        float plain = 0.0f;
        std::memcpy(&plain, value, sizeof plain);
        if (!std::isfinite(plain)) {
            AM_STD::printv("setParameterValue: %s refused a value that is not a number",
                           info->shortName);
            return;
        }
        if (info->min <= info->max)
            plain = std::clamp(plain, info->min, info->max);
        // Applied here, once: the host only hears of it, and its answer
        // (a setParameter for the same parameter) is not applied again.
        audio->setParameter(index, plain, false);
        if ((info->flags & k_paramPublished) != 0 && info->publishedIndex >= 0 && plugin())
            plugin()->automateFromEditor(info->publishedIndex, normalised(*info, plain));
        parameterChanged(index, static_cast<const void*>(&plain), false);
    } else {
        const uint32_t bytes = blockBytes(*info);
        if (bytes == 0)
            return;
        if (isText(*info)) {
            // A text ends at its terminator, which may come long before the
            // block's end: only that much of it is read.
            textScratch_.assign(bytes, 0);
            const auto* text = static_cast<const char*>(value);
            uint32_t length = 0;
            while (length + 1 < bytes && text[length] != 0)
                ++length;
            std::memcpy(textScratch_.data(), text, length);
            audio->setBinaryParameterData(index, textScratch_.data(), bytes);
            parameterChanged(index, static_cast<const void*>(textScratch_.data()), false);
        } else {
            audio->setBinaryParameterData(index, value, bytes);
            parameterChanged(index, value, false);
        }
    }
    if ((info->flags & kFlagRefreshAll) != 0 && viewMan_ != nullptr)
        viewMan_->requestParameterRefresh();
}

void AM_VST_View_Interface::parameterChanged(int32_t index, float value, bool published)
{
    const int32_t internal = published ? hostIndexToInternal(index) : index;
    const AM_ParamInfo* info = internal >= 0 && internal < getNumParameters()
                                   ? getParameterInfo(internal, false)
                                   : nullptr;
    // A data block's ports expect the block, not a number.
    if (info == nullptr || info->kind() == k_kindData)
        return;
    parameterChanged(internal, static_cast<const void*>(&value), false);
}

const void* AM_VST_View_Interface::getParameterValue(int32_t index)
{
    valueScratch_ = 0.0f;
    AM_AudioMan* audio = getAudioMan();
    if (index < 0 || index >= getNumParameters() || audio == nullptr)
        return &valueScratch_;
    const AM_ParamInfo* info = getParameterInfo(index, false);
    if (info != nullptr && info->kind() == k_kindData) {
        const uint32_t bytes = blockBytes(*info);
        std::vector<uint8_t>& copy = dataCopies_[static_cast<size_t>(index)];
        copy.assign(static_cast<size_t>(bytes) + 1, 0);
        if (bytes == 0 || !audio->copyBinaryParameterData(index, copy.data(), bytes))
            return nullptr;
        return copy.data();
    }
    valueScratch_ = audio->getParameter(index, false);
    return &valueScratch_;
}

void AM_VST_View_Interface::getParameterDisplay(int32_t index, const void* value, char* text)
{
    if (text == nullptr)
        return;
    const AM_ParamInfo* info =
        index < getNumParameters() ? getParameterInfo(index, false) : nullptr;
    if (info == nullptr || info->kind() != k_kindInteger) {
        AM_View_Interface::getParameterDisplay(index, value, text);
        return;
    }
    if (value == nullptr)
        value = getParameterValue(index);
    if (value == nullptr) {
        viewtext::copy(text, kDisplayTextBytes, "void");
        return;
    }
    float number = 0.0f;
    std::memcpy(&number, value, sizeof number);
    const int32_t whole = viewtext::truncated(number);
    AM_ValueNames names = nullptr;
    AM_AudioMan* audio = getAudioMan();
    const int32_t count =
        audio != nullptr ? audio->getParameterValueString(index, &names, false) : 0;
    const char* entry = AM_valueNameAt(names, count, number, info->min);
    if (entry == nullptr) {
        AM_STD::sprintn(text, kDisplayTextBytes, "%d", whole);
        return;
    }
    char name[k_valueNameBytes + 1];
    std::memcpy(name, entry, k_valueNameBytes);
    name[k_valueNameBytes] = 0;
    viewtext::copy(text, kDisplayTextBytes, name);
}

void AM_VST_View_Interface::beginEndEdit(int32_t index, bool begin)
{
    const AM_ParamInfo* info =
        index < getNumParameters() ? getParameterInfo(index, false) : nullptr;
    AM_VST_base* effect = plugin();
    if (info == nullptr || effect == nullptr || (info->flags & k_paramPublished) == 0 ||
        info->publishedIndex < 0)
        return;
    if (begin)
        effect->beginEdit(info->publishedIndex);
    else
        effect->endEdit(info->publishedIndex);
}

void AM_VST_View_Interface::midiLearn(const AM_ParamInfo* record, AM_PortOwner* control)
{
    AM_View_Interface::midiLearn(record, control);
    if (AM_VST_base* effect = plugin())
        effect->setMidiLearnParameter(record != nullptr ? static_cast<int32_t>(record->index) : -1);
}

void AM_VST_View_Interface::midiLearned(int32_t controller)
{
    midiLearnDone(controller);
}
