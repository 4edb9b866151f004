#include "plugin/AM_VST_Edit.h"

#include "plugin/AM_VST_EditorSeam.h"

VstIntPtr AM_VST_Edit::vendorSpecific(VstInt32 index, VstIntPtr value, void*, float opt)
{
    AM_VST_EditorSeam* editorWindow = getEditorSeam();
    if (editorWindow == nullptr || !editorWindow->isOpen() || index != kWheelIndex ||
        value != kWheelValue)
        return 0;
    return editorWindow->onWheel(opt) ? 1 : 0;
}
