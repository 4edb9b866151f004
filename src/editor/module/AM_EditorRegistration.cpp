// Compiled into the plug-in module only: when the module is loaded, before
// the host can build a plug-in, the editor window's factory is registered,
// so every plug-in of the module gets an editor (and says so to the host).

#include "editor/AM_VST_Editor.h"
#include "plugin/AM_VST_EditorSeam.h"

namespace {

__attribute__((constructor)) void registerEditorFactory()
{
    AM_VST_setEditorFactory(&AM_VST_Editor::create);
}

} // namespace
