#pragma once
// How a host reaches a plug-in: the module exports VSTPluginMain (also under
// the name main, see entry/VstPluginMain.cpp), which asks the host for its
// version and builds the effect through the plug-in's factory.

#include "plugin/vst/AudioEffect.h"

// The plug-in's factory, defined by the plug-in (once per module): builds the
// effect object for a host, or answers null. Host's loading thread.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

namespace vst {

using EffectFactory = AudioEffect* (*)(audioMasterCallback audioMaster);

// The work of the exported entry: null for a host that is missing or answers
// audioMasterVersion with 0, or when the factory gives no object; otherwise
// the object's AEffect record. Host's loading thread.
AEffect* createPluginEffect(audioMasterCallback audioMaster, EffectFactory factory);

} // namespace vst
