// The plug-in's factory, called by the module's entry. The editor window is
// not built yet: the effect gets no editor, announces none, and answers
// effEditOpen with 0.

#include "plugin/AM_VST_Edit.h"
#include "plugin/vst/PluginEntry.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return new AM_VST_Edit(audioMaster);
}
