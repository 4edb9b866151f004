// HostedPlugin: the answers of the host callback.
#include "HostedPlugin.h"

#include "plugin/vst/VstStrings.h"

#include <cstring>
#include <limits>

namespace vsthost {
namespace {

// Capabilities this host has (answered 1 to audioMasterCanDo).
constexpr const char* kHostCanDo[] = {
    "sendVstEvents",    "sendVstMidiEvent",    "sendVstTimeInfo",
    "receiveVstEvents", "receiveVstMidiEvent", "startStopProcess",
};

constexpr int32_t kPinConnected = 0; // the host's answer for a connected pin
constexpr int32_t kPinUnconnected = 1;

} // namespace

VstIntPtr HostedPlugin::callback(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                                 void* ptr, float opt)
{
    HostedPlugin* self = loading_;
    if (self == nullptr && effect != nullptr)
        self = static_cast<HostedPlugin*>(effect->user);
    if (self == nullptr)
        return opcode == audioMasterVersion ? kVstVersion : 0;
    return self->answer(opcode, index, value, ptr, opt);
}

VstIntPtr HostedPlugin::answer(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt)
{
    if (opcode >= 0 && opcode < HostLog::kTrackedOpcodes)
        ++log_.calls[static_cast<size_t>(opcode)];
    else
        ++log_.unknownCalls;

    switch (opcode) {
    case audioMasterAutomate: {
        std::lock_guard<std::mutex> lock(log_.mutex);
        log_.automation.push_back({index, opt});
        return 1;
    }
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterCurrentId:
        return effect_ != nullptr ? effect_->uniqueID : 0;
    case audioMasterPinConnected: {
        const int pins = value != 0 ? numOutputs() : numInputs();
        return index >= 0 && index < pins ? kPinConnected : kPinUnconnected;
    }
    case audioMasterWantMidi:
    case audioMasterProcessEvents:
    case audioMasterIOChanged:
    case audioMasterUpdateDisplay:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        return 1;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(timeInfo());
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(settings_.sampleRate);
    case audioMasterGetBlockSize:
        return settings_.blockSize;
    case audioMasterGetCurrentProcessLevel:
        return processing_ ? kVstProcessLevelRealtime : kVstProcessLevelUser;
    case audioMasterGetAutomationState:
        return kVstAutomationOff;
    case audioMasterGetVendorString:
        if (ptr == nullptr)
            return 0;
        vst::copyString(static_cast<char*>(ptr), kHostVendor, kVstMaxVendorStrLen);
        return 1;
    case audioMasterGetProductString:
        if (ptr == nullptr)
            return 0;
        vst::copyString(static_cast<char*>(ptr), kHostProduct, kVstMaxProductStrLen);
        return 1;
    case audioMasterGetVendorVersion:
        return kHostVendorVersion;
    case audioMasterSizeWindow:
        return sizeWindowHandler_ && sizeWindowHandler_(index, static_cast<int>(value)) ? 1 : 0;
    case audioMasterCanDo:
        if (ptr == nullptr)
            return 0;
        if (sizeWindowHandler_ && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0)
            return 1;
        for (const char* capability : kHostCanDo)
            if (std::strcmp(static_cast<const char*>(ptr), capability) == 0)
                return 1;
        return 0;
    case audioMasterGetLanguage:
        return kVstLangEnglish;
    default:
        // Idle, window sizing, latencies, directories, file selectors and
        // every deprecated or unknown request: nothing to offer.
        return 0;
    }
}

VstTimeInfo* HostedPlugin::timeInfo()
{
    switch (settings_.timeInfo) {
    case TimeInfoMode::none:
        return nullptr;
    case TimeInfoMode::noFlags:
        answerInfo_ = timeInfo_;
        answerInfo_.flags = 0;
        return &answerInfo_;
    case TimeInfoMode::hostile:
        answerInfo_ = timeInfo_;
        answerInfo_.tempo = 0.0;
        answerInfo_.ppqPos = std::numeric_limits<double>::quiet_NaN();
        answerInfo_.barStartPos = std::numeric_limits<double>::quiet_NaN();
        answerInfo_.timeSigNumerator = 0;
        answerInfo_.timeSigDenominator = 0;
        answerInfo_.sampleRate = 0.0;
        return &answerInfo_;
    case TimeInfoMode::full:
        break;
    }
    answerInfo_ = timeInfo_;
    return &answerInfo_;
}

} // namespace vsthost
