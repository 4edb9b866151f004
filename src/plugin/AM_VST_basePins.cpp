// The plug-in class: pin properties and speaker arrangements.
//
// A host arrangement is taken only when it has 1 to C channels, C being
// what one bus holds; otherwise the plug-in keeps an arrangement of C
// channels of its own and answers false.

#include "plugin/AM_VST_base.h"

#include "engine/module/AM_PluginInfo.h"
#include "foundation/AM_STD.h"
#include "plugin/vst/VstStrings.h"
#include "synth/Synth_AudioMan.h"

#include <cstring>

namespace {

constexpr const char* kInputLabelFormat = "In%d";
constexpr const char* kOutputLabelFormat = "Out%s%d";
// Characters of the effect name that begin a short label.
constexpr size_t kShortLabelNameChars = 6;
constexpr VstInt32 kPinFlags = kVstPinIsActive | kVstPinIsStereo;

struct ArrangementType {
    int32_t channels;
    VstInt32 type;
};

constexpr ArrangementType kArrangementTypes[] = {
    {1, kSpeakerArrMono},     {2, kSpeakerArrStereo},   {3, kSpeakerArr30Music},
    {4, kSpeakerArr40Music},  {5, kSpeakerArr50},       {6, kSpeakerArr51},
    {7, kSpeakerArr70Music},  {8, kSpeakerArr71Music},  {9, kSpeakerArr81Music},
    {10, kSpeakerArr81Music}, {11, kSpeakerArr81Music}, {12, kSpeakerArr102},
};

} // namespace

VstInt32 AM_VST_base::arrangementTypeFor(int32_t channels)
{
    for (const ArrangementType& entry : kArrangementTypes)
        if (entry.channels == channels)
            return entry.type;
    return kSpeakerArrMono;
}

void AM_VST_base::makeArrangement(VstSpeakerArrangement** arrangement, int32_t channels,
                                  VstInt32 type)
{
    if (!allocateArrangement(arrangement, channels > 0 ? channels : 1))
        return;
    (*arrangement)->numChannels = channels > 0 ? channels : 0;
    (*arrangement)->type = type;
}

bool AM_VST_base::fillPin(VstInt32 index, VstPinProperties* properties, bool output)
{
    if (!audioMan_)
        return true;
    const AM_PluginInfo* info = audioMan_->getPluginInfo();
    const auto buses = static_cast<int64_t>(output ? info->outputBuses : info->inputBuses);
    if (index < 0 || index >= buses * busChannels_)
        return false;
    if (properties == nullptr)
        return true;
    char effectName[k_pluginNameBytes + 1] = {};
    std::memcpy(effectName, info->effectName,
                vst::boundedLength(info->effectName, k_pluginNameBytes));
    if (output)
        AM_STD::sprintn(properties->label, kVstMaxLabelLen, kOutputLabelFormat, effectName,
                        index + 1);
    else
        AM_STD::sprintn(properties->label, kVstMaxLabelLen, kInputLabelFormat, index);
    const size_t nameChars = vst::boundedLength(effectName, kShortLabelNameChars);
    std::memset(properties->shortLabel, 0, kVstMaxShortLabelLen);
    std::memcpy(properties->shortLabel, effectName, nameChars);
    properties->shortLabel[nameChars] = static_cast<char>((output ? '1' : '0') + index);
    properties->flags = kPinFlags;
    return true;
}

bool AM_VST_base::getInputProperties(VstInt32 index, VstPinProperties* properties)
{
    return fillPin(index, properties, false);
}

bool AM_VST_base::getOutputProperties(VstInt32 index, VstPinProperties* properties)
{
    return fillPin(index, properties, true);
}

bool AM_VST_base::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                        VstSpeakerArrangement** pluginOutput)
{
    if (pluginInput == nullptr || pluginOutput == nullptr)
        return false;
    *pluginInput = inputArrangement_;
    *pluginOutput = outputArrangement_;
    multiChannel_.store(true, std::memory_order_relaxed);
    return true;
}

bool AM_VST_base::acceptArrangement(VstSpeakerArrangement** stored,
                                    const VstSpeakerArrangement* offered)
{
    if (isValidArrangement(offered, busChannels_) && matchArrangement(stored, offered))
        return true;
    makeArrangement(stored, busChannels_, arrangementTypeFor(busChannels_));
    return false;
}

bool AM_VST_base::setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                                        VstSpeakerArrangement* pluginOutput)
{
    if (!audioMan_)
        return true;
    if (pluginInput == nullptr || pluginOutput == nullptr)
        return false;
    multiChannel_.store(true, std::memory_order_relaxed);
    const bool input = acceptArrangement(&inputArrangement_, pluginInput);
    const bool output = acceptArrangement(&outputArrangement_, pluginOutput);
    AM_STD::printv("resulting in SpeakerArrangement %d - %d",
                   inputArrangement_ ? inputArrangement_->numChannels : 0,
                   outputArrangement_ ? outputArrangement_->numChannels : 0);
    return input && output;
}
