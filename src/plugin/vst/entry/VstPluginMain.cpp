// The module's exported entry points. This file is compiled into each
// plug-in module (see VstPlugin.cmake), never into a library or program:
// it defines the symbol main.
#include "platform/Module.h"
#include "plugin/vst/PluginEntry.h"

extern "C" {

__attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    return vst::createPluginEffect(audioMaster, createEffectInstance);
}

// The same function under the name some hosts look up; one address, two names.
__attribute__((visibility("default"))) AEffect*
vstPluginMainAlias(audioMasterCallback audioMaster) asm("main")
    __attribute__((alias("VSTPluginMain")));

} // extern "C"

namespace {

// Runs when the module is loaded, before the host can call the entry: the
// platform layer learns which module it lives in (for the plug-in folder).
__attribute__((constructor)) void storeModuleAddress()
{
    platform::setModuleAddress(reinterpret_cast<const void*>(&VSTPluginMain));
}

} // namespace
