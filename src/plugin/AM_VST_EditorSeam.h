#pragma once
// What the plug-in class needs of its editor window and of the editor's
// view interface. The editor window derives from AM_VST_EditorSeam, its view
// interface from AM_VST_ViewSeam; the plug-in reaches them only through
// these operations.
//
// Threads: every call here comes from the host's user-interface thread
// (the editor opcodes and the delivery of notifications on the editor's
// idle call), never from the audio thread.

#include "plugin/vst/AEffEditor.h"

#include <cstdint>

// The editor's view interface as the plug-in tells it about changes.
class AM_VST_ViewSeam {
public:
    virtual ~AM_VST_ViewSeam() = default;
    // A parameter changed outside the editor (host automation, a MIDI
    // controller): its index (published numbering when published is true,
    // else the global id) and its plain value.
    virtual void parameterChanged(int32_t index, float value, bool published) = 0;
    // The host restored a state or MIDI chose another program.
    virtual void hostProgramChanged() = 0;
    // The host renamed the program.
    virtual void hostProgramNameChanged(const char* name) = 0;
    // MIDI learn, armed by the editor, took this controller.
    virtual void midiLearned(int32_t controller) { (void)controller; }
};

class AM_VST_base;

class AM_VST_EditorSeam : public AEffEditor {
public:
    explicit AM_VST_EditorSeam(AudioEffect* effect) : AEffEditor(effect) {}

    // The view interface of the open editor; null while the editor is closed.
    virtual AM_VST_ViewSeam* getViewInterface() = 0;
};

// Builds the editor window of a new plug-in object. The editor lives in a
// later library than the plug-in class, so the code that builds the final
// module registers its factory; without one the plug-ins get no editor.
using AM_VST_EditorFactory = AM_VST_EditorSeam* (*)(AM_VST_base* effect);

// Registers the factory (null: none). Any thread; plug-ins built meanwhile
// on another thread see the old or the new factory. Tests reset it to null.
void AM_VST_setEditorFactory(AM_VST_EditorFactory factory);
AM_VST_EditorFactory AM_VST_getEditorFactory();
