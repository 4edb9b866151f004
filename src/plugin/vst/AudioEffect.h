#pragma once
// The base of a VST 2.4 effect: it fills the AEffect record a host receives,
// turns the record's function pointers into virtual calls and dispatches the
// opcodes effOpen to effSetChunk. AudioEffectX adds the rest of the
// interface; a plug-in derives from that.
//
// Threads: hosts call processReplacing (and effProcessEvents) on their audio
// thread and everything else on other threads, mostly their user-interface
// thread. This class takes no lock and allocates nothing on any path the
// audio thread reaches.
//
// Text handed to the host: the text opcodes give the overrides a zeroed
// buffer of kTextScratchBytes bytes and cut what they write to the opcode's
// published limit (kVstMaxProgNameLen, kVstMaxParamStrLen, ...), so the host's
// buffer never receives more than that limit, terminator included.

#include "plugin/vst/VstAbi.h"
#include "plugin/vst/VstOpcodes.h"

class AEffEditor;

class AudioEffect {
public:
    // Size of the buffer the dispatcher gives the text overrides.
    static constexpr VstInt32 kTextScratchBytes = 256;
    // Unique ID and version a fresh record carries until the plug-in sets its own.
    static constexpr VstInt32 kDefaultUniqueId = vst::fourCharCode('N', 'o', 'E', 'f');
    static constexpr VstInt32 kDefaultVersion = 1;
    static constexpr float kDefaultSampleRate = 44100.0f;
    static constexpr VstInt32 kDefaultBlockSize = 1024;

    // Stores the callback (may be null) and fills the record: 1 input,
    // 2 outputs, replacing processing, 44100 Hz, block size 1024.
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    // Deletes the editor. Not while processing.
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Answers the opcodes effOpen to effSetChunk; any other opcode answers 0.
    // Host threads, as each opcode allows.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    // Lifecycle hooks, no-ops here. Not while processing.
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    // Store the value. Not while processing.
    virtual void setSampleRate(float sampleRate);
    virtual void setBlockSize(VstInt32 blockSize);

    // Renders sampleFrames (> 0) into outputs. Audio thread only.
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    // Double precision is never announced; a no-op. Audio thread only.
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);

    // Parameters with normalised values 0..1; no-op and 0 here. Any thread.
    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    // setParameter, then tells the host (audioMasterAutomate). Any thread.
    virtual void setParameterAutomated(VstInt32 index, float value);

    // The current program number. Not while processing.
    virtual VstInt32 getProgram();
    virtual void setProgram(VstInt32 program);
    // Program name; name holds at least kVstMaxProgNameLen bytes (the
    // dispatcher gives kTextScratchBytes). No-op / empty here. Not while processing.
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);

    // Parameter texts; text holds at least kVstMaxParamStrLen bytes (the
    // dispatcher gives kTextScratchBytes). Empty here. Not while processing.
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);

    // State as an opaque chunk (isPreset: the current program only, else the
    // bank). getChunk stores a pointer the effect keeps valid until its next
    // state change and answers the size; setChunk answers 1 when it read the
    // state, 0 when it rejected the data. 0 here. Not while processing.
    virtual VstInt32 getChunk(void** data, bool isPreset = false);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);

    // Record fields and flags. Construction and not while processing.
    virtual void setUniqueID(VstInt32 uniqueId);
    virtual void setNumInputs(VstInt32 inputs);
    virtual void setNumOutputs(VstInt32 outputs);
    virtual void canProcessReplacing(bool state = true);
    virtual void canDoubleReplacing(bool state = true);
    virtual void programsAreChunks(bool state = true);
    virtual void setInitialDelay(VstInt32 delay);

    // Accessors. Any thread.
    virtual AEffEditor* getEditor();
    virtual AEffect* getAeffect();
    virtual float getSampleRate();
    virtual VstInt32 getBlockSize();

    // Host queries; each answers its default without a callback. Not on the
    // audio thread. getMasterVersion answers 1 when the host answers 0;
    // isInputConnected / isOutputConnected answer true when the host answers 0.
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(VstInt32 input);
    virtual bool isOutputConnected(VstInt32 output);

    // Display helpers; maxLen is the capacity of text in bytes, terminator
    // included. Any thread.
    virtual void dB2string(float value, char* text, VstInt32 maxLen);
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen);
    virtual void ms2string(float samples, char* text, VstInt32 maxLen);
    virtual void float2string(float value, char* text, VstInt32 maxLen);
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);

    // Deprecated interface: accumulating process (no-op), meters and
    // qualities. Kept so that the record's process entry has a target.
    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames);
    virtual float getVu();
    virtual void hasVu(bool state = true);
    virtual void hasClip(bool state = true);
    virtual void canMono(bool state = true);
    virtual void setRealtimeQualities(VstInt32 qualities);
    virtual void setOfflineQualities(VstInt32 qualities);

    // Attaches the editor and takes ownership of it; sets effFlagsHasEditor,
    // or clears it for null. A different editor attached before is deleted.
    // Not while processing; the editor must not call this from its destructor.
    void setEditor(AEffEditor* newEditor);

    // The record's entry points; each finds its object through the record's
    // object field and does nothing (answers 0) for a null record or object.
    // effClose through dispatchEffectClass deletes the object and answers 1.
    static VstIntPtr dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                         VstIntPtr value, void* ptr, float opt);
    static void processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                      VstInt32 sampleFrames);
    static void processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                            VstInt32 sampleFrames);
    static void setParameterClass(AEffect* e, VstInt32 index, float value);
    static float getParameterClass(AEffect* e, VstInt32 index);

protected:
    // Calls the host; 0 without a callback. Host threads.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    // Sets or clears bits of the record's flags.
    void setFlag(VstInt32 flag, bool state);
    bool hasFlag(VstInt32 flag) const { return (cEffect.flags & flag) != 0; }
    // Deletes the editor now and clears effFlagsHasEditor, so that a plug-in
    // can close its editor before it tears down what the editor uses.
    void deleteEditor();

    audioMasterCallback audioMaster;
    AEffEditor* editor;
    float sampleRate;
    VstInt32 blockSize;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram;
    AEffect cEffect;

private:
    static AudioEffect* fromRecord(AEffect* e);
};
