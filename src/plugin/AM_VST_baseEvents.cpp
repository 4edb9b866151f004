// The plug-in class: MIDI from the host. Each message becomes one of the
// engine's event kinds; controllers first pass the process-wide controller
// map and MIDI learn; program changes select a program of the current bank.
//
// All of it runs on the host's audio thread: nothing here allocates, locks
// or calls the editor (its notifications are queued).

#include "plugin/AM_VST_base.h"

#include "engine/AM_MidiEvent.h"
#include "engine/AM_MidiMapFile.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/Trace.h"
#include "synth/Synth_AudioMan.h"

#include <algorithm>
#include <atomic>

namespace {

constexpr uint8_t kStatusMask = 0xF0;
constexpr uint8_t kDataMask = 0x7F;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kPolyPressure = 0xA0;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint8_t kPitchBend = 0xE0;

constexpr int32_t kSustainController = 64;
constexpr int32_t kAllNotesOffController = 123;
constexpr int32_t kModulationController = 1;
constexpr int32_t kKeys = 128;
constexpr int32_t kChannelPressureKey = -1;

// 1/127, as the controller scale.
constexpr float kControllerScale = 0.007874016f;
constexpr int32_t kPitchBendCentre = 8192;
constexpr int32_t kPitchBendShift = 7;
constexpr float kPitchBendScale = 1.0f / 8192.0f;

// A relative encoder sends values around 64; outside this window the
// assignment turns absolute for good.
constexpr int32_t kRelativeLowest = 55;
constexpr int32_t kRelativeHighest = 73;
constexpr float kRelativeCentre = 64.0f;
// The absolute scale is 1/126, so 126 reaches the maximum.
constexpr float kAbsoluteSteps = 126.0f;

constexpr int32_t kUnassigned = -1;

int32_t loadEntry(int32_t* map, int32_t controller)
{
    return std::atomic_ref<int32_t>(map[controller]).load(std::memory_order_relaxed);
}

void storeEntry(int32_t* map, int32_t controller, int32_t entry)
{
    std::atomic_ref<int32_t>(map[controller]).store(entry, std::memory_order_relaxed);
}

} // namespace

VstInt32 AM_VST_base::processEvents(VstEvents* events)
{
    if (events == nullptr || !audioMan_)
        return 1;
    const platform::RealtimeScope realtime;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = vstEventList(events)[i];
        if (event == nullptr || event->type != kVstMidiType)
            continue;
        midiMessage(*reinterpret_cast<const VstMidiEvent*>(event));
    }
    return 1;
}

uint32_t AM_VST_base::engineFrame(VstInt32 deltaFrames) const
{
    // The engine renders ahead of the host by the samples it carries, so a
    // host frame d lies at d + (16 - carried) of the engine's next
    // rendering, where the host's input frame d goes too. Events start on
    // the engine's 16-sample grid; rounding up keeps a note from sounding
    // before its frame: the delay is the latency plus at most 15 samples,
    // whatever the block length and the event's place in the block.
    const int64_t frame = std::max<VstInt32>(deltaFrames, 0);
    const bool delayed = audioMan_->getEngineOption(AM_AudioMan::kOptionBlockLatencyOff) == 0;
    const int64_t offset = delayed ? audioMan_->getPendingCount() : 0;
    const int64_t grid = kEventGridFrames;
    const int64_t placed = (frame + offset + grid - 1) / grid * grid;
    return static_cast<uint32_t>(std::min<int64_t>(placed, INT32_MAX));
}

void AM_VST_base::midiMessage(const VstMidiEvent& event)
{
    const uint8_t status = event.midiData[0] & kStatusMask;
    const int32_t d1 = event.midiData[1] & kDataMask;
    const int32_t d2 = event.midiData[2] & kDataMask;
    const uint32_t frame = engineFrame(event.deltaFrames);
    Synth_AudioMan& engine = *audioMan_;
    switch (status) {
    case kNoteOn:
        engine.midiEvent(AM_MidiEvent::kNote, 0, static_cast<float>(d1), static_cast<float>(d2),
                         frame);
        break;
    case kNoteOff:
        engine.midiEvent(AM_MidiEvent::kNote, 0, static_cast<float>(d1), 0.0f, frame);
        break;
    case kPolyPressure:
        engine.midiEvent(AM_MidiEvent::kPressure, d1, static_cast<float>(d2) * kControllerScale,
                         0.0f, frame);
        break;
    case kControlChange:
        controllerMessage(d1, d2, frame);
        break;
    case kProgramChange:
        programChange(d1);
        break;
    case kChannelPressure:
        engine.midiEvent(AM_MidiEvent::kPressure, kChannelPressureKey,
                         static_cast<float>(d1) * kControllerScale, 0.0f, frame);
        break;
    case kPitchBend: {
        const int32_t bend = ((d2 << kPitchBendShift) | d1) - kPitchBendCentre;
        engine.midiEvent(AM_MidiEvent::kPitchWheel, 0, static_cast<float>(bend) * kPitchBendScale,
                         0.0f, frame);
        break;
    }
    default:
        break;
    }
}

void AM_VST_base::controllerMessage(int32_t controller, int32_t value, uint32_t frame)
{
    Synth_AudioMan& engine = *audioMan_;
    if (controller == kSustainController) {
        engine.midiEvent(AM_MidiEvent::kSustain, 0, static_cast<float>(value), 0.0f, frame);
        return;
    }
    applyControllerMap(controller, value);
    if (controller == kAllNotesOffController) {
        for (int32_t key = 0; key < kKeys; ++key)
            engine.midiEvent(AM_MidiEvent::kNote, 0, static_cast<float>(key), 0.0f, frame);
        // One note-off per key ends one note of it: a key struck twice (or a
        // note-on the host never ended) would still sound. The engine's own
        // all-notes-off empties the note queue and releases every voice.
        engine.midiEvent(AM_MidiEvent::kAllNotesOff, 0, 0.0f, 0.0f, frame);
    } else if (controller == kModulationController) {
        engine.midiEvent(AM_MidiEvent::kModulationWheel, kModulationController,
                         static_cast<float>(value) * kControllerScale, 0.0f, frame);
    } else {
        engine.midiEvent(AM_MidiEvent::kController, controller,
                         static_cast<float>(value) * kControllerScale, 0.0f, frame);
    }
}

void AM_VST_base::applyControllerMap(int32_t controller, int32_t value)
{
    Synth_AudioMan& engine = *audioMan_;
    int32_t* map = engine.getMidiCCMap();
    if (map == nullptr)
        return;
    const int32_t target = learnTarget_.exchange(-1, std::memory_order_acq_rel);
    if (target >= 0) {
        storeEntry(map, controller, target | AM_MidiMapFile::kAssignedBit);
        lastLearnedController_.store(controller, std::memory_order_relaxed);
        notifyEditor({AM_EditorNotification::kMidiLearned, controller, 0.0f, false});
    }
    const int32_t entry = loadEntry(map, controller);
    if (entry < 0)
        return;
    const int32_t parameter = entry & AM_MidiMapFile::kIndexMask;
    const AM_ParamInfo* info = engine.getParameterDescriptor(parameter, false);
    if (info == nullptr)
        return;
    const float low = std::min(info->min, info->max);
    const float high = std::max(info->min, info->max);
    float plain = 0.0f;
    const bool relative = (entry & AM_MidiMapFile::kAssignedBit) != 0;
    if (relative && value >= kRelativeLowest && value <= kRelativeHighest) {
        plain =
            engine.getParameter(parameter, false) + (static_cast<float>(value) - kRelativeCentre);
    } else {
        if (relative)
            storeEntry(map, controller, parameter);
        plain = (info->max - info->min) * static_cast<float>(value) / kAbsoluteSteps + info->min;
    }
    plain = std::clamp(plain, low, high);
    engine.setParameter(parameter, plain, false);
    notifyEditor({AM_EditorNotification::kParameterChanged, parameter, plain, false});
}

void AM_VST_base::programChange(int32_t program)
{
    char name[kProgramNameBytes] = {};
    if (!audioMan_->selectProgram(program, name, kProgramNameBytes))
        return;
    // The name reaches the program-name field on the host's other thread
    // (the next program-name request or chunk); the host is asked to look.
    name[kLongestProgramName] = 0;
    pendingProgramName_.post(name);
    updateDisplay();
    notifyEditor({AM_EditorNotification::kProgramChanged, 0, 0.0f, false});
}

void AM_VST_base::setMidiLearnParameter(int32_t parameter)
{
    if (!audioMan_)
        return;
    if (int32_t* map = audioMan_->getMidiCCMap()) {
        for (int32_t c = 0; c < AM_MidiMapFile::kControllers; ++c) {
            const int32_t entry = loadEntry(map, c);
            if (entry >= 0 && (entry & AM_MidiMapFile::kIndexMask) == parameter)
                storeEntry(map, c, kUnassigned);
        }
    }
    if (learnTarget_.load(std::memory_order_acquire) == parameter) {
        learnTarget_.store(-1, std::memory_order_release);
        lastLearnedController_.store(-1, std::memory_order_relaxed);
    } else {
        learnTarget_.store(parameter, std::memory_order_release);
    }
}
