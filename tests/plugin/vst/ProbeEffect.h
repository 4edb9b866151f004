#pragma once
// An effect for tests that records what the dispatcher calls and answers
// with configurable values; texts are deliberately longer than every limit.

#include "plugin/vst/AEffEditor.h"
#include "plugin/vst/AudioEffectX.h"

#include <cstring>
#include <string>

namespace vsttest {

class ProbeEffect : public AudioEffectX {
public:
    static constexpr VstInt32 kPrograms = 3;
    static constexpr VstInt32 kParams = 4;

    explicit ProbeEffect(audioMasterCallback host, bool* destroyed = nullptr)
        : AudioEffectX(host, kPrograms, kParams), destroyed_(destroyed)
    {
    }
    ~ProbeEffect() override
    {
        if (destroyed_ != nullptr)
            *destroyed_ = true;
    }

    void open() override { ++opens; }
    void close() override { ++closes; }
    void suspend() override { ++suspends; }
    void resume() override
    {
        ++resumes;
        AudioEffectX::resume();
    }
    void processReplacing(float**, float**, VstInt32 frames) override { processedFrames += frames; }
    void setParameter(VstInt32 index, float value) override
    {
        lastParamIndex = index;
        lastParamValue = value;
    }
    void setProgramName(char* name) override { programName = name; }
    void getProgramName(char* name) override { writeText(name); }
    void getParameterLabel(VstInt32, char* text) override { writeText(text); }
    void getParameterDisplay(VstInt32, char* text) override { writeText(text); }
    void getParameterName(VstInt32 index, char* text) override
    {
        lastTextIndex = index;
        writeText(text);
    }
    bool getProgramNameIndexed(VstInt32, VstInt32, char* text) override
    {
        writeText(text);
        return true;
    }
    bool getEffectName(char* text) override
    {
        writeText(text);
        return true;
    }
    bool getVendorString(char* text) override
    {
        writeText(text);
        return true;
    }
    bool getProductString(char* text) override
    {
        writeText(text);
        return true;
    }
    VstInt32 getChunk(void** data, bool isPreset) override
    {
        lastChunkWasPreset = isPreset;
        *data = chunkData;
        return chunkSize;
    }
    VstInt32 setChunk(void* data, VstInt32 size, bool isPreset) override
    {
        ++setChunkCalls;
        lastChunkWasPreset = isPreset;
        lastSetChunkData = data;
        lastSetChunkSize = size;
        return 1;
    }
    VstInt32 canDo(char* text) override
    {
        return std::strcmp(text, "receiveVstMidiEvent") == 0 ? canDoMidiAnswer : 0;
    }
    bool getInputProperties(VstInt32, VstPinProperties* properties) override
    {
        std::memset(properties->label, 'L', sizeof(properties->label));
        std::memset(properties->shortLabel, 'S', sizeof(properties->shortLabel));
        properties->flags = kVstPinIsActive;
        return true;
    }

    using AudioEffect::deleteEditor;
    using AudioEffect::hasFlag;

    int opens = 0;
    int closes = 0;
    int suspends = 0;
    int resumes = 0;
    VstInt32 processedFrames = 0;
    VstInt32 lastParamIndex = -1;
    float lastParamValue = -1.0f;
    VstInt32 lastTextIndex = -1;
    std::string programName;
    std::string text = std::string(200, 'x');
    void* chunkData = nullptr;
    VstInt32 chunkSize = 0;
    bool lastChunkWasPreset = false;
    int setChunkCalls = 0;
    void* lastSetChunkData = nullptr;
    VstInt32 lastSetChunkSize = 0;
    VstInt32 canDoMidiAnswer = 0;

private:
    // Writes the whole text; the dispatcher's scratch buffer holds it.
    void writeText(char* out) const { std::memcpy(out, text.c_str(), text.size() + 1); }

    bool* destroyed_;
};

// An editor that records the calls it receives and its destruction.
class ProbeEditor : public AEffEditor {
public:
    explicit ProbeEditor(AudioEffect* effect, bool* destroyed = nullptr)
        : AEffEditor(effect), destroyed_(destroyed)
    {
        rect_ = {0, 0, 400, 1000};
    }
    ~ProbeEditor() override
    {
        if (destroyed_ != nullptr)
            *destroyed_ = true;
    }
    bool getRect(ERect** rect) override
    {
        *rect = &rect_;
        return true;
    }
    bool open(void* ptr) override
    {
        AEffEditor::open(ptr);
        return true;
    }
    void idle() override { ++idles; }
    bool onKeyDown(VstKeyCode& key) override
    {
        lastKey = key;
        return true;
    }
    // Says it used the key release and the knob mode, which the host must
    // still see answered with 0.
    bool onKeyUp(VstKeyCode& key) override
    {
        lastKeyUp = key;
        return true;
    }
    bool setKnobMode(VstInt32 mode) override
    {
        knobMode = mode;
        return true;
    }

    int idles = 0;
    VstKeyCode lastKey{};
    VstKeyCode lastKeyUp{};
    VstInt32 knobMode = -1;

private:
    ERect rect_;
    bool* destroyed_;
};

} // namespace vsttest
