// The arpeggiator of the full layout: the held keys (at most 16) are played
// step by step at a tempo-synced rate through 16 programmable steps (gate,
// transpose, voices, duration, position control, modulation), in one of four
// loop orders over up to three octaves.

#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceCircuitPass.h"

#include "foundation/AM_STD.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kSyncChoices = 17;
// Steps per beat of "Arp Sync".
constexpr double kStepsPerBeat[kSyncChoices] = {
    16.0,      8.0,       4.0,       2.0, 1.0, 0.5, 0.25, 16.0 / 3.0, 8.0 / 3.0,
    4.0 / 3.0, 2.0 / 3.0, 1.0 / 3.0, 6.0, 3.0, 1.5, 0.75, 0.375};
constexpr int32_t kGateChoices = 6;
// Gate fraction of "Arp Gate"; the last (1.25) ties a step into the next.
constexpr float kGateFraction[kGateChoices] = {0.1f, 0.25f, 0.5f, 0.75f, 0.99f, 1.25f};
constexpr int32_t kTiedGate = 5;
// Rate factor of "Arp Duration" 1 to 4: a step lasts one to four sync
// values.
constexpr int32_t kDurations = 4;
constexpr double kRateFactor[kDurations] = {1.0, 0.5, 1.0 / 3.0, 0.25};
// The gate of the rest of a block in which the last key was released.
constexpr float kReleasedGate = 0.25f;
constexpr double kSecondsPerMinute = 60.0;
// The phase carried into the next block: at most one step due.
constexpr float kMaxCarriedPhase = 1.0f;
constexpr int32_t kMaxStepVoices = 6;
constexpr int32_t kMaxOctaves = 2;
constexpr int32_t kSemitonesPerOctave = 12;
constexpr int32_t kMaxStepTranspose = 12;
constexpr float kPercent = 0.01f;
// "Voices" cuts the arpeggiator to C - 6 voices ("few") or half of that
// ("medium").
constexpr int32_t kVoiceCutBase = 6;

enum StepControl : int32_t { kNext = 0, kSame = 1, kFirst = 2, kLast = 3 };
enum Order : int32_t { kByNote = 0, kAsPlayed = 1 };
enum Loop : int32_t { kForward = 0, kBackward = 1, kForwardBackward = 2, kBackwardForward = 3 };
enum Voices : int32_t { kFew = 0, kMedium = 1, kMany = 2 };

int32_t stepTranspose(const AM_ArpStep& step)
{
    return std::clamp(step.transpose, -kMaxStepTranspose, kMaxStepTranspose);
}

void addHeldNote(AM_ArpState& arp, int32_t order, const AM_ArpHeldNote& note)
{
    if (order == kAsPlayed) {
        if (arp.heldCount < k_arpHeldNotes)
            arp.held[arp.heldCount++] = note;
        return;
    }
    // By note, after equal keys; with every place taken the note goes among
    // the first 15 and the highest drops out.
    const int32_t room = std::min(arp.heldCount, k_arpHeldNotes - 1);
    int32_t place = 0;
    while (place < room && arp.held[place].key <= note.key)
        ++place;
    const int32_t end = std::min(arp.heldCount, k_arpHeldNotes - 1);
    for (int32_t i = end; i > place; --i)
        arp.held[i] = arp.held[i - 1];
    arp.held[place] = note;
    arp.heldCount = std::min(arp.heldCount + 1, k_arpHeldNotes);
}

void removeHeldNotes(AM_ArpState& arp, int32_t queueVoice)
{
    int32_t kept = 0;
    for (int32_t i = 0; i < arp.heldCount; ++i) {
        if (arp.held[i].queueVoice != queueVoice)
            arp.held[kept++] = arp.held[i];
    }
    arp.heldCount = kept;
}

// The held-note index of a note position; a wrap starts the next octave.
int32_t heldIndex(AM_ArpState& arp, int32_t loop, int32_t count)
{
    int32_t& p = arp.position;
    const bool bounce = loop == kForwardBackward || loop == kBackwardForward;
    const int32_t wrapAt = bounce ? 2 * count - 2 : count;
    if (p < 0 || p >= wrapAt) {
        ++arp.octave;
        p = 0;
    }
    int32_t i = p;
    if (loop == kBackward)
        i = count - 1 - p;
    if (bounce && p >= count)
        i = 2 * count - 2 - p;
    if (loop == kBackwardForward)
        i = count - 1 - i;
    return std::clamp(i, 0, count - 1);
}

} // namespace

void AM_VoiceCircuitMin::processArpeggiator(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                            AM_ProcessContext* context)
{
    AM_VoiceCircuitPass b;
    if (!b.begin(start, length, record, context))
        return;
    AM_VoiceCircuitParams& p = *b.params;
    AM_ArpState& arp = b.shared->arp;
    const int32_t c = b.voiceCount;
    arp.step = std::clamp(arp.step, 0, k_arpSteps - 1);
    arp.heldCount = std::clamp(arp.heldCount, 0, k_arpHeldNotes);
    const AM_ArpStep& playing = p.steps[arp.step];
    int32_t g0 = std::clamp(playing.gate, 0, kGateChoices - 1);
    float gate = kGateFraction[g0];
    const float prev = AM_VoiceCircuitPass::glidedPitch(b.voice(b.entryLast), 0);
    bool first = false;
    const int32_t octaves = std::clamp(p.arpOctave, 0, kMaxOctaves) + 1;
    const int32_t duration = std::clamp(playing.duration, 1, kDurations);
    double advance = kStepsPerBeat[std::clamp(p.arpSync, 0, kSyncChoices - 1)] * context->tempo /
                     kSecondsPerMinute * context->samplePeriodD *
                     static_cast<double>(b.blockSamples()) * kRateFactor[duration - 1];
    if (!std::isfinite(advance) || advance < 0.0)
        advance = 0.0;
    const float phase = arp.phase;
    float phaseNext = static_cast<float>(static_cast<double>(phase) + advance);
    auto octaveOffset = [&arp, octaves]() {
        return kSemitonesPerOctave * (std::max(arp.octave, 0) % octaves);
    };

    for (AM_NoteEventQueue::Event e = b.nextEvent(); e.key >= 0; e = b.nextEvent()) {
        if (e.velocity == 0) {
            removeHeldNotes(arp, e.voice);
            if (arp.heldCount == 0)
                gate = kReleasedGate;
            continue;
        }
        if (arp.heldCount == 0) {
            phaseNext = 1.0f;
            arp.octave = -1;
            arp.step = 0;
            g0 = 0;
            first = true;
        }
        addHeldNote(arp, p.arpOrder,
                    AM_ArpHeldNote{e.key, static_cast<int32_t>(e.velocity), e.voice});
        // A key added while the step's gate is open joins the step at once.
        // After a first key the step starts in this block anyway.
        if (first || !(gate > phase) ||
            arp.notesStarted >= std::clamp(playing.voices, 0, kMaxStepVoices))
            continue;
        for (int32_t j = 0; j < c; ++j) {
            const int32_t u = (b.lastStarted() + j) % c;
            AM_VoiceRecord& rec = b.voice(u);
            if (rec.state != k_voiceIdle || rec.incomingVelocity != 0)
                continue;
            rec.incomingKey[0] = e.key + octaveOffset() + stepTranspose(playing);
            rec.incomingKey[1] = rec.incomingKey[0];
            rec.incomingVelocity = static_cast<int32_t>(e.velocity);
            rec.pendingTime = 0;
            b.setLastStarted(u);
            ++arp.notesStarted;
            break;
        }
    }

    // The gate closes.
    if (phaseNext > gate || arp.heldCount == 0) {
        for (int32_t v = 0; v < c; ++v) {
            AM_VoiceRecord& rec = b.voice(v);
            if (rec.state != k_voiceIdle && rec.incomingVelocity != 0) {
                rec.incomingVelocity = 0;
                rec.pendingTime = 0;
            }
        }
    }

    // A step starts.
    if (phaseNext >= 1.0f) {
        phaseNext -= 1.0f;
        if (first) {
            arp.step = 0;
            b.circuit->sendMessage(0, k_msgFirstVoiceStarted, 0, nullptr);
        } else if (++arp.step >= std::clamp(p.arpLoopLength, 1, k_arpSteps)) {
            arp.step = 0;
        }
        if (arp.heldCount > 0) {
            const AM_ArpStep& step = p.steps[arp.step];
            const int32_t count = arp.heldCount;
            switch (step.control) {
            case kSame:
                break;
            case kFirst:
                arp.position = 0;
                break;
            case kLast:
                arp.position = count - 1;
                break;
            default:
                ++arp.position;
                break;
            }
            const int32_t index = heldIndex(arp, std::clamp(p.arpLoop, 0, 3), count);
            if (arp.octave < 0)
                arp.octave = 0;

            const uint32_t modulatorRow = p.firstControlRow + k_voiceRowArpModulator;
            if (context->controlRows && modulatorRow < context->controlRowCount) {
                float* row = context->controlRows + modulatorRow * k_controlRowSteps;
                for (int32_t s = b.start * k_stepsPerUnit; s < k_controlRowSteps; ++s)
                    row[s] = step.modulation * kPercent;
            }
            p.playingStep = static_cast<float>(arp.step);

            const int32_t n = std::min(std::clamp(step.voices, 0, kMaxStepVoices), count);
            int32_t firstVoice = b.lastStarted() + 1;
            if (g0 == kTiedGate && !first) {
                firstVoice -= std::min(arp.notesStarted, n);
                if (firstVoice < 0)
                    firstVoice += c;
            }
            firstVoice %= c;
            arp.notesStarted = n;
            for (int32_t k = 0; k < n; ++k) {
                const AM_ArpHeldNote& note = arp.held[(index + k) % count];
                const int32_t u = (firstVoice + k) % c;
                AM_VoiceRecord& rec = b.voice(u);
                rec.incomingKey[0] = note.key + octaveOffset() + stepTranspose(step);
                rec.incomingKey[1] = rec.incomingKey[0];
                rec.incomingVelocity = note.velocity;
                rec.pendingTime = 0;
                b.setLastStarted(u);
            }
            int32_t cut = 0;
            const int32_t voicesSetting = std::clamp(p.voices, 0, static_cast<int32_t>(kMany));
            if (voicesSetting == kFew)
                cut = c - kVoiceCutBase;
            else if (voicesSetting == kMedium)
                cut = (c - kVoiceCutBase) / 2;
            for (int32_t j = 1; j <= cut; ++j) {
                const int32_t u = (firstVoice + n + j) % c;
                if (b.voice(u).state == k_voicePlaying)
                    b.dispatch(u, k_voiceEventFastRelease, 0.0f, 0.0f);
            }
        }
    }
    // At most one step starts per block: a step rate beyond that (a very
    // fast tempo or a very low sample rate) plays a step every block, and the
    // phase keeps no backlog, so the clock follows a slower tempo again at
    // once.
    arp.phase = std::min(phaseNext, kMaxCarriedPhase);

    const bool glide = b.glideOn();
    b.run(
        [&](int32_t v, int32_t t) {
            AM_VoiceRecord& rec = b.voice(v);
            if (rec.incomingVelocity == 0) {
                if (rec.state != k_voiceIdle)
                    b.release(v);
                rec.pendingTime = k_noPendingEvent;
                return;
            }
            if (rec.state == k_voicePlaying && g0 < kTiedGate) {
                b.steal(v, t);
                return;
            }
            const bool wasIdle = rec.state == k_voiceIdle;
            const float pitch = static_cast<float>(rec.incomingKey[0]) + b.drift(v);
            b.setUpNote(rec, rec.incomingKey[0], pitch);
            b.takeNoteValues(rec, true);
            b.startGlide(rec, prev, glide && (p.arpGlide == 0 || g0 == kTiedGate));
            rec.pendingTime = k_noPendingEvent;
            const bool tied = g0 == kTiedGate && !wasIdle;
            if (!tied) {
                if (wasIdle && !b.hasVoiceEventReceivers())
                    AM_STD::printv("WTF?\n");
                b.dispatch(v, k_voiceEventNoteOn, rec.velocity, rec.targetPitch[0]);
            }
        },
        c, true);
}
