#pragma once
// A tiny instrument on AudioEffectX for tests: one sine voice per MIDI note,
// stereo out, two parameters, state as a text chunk. It exercises the effect
// classes the way a real instrument does, and the test host plays it.
//
// Threads: processEvents and processReplacing on the audio thread (they
// allocate nothing); parameters from any thread; everything else from the
// host's user-interface thread while not processing.

#include "plugin/vst/AudioEffectX.h"
#include "plugin/vst/HostTransport.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace testsynth {

class TestSynth : public AudioEffectX {
public:
    static constexpr VstInt32 kUniqueId = vst::fourCharCode('k', 'k', 'T', 'S');
    static constexpr VstInt32 kGain = 0; // 0..1 linear gain
    static constexpr VstInt32 kTune = 1; // 0..1 maps to -12..+12 semitones
    static constexpr VstInt32 kNumParams = 2;
    static constexpr VstInt32 kChannels = 2;
    static constexpr int kMaxVoices = 16;
    static constexpr int kMaxEvents = 256;
    static constexpr size_t kProgramNameBytes = 64;
    // effVendorSpecific with this index copies the module's file path (as
    // the platform layer found it) into ptr, at most value bytes; answers 1.
    static constexpr VstInt32 kModulePathQuery = vst::fourCharCode('k', 'k', 'M', 'p');

    explicit TestSynth(audioMasterCallback audioMaster);
    ~TestSynth() override;

    void resume() override;
    void setSampleRate(float rate) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    VstInt32 processEvents(VstEvents* events) override;

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* label) override;

    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(char* text) override;
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                               VstSpeakerArrangement* pluginOutput) override;
    bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                               VstSpeakerArrangement** pluginOutput) override;
    VstIntPtr vendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg, float floatArg) override;
    VstInt32 startProcess() override;
    VstInt32 stopProcess() override;

    // What the last processReplacing read of the host's transport. Tests only.
    const vst::HostTransport& lastTransport() const { return transport_; }
    // Events dropped because more than kMaxEvents arrived for one block.
    uint64_t droppedEvents() const { return droppedEvents_; }

private:
    struct Voice {
        int note = -1;
        double phase = 0.0;
        double phaseStep = 0.0;
        float amplitude = 0.0f;
        float level = 0.0f; // ramps towards amplitude, to 0 after note-off
        bool releasing = false;
    };
    struct PendingEvent {
        VstInt32 delta = 0;
        unsigned char status = 0;
        unsigned char data1 = 0;
        unsigned char data2 = 0;
    };

    void handleMidi(const PendingEvent& event);
    void noteOn(int note, int velocity);
    void noteOff(int note);
    void renderVoices(float* left, float* right, VstInt32 frames);
    bool readState(const char* text, size_t size, bool isBank);
    void buildDefaultArrangement(VstSpeakerArrangement** arrangement);

    std::array<std::atomic<float>, kNumParams> params_;
    std::array<Voice, kMaxVoices> voices_{};
    std::array<PendingEvent, kMaxEvents> pending_{};
    int pendingCount_ = 0;
    uint64_t droppedEvents_ = 0;
    float levelStep_ = 0.0f;
    vst::HostTransport transport_;
    char programName_[kProgramNameBytes] = {};
    std::string chunk_;
    VstSpeakerArrangement* inputArrangement_ = nullptr;
    VstSpeakerArrangement* outputArrangement_ = nullptr;
};

} // namespace testsynth
