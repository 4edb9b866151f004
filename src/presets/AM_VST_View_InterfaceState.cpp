// The VST plug-in's GUI-to-engine interface: the state of the patch or of
// one module, the FXP program image, and the host's program changes.

#include "presets/AM_VST_View_Interface.h"

#include "foundation/AM_STD.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/Trace.h"
#include "plugin/AM_VST_base.h"
#include "presets/AM_ViewManServices.h"
#include "presets/AM_ViewText.h"
#include "script/ScriptPrint.h"
#include "synth/Synth_AudioMan.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* kSelectModule = "SelMod";
constexpr const char* kPatchFile = "PFile";
constexpr const char* kHostExtension = "fxp";
constexpr const char* kNoPresetName = "init";
constexpr uint32_t kFxpVersion = 1;
constexpr uint32_t kFxpPluginVersion = 1;
// "PFile" texts shorter than this hold no name and extension worth taking.
constexpr size_t kShortestPatchFile = 5;
// The plug-in's initial program name stands for no preset; the editor
// shows the sound it holds under a name a musician reads: the default
// preset's, when the engine started from one, else the start-up sound's.
constexpr const char* kInitialProgram = "initialize";
constexpr const char* kDefaultPresetShown = "default";
constexpr const char* kStartupSoundShown = "Init Patch";

void putBigEndian(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value >> 24);
    at[1] = static_cast<uint8_t>(value >> 16);
    at[2] = static_cast<uint8_t>(value >> 8);
    at[3] = static_cast<uint8_t>(value);
}

constexpr uint32_t fourCharacters(char a, char b, char c, char d)
{
    return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(d));
}

} // namespace

void AM_VST_View_Interface::nativePresetChanged(const char* name)
{
    script::print("AM_VST_View_Interface::nativePresetChanged( %s )\n", name ? name : "");
    if (viewMan_ != nullptr) {
        viewMan_->requestParameterRefresh();
        viewMan_->parametersRefreshed();
    }
    if (AM_VST_base* effect = plugin())
        effect->presetChanged(name != nullptr ? name : "");
}

std::vector<uint8_t> AM_VST_View_Interface::getFxpProgram()
{
    AM_AudioMan* audio = getAudioMan();
    AM_VST_base* effect = plugin();
    if (audio == nullptr || effect == nullptr || platform::isRealtimeThread())
        return {};
    const std::unique_lock<std::recursive_mutex> lock = effect->lockState();
    uint32_t size = 0;
    const char* chunk = audio->getChunk(&size, nullptr);
    if (chunk == nullptr || size == 0 || size > UINT32_MAX - kFxpHeaderBytes)
        return {};

    // Every byte of the header is written: the name field is zero-filled
    // behind the name.
    std::vector<uint8_t> image(kFxpHeaderBytes + static_cast<size_t>(size), 0);
    uint8_t* header = image.data();
    putBigEndian(header + 0, fourCharacters('C', 'c', 'n', 'K'));
    putBigEndian(header + 4, size + kFxpHeaderBytes - 8);
    putBigEndian(header + 8, fourCharacters('F', 'P', 'C', 'h'));
    putBigEndian(header + 12, kFxpVersion);
    putBigEndian(header + 16, audio->getPluginId());
    putBigEndian(header + 20, kFxpPluginVersion);
    putBigEndian(header + 24, static_cast<uint32_t>(audio->getParameterCount(true)));
    const char* name = getCurrentPresetName(nullptr);
    if (name == nullptr)
        name = kNoPresetName;
    size_t length = 0;
    while (length < kFxpNameChars && name[length] != 0)
        ++length;
    std::memcpy(header + 28, name, length);
    putBigEndian(header + 56, size);
    std::memcpy(header + kFxpHeaderBytes, chunk, size);
    return image;
}

void AM_VST_View_Interface::setSelectedModule(float id)
{
    if (const AM_ParamInfo* info = findCoreParameter(kSelectModule))
        setParameterValue(static_cast<int32_t>(info->index), &id);
}

bool AM_VST_View_Interface::selectForState(const char* modulePath, bool announce)
{
    if (!isModulePresetList(modulePath))
        return false;
    const AM_ModuleRecord* record = getModuleInfoL(modulePath);
    if (record == nullptr) {
        if (announce)
            script::print("getStateInfo Module not found: %s/n\n", modulePath);
        return true;
    }
    const AM_ParamInfo* info = findCoreParameter(kSelectModule);
    if (info == nullptr) {
        if (announce)
            script::print("findParameter ( PCore, SelMod ) FAILED\n");
        return true;
    }
    const auto id = static_cast<float>(record->moduleIndex);
    if (announce)
        script::print("setting ModuleSelect %f - %s\n", static_cast<double>(id), modulePath);
    setParameterValue(static_cast<int32_t>(info->index), &id);
    return true;
}

std::vector<uint8_t> AM_VST_View_Interface::getStateInfo(const char* modulePath)
{
    AM_AudioMan* audio = getAudioMan();
    AM_VST_base* effect = plugin();
    if (audio == nullptr || effect == nullptr)
        return {};
    if (platform::isRealtimeThread()) {
        AM_STD::printv("getStateInfo refused on the audio thread");
        return {};
    }
    // The module selection lives in the engine for the length of the
    // write: no host getChunk may see it.
    const std::unique_lock<std::recursive_mutex> lock = effect->lockState();
    const bool moduleList = selectForState(modulePath, true);
    uint32_t size = kStateSizeHint;
    const char* chunk = audio->getChunk(&size, nullptr);
    std::vector<uint8_t> copy;
    if (chunk != nullptr && size > 0) {
        copy.assign(chunk, chunk + size);
        AM_STD::printv("%s", std::string(chunk, size).c_str());
    }
    if (moduleList)
        setSelectedModule(0.0f);
    return copy;
}

bool AM_VST_View_Interface::setStateInfo(const void* data, uint32_t size, const char* modulePath)
{
    AM_AudioMan* audio = getAudioMan();
    AM_VST_base* effect = plugin();
    if (audio == nullptr || effect == nullptr || data == nullptr || size == 0 ||
        size > static_cast<uint32_t>(INT32_MAX))
        return false;
    if (platform::isRealtimeThread()) {
        AM_STD::printv("setStateInfo refused on the audio thread");
        return false;
    }
    nativeLoad_ = true;
    const std::unique_lock<std::recursive_mutex> lock = effect->lockState();
    const bool moduleList = selectForState(modulePath, false);
    const bool read = audio->setChunk(data, static_cast<int32_t>(size), 0);
    if (moduleList)
        setSelectedModule(0.0f);
    return read;
}

void AM_VST_View_Interface::hostProgramChanged()
{
    AM_VST_base* effect = plugin();
    char program[AM_VST_base::kProgramNameBytes] = {};
    if (effect != nullptr)
        effect->getProgramName(program);
    program[sizeof program - 1] = 0;
    if (const char* shown = shownProgramName(program); shown != program)
        viewtext::copy(program, sizeof program, shown);

    // The list's preset takes the program's name; its extension stays.
    const char* extension = getCurrentPresetExtension(nullptr);
    char kept[kExtensionBytes] = {};
    viewtext::copy(kept, sizeof kept, extension != nullptr ? extension : kHostExtension);
    setCurrentPreset(program, kept, nullptr);

    if (nativeLoad_) {
        nativeLoad_ = false;
    } else {
        setCurrentPreset(program, kHostExtension, nullptr);
        // A name remembered in "PFile" with another extension ("h2p") gets
        // that extension back.
        if (const AM_ParamInfo* info = findCoreParameter(kPatchFile)) {
            const auto* stored =
                static_cast<const char*>(getParameterValue(static_cast<int32_t>(info->index)));
            char file[k_valueNameBytes * 2 + 1] = {};
            viewtext::copy(file, sizeof file, stored);
            if (std::strlen(file) >= kShortestPatchFile) {
                char* dot = std::strchr(file, '.');
                if (dot != nullptr) {
                    *dot = 0;
                    char* suffix = dot + 1;
                    if (char* next = std::strchr(suffix, '.'))
                        *next = 0;
                    if (std::strcmp(file, program) == 0 && std::strcmp(suffix, kHostExtension) != 0)
                        setCurrentPreset(program, suffix, nullptr);
                }
            }
        }
    }
    if (viewMan_ != nullptr) {
        viewMan_->requestParameterRefresh();
        viewMan_->parametersRefreshed();
    }
}

const char* AM_VST_View_Interface::shownProgramName(const char* program)
{
    if (program == nullptr || std::strcmp(program, kInitialProgram) != 0)
        return program;
    const AM_AudioMan* audio = getAudioMan();
    return audio != nullptr && audio->startedFromDefaultPreset() ? kDefaultPresetShown
                                                                 : kStartupSoundShown;
}

void AM_VST_View_Interface::hostProgramNameChanged(const char* name)
{
    setCurrentPreset(shownProgramName(name), kHostExtension, nullptr);
    if (viewMan_ != nullptr)
        viewMan_->parametersRefreshed();
}
