#pragma once
// One VST 2.4 plug-in loaded and driven by the test host: loading through
// VSTPluginMain (or main), the host callback a real host answers, and
// null-safe wrappers for every call the host makes.
//
// The host drives the plug-in from one thread; callbacks the plug-in makes
// from other threads are answered too (the log's counters are atomic).
// A plug-in that answers null or zero to everything, or leaves function
// pointers empty, gets errors or defaults, never a crash of the host.

#include "platform/DynamicLibrary.h"
#include "plugin/vst/VstEvents.h"
#include "plugin/vst/VstOpcodes.h"
#include "plugin/vst/VstTimeInfo.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vsthost {

// What the host answers to audioMasterGetTime.
enum class TimeInfoMode {
    full,    // every field with its valid flag
    none,    // a null answer
    noFlags, // a record whose flags are all clear
    hostile, // valid flags over unusable values (tempo 0, 0/0, NaN position)
};

struct HostSettings {
    static constexpr double kDefaultSampleRate = 44100.0;
    static constexpr int kDefaultBlockSize = 512;
    static constexpr double kDefaultTempo = 120.0;
    static constexpr int kDefaultTimeSig = 4;
    static constexpr double kMaxSampleRate = 1536000.0;
    static constexpr int kMaxBlockSize = 1 << 20;

    double sampleRate = kDefaultSampleRate;
    int blockSize = kDefaultBlockSize;
    double tempo = kDefaultTempo;
    int timeSigNumerator = kDefaultTimeSig;
    int timeSigDenominator = kDefaultTimeSig;
    TimeInfoMode timeInfo = TimeInfoMode::full;
};

// What the plug-in asked of the host.
struct HostLog {
    static constexpr int kTrackedOpcodes = 64;

    struct Automation {
        int32_t index;
        float value;
    };

    std::array<std::atomic<uint32_t>, kTrackedOpcodes> calls{}; // per host opcode
    std::atomic<uint32_t> unknownCalls{0};                      // opcodes outside the table
    std::vector<Automation> automation;                         // guarded by mutex
    mutable std::mutex mutex;

    uint32_t count(int32_t opcode) const;
};

class HostedPlugin {
public:
    static constexpr int kMaxChannels = 64;
    static constexpr int kMaxParams = 100000;
    static constexpr const char* kHostVendor = "KestanK4 project";
    static constexpr const char* kHostProduct = "kk-vsthost";
    static constexpr int32_t kHostVendorVersion = 1000;

    HostedPlugin();
    // Stops and closes the plug-in and unloads the module.
    ~HostedPlugin();
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    // Loads the module, calls its entry and checks the record (magic,
    // dispatcher, channel counts). False with a reason in error.
    bool load(const std::string& path, const HostSettings& settings, std::string& error);
    // effOpen, sample rate, block size, resume, start process. Once after load.
    void start();
    // Stop process and suspend; nothing when not started.
    void stop();
    // effClose (the plug-in deletes itself) and unloads the module.
    void unload();
    bool isLoaded() const { return effect_ != nullptr; }
    AEffect* effect() const { return effect_; }

    // Any dispatcher call; 0 when nothing is loaded.
    VstIntPtr dispatch(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);

    // Record fields.
    int numInputs() const;
    int numOutputs() const;
    int numParams() const;
    int numPrograms() const;
    int32_t flags() const;
    int32_t uniqueId() const;
    int32_t version() const;
    int32_t initialDelay() const;

    // Texts the plug-in writes, read through buffers far larger than the
    // published limits and always terminated.
    std::string effectName();
    std::string vendorString();
    std::string productString();
    std::string programName();
    std::string parameterName(int index);
    std::string parameterDisplay(int index);
    std::string parameterLabel(int index);
    // canDo's answer: 1 yes, -1 no, 0 don't know.
    VstIntPtr canDo(const std::string& text);

    // Parameters; indices outside the record's count are refused.
    bool setParameter(int index, float value);
    float getParameter(int index);

    // The bank (program = false) or program chunk; false with a reason when
    // the plug-in keeps no chunks or hands out nothing usable.
    bool getChunk(bool program, std::vector<uint8_t>& data, std::string& error);
    // Hands data to the plug-in; answers its reply (1 = read).
    VstIntPtr setChunk(bool program, std::vector<uint8_t> data);

    // Before a block: the transport the host reports for it.
    void setTransport(int64_t samplePos, bool playing);
    // Events for the next process call.
    void processEvents(VstEvents* events);
    // Renders frames into outputs (numOutputs buffers) from inputs
    // (numInputs buffers), through processReplacing, or through the
    // accumulating process into zeroed outputs when the plug-in has no
    // replacing entry. False when it has neither.
    bool process(float** inputs, float** outputs, int frames);
    // True when the plug-in can render at all.
    bool canProcess() const;

    // Who answers the plug-in's audioMasterSizeWindow (the editor's host
    // window); while none is set the host says it cannot size windows.
    // User-interface thread.
    void setSizeWindowHandler(std::function<bool(int width, int height)> handler)
    {
        sizeWindowHandler_ = std::move(handler);
    }

    const HostSettings& settings() const { return settings_; }
    const HostLog& log() const { return log_; }
    // True once any process call left the floating-point control register
    // changed (the host puts it back each time).
    bool controlRegisterChanged() const { return controlRegisterChanged_; }
    // Times the plug-in reported changed channel counts (audioMasterIOChanged).
    uint32_t ioChanges() const { return log_.count(audioMasterIOChanged); }

    // The host callback handed to plug-ins; it finds its HostedPlugin through
    // the record's user field. Any thread.
    static VstIntPtr callback(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                              void* ptr, float opt);

private:
    VstIntPtr answer(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt);
    VstTimeInfo* timeInfo();
    std::string readText(int32_t opcode, int32_t index);

    // The plug-in being loaded on this thread: its entry and constructor call
    // back before the record's user field points at this object.
    static inline thread_local HostedPlugin* loading_ = nullptr;

    platform::DynamicLibrary library_;
    AEffect* effect_ = nullptr;
    HostSettings settings_;
    HostLog log_;
    VstTimeInfo timeInfo_{};   // the transport of the current block
    VstTimeInfo answerInfo_{}; // what the host hands out (see TimeInfoMode)
    int64_t lastSamplePos_ = -1;
    bool playing_ = false;
    bool started_ = false;
    std::atomic<bool> processing_{false};
    bool controlRegisterChanged_ = false;
    std::function<bool(int, int)> sizeWindowHandler_;
};

} // namespace vsthost
