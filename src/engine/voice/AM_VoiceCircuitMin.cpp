#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceCircuitBatch.h"

#include "engine/module/AM_ProcessContext.h"
#include "engine/voice/AM_VoiceEvents.h"
#include "params/object/AM_Messages.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// MIDI event kinds the circuit takes.
constexpr int32_t kEventNote = 0;
constexpr int32_t kEventPressure = 4;
constexpr int32_t kEventAllNotesOff = 6;
constexpr int32_t kEventSustain = 9;
constexpr int32_t kNoKey = -1;

constexpr float kInitialPitch = 69.0f;
constexpr float kMaxVelocity = 127.0f;
constexpr int32_t kHighestKey = 127;
// Frames of a note event beyond this are held at it.
constexpr uint32_t kLatestFrame = 1u << 24;
// The main circuit's pitch wheel when the parent is no circuit.
constexpr uint32_t kDefaultPitchWheelRow = 2;

constexpr int32_t kDuoQueueVoices = 12;
constexpr int32_t kArpKeysPerStackVoice = 16;
constexpr int32_t kArpMinQueueVoices = 2;
constexpr int32_t kPolyMinVoices = 2;
constexpr int32_t kVoicesMany = 2;
// Duo: the key bounds of an idle voice (no bound).
constexpr int32_t kDuoNoLowerBound = 150;
constexpr int32_t kDuoNoUpperBound = 0;

// Children counted apart from the others: polyphonic by copies, or with
// class bit 0x80.
constexpr uint32_t kClassBit80 = 0x80;
constexpr uint32_t kPolyChildFlags = k_classPolyByCopies | kClassBit80;

constexpr float kReleaseDecrement = 1.0f / 512.0f;
constexpr int32_t kReleaseUnits = 127;
constexpr float kFadeDecrement = 1.0f / 127.0f;
constexpr int32_t kFadeUnits = 31;

uint32_t roundUp16(uint32_t bytes)
{
    return (bytes + k_memoryAlignment - 1) & ~(k_memoryAlignment - 1);
}

} // namespace

AM_VoiceCircuitMin::AM_VoiceCircuitMin(AM_EngineOwner* owner, const char* name, uint32_t voices,
                                       uint32_t slots, uint32_t channelCapacity, uint32_t busRow)
    : AM_CircuitObject(owner, name, channelCapacity, busRow),
      voices_(std::clamp<uint32_t>(voices, 1, kMaxVoices)),
      slotCount_(std::max<uint32_t>(slots, 1)), queue_(std::make_unique<AM_NoteEventQueue>())
{
    removeBuiltInParameters();
    setModuleFlags(k_classVoiceEventReceiver, 0, channelCapacity, k_voiceRowCount, k_voiceRowCount);
    syncParameterCount();
    setVoiceCount(voices_);
    setChildCopies(voices_);
}

AM_VoiceCircuitMin::~AM_VoiceCircuitMin() = default;

void AM_VoiceCircuitMin::useMinimalLayout()
{
    minimalLayout_ = 1;
    ownParameterCount_ = kMinimalParameters;
    syncParameterCount();
}

void AM_VoiceCircuitMin::enableResetFlag()
{
    resetFlag_ = 1;
}

void AM_VoiceCircuitMin::syncParameterCount()
{
    circuitParameterCount_ = getCircuitParameterCount();
    parameterCount_ = circuitParameterCount_ + ownParameterCount_;
}

int32_t AM_VoiceCircuitMin::getParameterCount(bool tree)
{
    syncParameterCount();
    return AM_CircuitObject::getParameterCount(tree);
}

int32_t AM_VoiceCircuitMin::addChild(AM_AudioObject* object)
{
    const int32_t result = AM_CircuitObject::addChild(object);
    if (result == 0)
        return 0;
    if ((object->getMask() & kPolyChildFlags) != 0)
        ++polyChildren_;
    else
        ++plainChildren_;
    syncParameterCount();
    return result;
}

// --- Memory.

uint32_t AM_VoiceCircuitMin::getVoiceMemorySize()
{
    return static_cast<uint32_t>(sizeof(AM_CircuitVoice) + k_voiceSharedBytes +
                                 sizeof(AM_VoiceRecord) * voices_ +
                                 sizeof(AM_VoiceSlot) * slotCount_);
}

uint32_t AM_VoiceCircuitMin::paramBlockOffset()
{
    return roundUp16(AM_CircuitObject::getGlobalMemorySize());
}

uint32_t AM_VoiceCircuitMin::getGlobalMemorySize()
{
    return paramBlockOffset() + static_cast<uint32_t>(sizeof(AM_VoiceCircuitParams));
}

AM_VoiceCircuitParams* AM_VoiceCircuitMin::getParams() const
{
    return params_;
}

AM_VoiceCircuitShared* AM_VoiceCircuitMin::getShared() const
{
    if (!voiceMemory_ || !prepared_)
        return nullptr;
    return reinterpret_cast<AM_VoiceCircuitShared*>(voiceMemory_ + sizeof(AM_CircuitVoice));
}

AM_VoiceRecord* AM_VoiceCircuitMin::getVoiceRecord(uint32_t voice) const
{
    AM_VoiceCircuitShared* shared = getShared();
    if (!shared || voice >= voices_)
        return nullptr;
    return reinterpret_cast<AM_VoiceRecord*>(reinterpret_cast<uint8_t*>(shared) +
                                             k_voiceSharedBytes +
                                             sizeof(AM_VoiceSlot) * slotCount_) +
           voice;
}

// The shared state, the slots and the voice records behind one copy's
// controller state: every voice idle at pitch 69 without glide.
void AM_VoiceCircuitMin::layOutVoiceBlock(AM_CircuitVoice* state)
{
    auto* shared = static_cast<AM_VoiceCircuitShared*>(state->ownBlock);
    std::memset(static_cast<void*>(shared), 0, k_voiceSharedBytes);
    auto* bytes = reinterpret_cast<uint8_t*>(shared);
    shared->slots = reinterpret_cast<AM_VoiceSlot*>(bytes + k_voiceSharedBytes);
    shared->voices = reinterpret_cast<AM_VoiceRecord*>(bytes + k_voiceSharedBytes +
                                                       sizeof(AM_VoiceSlot) * slotCount_);
    std::memset(static_cast<void*>(shared->slots), 0, sizeof(AM_VoiceSlot) * slotCount_);
    shared->alternateSign = 1.0f;
    for (uint32_t v = 0; v < voices_; ++v) {
        AM_VoiceRecord& rec = shared->voices[v];
        std::memset(static_cast<void*>(&rec), 0, sizeof(rec));
        rec.pendingTime = k_noPendingEvent;
        for (int32_t i = 0; i < 2; ++i) {
            rec.targetPitch[i] = kInitialPitch;
            rec.glideStart[i] = kInitialPitch;
            rec.glidePhase[i] = 1.0f;
        }
    }
}

void AM_VoiceCircuitMin::prepare(AM_ProcessContext* context)
{
    AM_CircuitObject::prepare(context);
    context_ = context;
    prepared_ = globalMemory_ != nullptr && voiceMemory_ != nullptr;
    if (!prepared_)
        return;
    params_ = reinterpret_cast<AM_VoiceCircuitParams*>(globalMemory_ + paramBlockOffset());
    layOutVoiceBlock(getCircuitVoice(0, 0));
    writeDefaults();
    AM_VoiceCircuitParams* p = getParams();
    p->queue = queue_.get();
    p->firstControlRow = firstControlRow_;
    p->voiceCount = voices_;
    p->childStride = firstChild_ ? firstChild_->getCopyStride() : 0;
    p->playingStep = 0.0f;
    p->retrigger = 0;
    pitchWheelRow_ = kDefaultPitchWheelRow;
    if (parent_ && (parent_->getMask() & k_classCircuit) != 0 &&
        parent_->getControlRowCount() > static_cast<uint32_t>(k_controllerPitchWheel))
        pitchWheelRow_ = parent_->getFirstControlRow() + k_controllerPitchWheel;
    configureQueue();
    if (context)
        batchStore_ = std::make_unique<BatchStore>(voices_, context->controlRowCount,
                                                   context->modulationSlotCount);
}

void AM_VoiceCircuitMin::copiesChanged()
{
    AM_CircuitObject::copiesChanged();
    for (uint32_t copy = 1; prepared_ && copy < copyCount_; ++copy) {
        AM_CircuitVoice* state = getCircuitVoice(copy, 0);
        auto* shared = static_cast<AM_VoiceCircuitShared*>(state->ownBlock);
        auto* bytes = reinterpret_cast<uint8_t*>(shared);
        shared->slots = reinterpret_cast<AM_VoiceSlot*>(bytes + k_voiceSharedBytes);
        shared->voices = reinterpret_cast<AM_VoiceRecord*>(bytes + k_voiceSharedBytes +
                                                           sizeof(AM_VoiceSlot) * slotCount_);
    }
}

// --- Modes and the queue.

// The queue each mode needs: poly gets the voices of "Voices" divided by the
// stack (one voice means mono), mono and legato one voice, duo twelve, the
// arpeggiator up to 16 keys per stacked voice. The queue starts afresh; notes
// still waiting for their frame are kept.
void AM_VoiceCircuitMin::configureQueue()
{
    AM_VoiceCircuitParams* p = getParams();
    AM_VoiceCircuitShared* shared = getShared();
    if (!p || !shared)
        return;
    const int32_t c = static_cast<int32_t>(voices_);
    const int32_t s = std::clamp(p->voiceStack, 1, k_voiceStackMax);
    const int32_t mode = p->mode;
    int32_t count = 1;
    bool mono = true;
    if (!minimalLayout_ && mode == k_modeArpeggiator) {
        count = kArpKeysPerStackVoice * s > c ? c / s : kArpKeysPerStackVoice * s;
        count = std::clamp(count, kArpMinQueueVoices, AM_NoteEventQueue::kMaxVoices);
        mono = false;
    } else if (mode == k_modeMono || mode == k_modeLegato) {
        count = 1;
    } else if (isDuoMode(mode)) {
        count = kDuoQueueVoices;
    } else {
        const int32_t v = std::clamp(p->voices, 0, kVoicesMany);
        const int32_t n = std::max(kPolyMinVoices, c >> (kVoicesMany - v)) / s;
        if (n >= kPolyMinVoices) {
            count = std::min(n, AM_NoteEventQueue::kMaxVoices);
            mono = false;
        }
    }
    queue_->setVoiceCount(count);
    queue_->setMono(mono);
    queue_->restart();
    shared->arp = AM_ArpState{};
    const bool duo = isDuoMode(mode);
    for (uint32_t v = 0; v < voices_; ++v) {
        AM_VoiceRecord* rec = getVoiceRecord(v);
        rec->keysHeld = 0;
        if (duo) {
            rec->incomingKey[0] = kDuoNoLowerBound;
            rec->incomingKey[1] = kDuoNoUpperBound;
        }
    }
}

// Duo is mode 4 in either layout, and mode 3 (the arpeggiator's place) in
// the minimal layout.
bool AM_VoiceCircuitMin::isDuoMode(int32_t mode) const
{
    return mode == k_modeDuo || (minimalLayout_ && mode == k_minimalModeDuo);
}

// After a change of the voice configuration every playing voice fades out.
// The queue has forgotten every key, so no voice keeps its key down and no
// event waits any more.
void AM_VoiceCircuitMin::fadePlayingVoices()
{
    for (uint32_t v = 0; v < voices_; ++v) {
        AM_VoiceRecord* rec = getVoiceRecord(v);
        rec->pendingTime = k_noPendingEvent;
        rec->incomingVelocity = 0;
    }
    for (uint32_t v = 0; v < voices_; ++v) {
        AM_VoiceRecord* rec = getVoiceRecord(v);
        if (rec->state != k_voicePlaying)
            continue;
        rec->state = k_voiceStolen;
        rec->gateDecrement = kFadeDecrement;
        rec->gateCountdown = kFadeUnits;
        if (context_ && context_->voiceEventReceivers)
            context_->voiceEventReceivers->dispatchVoiceEvent(
                static_cast<int32_t>(v), k_voiceEventFastRelease, 0.0f, 0.0f, context_);
    }
}

// All notes off: the queue forgets every key and every voice whose key is
// held is released; the arpeggiator lets go of its keys.
void AM_VoiceCircuitMin::releaseAllVoices()
{
    AM_VoiceCircuitShared* shared = getShared();
    if (!shared)
        return;
    shared->arp.heldCount = 0;
    for (uint32_t v = 0; v < voices_; ++v) {
        AM_VoiceRecord* rec = getVoiceRecord(v);
        rec->pendingTime = k_noPendingEvent;
        rec->incomingVelocity = 0;
        rec->keysHeld = 0;
    }
    for (uint32_t v = 0; v < voices_; ++v) {
        AM_VoiceRecord* rec = getVoiceRecord(v);
        if (rec->state != k_voicePlaying || rec->gateCountdown != k_gateHeld)
            continue;
        rec->gateDecrement = kReleaseDecrement;
        rec->gateCountdown = kReleaseUnits;
        if (context_ && context_->voiceEventReceivers)
            context_->voiceEventReceivers->dispatchVoiceEvent(static_cast<int32_t>(v),
                                                              k_voiceEventNoteOff, rec->velocity,
                                                              rec->targetPitch[0], context_);
    }
}

void AM_VoiceCircuitMin::parameterChanged(uint32_t* local, float* value,
                                          AM_ParamChangeContext* context)
{
    if (!local)
        return;
    const uint32_t circuitRows = getCircuitParameterCount();
    if (*local < circuitRows) {
        AM_CircuitObject::parameterChanged(local, value, context);
        return;
    }
    const uint32_t i = *local - circuitRows;
    if (i != k_pVoices && i != k_pVoiceStack && i != k_pMode)
        return;
    AM_VoiceCircuitParams* p = getParams();
    if (!p)
        return;
    p->voiceStack = std::clamp(p->voiceStack, 1, k_voiceStackMax);
    configureQueue();
    fadePlayingVoices();
    // "Voices" and "Voice Stack" can turn poly into a one-voice queue, which
    // needs the mono routine: the parent circuit takes a fresh routine.
    if (i != k_pMode)
        sendMessage(0, k_msgParameterChanged, moduleIndex_, globalMemory_);
}

AM_ProcessRoutine AM_VoiceCircuitMin::getProcessRoutine(AM_ProcessContext*)
{
    AM_VoiceCircuitParams* p = getParams();
    const int32_t mode = p ? p->mode : k_modePoly;
    if (mode == k_modeMono || mode == k_modeLegato)
        return processMono;
    if (isDuoMode(mode))
        return processDuo;
    if (mode == k_modeArpeggiator)
        return processArpeggiator;
    return queue_->getVoiceCount() > 1 ? processPoly : processMono;
}

// --- Events.

void AM_VoiceCircuitMin::midiEvent(int32_t kind, int32_t number, float value, float extra,
                                   uint32_t frame)
{
    AM_VoiceCircuitShared* shared = getShared();
    AM_VoiceCircuitParams* p = getParams();
    if (!shared || !p)
        return;
    switch (kind) {
    case kEventNote: {
        // The key must name a key of the keyboard; the velocity is 0 (off)
        // to 127, a positive fraction counts as 1.
        if (!(value >= 0.0f && value < static_cast<float>(AM_NoteEventQueue::kKeys)))
            return;
        uint32_t velocity = 0;
        if (extra > 0.0f)
            velocity = static_cast<uint32_t>(std::clamp(extra, 1.0f, kMaxVelocity));
        queue_->insert(static_cast<int32_t>(value), velocity,
                       static_cast<int32_t>(std::min(frame, kLatestFrame)));
        return;
    }
    case kEventPressure: {
        if (!std::isfinite(value))
            return;
        shared->channelPressure = value;
        if (number == kNoKey) {
            for (float& pressure : shared->keyPressure)
                pressure = value;
        } else {
            const int64_t key = static_cast<int64_t>(number) + p->transpose;
            shared->keyPressure[std::clamp<int64_t>(key, 0, kHighestKey)] = value;
        }
        return;
    }
    case kEventAllNotesOff:
        queue_->reset();
        releaseAllVoices();
        return;
    case kEventSustain:
        queue_->setFlushMode(value != 0.0f);
        return;
    default:
        return;
    }
}

void AM_VoiceCircuitMin::voiceEvent(int32_t, int32_t type, float, float, AM_ProcessContext*)
{
    AM_VoiceCircuitShared* shared = getShared();
    AM_VoiceCircuitParams* p = getParams();
    if (!shared || !p)
        return;
    if (!minimalLayout_ && p->mode == k_modeArpeggiator)
        return;
    if (type == k_voiceEventNoteOn || type == k_voiceEventRetrigger) {
        if (shared->voicesSounding == 0) {
            shared->voicesSounding = 1;
            sendMessage(0, k_msgFirstVoiceStarted, 0, nullptr);
        }
        return;
    }
    if (shared->voicesSounding == 0)
        return;
    for (uint32_t v = 0; v < voices_; ++v) {
        const AM_VoiceRecord* rec = getVoiceRecord(v);
        if (rec->state != k_voiceIdle && rec->incomingVelocity != 0)
            return;
    }
    shared->voicesSounding = 0;
    sendMessage(0, k_msgAllVoicesEnded, 0, nullptr);
}

void AM_VoiceCircuitMin::reset(AM_ChildRecord*)
{
    queue_->reset();
    AM_VoiceCircuitParams* p = getParams();
    if (!p)
        return;
    for (uint32_t copy = 0; copy < copyCount_; ++copy) {
        auto* shared = static_cast<AM_VoiceCircuitShared*>(getCircuitVoice(copy, 0)->ownBlock);
        shared->arp = AM_ArpState{};
        shared->alternateSign = 1.0f;
        shared->voicesSounding = 0;
        auto* records = reinterpret_cast<AM_VoiceRecord*>(reinterpret_cast<uint8_t*>(shared) +
                                                          k_voiceSharedBytes +
                                                          sizeof(AM_VoiceSlot) * slotCount_);
        for (uint32_t v = 0; v < voices_; ++v) {
            records[v].state = k_voiceIdle;
            records[v].incomingVelocity = 0;
            records[v].pendingTime = k_noPendingEvent;
            records[v].keysHeld = 0;
        }
    }
    p->playingStep = 0.0f;
    if (resetFlag_)
        p->retrigger = 1;
}
