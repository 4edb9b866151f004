// The plug-in's factory, called by the module's entry. The plug-in gets an
// editor when an editor factory is registered (see AM_VST_EditorSeam.h);
// otherwise it announces none and answers effEditOpen with 0.

#include "plugin/AM_VST_Edit.h"
#include "plugin/AM_VST_EditorSeam.h"
#include "plugin/vst/PluginEntry.h"

#include <atomic>

namespace {

std::atomic<AM_VST_EditorFactory> g_editorFactory{nullptr};

} // namespace

void AM_VST_setEditorFactory(AM_VST_EditorFactory factory)
{
    g_editorFactory.store(factory, std::memory_order_release);
}

AM_VST_EditorFactory AM_VST_getEditorFactory()
{
    return g_editorFactory.load(std::memory_order_acquire);
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    auto* effect = new AM_VST_Edit(audioMaster);
    if (const AM_VST_EditorFactory factory = AM_VST_getEditorFactory()) {
        if (AM_VST_EditorSeam* editor = factory(effect))
            effect->attachEditor(editor);
    }
    return effect;
}
