#pragma once
// The base of a plug-in's editor. The effect owns its editor (see
// AudioEffect::setEditor) and forwards the host's editor opcodes to it.
//
// Threads: every call comes from the host's user-interface thread, never
// from the audio thread.

#include "plugin/vst/VstAbi.h"
#include "plugin/vst/VstEditorTypes.h"

class AudioEffect;

class AEffEditor {
public:
    // Remembers the effect; does not attach itself (the derived editor calls
    // AudioEffect::setEditor when it wants to be the effect's editor).
    explicit AEffEditor(AudioEffect* effect = nullptr);
    virtual ~AEffEditor();
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect();
    // Sets *rect to the editor's rectangle and answers true; the base sets
    // null and answers false.
    virtual bool getRect(ERect** rect);
    // Opens inside the host's parent window (an X11 window id in ptr). The
    // base stores the parent and answers false (no window of its own).
    virtual bool open(void* ptr);
    // Closes the window; the base forgets the parent.
    virtual void close();
    // True while a parent window is set.
    virtual bool isOpen();
    // Periodic call of the host while the editor is open; no-op here.
    virtual void idle();
    // Keys and wheel; true when the editor used them. False here.
    virtual bool onKeyDown(VstKeyCode& keyCode);
    virtual bool onKeyUp(VstKeyCode& keyCode);
    virtual bool onWheel(float distance);
    virtual bool setKnobMode(VstInt32 mode);

protected:
    AudioEffect* effect;
    void* systemWindow;
};
