#pragma once
// The plug-in in this process, driven through its AEffect record as a host
// drives it: a host callback with a configurable transport, a data root of
// its own per test (a temporary "KestanK4.data" beside a stand-in module
// file) and every process-wide start-up state reset before and after.

#include "TempDir.h"
#include "TraceCapture.h"

#include "engine/AM_MidiMapFile.h"
#include "engine/AM_SharedInstance.h"
#include "foundation/AM_DataFolder.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/Module.h"
#include "plugin/AM_VST_Edit.h"
#include "plugin/vst/PluginEntry.h"
#include "plugin/vst/VstEvents.h"
#include "plugin/vst/VstTimeInfo.h"
#include "synth/Synth_AudioMan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace plugintest {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;

// What the host answers to audioMasterGetTime.
enum class TimeMode { full, none, noFlags, custom };

// The host callback: records calls per opcode and answers as a simple host.
class TestHost {
public:
    static constexpr int kOpcodes = 64;

    TestHost() { current_ = this; }
    ~TestHost() { current_ = nullptr; }
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    static VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
    {
        TestHost* host = current_;
        if (host == nullptr)
            return opcode == audioMasterVersion ? kVstVersion : 0;
        if (opcode >= 0 && opcode < kOpcodes)
            ++host->calls[static_cast<size_t>(opcode)];
        switch (opcode) {
        case audioMasterVersion:
            return host->version;
        case audioMasterGetTime:
            return reinterpret_cast<VstIntPtr>(host->timeInfo());
        case audioMasterGetProductString:
            if (ptr == nullptr || host->product.empty())
                return 0;
            std::strncpy(static_cast<char*>(ptr), host->product.c_str(), kVstMaxProductStrLen - 1);
            return 1;
        case audioMasterWantMidi:
        case audioMasterUpdateDisplay:
        case audioMasterIOChanged:
            return 1;
        default:
            return 0;
        }
    }

    int count(VstInt32 opcode) const { return calls[static_cast<size_t>(opcode)].load(); }

    // The transport of the next block: at a frame, 120 BPM, 4/4, all valid.
    void advanceTo(int64_t frame)
    {
        const double ppq = static_cast<double>(frame) / kRate * tempo / 60.0;
        info = {};
        info.samplePos = static_cast<double>(frame);
        info.sampleRate = kRate;
        info.ppqPos = ppq;
        info.tempo = tempo;
        info.barStartPos = std::floor(ppq / 4.0) * 4.0;
        info.timeSigNumerator = 4;
        info.timeSigDenominator = 4;
        info.flags = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid |
                     kVstTransportPlaying;
    }

    VstTimeInfo* timeInfo()
    {
        switch (mode) {
        case TimeMode::none:
            return nullptr;
        case TimeMode::noFlags:
            answer = info;
            answer.flags = 0;
            return &answer;
        case TimeMode::full:
        case TimeMode::custom:
            break;
        }
        answer = info;
        return &answer;
    }

    VstIntPtr version = kVstVersion;
    std::string product = "plug-in tests";
    TimeMode mode = TimeMode::full;
    double tempo = 120.0;
    VstTimeInfo info{};
    VstTimeInfo answer{};
    std::array<std::atomic<int>, kOpcodes> calls{};

private:
    static inline TestHost* current_ = nullptr;
};

// The instrument's audio manager with a changed channel layout or changed
// parameter ranges, for the cases the instrument itself never shows.
struct FixtureConfig {
    uint32_t channelsPerBus = 2;
    // "Kestan:Detune" gets max = min.
    bool flatDetune = false;
    // "Kestan:Cutoff" gets the range -100000..100000.
    bool wideCutoff = false;
    // XY axes (the meta parameters) and targets per axis; the instrument
    // itself has none.
    uint32_t xyPads = 0;
    uint32_t xyTargets = 0;
};

class FixtureAudioMan : public Synth_AudioMan {
public:
    static inline FixtureConfig config{};

    FixtureAudioMan() : Synth_AudioMan(kPluginId)
    {
        pluginInfo_.channelsPerBus = config.channelsPerBus;
        if (config.xyPads > 0)
            setXYPadLayout(config.xyPads, config.xyTargets);
    }

    void setupParameters() override
    {
        Synth_AudioMan::setupParameters();
        if (config.flatDetune) {
            if (AM_ParamInfo* info = findParameter("Kestan", "Detune"))
                info->max = info->min;
        }
        if (config.wideCutoff) {
            if (AM_ParamInfo* info = findParameter("Kestan", "Cutoff")) {
                info->min = -100000.0f;
                info->max = 100000.0f;
            }
        }
    }

    static Synth_AudioMan* make() { return new FixtureAudioMan; }
};

// A MIDI message at a frame of a rendering.
struct Midi {
    int64_t frame;
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
};

// Stereo output of a rendering.
struct Stereo {
    std::vector<float> left;
    std::vector<float> right;

    // The first frame with a sample that is not 0, or -1.
    int64_t firstSound() const
    {
        for (size_t i = 0; i < left.size(); ++i)
            if (left[i] != 0.0f || right[i] != 0.0f)
                return static_cast<int64_t>(i);
        return -1;
    }
    bool allFinite() const
    {
        for (size_t i = 0; i < left.size(); ++i)
            if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
                return false;
        return true;
    }
    float peak() const
    {
        float p = 0.0f;
        for (size_t i = 0; i < left.size(); ++i)
            p = std::max({p, std::fabs(left[i]), std::fabs(right[i])});
        return p;
    }
};

// Plays MIDI through an effect block by block: each block gets the host
// transport, its events (deltaFrames = offset in the block) and one
// processReplacing call with silent inputs.
class Player {
public:
    Player(AEffect* effect, TestHost& host) : effect_(effect), host_(host) {}

    // Renders frames in blocks of `block` (the last one shorter) and appends
    // them to out; events are at frames of this player's timeline.
    void render(int64_t frames, int block, const std::vector<Midi>& events, Stereo& out)
    {
        int64_t done = 0;
        while (done < frames) {
            const int n = static_cast<int>(std::min<int64_t>(block, frames - done));
            sendEvents(events, position_, position_ + n);
            host_.advanceTo(position_);
            prepare(n);
            float* inputs[2] = {silence_.data(), silence_.data()};
            float* outputs[2] = {left_.data(), right_.data()};
            effect_->processReplacing(effect_, inputs, outputs, n);
            out.left.insert(out.left.end(), left_.begin(), left_.begin() + n);
            out.right.insert(out.right.end(), right_.begin(), right_.begin() + n);
            position_ += n;
            done += n;
        }
    }
    Stereo render(int64_t frames, int block, const std::vector<Midi>& events = {})
    {
        Stereo out;
        render(frames, block, events, out);
        return out;
    }

    // Sends messages now, with the given offset into the next block.
    void send(const std::vector<Midi>& messages)
    {
        std::vector<VstMidiEvent> midi(messages.size());
        std::vector<VstEvent*> pointers;
        for (size_t i = 0; i < messages.size(); ++i) {
            midi[i] = {};
            midi[i].type = kVstMidiType;
            midi[i].byteSize = sizeof(VstMidiEvent);
            midi[i].deltaFrames = static_cast<VstInt32>(messages[i].frame);
            midi[i].midiData[0] = messages[i].status;
            midi[i].midiData[1] = messages[i].data1;
            midi[i].midiData[2] = messages[i].data2;
            pointers.push_back(reinterpret_cast<VstEvent*>(&midi[i]));
        }
        std::vector<uint8_t> block(vstEventsBytes(pointers.size()), 0);
        auto* events = reinterpret_cast<VstEvents*>(block.data());
        events->numEvents = static_cast<VstInt32>(pointers.size());
        for (size_t i = 0; i < pointers.size(); ++i)
            vstEventList(events)[i] = pointers[i];
        effect_->dispatcher(effect_, effProcessEvents, 0, 0, events, 0.0f);
    }

    int64_t position() const { return position_; }

private:
    void sendEvents(const std::vector<Midi>& events, int64_t from, int64_t to)
    {
        std::vector<Midi> due;
        for (const Midi& m : events)
            if (m.frame >= from && m.frame < to)
                due.push_back({m.frame - from, m.status, m.data1, m.data2});
        if (!due.empty())
            send(due);
    }
    void prepare(int n)
    {
        if (static_cast<int>(left_.size()) < n) {
            left_.assign(static_cast<size_t>(n), 0.0f);
            right_.assign(static_cast<size_t>(n), 0.0f);
            silence_.assign(static_cast<size_t>(n), 0.0f);
        }
        std::fill(left_.begin(), left_.end(), 0.0f);
        std::fill(right_.begin(), right_.end(), 0.0f);
    }

    AEffect* effect_;
    TestHost& host_;
    int64_t position_ = 0;
    std::vector<float> left_, right_, silence_;
};

// A new process as far as the plug-in can tell: nothing shared, nothing
// loaded, no early restore seen. Every chunk restores as one that comes
// soon after construction (as they do in tests that are not slowed down),
// so a loaded machine never changes how a test's states are read.
inline void resetProcessState()
{
    AM_SharedInstances::reset();
    AM_MidiMapFile::resetProcessState();
    AM_VST_base::resetProcessState();
    AM_VST_base::setEarlyRestoreWindow(AM_VST_base::kEveryRestoreEarly);
    resetDataFolderSearch();
}

class PluginTest : public ::testing::Test {
protected:
    // The stand-in module file the plug-in finds its folder from.
    virtual std::string moduleFileName() const { return "KestanK4.so"; }

    void SetUp() override
    {
        resetProcessState();
        dir.makeDir("KestanK4.data");
        platform::overrideModulePath(dir.file(moduleFileName()).c_str());
        resetDataFolderSearch();
    }
    void TearDown() override
    {
        FixtureAudioMan::config = FixtureConfig{};
        for (AEffect* e : effects_)
            e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
        effects_.clear();
        platform::overrideModulePath(nullptr);
        resetProcessState();
    }

    // A plug-in as the module's entry builds it, opened and resumed like a
    // host does. Closed by TearDown.
    AEffect* open(float rate = kRate, int block = kBlock)
    {
        AEffect* e = vst::createPluginEffect(TestHost::callback, createEffectInstance);
        if (e == nullptr)
            return nullptr;
        effects_.push_back(e);
        dispatch(e, effOpen);
        dispatch(e, effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(e, effSetBlockSize, 0, block);
        dispatch(e, effMainsChanged, 0, 1);
        dispatch(e, effStartProcess);
        return e;
    }
    // A plug-in over the fixture's audio manager (FixtureAudioMan::config),
    // opened and resumed. Closed by TearDown.
    AEffect* openFixture()
    {
        auto* effect = new AM_VST_Edit(TestHost::callback, FixtureAudioMan::make);
        AEffect* e = effect->getAeffect();
        effects_.push_back(e);
        dispatch(e, effOpen);
        dispatch(e, effSetSampleRate, 0, 0, nullptr, kRate);
        dispatch(e, effSetBlockSize, 0, kBlock);
        dispatch(e, effMainsChanged, 0, 1);
        return e;
    }
    // Closes one plug-in now.
    void close(AEffect* e)
    {
        effects_.erase(std::remove(effects_.begin(), effects_.end(), e), effects_.end());
        dispatch(e, effClose);
    }

    static VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                              void* ptr = nullptr, float opt = 0.0f)
    {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }
    static AM_VST_Edit& plugin(AEffect* e) { return *static_cast<AM_VST_Edit*>(e->object); }
    static Synth_AudioMan& engine(AEffect* e) { return *plugin(e).getAudioMan(); }

    static std::string text(AEffect* e, VstInt32 opcode, VstInt32 index = 0)
    {
        char buffer[1024];
        std::memset(buffer, '#', sizeof buffer);
        dispatch(e, opcode, index, 0, buffer);
        buffer[sizeof buffer - 1] = 0;
        return buffer;
    }
    static std::string chunk(AEffect* e, bool program)
    {
        void* data = nullptr;
        const VstIntPtr size = dispatch(e, effGetChunk, program ? 1 : 0, 0, &data);
        return size > 0 && data != nullptr
                   ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
                   : std::string();
    }
    static VstIntPtr setChunk(AEffect* e, const std::string& bytes, bool program)
    {
        std::vector<char> copy(bytes.begin(), bytes.end());
        return dispatch(e, effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(copy.size()),
                        copy.empty() ? nullptr : copy.data());
    }
    // Every parameter the state holds, by host index, published ones first
    // (meters, and parameters hidden or left out of the state, are not).
    static std::vector<float> allParameters(AEffect* e)
    {
        std::vector<float> values;
        Synth_AudioMan& audio = engine(e);
        const auto saved = [](const AM_ParamInfo* info) {
            return info != nullptr && info->kind() != k_meter &&
                   (info->flags & (k_paramHidden | k_paramNotSaved)) == 0;
        };
        for (VstInt32 i = 0; i < e->numParams; ++i)
            if (saved(audio.getParameterDescriptor(i, true)))
                values.push_back(e->getParameter(e, i));
        for (int32_t i = 0; i < audio.getParameterCount(false); ++i)
            if (saved(audio.getParameterDescriptor(i, false)))
                values.push_back(e->getParameter(e, AM_VST_base::kInternalIndexOffset + i));
        return values;
    }
    // The global id of a parameter by module and short name (-1 for none).
    static int32_t id(AEffect* e, const char* module, const char* parameter)
    {
        const AM_ParamInfo* info = engine(e).findParameter(module, parameter);
        return info != nullptr ? static_cast<int32_t>(info->index) : -1;
    }

    testsupport::TempDir dir;
    testsupport::TraceCapture trace;
    TestHost host;

private:
    std::vector<AEffect*> effects_;
};

} // namespace plugintest
