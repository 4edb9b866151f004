#include "HostedPlugin.h"

#include <cmath>
#include <cstring>
#include <xmmintrin.h>

namespace vsthost {
namespace {

using EntryFunction = AEffect* (*)(audioMasterCallback);

constexpr size_t kTextBufferBytes = 1024;
constexpr VstIntPtr kMaxChunkBytes = VstIntPtr{256} << 20;
constexpr double kSecondsPerMinute = 60.0;
constexpr double kNanosecondsPerSecond = 1e9;
constexpr double kQuarterNotesPerWholeNote = 4.0;

} // namespace

uint32_t HostLog::count(int32_t opcode) const
{
    if (opcode < 0 || opcode >= kTrackedOpcodes)
        return 0;
    return calls[static_cast<size_t>(opcode)].load();
}

HostedPlugin::HostedPlugin() = default;

HostedPlugin::~HostedPlugin()
{
    unload();
}

bool HostedPlugin::load(const std::string& path, const HostSettings& settings, std::string& error)
{
    unload();
    if (!(settings.sampleRate > 0.0 && settings.sampleRate <= HostSettings::kMaxSampleRate)) {
        error = "sample rate out of range";
        return false;
    }
    if (settings.blockSize < 1 || settings.blockSize > HostSettings::kMaxBlockSize) {
        error = "block size out of range";
        return false;
    }
    settings_ = settings;
    std::string reason;
    if (!library_.open(path, reason)) {
        error = "cannot load " + path + ": " + reason;
        return false;
    }
    void* entry = library_.symbol("VSTPluginMain");
    if (entry == nullptr)
        entry = library_.symbol("main");
    if (entry == nullptr) {
        error = path + " exports neither VSTPluginMain nor main";
        library_.close();
        return false;
    }
    loading_ = this;
    AEffect* effect = reinterpret_cast<EntryFunction>(entry)(callback);
    loading_ = nullptr;
    if (effect == nullptr) {
        error = "the plug-in gave no effect (its entry answered null)";
        library_.close();
        return false;
    }
    if (effect->magic != kEffectMagic || effect->dispatcher == nullptr) {
        // Not a record this host can talk to; it cannot even be closed.
        error = "the plug-in's record is not a VST 2.4 effect";
        library_.close();
        return false;
    }
    effect_ = effect;
    effect_->user = this;
    if (numInputs() < 0 || numInputs() > kMaxChannels || numOutputs() < 0 ||
        numOutputs() > kMaxChannels || numParams() < 0 || numParams() > kMaxParams ||
        numPrograms() < 0) {
        error = "the plug-in reports implausible channel or parameter counts";
        unload();
        return false;
    }
    return true;
}

void HostedPlugin::start()
{
    if (effect_ == nullptr || started_)
        return;
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(settings_.sampleRate));
    dispatch(effSetBlockSize, 0, settings_.blockSize);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    started_ = true;
}

void HostedPlugin::stop()
{
    if (effect_ == nullptr || !started_)
        return;
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    started_ = false;
}

void HostedPlugin::unload()
{
    stop();
    if (effect_ != nullptr) {
        AEffect* closing = effect_;
        effect_ = nullptr;
        closing->dispatcher(closing, effClose, 0, 0, nullptr, 0.0f);
    }
    library_.close();
    lastSamplePos_ = -1;
}

VstIntPtr HostedPlugin::dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                                 float opt)
{
    if (effect_ == nullptr || effect_->dispatcher == nullptr)
        return 0;
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

int HostedPlugin::numInputs() const
{
    return effect_ != nullptr ? effect_->numInputs : 0;
}

int HostedPlugin::numOutputs() const
{
    return effect_ != nullptr ? effect_->numOutputs : 0;
}

int HostedPlugin::numParams() const
{
    return effect_ != nullptr ? effect_->numParams : 0;
}

int HostedPlugin::numPrograms() const
{
    return effect_ != nullptr ? effect_->numPrograms : 0;
}

int32_t HostedPlugin::flags() const
{
    return effect_ != nullptr ? effect_->flags : 0;
}

int32_t HostedPlugin::uniqueId() const
{
    return effect_ != nullptr ? effect_->uniqueID : 0;
}

int32_t HostedPlugin::version() const
{
    return effect_ != nullptr ? effect_->version : 0;
}

int32_t HostedPlugin::initialDelay() const
{
    return effect_ != nullptr ? effect_->initialDelay : 0;
}

std::string HostedPlugin::readText(int32_t opcode, int32_t index)
{
    char buffer[kTextBufferBytes] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[kTextBufferBytes - 1] = 0;
    return buffer;
}

std::string HostedPlugin::effectName()
{
    return readText(effGetEffectName, 0);
}

std::string HostedPlugin::vendorString()
{
    return readText(effGetVendorString, 0);
}

std::string HostedPlugin::productString()
{
    return readText(effGetProductString, 0);
}

std::string HostedPlugin::programName()
{
    return readText(effGetProgramName, 0);
}

std::string HostedPlugin::parameterName(int index)
{
    return readText(effGetParamName, index);
}

std::string HostedPlugin::parameterDisplay(int index)
{
    return readText(effGetParamDisplay, index);
}

std::string HostedPlugin::parameterLabel(int index)
{
    return readText(effGetParamLabel, index);
}

VstIntPtr HostedPlugin::canDo(const std::string& text)
{
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back(0);
    return dispatch(effCanDo, 0, 0, copy.data());
}

bool HostedPlugin::setParameter(int index, float value)
{
    if (effect_ == nullptr || effect_->setParameter == nullptr || index < 0 || index >= numParams())
        return false;
    effect_->setParameter(effect_, index, value);
    return true;
}

float HostedPlugin::getParameter(int index)
{
    if (effect_ == nullptr || effect_->getParameter == nullptr || index < 0 || index >= numParams())
        return 0.0f;
    return effect_->getParameter(effect_, index);
}

bool HostedPlugin::getChunk(bool program, std::vector<uint8_t>& data, std::string& error)
{
    data.clear();
    if (effect_ == nullptr) {
        error = "no plug-in loaded";
        return false;
    }
    if ((flags() & effFlagsProgramChunks) == 0) {
        error = "the plug-in keeps its state in parameters, not in chunks";
        return false;
    }
    void* chunk = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, program ? 1 : 0, 0, &chunk);
    if (size <= 0 || chunk == nullptr) {
        error = "the plug-in handed out no chunk";
        return false;
    }
    if (size > kMaxChunkBytes) {
        error = "the plug-in's chunk is implausibly large";
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(chunk);
    data.assign(bytes, bytes + size);
    return true;
}

VstIntPtr HostedPlugin::setChunk(bool program, std::vector<uint8_t> data)
{
    if (data.empty())
        return 0;
    return dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(data.size()), data.data());
}

void HostedPlugin::setTransport(int64_t samplePos, bool playing)
{
    const double seconds = static_cast<double>(samplePos) / settings_.sampleRate;
    const double ppq = seconds * settings_.tempo / kSecondsPerMinute;
    const double quarterNotesPerBar =
        settings_.timeSigNumerator * kQuarterNotesPerWholeNote / settings_.timeSigDenominator;
    timeInfo_ = {};
    timeInfo_.samplePos = static_cast<double>(samplePos);
    timeInfo_.sampleRate = settings_.sampleRate;
    timeInfo_.nanoSeconds = seconds * kNanosecondsPerSecond;
    timeInfo_.ppqPos = ppq;
    timeInfo_.tempo = settings_.tempo;
    timeInfo_.barStartPos = std::floor(ppq / quarterNotesPerBar) * quarterNotesPerBar;
    timeInfo_.timeSigNumerator = settings_.timeSigNumerator;
    timeInfo_.timeSigDenominator = settings_.timeSigDenominator;
    timeInfo_.flags =
        kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    if (playing)
        timeInfo_.flags |= kVstTransportPlaying;
    if (lastSamplePos_ < 0 || playing != playing_)
        timeInfo_.flags |= kVstTransportChanged;
    lastSamplePos_ = samplePos;
    playing_ = playing;
}

void HostedPlugin::processEvents(VstEvents* events)
{
    if (events != nullptr)
        dispatch(effProcessEvents, 0, 0, events);
}

bool HostedPlugin::canProcess() const
{
    return effect_ != nullptr &&
           (effect_->processReplacing != nullptr || effect_->process != nullptr);
}

bool HostedPlugin::process(float** inputs, float** outputs, int frames)
{
    if (!canProcess() || frames <= 0)
        return false;
    processing_ = true;
    const unsigned int controlBefore = _mm_getcsr();
    if (effect_->processReplacing != nullptr) {
        effect_->processReplacing(effect_, inputs, outputs, frames);
    } else {
        for (int c = 0; c < numOutputs(); ++c)
            std::memset(outputs[c], 0, sizeof(float) * static_cast<size_t>(frames));
        effect_->process(effect_, inputs, outputs, frames);
    }
    if (_mm_getcsr() != controlBefore) {
        controlRegisterChanged_ = true;
        _mm_setcsr(controlBefore);
    }
    processing_ = false;
    return true;
}

} // namespace vsthost
