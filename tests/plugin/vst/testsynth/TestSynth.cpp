#include "TestSynth.h"

#include "platform/Module.h"
#include "plugin/vst/VstStrings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string_view>

namespace testsynth {
namespace {

constexpr float kDefaultGain = 0.5f;
constexpr float kDefaultTune = 0.5f;
constexpr double kTuneRangeSemitones = 24.0;
constexpr double kReferencePitch = 440.0;
constexpr int kReferenceNote = 69;
constexpr double kSemitonesPerOctave = 12.0;
constexpr float kVoiceScale = 0.2f;
constexpr float kMaxVelocity = 127.0f;
constexpr float kRampSeconds = 0.005f;
constexpr unsigned char kStatusMask = 0xF0;
constexpr unsigned char kNoteOff = 0x80;
constexpr unsigned char kNoteOn = 0x90;
constexpr unsigned char kController = 0xB0;
constexpr unsigned char kAllNotesOff = 123;
constexpr const char* kDefaultProgramName = "Init";
constexpr std::string_view kBankHeader = "#pgm=";
constexpr std::string_view kGainKey = "gain=";
constexpr std::string_view kTuneKey = "tune=";
constexpr VstInt32 kTimeFilter =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
constexpr const char* kCanDoYes[] = {"receiveVstEvents", "receiveVstMidiEvent",
                                     "receiveVstTimeInfo"};
constexpr int kCanDoYesAnswer = 1;
constexpr int kCanDoNoAnswer = -1;
constexpr VstInt32 kVendorVersion = 1000;
constexpr int kStateDecimals = 6;

bool parseUnit(std::string_view text, float* value)
{
    float parsed = 0.0f;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    if (!(parsed >= 0.0f && parsed <= 1.0f))
        return false;
    *value = parsed;
    return true;
}

void fillPin(VstPinProperties* properties, const char* prefix, VstInt32 index)
{
    const char digit = static_cast<char>('1' + index); // index is 0 or 1
    std::snprintf(properties->label, sizeof(properties->label), "%s %c", prefix, digit);
    properties->shortLabel[0] = prefix[0];
    properties->shortLabel[1] = digit;
    properties->shortLabel[2] = 0;
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    properties->arrangementType = kSpeakerArrStereo;
}

} // namespace

TestSynth::TestSynth(audioMasterCallback audioMasterIn) : AudioEffectX(audioMasterIn, 1, kNumParams)
{
    params_[kGain].store(kDefaultGain);
    params_[kTune].store(kDefaultTune);
    setUniqueID(kUniqueId);
    setNumInputs(kChannels);
    setNumOutputs(kChannels);
    isSynth(true);
    canProcessReplacing(true);
    programsAreChunks(true);
    vst::copyString(programName_, kDefaultProgramName, sizeof(programName_));
    buildDefaultArrangement(&inputArrangement_);
    buildDefaultArrangement(&outputArrangement_);
    setSampleRate(sampleRate);
}

TestSynth::~TestSynth()
{
    deallocateArrangement(&inputArrangement_);
    deallocateArrangement(&outputArrangement_);
}

void TestSynth::resume()
{
    AudioEffectX::resume();
    voices_ = {};
    pendingCount_ = 0;
}

void TestSynth::setSampleRate(float rate)
{
    if (!(rate > 0.0f) || !std::isfinite(rate))
        return;
    AudioEffectX::setSampleRate(rate);
    levelStep_ = 1.0f / (kRampSeconds * rate);
}

VstInt32 TestSynth::processEvents(VstEvents* events)
{
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (event == nullptr || event->type != kVstMidiType)
            continue;
        if (pendingCount_ == kMaxEvents) {
            ++droppedEvents_;
            continue;
        }
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        PendingEvent pending{std::max(0, midi->deltaFrames), midi->midiData[0], midi->midiData[1],
                             midi->midiData[2]};
        // Keep the list ordered by time; equal times stay in arrival order.
        int at = pendingCount_;
        while (at > 0 && pending_[at - 1].delta > pending.delta) {
            pending_[at] = pending_[at - 1];
            --at;
        }
        pending_[at] = pending;
        ++pendingCount_;
    }
    return 1;
}

void TestSynth::processReplacing(float**, float** outputs, VstInt32 sampleFrames)
{
    float* left = outputs[0];
    float* right = outputs[1];
    if (left == nullptr || right == nullptr)
        return;
    transport_ = vst::readHostTransport(getTimeInfo(kTimeFilter));
    VstInt32 done = 0;
    for (int i = 0; i < pendingCount_; ++i) {
        const VstInt32 at = std::min(pending_[i].delta, sampleFrames - 1);
        if (at > done) {
            renderVoices(left + done, right + done, at - done);
            done = at;
        }
        handleMidi(pending_[i]);
    }
    pendingCount_ = 0;
    renderVoices(left + done, right + done, sampleFrames - done);
}

void TestSynth::handleMidi(const PendingEvent& event)
{
    const unsigned char status = event.status & kStatusMask;
    if (status == kNoteOn && event.data2 > 0)
        noteOn(event.data1, event.data2);
    else if (status == kNoteOff || status == kNoteOn)
        noteOff(event.data1);
    else if (status == kController && event.data1 == kAllNotesOff)
        for (Voice& voice : voices_)
            voice.releasing = true;
}

void TestSynth::noteOn(int note, int velocity)
{
    Voice* target = &voices_[0];
    for (Voice& voice : voices_) {
        if (voice.note < 0) {
            target = &voice;
            break;
        }
        if (voice.releasing)
            target = &voice;
    }
    const double semitones =
        note - kReferenceNote + (params_[kTune].load() - 0.5) * kTuneRangeSemitones;
    const double frequency = kReferencePitch * std::pow(2.0, semitones / kSemitonesPerOctave);
    target->note = note;
    target->phase = 0.0;
    target->phaseStep = 2.0 * std::numbers::pi * frequency / sampleRate;
    target->amplitude = kVoiceScale * static_cast<float>(velocity) / kMaxVelocity;
    target->level = 0.0f;
    target->releasing = false;
}

void TestSynth::noteOff(int note)
{
    for (Voice& voice : voices_)
        if (voice.note == note)
            voice.releasing = true;
}

void TestSynth::renderVoices(float* left, float* right, VstInt32 frames)
{
    const float gain = params_[kGain].load();
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    for (Voice& voice : voices_) {
        if (voice.note < 0)
            continue;
        for (VstInt32 i = 0; i < frames; ++i) {
            const float target = voice.releasing ? 0.0f : voice.amplitude;
            if (voice.level < target)
                voice.level = std::min(target, voice.level + levelStep_);
            else if (voice.level > target)
                voice.level = std::max(target, voice.level - levelStep_);
            const float sample = gain * voice.level * static_cast<float>(std::sin(voice.phase));
            left[i] += sample;
            right[i] += sample;
            voice.phase += voice.phaseStep;
            if (voice.phase > 2.0 * std::numbers::pi)
                voice.phase -= 2.0 * std::numbers::pi;
        }
        if (voice.releasing && voice.level == 0.0f)
            voice.note = -1;
    }
}

void TestSynth::setParameter(VstInt32 index, float value)
{
    if (index < 0 || index >= kNumParams || !(value >= 0.0f && value <= 1.0f))
        return;
    params_[static_cast<size_t>(index)].store(value);
}

float TestSynth::getParameter(VstInt32 index)
{
    if (index < 0 || index >= kNumParams)
        return 0.0f;
    return params_[static_cast<size_t>(index)].load();
}

void TestSynth::getParameterName(VstInt32 index, char* text)
{
    vst::copyString(text,
                    index == kGain   ? "Gain"
                    : index == kTune ? "Tune"
                                     : "",
                    kVstMaxParamStrLen);
}

void TestSynth::getParameterDisplay(VstInt32 index, char* text)
{
    if (index == kGain)
        dB2string(getParameter(kGain), text, kVstMaxParamStrLen);
    else if (index == kTune)
        std::snprintf(text, kVstMaxParamStrLen, "%.2f",
                      (getParameter(kTune) - 0.5) * kTuneRangeSemitones);
    else
        vst::copyString(text, "", kVstMaxParamStrLen);
}

void TestSynth::getParameterLabel(VstInt32 index, char* label)
{
    vst::copyString(label,
                    index == kGain   ? "dB"
                    : index == kTune ? "semi"
                                     : "",
                    kVstMaxParamStrLen);
}

void TestSynth::setProgramName(char* name)
{
    vst::copyString(programName_, name, sizeof(programName_));
}

void TestSynth::getProgramName(char* name)
{
    vst::copyString(name, programName_, kVstMaxProgNameLen);
}

bool TestSynth::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (index != 0)
        return false;
    getProgramName(text);
    return true;
}

VstInt32 TestSynth::getChunk(void** data, bool isPreset)
{
    char line[kProgramNameBytes];
    chunk_.clear();
    if (!isPreset) {
        chunk_.append(kBankHeader);
        chunk_.append(programName_);
        chunk_.push_back('\n');
    }
    std::snprintf(line, sizeof(line), "%.*s%.*f\n", static_cast<int>(kGainKey.size()),
                  kGainKey.data(), kStateDecimals, static_cast<double>(params_[kGain].load()));
    chunk_.append(line);
    std::snprintf(line, sizeof(line), "%.*s%.*f\n", static_cast<int>(kTuneKey.size()),
                  kTuneKey.data(), kStateDecimals, static_cast<double>(params_[kTune].load()));
    chunk_.append(line);
    *data = chunk_.data();
    return static_cast<VstInt32>(chunk_.size());
}

VstInt32 TestSynth::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    return readState(static_cast<const char*>(data), static_cast<size_t>(byteSize), !isPreset) ? 1
                                                                                               : 0;
}

bool TestSynth::readState(const char* text, size_t size, bool isBank)
{
    std::string_view rest(text, size);
    std::string_view name;
    if (isBank && rest.starts_with(kBankHeader)) {
        const size_t end = rest.find('\n');
        if (end == std::string_view::npos)
            return false;
        name = rest.substr(kBankHeader.size(), end - kBankHeader.size());
        rest.remove_prefix(end + 1);
    }
    float gain = -1.0f;
    float tune = -1.0f;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.starts_with(kGainKey)) {
            if (!parseUnit(line.substr(kGainKey.size()), &gain))
                return false;
        } else if (line.starts_with(kTuneKey)) {
            if (!parseUnit(line.substr(kTuneKey.size()), &tune))
                return false;
        } else if (!line.empty()) {
            return false;
        }
    }
    if (gain < 0.0f || tune < 0.0f)
        return false;
    params_[kGain].store(gain);
    params_[kTune].store(tune);
    if (!name.empty()) {
        const size_t length = std::min(name.size(), sizeof(programName_) - 1);
        std::memcpy(programName_, name.data(), length);
        programName_[length] = 0;
    }
    return true;
}

bool TestSynth::getEffectName(char* name)
{
    vst::copyString(name, "KK Test Synth", kVstMaxEffectNameLen);
    return true;
}

bool TestSynth::getVendorString(char* text)
{
    vst::copyString(text, "KestanK4 tests", kVstMaxVendorStrLen);
    return true;
}

bool TestSynth::getProductString(char* text)
{
    vst::copyString(text, "KK Test Synth 1.0", kVstMaxProductStrLen);
    return true;
}

VstInt32 TestSynth::getVendorVersion()
{
    return kVendorVersion;
}

VstInt32 TestSynth::canDo(char* text)
{
    for (const char* yes : kCanDoYes)
        if (std::strcmp(text, yes) == 0)
            return kCanDoYesAnswer;
    return kCanDoNoAnswer;
}

bool TestSynth::getInputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index >= kChannels)
        return false;
    fillPin(properties, "In", index);
    return true;
}

bool TestSynth::getOutputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index >= kChannels)
        return false;
    fillPin(properties, "Out", index);
    return true;
}

bool TestSynth::setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                                      VstSpeakerArrangement* pluginOutput)
{
    if (!isValidArrangement(pluginInput, kChannels) || !isValidArrangement(pluginOutput, kChannels))
        return false;
    return matchArrangement(&inputArrangement_, pluginInput) &&
           matchArrangement(&outputArrangement_, pluginOutput);
}

bool TestSynth::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                      VstSpeakerArrangement** pluginOutput)
{
    *pluginInput = inputArrangement_;
    *pluginOutput = outputArrangement_;
    return true;
}

VstIntPtr TestSynth::vendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg, float)
{
    if (arg1 != kModulePathQuery || ptrArg == nullptr)
        return 0;
    std::string path;
    platform::getModulePath(path);
    vst::copyString(static_cast<char*>(ptrArg), path.c_str(), arg2);
    return 1;
}

VstInt32 TestSynth::startProcess()
{
    return 1;
}

VstInt32 TestSynth::stopProcess()
{
    return 1;
}

void TestSynth::buildDefaultArrangement(VstSpeakerArrangement** arrangement)
{
    if (allocateArrangement(arrangement, kChannels))
        (*arrangement)->type = kSpeakerArrStereo;
}

} // namespace testsynth
