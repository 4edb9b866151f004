// AudioEffectX: speaker-arrangement helpers. Arrangement records are of
// variable length, so they live in zeroed heap blocks (calloc/free).
#include "plugin/vst/AudioEffectX.h"

#include "plugin/vst/VstStrings.h"

#include <cstdlib>
#include <cstring>

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels)
{
    if (arrangement == nullptr || channels <= 0 || channels > kMaxArrangementChannels)
        return false;
    void* block = std::calloc(1, vstSpeakerArrangementBytes(static_cast<size_t>(channels)));
    if (block == nullptr)
        return false;
    std::free(*arrangement);
    *arrangement = static_cast<VstSpeakerArrangement*>(block);
    (*arrangement)->numChannels = channels;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement)
{
    if (arrangement == nullptr)
        return false;
    std::free(*arrangement);
    *arrangement = nullptr;
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, const VstSpeakerProperties* from)
{
    if (to == nullptr || from == nullptr)
        return false;
    if (to == from)
        return true;
    vst::copyString(to->name, from->name, kVstMaxNameLen);
    to->type = from->type;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memcpy(to->future, from->future, sizeof(to->future));
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, const VstSpeakerArrangement* from)
{
    if (to == nullptr || !isValidArrangement(from, kMaxArrangementChannels))
        return false;
    if (*to == from)
        return true;
    // Build the copy aside, so a failure leaves *to as it was.
    VstSpeakerArrangement* copy = nullptr;
    if (!allocateArrangement(&copy, from->numChannels))
        return false;
    copy->type = from->type;
    for (VstInt32 i = 0; i < from->numChannels; ++i)
        copySpeaker(vst::speakerAt(copy, i), vst::speakerAt(from, i));
    std::free(*to);
    *to = copy;
    return true;
}

bool AudioEffectX::isValidArrangement(const VstSpeakerArrangement* arrangement,
                                      VstInt32 maxChannels)
{
    return arrangement != nullptr && arrangement->numChannels > 0 &&
           arrangement->numChannels <= maxChannels &&
           arrangement->numChannels <= kMaxArrangementChannels;
}
