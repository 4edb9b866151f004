// The plug-in class: construction and teardown, the lifecycle opcodes, the
// names and capabilities it announces.

#include "plugin/AM_VST_base.h"

#include "engine/module/AM_PluginInfo.h"
#include "foundation/AM_STD.h"
#include "platform/Clock.h"
#include "platform/Module.h"
#include "plugin/vst/VstStrings.h"
#include "synth/Synth_AudioMan.h"

#include <cstring>
#include <string>

namespace {

constexpr VstInt32 kPrograms = 1;
constexpr VstInt32 kParametersBeforeInit = 1;
constexpr const char* kInitialProgramName = "initialize";
constexpr const char* kForceStereoMark = "_2io";
constexpr const char* kExecutableSuffix = ".exe";
constexpr int32_t kStereoChannels = 2;
constexpr int32_t kSurroundChannels51 = 6;
constexpr int32_t kSurroundChannels71 = 8;

// Answers of the name getters without an audio manager.
constexpr const char* kNoEffectName = "empty fx";
constexpr const char* kNoVendorName = "Orlen fx";
constexpr const char* kNoProductName = "empty fx";

// The capabilities answered with 1; every other text gets -1.
constexpr const char* kCapabilities[] = {
    "receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
    "2in2out",          "plugAsChannelInsert", "plugAsSend",
};

constexpr uint32_t kHostNameBytes = 256;

// The process's own file name without its folder and without ".exe": the
// host's name when the host gives none.
void executableName(char* out, uint32_t capacity)
{
    out[0] = 0;
    std::string path;
    if (!platform::getExecutablePath(path))
        return;
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t suffix = name.find(kExecutableSuffix);
    if (suffix != std::string::npos)
        name.resize(suffix);
    vst::copyString(out, name.c_str(), capacity);
}

void copyInfoText(char* out, const char* field, const char* fallback, bool haveField)
{
    if (!haveField) {
        vst::copyString(out, fallback, k_pluginNameBytes);
        return;
    }
    const size_t length = vst::boundedLength(field, k_pluginNameBytes);
    std::memcpy(out, field, length);
    out[length] = 0;
}

} // namespace

AM_VST_base::AM_VST_base(audioMasterCallback audioMaster, AudioManFactory factory)
    : AudioEffectX(audioMaster, kPrograms, kParametersBeforeInit)
{
    findPluginFolder(pluginFolder_);
    const char* fileName = pluginFolder_ + vst::boundedLength(pluginFolder_, kPluginFolderBytes);
    if (fileName < pluginFolder_ + kPluginFolderBytes - 1 &&
        AM_STD::findString(kForceStereoMark, fileName + 1) >= 0) {
        AM_STD::printv("Force Stereo");
        forceStereo_ = true;
    }

    setUniqueID(kUniqueId);
    vst::copyString(programName_, kInitialProgramName, kProgramNameBytes);

    audioMan_.reset(factory != nullptr ? factory() : new Synth_AudioMan(Synth_AudioMan::kPluginId));
    if (audioMan_) {
        char hostName[kHostNameBytes] = {};
        if (!getHostProductString(hostName) || hostName[0] == 0)
            executableName(hostName, kHostNameBytes);
        hostName[kHostNameBytes - 1] = 0;
        audioMan_->setHostName(hostName);
        audioMan_->init();
        numParams = audioMan_->getParameterCount(true);
        cEffect.numParams = numParams;
    }

    busChannels_ = announcedBusChannels();
    // An effect built without a host keeps the base record: no buses, no
    // arrangements, no flags beyond replacing processing.
    if (audioMaster != nullptr) {
        setUpChannels();
        canProcessReplacing(true);
        announceLatency();
        isSynth(true);
        noTail(false);
        programsAreChunks(true);
    }

    learnTarget_.store(-1, std::memory_order_relaxed);
    lastLearnedController_.store(-1, std::memory_order_relaxed);
    constructionTick_ = platform::tickCount();
}

AM_VST_base::~AM_VST_base()
{
    // The editor goes first: it may reach the audio manager while it closes.
    editorOpen_.store(false, std::memory_order_relaxed);
    editorSeam_ = nullptr;
    deleteEditor();
    if (audioMan_ && audioMan_->getInstanceCount() == 1)
        audioMan_->saveStartupFiles();
    audioMan_.reset();
    deallocateArrangement(&inputArrangement_);
    deallocateArrangement(&outputArrangement_);
}

int32_t AM_VST_base::announcedBusChannels() const
{
    const AM_PluginInfo* info = audioMan_ ? audioMan_->getPluginInfo() : nullptr;
    const auto channels = static_cast<int32_t>(info ? info->channelsPerBus : kStereoChannels);
    return forceStereo_ ? kStereoChannels : channels;
}

void AM_VST_base::setUpChannels()
{
    const AM_PluginInfo* info = audioMan_ ? audioMan_->getPluginInfo() : nullptr;
    const auto inputBuses = static_cast<int32_t>(info ? info->inputBuses : 1);
    const auto outputBuses = static_cast<int32_t>(info ? info->outputBuses : 1);
    const auto channels = static_cast<int32_t>(info ? info->channelsPerBus : kStereoChannels);

    if (channels == kStereoChannels || forceStereo_) {
        setNumInputs(kStereoChannels * inputBuses);
        setNumOutputs(kStereoChannels * outputBuses);
        makeArrangement(&inputArrangement_, kStereoChannels * inputBuses, kSpeakerArrStereo);
        makeArrangement(&outputArrangement_, kStereoChannels, kSpeakerArrStereo);
    } else {
        setNumInputs(channels * inputBuses);
        setNumOutputs(channels * outputBuses);
        if (channels < kStereoChannels) {
            makeArrangement(&inputArrangement_, kStereoChannels * inputBuses, kSpeakerArrStereo);
            makeArrangement(&outputArrangement_, kStereoChannels, kSpeakerArrStereo);
        } else if (channels == kSurroundChannels51 || channels == kSurroundChannels71) {
            makeArrangement(&inputArrangement_, channels, arrangementTypeFor(channels));
            makeArrangement(&outputArrangement_, channels, arrangementTypeFor(channels));
        } else {
            AM_STD::printv("WRONG NUMBER OF CHANNELS - FLEASE FIX!");
            makeArrangement(&inputArrangement_, channels, kSpeakerArrMono);
            makeArrangement(&outputArrangement_, channels, kSpeakerArrMono);
        }
    }
    multiChannel_.store(false, std::memory_order_relaxed);
}

void AM_VST_base::announceLatency()
{
    const AM_PluginInfo* info = audioMan_ ? audioMan_->getPluginInfo() : nullptr;
    const auto latency = static_cast<VstInt32>(info ? info->latency : 0);
    setInitialDelay(latency);
}

VstIntPtr AM_VST_base::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt)
{
    switch (opcode) {
    case effEditOpen: {
        const VstIntPtr opened = AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
        editorOpen_.store(opened != 0, std::memory_order_release);
        return opened;
    }
    case effEditClose:
        editorOpen_.store(false, std::memory_order_release);
        notifications_.clear();
        return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
    case effEditIdle:
        deliverNotifications();
        return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
    default:
        return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AM_VST_base::suspend() {}

void AM_VST_base::resume()
{
    AudioEffectX::resume();
    if (audioMan_)
        audioMan_->reset();
}

void AM_VST_base::setSampleRate(float rate)
{
    AudioEffectX::setSampleRate(rate);
    if (audioMan_)
        audioMan_->setSampleRate(rate);
}

VstInt32 AM_VST_base::startProcess()
{
    return 1;
}

VstInt32 AM_VST_base::stopProcess()
{
    return 1;
}

bool AM_VST_base::getEffectName(char* name)
{
    const AM_PluginInfo* info = audioMan_ ? audioMan_->getPluginInfo() : nullptr;
    copyInfoText(name, info ? info->effectName : nullptr, kNoEffectName, info != nullptr);
    return true;
}

bool AM_VST_base::getVendorString(char* text)
{
    const AM_PluginInfo* info = audioMan_ ? audioMan_->getPluginInfo() : nullptr;
    copyInfoText(text, info ? info->vendorName : nullptr, kNoVendorName, info != nullptr);
    return true;
}

bool AM_VST_base::getProductString(char* text)
{
    const AM_PluginInfo* info = audioMan_ ? audioMan_->getPluginInfo() : nullptr;
    copyInfoText(text, info ? info->productName : nullptr, kNoProductName, info != nullptr);
    return true;
}

VstInt32 AM_VST_base::canDo(char* text)
{
    if (text == nullptr)
        return -1;
    for (const char* capability : kCapabilities) {
        // Comparing the terminator too makes it a whole-string comparison
        // that reads no further into the host's text than the capability.
        if (std::strncmp(text, capability, std::strlen(capability) + 1) == 0)
            return 1;
    }
    return -1;
}
