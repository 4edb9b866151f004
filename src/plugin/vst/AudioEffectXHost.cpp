// AudioEffectX: the queries a plug-in sends to its host.
#include "plugin/vst/AudioEffectX.h"

void AudioEffectX::wantEvents(VstInt32 filter)
{
    callHost(audioMasterWantMidi, 0, filter);
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::tempoAt(VstInt32 pos)
{
    return static_cast<VstInt32>(callHost(audioMasterTempoAt, 0, pos));
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events)
{
    return events != nullptr && callHost(audioMasterProcessEvents, 0, 0, events) != 0;
}

VstInt32 AudioEffectX::getNumAutomatableParameters()
{
    return static_cast<VstInt32>(callHost(audioMasterGetNumAutomatableParameters));
}

VstInt32 AudioEffectX::getParameterQuantization()
{
    return static_cast<VstInt32>(callHost(audioMasterGetParameterQuantization));
}

bool AudioEffectX::ioChanged()
{
    return callHost(audioMasterIOChanged) != 0;
}

bool AudioEffectX::needIdle()
{
    return callHost(audioMasterNeedIdle) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height)
{
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

double AudioEffectX::updateSampleRate()
{
    const VstIntPtr answer = callHost(audioMasterGetSampleRate);
    if (answer > 0)
        sampleRate = static_cast<float>(answer);
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize()
{
    const VstIntPtr answer = callHost(audioMasterGetBlockSize);
    if (answer > 0 && answer <= INT32_MAX)
        blockSize = static_cast<VstInt32>(answer);
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency()
{
    return static_cast<VstInt32>(callHost(audioMasterGetInputLatency));
}

VstInt32 AudioEffectX::getOutputLatency()
{
    return static_cast<VstInt32>(callHost(audioMasterGetOutputLatency));
}

AEffect* AudioEffectX::getPreviousPlug(VstInt32 input)
{
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug, 0, input));
}

AEffect* AudioEffectX::getNextPlug(VstInt32 output)
{
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug, 0, output));
}

VstInt32 AudioEffectX::willProcessReplacing()
{
    return static_cast<VstInt32>(callHost(audioMasterWillReplaceOrAccumulate));
}

VstInt32 AudioEffectX::getCurrentProcessLevel()
{
    return static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel));
}

VstInt32 AudioEffectX::getAutomationState()
{
    return static_cast<VstInt32>(callHost(audioMasterGetAutomationState));
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource)
{
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstInt32 option)
{
    return callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}

bool AudioEffectX::offlineStart(VstAudioFile* files, VstInt32 numAudioFiles,
                                VstInt32 numNewAudioFiles)
{
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, files) != 0;
}

VstInt32 AudioEffectX::offlineGetCurrentPass()
{
    return static_cast<VstInt32>(callHost(audioMasterOfflineGetCurrentPass));
}

VstInt32 AudioEffectX::offlineGetCurrentMetaPass()
{
    return static_cast<VstInt32>(callHost(audioMasterOfflineGetCurrentMetaPass));
}

void AudioEffectX::setOutputSamplerate(float rate)
{
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate);
}

VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement()
{
    return reinterpret_cast<VstSpeakerArrangement*>(
        callHost(audioMasterGetInputSpeakerArrangement));
}

VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement()
{
    return reinterpret_cast<VstSpeakerArrangement*>(
        callHost(audioMasterGetOutputSpeakerArrangement));
}

bool AudioEffectX::getHostVendorString(char* text)
{
    if (text == nullptr)
        return false;
    text[0] = 0;
    const bool answered = callHost(audioMasterGetVendorString, 0, 0, text) != 0;
    text[kVstMaxVendorStrLen - 1] = 0;
    return answered;
}

bool AudioEffectX::getHostProductString(char* text)
{
    if (text == nullptr)
        return false;
    text[0] = 0;
    const bool answered = callHost(audioMasterGetProductString, 0, 0, text) != 0;
    text[kVstMaxProductStrLen - 1] = 0;
    return answered;
}

VstInt32 AudioEffectX::getHostVendorVersion()
{
    return static_cast<VstInt32>(callHost(audioMasterGetVendorVersion));
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg,
                                           float floatArg)
{
    return callHost(audioMasterVendorSpecific, arg1, arg2, ptrArg, floatArg);
}

VstInt32 AudioEffectX::canHostDo(char* text)
{
    if (text == nullptr)
        return 0;
    return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::getHostLanguage()
{
    return static_cast<VstInt32>(callHost(audioMasterGetLanguage));
}

void* AudioEffectX::openWindow(VstWindow* window)
{
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool AudioEffectX::closeWindow(VstWindow* window)
{
    return callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}

void* AudioEffectX::getDirectory()
{
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}

bool AudioEffectX::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::beginEdit(VstInt32 index)
{
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index)
{
    return callHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::openFileSelector(VstFileSelect* select)
{
    return select != nullptr && callHost(audioMasterOpenFileSelector, 0, 0, select) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* select)
{
    return select != nullptr && callHost(audioMasterCloseFileSelector, 0, 0, select) != 0;
}

bool AudioEffectX::getChunkFile(void* nativePath)
{
    return callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}
