#pragma once
// The VST 2.x effect: AudioEffect plus the opcodes 25 to 79, the host
// queries and the speaker-arrangement helpers. Operations without behaviour
// here answer 0, false or null; a plug-in overrides what it supports.
//
// Threads: effProcessEvents arrives on the host's audio thread together with
// processReplacing; every other opcode and every host query belongs to the
// host's other threads (never call a host query from the audio thread except
// getTimeInfo, which hosts answer there).

#include "plugin/vst/AudioEffect.h"
#include "plugin/vst/VstEvents.h"
#include "plugin/vst/VstParameterProperties.h"
#include "plugin/vst/VstSpeakers.h"
#include "plugin/vst/VstTimeInfo.h"

class AudioEffectX : public AudioEffect {
public:
    // Largest speaker count an arrangement helper accepts.
    static constexpr VstInt32 kMaxArrangementChannels = 32;

    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    ~AudioEffectX() override;

    // Answers opcodes 25 to 79 and hands every other opcode to
    // AudioEffect::dispatcher. Host threads, as each opcode allows.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;

    // Asks the host for MIDI (wantEvents) when the effect is a synth or
    // answers canDo("receiveVstMidiEvent") with 1. Not while processing.
    void resume() override;

    // --- Host queries: each answers its default (0, false, null) without a
    // callback. Host's user-interface thread unless said otherwise.

    // Deprecated, still answered by hosts: asks for MIDI events.
    virtual void wantEvents(VstInt32 filter = 1);
    // The host's transport record or null; fields count only with their
    // valid flag (see HostTransport.h). Audio thread as well.
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);
    virtual VstInt32 tempoAt(VstInt32 pos); // deprecated
    // Sends events to the host (audioMasterProcessEvents). Audio thread.
    bool sendVstEventsToHost(VstEvents* events);

    virtual VstInt32 getNumAutomatableParameters(); // deprecated
    virtual VstInt32 getParameterQuantization();    // deprecated

    virtual bool ioChanged();
    virtual bool needIdle(); // deprecated
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);
    // Ask the host; a positive answer becomes the stored value, which is returned.
    virtual double updateSampleRate();
    virtual VstInt32 updateBlockSize();
    virtual VstInt32 getInputLatency();
    virtual VstInt32 getOutputLatency();
    virtual AEffect* getPreviousPlug(VstInt32 input); // deprecated
    virtual AEffect* getNextPlug(VstInt32 output);    // deprecated

    virtual VstInt32 willProcessReplacing(); // deprecated
    virtual VstInt32 getCurrentProcessLevel();
    virtual VstInt32 getAutomationState();

    virtual bool offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource = true);
    virtual bool offlineWrite(VstOfflineTask* offline, VstInt32 option);
    virtual bool offlineStart(VstAudioFile* files, VstInt32 numAudioFiles,
                              VstInt32 numNewAudioFiles);
    virtual VstInt32 offlineGetCurrentPass();
    virtual VstInt32 offlineGetCurrentMetaPass();

    virtual void setOutputSamplerate(float sampleRate);           // deprecated
    virtual VstSpeakerArrangement* getInputSpeakerArrangement();  // deprecated
    virtual VstSpeakerArrangement* getOutputSpeakerArrangement(); // deprecated

    // text holds kVstMaxVendorStrLen / kVstMaxProductStrLen bytes.
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual VstInt32 getHostVendorVersion();
    virtual VstIntPtr hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg,
                                         float floatArg);
    // 1 when the host answers non-zero, else 0.
    virtual VstInt32 canHostDo(char* text);
    virtual VstInt32 getHostLanguage();
    virtual void* openWindow(VstWindow* window); // deprecated
    virtual bool closeWindow(VstWindow* window); // deprecated
    virtual void* getDirectory();
    virtual bool updateDisplay();
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
    virtual bool openFileSelector(VstFileSelect* select);
    virtual bool closeFileSelector(VstFileSelect* select);
    virtual bool getChunkFile(void* nativePath); // deprecated

    // --- Answers to the host (the dispatcher calls these).

    // Speaker arrangements of the buses; see the helpers below.
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                                       VstSpeakerArrangement* pluginOutput);
    // Base: both pointers null, false.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                       VstSpeakerArrangement** pluginOutput);
    // The events of the next process call (never null here). Audio thread.
    virtual VstInt32 processEvents(VstEvents* events);
    // Base: true for 0 <= index < numParams.
    virtual bool canParameterBeAutomated(VstInt32 index);
    virtual bool string2parameter(VstInt32 index, char* text);
    // text holds at least kVstMaxProgNameLen bytes.
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text);
    // properties is a zeroed record; the dispatcher terminates its texts.
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties);
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties);
    // kPlugCategSynth while effFlagsIsSynth is set, else kPlugCategUnknown.
    virtual VstInt32 getPlugCategory();
    virtual VstInt32 offlineNotify(VstAudioFile* files, VstInt32 numAudioFiles, bool start);
    virtual bool offlinePrepare(VstOfflineTask* offline, VstInt32 count);
    virtual bool offlineRun(VstOfflineTask* offline, VstInt32 count);
    virtual bool processVariableIo(VstVariableIo* varIo);
    virtual bool setBypass(bool onOff);
    // text holds at least kVstMaxEffectNameLen / kVstMaxVendorStrLen /
    // kVstMaxProductStrLen bytes; the dispatcher cuts to those limits.
    virtual bool getEffectName(char* name);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual VstInt32 getVendorVersion();
    virtual VstIntPtr vendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg, float floatArg);
    // 1 yes, -1 no, 0 don't know (the base knows nothing). text is never null.
    virtual VstInt32 canDo(char* text);
    virtual VstInt32 getGetTailSize();
    virtual bool getParameterProperties(VstInt32 index, VstParameterProperties* properties);
    // 2400.
    virtual VstInt32 getVstVersion();

    virtual VstInt32 getMidiProgramName(VstInt32 channel, MidiProgramName* name);
    virtual VstInt32 getCurrentMidiProgram(VstInt32 channel, MidiProgramName* current); // -1
    virtual VstInt32 getMidiProgramCategory(VstInt32 channel, MidiProgramCategory* category);
    virtual bool hasMidiProgramsChanged(VstInt32 channel);
    virtual bool getMidiKeyName(VstInt32 channel, MidiKeyName* keyName);
    virtual bool beginSetProgram();
    virtual bool endSetProgram();
    virtual VstInt32 getNextShellPlugin(char* name);
    virtual VstInt32 startProcess();
    virtual VstInt32 stopProcess();
    // Answers total.
    virtual VstIntPtr setTotalSampleToProcess(VstIntPtr total);
    virtual bool setPanLaw(VstInt32 type, float value);
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo* info);
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo* info);
    virtual bool setProcessPrecision(VstInt32 precision);
    virtual VstInt32 getNumMidiInputChannels();
    virtual VstInt32 getNumMidiOutputChannels();

    // --- Speaker-arrangement helpers. Not while processing.

    // Frees *arrangement and allocates a zeroed record for channels speakers
    // with numChannels set. False, and *arrangement untouched, for a null
    // pointer, channels <= 0 or above kMaxArrangementChannels, or no memory.
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels);
    // Frees *arrangement and nulls it; false for a null pointer.
    virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);
    // Copies one speaker (name cut to 63 characters); false for null.
    virtual bool copySpeaker(VstSpeakerProperties* to, const VstSpeakerProperties* from);
    // Makes *to a copy of from (type and every speaker); false, and *to
    // untouched, for a null or invalid source (see isValidArrangement).
    virtual bool matchArrangement(VstSpeakerArrangement** to, const VstSpeakerArrangement* from);

    // True for a record with 1 to maxChannels channels (and no more than
    // kMaxArrangementChannels). Any thread.
    static bool isValidArrangement(const VstSpeakerArrangement* arrangement, VstInt32 maxChannels);

    // --- Record flags and settings. Construction and not while processing.
    void isSynth(bool state = true);
    void noTail(bool state = true);
    void wantAsyncOperation(bool state = true); // deprecated
    void hasExternalBuffer(bool state = true);  // deprecated
    void setBlockSizeAndSampleRate(VstInt32 blockSize, float sampleRate);
};
