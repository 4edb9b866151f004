#include "plugin/vst/AudioEffectX.h"

#include "plugin/vst/AEffEditor.h"
#include "plugin/vst/VstStrings.h"

#include <cstring>

namespace {

constexpr VstInt32 kNoMidiProgram = -1;
constexpr float kLargestModifierBits = 255.0f;
constexpr char kReceiveMidiEvents[] = "receiveVstMidiEvent";

// The modifier bits the host passes in opt, or -1 for a value that is no
// byte (a NaN or out-of-range float must not reach an integer conversion).
int modifierBits(float opt)
{
    if (!(opt >= 0.0f && opt <= kLargestModifierBits))
        return -1;
    return static_cast<int>(opt);
}

template <typename Record> bool answerRecord(void* hostRecord, Record& local, bool answered)
{
    if (!answered)
        return false;
    std::memcpy(hostRecord, &local, sizeof(Record));
    return true;
}

} // namespace

AudioEffectX::AudioEffectX(audioMasterCallback audioMasterIn, VstInt32 numProgramsIn,
                           VstInt32 numParamsIn)
    : AudioEffect(audioMasterIn, numProgramsIn, numParamsIn)
{
}

AudioEffectX::~AudioEffectX() = default;

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
    switch (opcode) {
    case effProcessEvents:
        return ptr != nullptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        return ptr != nullptr && string2parameter(index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProgramNameIndexed: {
        bool answered = false;
        vst::deliverText<kTextScratchBytes>(ptr, kVstMaxProgNameLen, [&](char* text) {
            answered = getProgramNameIndexed(static_cast<VstInt32>(value), index, text);
        });
        return answered ? 1 : 0;
    }
    case effGetInputProperties:
    case effGetOutputProperties: {
        if (ptr == nullptr)
            return 0;
        VstPinProperties local{};
        const bool answered = opcode == effGetInputProperties ? getInputProperties(index, &local)
                                                              : getOutputProperties(index, &local);
        local.label[kVstMaxLabelLen - 1] = 0;
        local.shortLabel[kVstMaxShortLabelLen - 1] = 0;
        return answerRecord(ptr, local, answered) ? 1 : 0;
    }
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
        return offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<VstInt32>(value),
                             index != 0);
    case effOfflinePrepare:
        return offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)) ? 1
                                                                                               : 0;
    case effOfflineRun:
        return offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)) ? 1 : 0;
    case effProcessVarIo:
        return ptr != nullptr && processVariableIo(static_cast<VstVariableIo*>(ptr)) ? 1 : 0;
    case effSetSpeakerArrangement:
        return setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                     static_cast<VstSpeakerArrangement*>(ptr))
                   ? 1
                   : 0;
    case effSetBypass:
        return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString: {
        bool answered = false;
        const VstInt32 limit = opcode == effGetEffectName     ? kVstMaxEffectNameLen
                               : opcode == effGetVendorString ? kVstMaxVendorStrLen
                                                              : kVstMaxProductStrLen;
        vst::deliverText<kTextScratchBytes>(ptr, limit, [&](char* text) {
            answered = opcode == effGetEffectName     ? getEffectName(text)
                       : opcode == effGetVendorString ? getVendorString(text)
                                                      : getProductString(text);
        });
        return answered ? 1 : 0;
    }
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return ptr != nullptr ? canDo(static_cast<char*>(ptr)) : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties: {
        if (ptr == nullptr)
            return 0;
        VstParameterProperties local{};
        const bool answered = getParameterProperties(index, &local);
        local.label[kVstMaxLabelLen - 1] = 0;
        local.shortLabel[kVstMaxShortLabelLen - 1] = 0;
        local.categoryLabel[kVstMaxCategLabelLen - 1] = 0;
        return answerRecord(ptr, local, answered) ? 1 : 0;
    }
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        const int modifiers = modifierBits(opt);
        if (editor == nullptr || modifiers < 0)
            return 0;
        VstKeyCode key{index, static_cast<unsigned char>(value),
                       static_cast<unsigned char>(modifiers)};
        // Only a key press the editor used is reported as taken; a key
        // release is passed on and always answered with 0.
        if (opcode == effEditKeyUp) {
            editor->onKeyUp(key);
            return 0;
        }
        return editor->onKeyDown(key) ? 1 : 0;
    }
    case effSetEditKnobMode:
        // The editor learns the host's knob mode; the answer is always 0.
        if (editor != nullptr)
            editor->setKnobMode(static_cast<VstInt32>(value));
        return 0;
    case effGetMidiProgramName:
        return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
        return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case effHasMidiProgramsChanged:
        return hasMidiProgramsChanged(index) ? 1 : 0;
    case effGetMidiKeyName:
        return getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)) ? 1 : 0;
    case effBeginSetProgram:
        return beginSetProgram() ? 1 : 0;
    case effEndSetProgram:
        return endSetProgram() ? 1 : 0;
    case effGetSpeakerArrangement:
        if (value == 0 || ptr == nullptr)
            return 0;
        return getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                     static_cast<VstSpeakerArrangement**>(ptr))
                   ? 1
                   : 0;
    case effShellGetNextPlugin: {
        VstInt32 id = 0;
        vst::deliverText<kTextScratchBytes>(ptr, kVstMaxProductStrLen,
                                            [&](char* text) { id = getNextShellPlugin(text); });
        return id;
    }
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(value);
    case effSetPanLaw:
        return setPanLaw(static_cast<VstInt32>(value), opt) ? 1 : 0;
    case effBeginLoadBank:
        return beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
    case effBeginLoadProgram:
        return beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
    case effSetProcessPrecision:
        return setProcessPrecision(static_cast<VstInt32>(value)) ? 1 : 0;
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume()
{
    char receiveMidi[sizeof(kReceiveMidiEvents)];
    std::memcpy(receiveMidi, kReceiveMidiEvents, sizeof(kReceiveMidiEvents));
    if (hasFlag(effFlagsIsSynth) || canDo(receiveMidi) == 1)
        wantEvents(1);
}

bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*)
{
    return false;
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput)
{
    if (pluginInput != nullptr)
        *pluginInput = nullptr;
    if (pluginOutput != nullptr)
        *pluginOutput = nullptr;
    return false;
}

VstInt32 AudioEffectX::processEvents(VstEvents*)
{
    return 0;
}

bool AudioEffectX::canParameterBeAutomated(VstInt32 index)
{
    return index >= 0 && index < numParams;
}

bool AudioEffectX::string2parameter(VstInt32, char*)
{
    return false;
}

bool AudioEffectX::getProgramNameIndexed(VstInt32, VstInt32, char*)
{
    return false;
}

bool AudioEffectX::getInputProperties(VstInt32, VstPinProperties*)
{
    return false;
}

bool AudioEffectX::getOutputProperties(VstInt32, VstPinProperties*)
{
    return false;
}

VstInt32 AudioEffectX::getPlugCategory()
{
    return hasFlag(effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

VstInt32 AudioEffectX::offlineNotify(VstAudioFile*, VstInt32, bool)
{
    return 0;
}

bool AudioEffectX::offlinePrepare(VstOfflineTask*, VstInt32)
{
    return false;
}

bool AudioEffectX::offlineRun(VstOfflineTask*, VstInt32)
{
    return false;
}

bool AudioEffectX::processVariableIo(VstVariableIo*)
{
    return false;
}

bool AudioEffectX::setBypass(bool)
{
    return false;
}

bool AudioEffectX::getEffectName(char*)
{
    return false;
}

bool AudioEffectX::getVendorString(char*)
{
    return false;
}

bool AudioEffectX::getProductString(char*)
{
    return false;
}

VstInt32 AudioEffectX::getVendorVersion()
{
    return 0;
}

VstIntPtr AudioEffectX::vendorSpecific(VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

VstInt32 AudioEffectX::canDo(char*)
{
    return 0;
}

VstInt32 AudioEffectX::getGetTailSize()
{
    return 0;
}

bool AudioEffectX::getParameterProperties(VstInt32, VstParameterProperties*)
{
    return false;
}

VstInt32 AudioEffectX::getVstVersion()
{
    return kVstVersion;
}

VstInt32 AudioEffectX::getMidiProgramName(VstInt32, MidiProgramName*)
{
    return 0;
}

VstInt32 AudioEffectX::getCurrentMidiProgram(VstInt32, MidiProgramName*)
{
    return kNoMidiProgram;
}

VstInt32 AudioEffectX::getMidiProgramCategory(VstInt32, MidiProgramCategory*)
{
    return 0;
}

bool AudioEffectX::hasMidiProgramsChanged(VstInt32)
{
    return false;
}

bool AudioEffectX::getMidiKeyName(VstInt32, MidiKeyName*)
{
    return false;
}

bool AudioEffectX::beginSetProgram()
{
    return false;
}

bool AudioEffectX::endSetProgram()
{
    return false;
}

VstInt32 AudioEffectX::getNextShellPlugin(char*)
{
    return 0;
}

VstInt32 AudioEffectX::startProcess()
{
    return 0;
}

VstInt32 AudioEffectX::stopProcess()
{
    return 0;
}

VstIntPtr AudioEffectX::setTotalSampleToProcess(VstIntPtr total)
{
    return total;
}

bool AudioEffectX::setPanLaw(VstInt32, float)
{
    return false;
}

VstInt32 AudioEffectX::beginLoadBank(VstPatchChunkInfo*)
{
    return 0;
}

VstInt32 AudioEffectX::beginLoadProgram(VstPatchChunkInfo*)
{
    return 0;
}

bool AudioEffectX::setProcessPrecision(VstInt32)
{
    return false;
}

VstInt32 AudioEffectX::getNumMidiInputChannels()
{
    return 0;
}

VstInt32 AudioEffectX::getNumMidiOutputChannels()
{
    return 0;
}

void AudioEffectX::isSynth(bool state)
{
    setFlag(effFlagsIsSynth, state);
}

void AudioEffectX::noTail(bool state)
{
    setFlag(effFlagsNoSoundInStop, state);
}

void AudioEffectX::wantAsyncOperation(bool state)
{
    setFlag(effFlagsExtIsAsync, state);
}

void AudioEffectX::hasExternalBuffer(bool state)
{
    setFlag(effFlagsExtHasBuffer, state);
}

void AudioEffectX::setBlockSizeAndSampleRate(VstInt32 size, float rate)
{
    blockSize = size;
    sampleRate = rate;
}
