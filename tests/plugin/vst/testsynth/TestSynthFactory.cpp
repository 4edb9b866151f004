// The test plug-in module's factory.
#include "TestSynth.h"
#include "plugin/vst/PluginEntry.h"

#include <new>

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return new (std::nothrow) testsynth::TestSynth(audioMaster);
}
