// The plug-in through its AEffect record, driven by a host whose every
// argument comes from the input: parameters by any index and value, chunks
// of any bytes (whole, cut, or a valid state with bytes behind), MIDI of any
// kind, blocks of any length, speaker arrangements of any channel count,
// any transport, and the other opcodes with their buffers. The host keeps
// to the interface (its pointers are valid); the values are anything.
//
// Checked besides crashes: normalised values stay finite within 0..1,
// texts stay within their published limits, a refused chunk changes
// nothing, a bank chunk begins with "#pgm=", rendered samples are finite
// and the floating-point control register is the host's after each block.

#include "engine/AM_MidiMapFile.h"
#include "engine/AM_SharedInstance.h"
#include "foundation/AM_DataFolder.h"
#include "platform/Module.h"
#include "platform/Trace.h"
#include "plugin/AM_VST_base.h"
#include "plugin/vst/PluginEntry.h"
#include "plugin/vst/VstEvents.h"
#include "plugin/vst/VstTimeInfo.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>
#include <xmmintrin.h>

namespace {

constexpr int kMaxOperations = 48;
constexpr int kMaxFrames = 4096;
constexpr int64_t kMaxFramesPerInput = 32768;
constexpr size_t kScratchBytes = 512;
constexpr unsigned char kSentinel = 0xA5;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Reads the input front to back; past its end every read gives 0.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    int32_t int32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        return static_cast<int32_t>(v);
    }
    float real()
    {
        const int32_t bits = int32();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    // A host index: mostly near the interesting ranges, sometimes anything.
    int32_t index()
    {
        switch (byte() % 4) {
        case 0:
            return byte();
        case 1:
            return 10000 + static_cast<int32_t>(byte()) * 2;
        case 2:
            return static_cast<int32_t>(byte()) - 128;
        default:
            return int32();
        }
    }
    std::vector<char> bytes(size_t count)
    {
        std::vector<char> out;
        while (out.size() < count && !empty())
            out.push_back(static_cast<char>(byte()));
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// The host: its transport answer comes from the input.
struct Host {
    int mode = 0; // 0 valid record, 1 null, 2 record as the input gives it
    VstTimeInfo info{};
    int64_t position = 0;

    static inline Host* current = nullptr;

    static VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
    {
        switch (opcode) {
        case audioMasterVersion:
            return kVstVersion;
        case audioMasterGetTime:
            if (current == nullptr || current->mode == 1)
                return 0;
            if (current->mode == 0) {
                current->info = {};
                current->info.ppqPos = static_cast<double>(current->position) / 22050.0;
                current->info.tempo = 120.0;
                current->info.timeSigNumerator = 4;
                current->info.timeSigDenominator = 4;
                current->info.flags = kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid;
            }
            return reinterpret_cast<VstIntPtr>(&current->info);
        case audioMasterGetProductString:
            if (ptr != nullptr)
                std::strcpy(static_cast<char*>(ptr), "fuzz host");
            return 1;
        default:
            return 0;
        }
    }
};

// A data root of the fuzzer's own, emptied before every input.
class DataRoot {
public:
    DataRoot()
    {
        std::random_device random;
        folder_ = std::filesystem::temp_directory_path() /
                  ("kk_plugin_fuzz_" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(folder_);
        platform::overrideModulePath((folder_ / "KestanK4.so").string().c_str());
        // The plug-in's diagnostics are not what is checked here.
        platform::setTraceSink(discard, nullptr);
        platform::setStandardOutputSink(discard, nullptr);
    }
    ~DataRoot()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    void renew()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_ / "KestanK4.data", ignored);
        std::filesystem::create_directories(folder_ / "KestanK4.data", ignored);
        AM_SharedInstances::reset();
        AM_MidiMapFile::resetProcessState();
        AM_VST_base::resetProcessState();
        resetDataFolderSearch();
    }

private:
    static void discard(void*, const char*) {}

    std::filesystem::path folder_;
};

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

std::string chunkOf(AEffect* e, bool program)
{
    void* data = nullptr;
    const VstIntPtr size = dispatch(e, effGetChunk, program ? 1 : 0, 0, &data);
    check(size >= 0);
    if (size == 0)
        return {};
    check(data != nullptr);
    return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

// A text opcode into a sentinel-filled buffer: terminated within limit.
void checkText(AEffect* e, VstInt32 opcode, VstInt32 index, size_t limit)
{
    unsigned char buffer[kScratchBytes];
    std::memset(buffer, kSentinel, sizeof buffer);
    dispatch(e, opcode, index, 0, buffer);
    check(std::memchr(buffer, 0, limit) != nullptr);
    for (size_t i = limit; i < sizeof buffer; ++i)
        check(buffer[i] == kSentinel);
}

void setChunk(AEffect* e, Input& in)
{
    const bool program = (in.byte() & 1) != 0;
    std::vector<char> bytes;
    switch (in.byte() % 4) {
    case 0: { // a valid state, whole or cut, with bytes of the input behind
        const std::string valid = chunkOf(e, (in.byte() & 1) != 0);
        const size_t keep = valid.size() - std::min<size_t>(valid.size(), in.byte() * 16u);
        bytes.assign(valid.begin(), valid.begin() + static_cast<long>(keep));
        const std::vector<char> tail = in.bytes(in.byte());
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        break;
    }
    case 1: { // a program line in front of a valid state
        const std::vector<char> name = in.bytes(in.byte() % 48);
        bytes.assign({'#', 'p', 'g', 'm', '='});
        bytes.insert(bytes.end(), name.begin(), name.end());
        bytes.push_back('\n');
        const std::string valid = chunkOf(e, true);
        bytes.insert(bytes.end(), valid.begin(), valid.end());
        break;
    }
    default: // the input's bytes
        bytes = in.bytes(static_cast<size_t>(in.byte()) * 8 + in.byte());
        break;
    }
    const std::string before = chunkOf(e, false);
    const VstIntPtr size = static_cast<VstIntPtr>(bytes.size());
    const VstIntPtr answer =
        dispatch(e, effSetChunk, program ? 1 : 0, size, bytes.empty() ? nullptr : bytes.data());
    check(answer == 0 || answer == 1);
    if (answer == 0)
        check(chunkOf(e, false) == before);
}

void processEvents(AEffect* e, Input& in)
{
    const int count = in.byte() % 9;
    VstMidiEvent midi[8] = {};
    std::vector<uint8_t> block(vstEventsBytes(8), 0);
    auto* events = reinterpret_cast<VstEvents*>(block.data());
    events->numEvents = count;
    for (int i = 0; i < count; ++i) {
        midi[i].type = (in.byte() % 8 == 0) ? kVstSysExType : kVstMidiType;
        midi[i].byteSize = sizeof(VstMidiEvent);
        midi[i].deltaFrames = (in.byte() % 4 == 0) ? in.int32() : in.byte() * 8;
        midi[i].midiData[0] = in.byte();
        midi[i].midiData[1] = in.byte();
        midi[i].midiData[2] = in.byte();
        vstEventList(events)[i] = (in.byte() % 16 == 0) ? nullptr : reinterpret_cast<VstEvent*>(&midi[i]);
    }
    check(dispatch(e, effProcessEvents, 0, 0, events) == 1);
}

void process(AEffect* e, Host& host, Input& in, int64_t& framesLeft)
{
    const int frames = static_cast<int>(in.byte() * 16 + in.byte()) % kMaxFrames + 1;
    if (frames > framesLeft)
        return;
    framesLeft -= frames;
    host.mode = in.byte() % 3;
    if (host.mode == 2) {
        host.info.ppqPos = in.real();
        host.info.tempo = in.real();
        host.info.barStartPos = in.real();
        host.info.timeSigNumerator = in.int32();
        host.info.timeSigDenominator = in.int32();
        host.info.flags = in.int32();
    }
    const int channels = std::max(e->numOutputs, 2);
    std::vector<std::vector<float>> buffers(static_cast<size_t>(channels),
                                            std::vector<float>(static_cast<size_t>(frames), 0.0f));
    std::vector<float*> pointers;
    for (auto& b : buffers)
        pointers.push_back(b.data());
    const unsigned before = _mm_getcsr();
    e->processReplacing(e, pointers.data(), pointers.data(), frames);
    check(_mm_getcsr() == before);
    for (const auto& b : buffers)
        for (float v : b)
            check(std::isfinite(v));
    host.position += frames;
}

void arrangements(AEffect* e, Input& in)
{
    std::vector<uint8_t> storage[2];
    VstSpeakerArrangement* offered[2] = {};
    for (int d = 0; d < 2; ++d) {
        const int32_t channels = static_cast<int32_t>(in.byte() % 44) - 2;
        storage[d].assign(vstSpeakerArrangementBytes(static_cast<size_t>(std::max(channels, 1))),
                          0);
        offered[d] = reinterpret_cast<VstSpeakerArrangement*>(storage[d].data());
        offered[d]->numChannels = channels;
        offered[d]->type = static_cast<int8_t>(in.byte());
    }
    const VstIntPtr answer = dispatch(e, effSetSpeakerArrangement, 0,
                                      reinterpret_cast<VstIntPtr>(offered[0]), offered[1]);
    check(answer == 0 || answer == 1);
    VstSpeakerArrangement* in0 = nullptr;
    VstSpeakerArrangement* out0 = nullptr;
    dispatch(e, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in0), &out0);
    check(in0 != nullptr && out0 != nullptr);
    check(in0->numChannels >= 0 && in0->numChannels <= 16);
    check(out0->numChannels > 0 && out0->numChannels <= 16);
}

void otherOpcode(AEffect* e, Input& in)
{
    static const VstInt32 kOpcodes[] = {
        effSetProgram,
        effGetProgram,
        effGetProgramName,
        effMainsChanged,
        effSetSampleRate,
        effSetBlockSize,
        effEditGetRect,
        effEditOpen,
        effEditIdle,
        effEditClose,
        effIdentify,
        effCanBeAutomated,
        effString2Parameter,
        effGetProgramNameIndexed,
        effGetPlugCategory,
        effGetEffectName,
        effGetVendorString,
        effGetProductString,
        effGetVendorVersion,
        effVendorSpecific,
        effGetTailSize,
        effGetVstVersion,
        effStartProcess,
        effStopProcess,
        effSetBypass,
        effGetCurrentMidiProgram,
        effSetProcessPrecision,
        effGetNumMidiInputChannels,
        effSetTotalSampleToProcess,
        effEditKeyDown,
        effGetParameterProperties,
        effGetMidiProgramName,
    };
    const VstInt32 opcode = kOpcodes[in.byte() % std::size(kOpcodes)];
    const VstInt32 index = in.index();
    const VstIntPtr value = in.int32();
    const float opt = in.real();
    alignas(16) unsigned char scratch[kScratchBytes];
    std::memset(scratch, 0, sizeof scratch);
    void* ptr = scratch;
    if (opcode == effSetProgram || opcode == effMainsChanged || opcode == effSetBlockSize)
        ptr = nullptr;
    dispatch(e, opcode, index, value, ptr, opt);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static DataRoot root;
    root.renew();
    Input in(data, size);
    Host host;
    Host::current = &host;
    AEffect* e = vst::createPluginEffect(Host::callback, createEffectInstance);
    check(e != nullptr);
    dispatch(e, effOpen);
    static const float kRates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f, 0.0f, -1.0f, NAN};
    dispatch(e, effSetSampleRate, 0, 0, nullptr, kRates[in.byte() % std::size(kRates)]);
    dispatch(e, effSetBlockSize, 0, 512);
    dispatch(e, effMainsChanged, 0, 1);

    int64_t framesLeft = kMaxFramesPerInput;
    for (int op = 0; op < kMaxOperations && !in.empty(); ++op) {
        switch (in.byte() % 12) {
        case 0:
            e->setParameter(e, in.index(), in.real());
            break;
        case 1: {
            const float v = e->getParameter(e, in.index());
            check(std::isfinite(v) && v >= 0.0f && v <= 1.0f);
            break;
        }
        case 2: {
            const VstInt32 index = in.index();
            checkText(e, effGetParamName, index, kVstMaxParamStrLen);
            checkText(e, effGetParamDisplay, index, kVstMaxParamStrLen);
            checkText(e, effGetParamLabel, index, kVstMaxParamStrLen);
            checkText(e, effGetProgramName, 0, kVstMaxProgNameLen);
            break;
        }
        case 3:
            setChunk(e, in);
            break;
        case 4: {
            const std::string bank = chunkOf(e, false);
            check(bank.rfind("#pgm=", 0) == 0);
            check(chunkOf(e, true).rfind("#pgm=", 0) != 0);
            break;
        }
        case 5:
            processEvents(e, in);
            break;
        case 6:
            process(e, host, in, framesLeft);
            break;
        case 7: {
            std::vector<char> name = in.bytes(in.byte() % 96);
            name.resize(std::max<size_t>(name.size(), 64), 'x');
            dispatch(e, effSetProgramName, 0, 0, name.data());
            checkText(e, effGetProgramName, 0, kVstMaxProgNameLen);
            break;
        }
        case 8: {
            std::vector<char> text = in.bytes(in.byte() % 32);
            text.push_back(0);
            const VstIntPtr answer = dispatch(e, effCanDo, 0, 0, text.data());
            check(answer == 1 || answer == -1);
            break;
        }
        case 9:
            arrangements(e, in);
            break;
        case 10: {
            VstPinProperties pin;
            std::memset(&pin, kSentinel, sizeof pin);
            dispatch(e, (in.byte() & 1) != 0 ? effGetInputProperties : effGetOutputProperties,
                     in.index(), 0, &pin);
            break;
        }
        default:
            otherOpcode(e, in);
            break;
        }
    }
    check(dispatch(e, effClose) == 1);
    Host::current = nullptr;
    return 0;
}
