#include "plugin/vst/PluginEntry.h"

namespace vst {

AEffect* createPluginEffect(audioMasterCallback audioMaster, EffectFactory factory)
{
    if (audioMaster == nullptr || factory == nullptr)
        return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    AudioEffect* effect = factory(audioMaster);
    return effect != nullptr ? effect->getAeffect() : nullptr;
}

} // namespace vst
