#include "plugin/vst/AudioEffect.h"

#include "plugin/vst/AEffEditor.h"
#include "plugin/vst/VstEditorTypes.h"
#include "plugin/vst/VstStrings.h"
#include "platform/Trace.h"

#include <cmath>
#include <cstring>

namespace {

constexpr VstInt32 kDefaultInputs = 1;
constexpr VstInt32 kDefaultOutputs = 2;
constexpr float kDecibelsPerDecade = 20.0f;
constexpr float kMillisecondsPerSecond = 1000.0f;
constexpr const char* kMinusInfinityText = "-oo";

} // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMasterIn, VstInt32 numProgramsIn,
                         VstInt32 numParamsIn)
    : audioMaster(audioMasterIn), editor(nullptr), sampleRate(kDefaultSampleRate),
      blockSize(kDefaultBlockSize), numPrograms(numProgramsIn), numParams(numParamsIn),
      curProgram(0), cEffect{}
{
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = kDefaultInputs;
    cEffect.numOutputs = kDefaultOutputs;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kDefaultUniqueId;
    cEffect.version = kDefaultVersion;
    cEffect.processReplacing = processClassReplacing;
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect()
{
    deleteEditor();
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt)
{
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value >= 0 && value < numPrograms)
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr != nullptr)
            setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        vst::deliverText<kTextScratchBytes>(ptr, kVstMaxProgNameLen,
                                            [&](char* text) { getProgramName(text); });
        return 0;
    case effGetParamLabel:
        vst::deliverText<kTextScratchBytes>(ptr, kVstMaxParamStrLen,
                                            [&](char* text) { getParameterLabel(index, text); });
        return 0;
    case effGetParamDisplay:
        vst::deliverText<kTextScratchBytes>(ptr, kVstMaxParamStrLen,
                                            [&](char* text) { getParameterDisplay(index, text); });
        return 0;
    case effGetParamName:
        vst::deliverText<kTextScratchBytes>(ptr, kVstMaxParamStrLen,
                                            [&](char* text) { getParameterName(index, text); });
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value != 0)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        if (editor == nullptr || ptr == nullptr)
            return 0;
        return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        if (editor == nullptr)
            return 0;
        return editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor != nullptr)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor != nullptr)
            editor->idle();
        return 0;
    case effIdentify:
        return kEffectIdentify;
    case effGetChunk: {
        if (ptr == nullptr)
            return 0;
        void** target = static_cast<void**>(ptr);
        void* data = nullptr;
        const VstInt32 size = getChunk(&data, index != 0);
        if (size <= 0 || data == nullptr) {
            *target = nullptr;
            return 0;
        }
        *target = data;
        return size;
    }
    case effSetChunk:
        // A size the published int32 cannot hold, or none at all, is no chunk.
        if (ptr == nullptr || value <= 0 || value > INT32_MAX)
            return 0;
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;
    }
}

void AudioEffect::setSampleRate(float rate)
{
    sampleRate = rate;
}

void AudioEffect::setBlockSize(VstInt32 size)
{
    blockSize = size;
}

void AudioEffect::processDoubleReplacing(double**, double**, VstInt32) {}

void AudioEffect::setParameter(VstInt32, float) {}

float AudioEffect::getParameter(VstInt32)
{
    return 0.0f;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::getProgram()
{
    return curProgram;
}

void AudioEffect::setProgram(VstInt32 program)
{
    curProgram = program;
}

void AudioEffect::setProgramName(char*) {}

void AudioEffect::getProgramName(char* name)
{
    if (name != nullptr)
        *name = 0;
}

void AudioEffect::getParameterLabel(VstInt32, char* label)
{
    if (label != nullptr)
        *label = 0;
}

void AudioEffect::getParameterDisplay(VstInt32, char* text)
{
    if (text != nullptr)
        *text = 0;
}

void AudioEffect::getParameterName(VstInt32, char* text)
{
    if (text != nullptr)
        *text = 0;
}

VstInt32 AudioEffect::getChunk(void**, bool)
{
    return 0;
}

VstInt32 AudioEffect::setChunk(void*, VstInt32, bool)
{
    return 0;
}

void AudioEffect::setUniqueID(VstInt32 uniqueId)
{
    cEffect.uniqueID = uniqueId;
}

void AudioEffect::setNumInputs(VstInt32 inputs)
{
    cEffect.numInputs = inputs;
}

void AudioEffect::setNumOutputs(VstInt32 outputs)
{
    cEffect.numOutputs = outputs;
}

void AudioEffect::canProcessReplacing(bool state)
{
    setFlag(effFlagsCanReplacing, state);
}

void AudioEffect::canDoubleReplacing(bool state)
{
    setFlag(effFlagsCanDoubleReplacing, state);
}

void AudioEffect::programsAreChunks(bool state)
{
    setFlag(effFlagsProgramChunks, state);
}

void AudioEffect::setInitialDelay(VstInt32 delay)
{
    cEffect.initialDelay = delay;
}

AEffEditor* AudioEffect::getEditor()
{
    return editor;
}

AEffect* AudioEffect::getAeffect()
{
    return &cEffect;
}

float AudioEffect::getSampleRate()
{
    return sampleRate;
}

VstInt32 AudioEffect::getBlockSize()
{
    return blockSize;
}

VstInt32 AudioEffect::getMasterVersion()
{
    const VstIntPtr version = callHost(audioMasterVersion);
    return version != 0 ? static_cast<VstInt32>(version) : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId()
{
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle);
}

bool AudioEffect::isInputConnected(VstInt32 input)
{
    if (audioMaster == nullptr)
        return false;
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output)
{
    if (audioMaster == nullptr)
        return false;
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen)
{
    if (value <= 0.0f)
        vst::copyString(text, kMinusInfinityText, maxLen);
    else
        float2string(kDecibelsPerDecade * std::log10(value), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen)
{
    float2string(samples != 0.0f ? sampleRate / samples : 0.0f, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen)
{
    float2string(sampleRate != 0.0f ? samples * kMillisecondsPerSecond / sampleRate : 0.0f, text,
                 maxLen);
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen)
{
    vst::formatFloat(value, text, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen)
{
    vst::formatInt(value, text, maxLen);
}

void AudioEffect::process(float**, float**, VstInt32) {}

float AudioEffect::getVu()
{
    return 0.0f;
}

void AudioEffect::hasVu(bool state)
{
    setFlag(effFlagsHasVu, state);
}

void AudioEffect::hasClip(bool state)
{
    setFlag(effFlagsHasClip, state);
}

void AudioEffect::canMono(bool state)
{
    setFlag(effFlagsCanMono, state);
}

void AudioEffect::setRealtimeQualities(VstInt32 qualities)
{
    cEffect.realQualities = qualities;
}

void AudioEffect::setOfflineQualities(VstInt32 qualities)
{
    cEffect.offQualities = qualities;
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    AEffEditor* previous = editor;
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
    if (previous != newEditor)
        delete previous;
}

void AudioEffect::deleteEditor()
{
    AEffEditor* previous = editor;
    editor = nullptr;
    setFlag(effFlagsHasEditor, false);
    delete previous;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt)
{
    if (audioMaster == nullptr)
        return 0;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::setFlag(VstInt32 flag, bool state)
{
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

AudioEffect* AudioEffect::fromRecord(AEffect* e)
{
    return e != nullptr ? static_cast<AudioEffect*>(e->object) : nullptr;
}

VstIntPtr AudioEffect::dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt)
{
    AudioEffect* effect = fromRecord(e);
    if (effect == nullptr)
        return 0;
    // Every call but the audio thread's event delivery hands the text that
    // the audio thread traced meanwhile to the sink, so it never waits longer
    // than until the host's next idle, parameter or chunk call.
    const bool fromAudioThread = opcode == effProcessEvents;
    if (!fromAudioThread)
        platform::flushTrace();
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        platform::flushTrace();
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void AudioEffect::processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    AudioEffect* effect = fromRecord(e);
    if (effect == nullptr || sampleFrames <= 0)
        return;
    if (outputs == nullptr && e->numOutputs > 0)
        return;
    effect->process(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                        VstInt32 sampleFrames)
{
    AudioEffect* effect = fromRecord(e);
    if (effect == nullptr || sampleFrames <= 0)
        return;
    if (outputs == nullptr && e->numOutputs > 0)
        return;
    effect->processReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                              VstInt32 sampleFrames)
{
    AudioEffect* effect = fromRecord(e);
    if (effect == nullptr || sampleFrames <= 0)
        return;
    if (outputs == nullptr && e->numOutputs > 0)
        return;
    effect->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value)
{
    AudioEffect* effect = fromRecord(e);
    if (effect != nullptr)
        effect->setParameter(index, value);
}

float AudioEffect::getParameterClass(AEffect* e, VstInt32 index)
{
    AudioEffect* effect = fromRecord(e);
    return effect != nullptr ? effect->getParameter(index) : 0.0f;
}
