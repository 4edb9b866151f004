// MIDI input: events to the modules that take MIDI, bank select, parameter
// events, and program changes from the in-memory snapshots of the banks.
//
// All of it runs on the audio thread, where the host delivers its events
// before the block. A program change applies a snapshot that the start-up
// loader made: the parameter manager hands every value through its
// lock-free change queue (written at the start of the next block) and
// copies data blocks in place, so nothing here allocates, locks or touches
// a file.

#include "engine/AM_AudioMan.h"

#include "engine/AM_MidiEvent.h"
#include "engine/module/AM_AudioObject.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParaMan.h"
#include "presets/folders/PresetFolder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace {

constexpr float kFullActivity = 1.0f;

// Controller value 0-1 to bank 0-127, rounded: value d / 127 selects bank d.
int32_t bankOfControllerValue(float value)
{
    const float scaled = value * static_cast<float>(AM_MidiEvent::kControllerMax) + 0.5f;
    if (!(scaled >= 0.0f))
        return 0;
    if (scaled >= static_cast<float>(AM_MidiEvent::kControllerMax))
        return AM_MidiEvent::kControllerMax;
    return static_cast<int32_t>(std::floor(scaled));
}

void copyName(char* out, uint32_t capacity, const char* name)
{
    if (!out || capacity == 0)
        return;
    const size_t length = std::min<size_t>(std::strlen(name), capacity - 1);
    std::memcpy(out, name, length);
    out[length] = '\0';
}

} // namespace

void AM_AudioMan::midiEvent(int32_t kind, int32_t arg, float value, float value2, uint32_t frame)
{
    switch (kind) {
    case AM_MidiEvent::kNote:
    case AM_MidiEvent::kPitchWheel:
    case AM_MidiEvent::kModulationWheel:
    case AM_MidiEvent::kPressure:
    case AM_MidiEvent::kAllNotesOff:
    case AM_MidiEvent::kSustain:
        break;
    case AM_MidiEvent::kController:
        if (arg == AM_MidiEvent::kBankSelectController) {
            const int32_t bank = bankOfControllerValue(value);
            std::atomic_ref<int32_t>(currentMidiBank_).store(bank, std::memory_order_relaxed);
            AM_STD::printv("MidiBankSelect %d", bank);
        }
        break;
    case AM_MidiEvent::kParameter:
        if (paraMan_ && context_) {
            int32_t id = arg;
            float plain = value;
            paraMan_->setParam(&id, &plain, context_, false);
        }
        return;
    default:
        return;
    }
    if (midiReceivers_)
        midiReceivers_->dispatchMidiEvent(kind, arg, value, value2, frame);
    std::atomic_ref<float>(midiActivity_).store(kFullActivity, std::memory_order_relaxed);
}

int32_t AM_AudioMan::getCurrentMidiBank() const
{
    return std::atomic_ref<const int32_t>(currentMidiBank_).load(std::memory_order_relaxed);
}

bool AM_AudioMan::selectProgram(int32_t program, char* name, uint32_t nameCapacity)
{
    // Only an engine counted under its plug-in ID shares banks; one that is
    // not has none to choose from and says nothing. A counted engine whose
    // start-up loader found no banks traces the missing bank below.
    if (countedId_ == 0 || !paraMan_)
        return false;
    const int32_t bank = getCurrentMidiBank();
    PresetFolder* folder = bank >= 0 ? midiBanks_ : nullptr;
    for (int32_t b = 0; folder && b < bank; ++b)
        folder = folder->next();
    if (!folder) {
        AM_STD::printv("trying to select bank %d which doesn't exist", bank);
        return false;
    }
    const int32_t count = countPrograms(*folder);
    if (program < 0 || program >= count) {
        AM_STD::printv("trying to load preset %d of bank %d which only has %d presets", program,
                       bank, count);
        return false;
    }
    std::atomic_ref<float>(midiActivity_).store(kFullActivity, std::memory_order_relaxed);
    PresetListItem* item = folder->items();
    for (int32_t p = 0; item && p < program; ++p)
        item = item->next();
    if (!item)
        return false;
    const std::vector<uint8_t>& snapshot = item->userData();
    if (snapshot.empty()) {
        AM_STD::printv("curr->userData is NULL");
        return false;
    }
    copyName(name, nameCapacity, item->name());
    paraMan_->readSnapshot(snapshot.data(), static_cast<uint32_t>(snapshot.size()));
    startedFromDefaultPreset_.store(false, std::memory_order_relaxed);
    return true;
}
