#pragma once
// Opcodes of the plug-in dispatcher and of the host callback, and the small
// enumerations their answers use. Deprecated opcodes keep their numbers so
// that nothing is ever confused with them; this code never dispatches them.

#include "plugin/vst/VstAbi.h"

// Plug-in dispatcher opcodes, first set.
enum AEffectOpcodes : VstInt32 {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effGetVu = 9, // deprecated
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditDraw = 16,  // deprecated
    effEditMouse = 17, // deprecated
    effEditKey = 18,   // deprecated
    effEditIdle = 19,
    effEditTop = 20,   // deprecated
    effEditSleep = 21, // deprecated
    effIdentify = 22,  // deprecated in name only: answered with 'NvEf'
    effGetChunk = 23,
    effSetChunk = 24,
};

// Plug-in dispatcher opcodes, extended set.
enum AEffectXOpcodes : VstInt32 {
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetNumProgramCategories = 28, // deprecated
    effGetProgramNameIndexed = 29,
    effCopyProgram = 30,   // deprecated
    effConnectInput = 31,  // deprecated
    effConnectOutput = 32, // deprecated
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effGetCurrentPosition = 36,   // deprecated
    effGetDestinationBuffer = 37, // deprecated
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBlockSizeAndSampleRate = 43, // deprecated
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetErrorText = 46, // deprecated
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effIdle = 53,            // deprecated
    effGetIcon = 54,         // deprecated
    effSetViewPosition = 55, // deprecated
    effGetParameterProperties = 56,
    effKeysRequired = 57, // deprecated
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79,
};

// Host callback opcodes, first set.
enum AudioMasterOpcodes : VstInt32 {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4, // deprecated
};

// Host callback opcodes, extended set.
enum AudioMasterOpcodesX : VstInt32 {
    audioMasterWantMidi = 6, // deprecated, still asked by instruments
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterSetTime = 9,                      // deprecated
    audioMasterTempoAt = 10,                     // deprecated
    audioMasterGetNumAutomatableParameters = 11, // deprecated
    audioMasterGetParameterQuantization = 12,    // deprecated
    audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14, // deprecated
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetPreviousPlug = 20,         // deprecated
    audioMasterGetNextPlug = 21,             // deprecated
    audioMasterWillReplaceOrAccumulate = 22, // deprecated
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterOfflineStart = 25,
    audioMasterOfflineRead = 26,
    audioMasterOfflineWrite = 27,
    audioMasterOfflineGetCurrentPass = 28,
    audioMasterOfflineGetCurrentMetaPass = 29,
    audioMasterSetOutputSampleRate = 30,         // deprecated
    audioMasterGetOutputSpeakerArrangement = 31, // deprecated
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterSetIcon = 36, // deprecated
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterOpenWindow = 39,  // deprecated
    audioMasterCloseWindow = 40, // deprecated
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
    audioMasterEditFile = 47,                   // deprecated
    audioMasterGetChunkFile = 48,               // deprecated
    audioMasterGetInputSpeakerArrangement = 49, // deprecated
};

// Answers of effGetPlugCategory.
enum VstPlugCategory : VstInt32 {
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
    kPlugCategAnalysis = 3,
    kPlugCategMastering = 4,
    kPlugCategSpacializer = 5,
    kPlugCategRoomFx = 6,
    kPlugSurroundFx = 7,
    kPlugCategRestoration = 8,
    kPlugCategOfflineProcess = 9,
    kPlugCategShell = 10,
    kPlugCategGenerator = 11,
};

// Answers of audioMasterGetCurrentProcessLevel.
enum VstProcessLevels : VstInt32 {
    kVstProcessLevelUnknown = 0,
    kVstProcessLevelUser = 1,
    kVstProcessLevelRealtime = 2,
    kVstProcessLevelPrefetch = 3,
    kVstProcessLevelOffline = 4,
};

// Answers of audioMasterGetAutomationState.
enum VstAutomationStates : VstInt32 {
    kVstAutomationUnsupported = 0,
    kVstAutomationOff = 1,
    kVstAutomationRead = 2,
    kVstAutomationWrite = 3,
    kVstAutomationReadWrite = 4,
};

// Value of effSetProcessPrecision.
enum VstProcessPrecision : VstInt32 {
    kVstProcessPrecision32 = 0,
    kVstProcessPrecision64 = 1,
};

// Answers of audioMasterGetLanguage.
enum VstHostLanguage : VstInt32 {
    kVstLangEnglish = 1,
    kVstLangGerman = 2,
    kVstLangFrench = 3,
    kVstLangItalian = 4,
    kVstLangSpanish = 5,
    kVstLangJapanese = 6,
};

// Answer of effIdentify.
constexpr VstInt32 kEffectIdentify = vst::fourCharCode('N', 'v', 'E', 'f');
