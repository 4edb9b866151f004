// The plug-in class: parameters by host index. Below 10000 a host index is
// a published number, from 10000 up the global id + 10000. Every index is
// checked here before anything looks it up; the host sees values 0..1, the
// engine plain values between the descriptor's minimum and maximum.

#include "plugin/AM_VST_base.h"

#include "foundation/AM_STD.h"
#include "params/object/AM_ParamInfo.h"
#include "plugin/vst/VstParameterProperties.h"
#include "plugin/vst/VstStrings.h"
#include "synth/Synth_AudioMan.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr const char* kNoEngineText = "empty";
constexpr const char* kUnitLabel = "unit";

} // namespace

bool AM_VST_base::resolveHostIndex(VstInt32 hostIndex, int32_t& index, bool& published) const
{
    if (!audioMan_ || hostIndex < 0)
        return false;
    if (hostIndex < kInternalIndexOffset) {
        index = hostIndex;
        published = true;
        return hostIndex < audioMan_->getParameterCount(true);
    }
    index = hostIndex - kInternalIndexOffset;
    published = false;
    return index < audioMan_->getParameterCount(false);
}

const AM_ParamInfo* AM_VST_base::descriptorOf(VstInt32 hostIndex, int32_t& index,
                                              bool& published) const
{
    if (!resolveHostIndex(hostIndex, index, published))
        return nullptr;
    return audioMan_->getParameterDescriptor(index, published);
}

void AM_VST_base::setParameter(VstInt32 hostIndex, float value)
{
    // The host answering the editor's own automation: already applied.
    if (editorAutomationIndex_.load(std::memory_order_acquire) == hostIndex &&
        editorAutomationThread_.load(std::memory_order_acquire) == std::this_thread::get_id())
        return;
    int32_t index = 0;
    bool published = false;
    const AM_ParamInfo* info = descriptorOf(hostIndex, index, published);
    if (info == nullptr || !std::isfinite(value))
        return;
    const float normalised = std::clamp(value, 0.0f, 1.0f);
    const float plain = (info->max - info->min) * normalised + info->min;
    audioMan_->setParameter(index, plain, published);
    notifyEditor({AM_EditorNotification::kParameterChanged, index, plain, published});
}

float AM_VST_base::getParameter(VstInt32 hostIndex)
{
    int32_t index = 0;
    bool published = false;
    const AM_ParamInfo* info = descriptorOf(hostIndex, index, published);
    if (info == nullptr)
        return 0.0f;
    const float range = info->max - info->min;
    // A parameter whose minimum equals its maximum has nothing to normalise.
    if (range == 0.0f || !std::isfinite(range))
        return 0.0f;
    const float normalised = (audioMan_->getParameter(index, published) - info->min) / range;
    return std::isfinite(normalised) ? std::clamp(normalised, 0.0f, 1.0f) : 0.0f;
}

void AM_VST_base::getParameterName(VstInt32 hostIndex, char* text)
{
    if (!audioMan_) {
        vst::copyString(text, kNoEngineText, kVstMaxParamStrLen);
        return;
    }
    int32_t index = 0;
    bool published = false;
    const AM_ParamInfo* info = descriptorOf(hostIndex, index, published);
    // The short name has at most 7 characters: it fits the 8-byte limit.
    vst::copyString(text, info != nullptr ? info->shortName : "", kVstMaxParamStrLen);
    AM_STD::printv("Param %d", hostIndex);
    AM_STD::printv("label %s", text);
}

void AM_VST_base::getParameterDisplay(VstInt32 hostIndex, char* text)
{
    if (!audioMan_) {
        vst::copyString(text, kNoEngineText, kVstMaxParamStrLen);
        return;
    }
    int32_t index = 0;
    bool published = false;
    if (!resolveHostIndex(hostIndex, index, published)) {
        vst::copyString(text, "", kVstMaxParamStrLen);
        return;
    }
    AM_STD::sprintn(text, kVstMaxParamStrLen, "%.2f", audioMan_->getParameter(index, published));
}

void AM_VST_base::getParameterLabel(VstInt32, char* text)
{
    vst::copyString(text, kUnitLabel, kVstMaxParamStrLen);
}

bool AM_VST_base::getParameterProperties(VstInt32 hostIndex, VstParameterProperties* properties)
{
    if (!audioMan_ || properties == nullptr || hostIndex < 0 || hostIndex >= cEffect.numParams)
        return false;
    int32_t index = 0;
    bool published = false;
    const AM_ParamInfo* info = descriptorOf(hostIndex, index, published);
    if (info == nullptr || !published)
        return false;
    *properties = VstParameterProperties{};
    char shortName[k_shortNameBytes + 1] = {};
    std::memcpy(shortName, info->shortName, k_shortNameBytes);
    vst::copyString(properties->label, info->longName[0] != 0 ? info->longName : shortName,
                    kVstMaxLabelLen);
    vst::copyString(properties->shortLabel, shortName, kVstMaxShortLabelLen);
    return true;
}

void AM_VST_base::automateFromEditor(VstInt32 publishedIndex, float normalised)
{
    if (publishedIndex < 0 || !std::isfinite(normalised))
        return;
    editorAutomationThread_.store(std::this_thread::get_id(), std::memory_order_release);
    editorAutomationIndex_.store(publishedIndex, std::memory_order_release);
    callHost(audioMasterAutomate, publishedIndex, 0, nullptr, std::clamp(normalised, 0.0f, 1.0f));
    editorAutomationIndex_.store(-1, std::memory_order_release);
}
