// A seeded host session through the plug-in's VST interface, as a
// musician's host drives it: notes and chords (many more than voices, very
// short ones, at every frame of a block), pedal, bend, wheel and pressure,
// automation of every published parameter, voice mode, voice count and
// stack switched under held notes, host blocks of every length, suspend
// with a new sample rate and block size, chunks saved and set back mid-play.
// Throughout: every sample finite and within a sane bound, no allocation in
// processReplacing; afterwards the state round-trips and every voice ends.

#include "AllocationCounter.h"
#include "PluginFixture.h"
#include "synth/dsp/FilterLanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace plugintest;

constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kPolyPressure = 0xA0;
constexpr uint8_t kController = 0xB0;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint8_t kPitchBend = 0xE0;
constexpr uint8_t kModWheel = 1;
constexpr uint8_t kSustain = 64;
constexpr uint8_t kAllNotesOff = 123;
constexpr uint8_t kPedalDown = 127;
constexpr int kKeys = 128;
constexpr int kMaxBlock = 4096;
constexpr int kSteps = 150;
constexpr int kMaxChord = 24;
// About +36 dBFS: loud is allowed, a blow-up is not.
constexpr float kSaneBound = 64.0f;
// The state text keeps values with two decimals.
constexpr float kStateTextStep = 0.0051f;
// The longest the voices may ring on after the last note is let go.
constexpr double kDecaySeconds = 10.0;
// The envelopes' release as the host sets it before the decay check.
constexpr float kModerateRelease = 0.3f;
// The middle of the envelopes' rate modulation range -100..100.
constexpr float kNoRateModulation = 0.5f;

const float kRates[] = {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f};
const int kAnnouncedBlocks[] = {512, 1024, kMaxBlock};

// The fixture, with its host helpers open to the session below.
class HostSessionTest : public PluginTest {
public:
    using PluginTest::chunk;
    using PluginTest::dispatch;
    using PluginTest::id;
    using PluginTest::setChunk;
};

// One plug-in under a host session: the host's own buffers, the note
// bookkeeping of a sequencer, and what the checks found.
class HostSession {
public:
    HostSession(AEffect* e, TestHost& host, uint32_t seed)
        : e_(e), host_(host), random_(seed), sender_(e, host), left_(kMaxBlock, 0.0f),
          right_(kMaxBlock, 0.0f), silence_(kMaxBlock, 0.0f)
    {
    }

    // One host block of n frames with the given MIDI (frames relative to the
    // block); only the processReplacing call is counted for allocations.
    void block(int n, const std::vector<Midi>& midi = {})
    {
        if (!midi.empty())
            sender_.send(midi);
        host_.advanceTo(position_);
        float* inputs[2] = {silence_.data(), silence_.data()};
        float* outputs[2] = {left_.data(), right_.data()};
        std::fill(left_.begin(), left_.begin() + n, 0.0f);
        std::fill(right_.begin(), right_.begin() + n, 0.0f);
        {
            testsupport::AllocationCounter counter;
            e_->processReplacing(e_, inputs, outputs, n);
            allocations += counter.count();
        }
        lastBlockPeak = 0.0f;
        for (int i = 0; i < n; ++i) {
            for (const float x : {left_[static_cast<size_t>(i)], right_[static_cast<size_t>(i)]}) {
                if (!std::isfinite(x) || std::fabs(x) >= kSaneBound) {
                    if (badFrame < 0)
                        badFrame = position_ + i;
                    continue;
                }
                lastBlockPeak = std::max(lastBlockPeak, std::fabs(x));
            }
        }
        position_ += n;
    }

    // One step of the session, chosen by the seed.
    void step()
    {
        switch (pick(12)) {
        case 0:
        case 1:
            playChord();
            break;
        case 2:
            playShortNotes();
            break;
        case 3:
            playControllers();
            break;
        case 4:
        case 5:
            automateParameters();
            break;
        case 6:
            switchVoicing();
            break;
        case 7:
            if (pick(4) == 0)
                restartAtNewRate();
            break;
        case 8:
            chunksMidPlay();
            break;
        case 9:
            if (pick(3) == 0)
                block(blockLength(), {{0, kController, kAllNotesOff, 0}});
            break;
        default:
            releaseSome();
            break;
        }
        block(blockLength(), dueOffs());
    }

    // Both envelopes' release set to a moderate time and their rate
    // modulation to none: what is checked after the session is that every
    // voice ends, and the longest release the automation can leave, stretched
    // by the key-tracked rate modulation (up to 32 times for the top keys),
    // rings on for minutes.
    void moderateReleases()
    {
        for (const char* envelope : {"ENV1", "ENV2"}) {
            for (const auto& [name, value] :
                 {std::pair{"Rel", kModerateRelease}, std::pair{"RMod", kNoRateModulation}}) {
                const int32_t global = HostSessionTest::id(e_, envelope, name);
                if (global >= 0)
                    e_->setParameter(e_, AM_VST_base::kInternalIndexOffset + global, value);
            }
        }
    }

    // Everything let go: the pedal up, all notes off, the sequencer's own
    // note-offs too.
    void releaseAll()
    {
        std::vector<Midi> midi = {{0, kController, kSustain, 0}, {0, kController, kAllNotesOff, 0}};
        for (int key = 0; key < kKeys; ++key)
            if (held_[static_cast<size_t>(key)])
                midi.push_back({0, kNoteOff, static_cast<uint8_t>(key), 0});
        held_.assign(kKeys, false);
        block(blockLength(), midi);
    }

    // Renders silence until a whole block is silent; answers the seconds
    // that took, or a negative number if it never did.
    double secondsToSilence()
    {
        const int64_t start = position_;
        const auto limit = static_cast<int64_t>(kDecaySeconds * static_cast<double>(rate_));
        while (position_ - start < limit) {
            block(kMaxBlock);
            if (lastBlockPeak == 0.0f)
                return static_cast<double>(position_ - start) / static_cast<double>(rate_);
        }
        return -1.0;
    }

    std::string describe() const
    {
        return "rate " + std::to_string(rate_) + ", frame " + std::to_string(position_);
    }

    uint64_t allocations = 0;
    int64_t badFrame = -1;
    float lastBlockPeak = 0.0f;
    int chunkFailures = 0;

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    uint8_t byte() { return static_cast<uint8_t>(pick(128)); }

    // Host blocks of every kind: single frames, odd short ones, typical
    // ones, the longest; never above what was announced.
    int blockLength()
    {
        int n = 0;
        switch (pick(8)) {
        case 0:
        case 1:
            n = 1 + pick(32);
            break;
        case 2:
        case 3:
            n = 1 + 2 * pick(300);
            break;
        case 7:
            n = 1 + pick(kMaxBlock);
            break;
        default:
            n = 64 << pick(4);
            break;
        }
        return std::min(n, announcedBlock_);
    }

    // A frame anywhere in a block of n, its first and last frame included.
    int32_t frameIn(int n)
    {
        switch (pick(4)) {
        case 0:
            return 0;
        case 1:
            return n - 1;
        default:
            return pick(n);
        }
    }

    void noteOn(std::vector<Midi>& midi, int n, int key)
    {
        midi.push_back(
            {frameIn(n), kNoteOn, static_cast<uint8_t>(key), static_cast<uint8_t>(1 + pick(127))});
        held_[static_cast<size_t>(key)] = true;
    }

    // A chord of up to three times the voices; some keys let go at a later
    // block.
    void playChord()
    {
        const int n = blockLength();
        std::vector<Midi> midi;
        const int notes = 1 + pick(kMaxChord);
        const int root = 24 + pick(72);
        for (int i = 0; i < notes; ++i) {
            const int key = std::clamp(root + pick(25) - 12, 0, kKeys - 1);
            noteOn(midi, n, key);
            if (pick(3) == 0)
                pendingOffs_.push_back(key);
        }
        block(n, midi);
    }

    // Notes shorter than a block, a frame long, or off before their on in
    // the same frame.
    void playShortNotes()
    {
        const int n = blockLength();
        std::vector<Midi> midi;
        for (int i = 0, count = 1 + pick(12); i < count; ++i) {
            const int key = pick(kKeys);
            const int32_t on = frameIn(n);
            const int32_t off = std::min<int32_t>(n - 1, on + pick(3));
            midi.push_back(
                {on, kNoteOn, static_cast<uint8_t>(key), static_cast<uint8_t>(1 + pick(127))});
            midi.push_back({off, kNoteOff, static_cast<uint8_t>(key), byte()});
        }
        std::stable_sort(midi.begin(), midi.end(),
                         [](const Midi& a, const Midi& b) { return a.frame < b.frame; });
        block(n, midi);
    }

    void playControllers()
    {
        const int n = blockLength();
        std::vector<Midi> midi;
        for (int i = 0, count = 1 + pick(6); i < count; ++i) {
            const int32_t frame = frameIn(n);
            switch (pick(5)) {
            case 0:
                midi.push_back({frame, kController, kSustain, pick(2) == 0 ? kPedalDown : byte()});
                break;
            case 1:
                midi.push_back({frame, kPitchBend, byte(), byte()});
                break;
            case 2:
                midi.push_back({frame, kController, kModWheel, byte()});
                break;
            case 3:
                midi.push_back({frame, kChannelPressure, byte(), 0});
                break;
            default:
                midi.push_back({frame, kPolyPressure, byte(), byte()});
                break;
            }
        }
        std::stable_sort(midi.begin(), midi.end(),
                         [](const Midi& a, const Midi& b) { return a.frame < b.frame; });
        block(n, midi);
    }

    // A host value: the ends, values just inside them, or anything between.
    float hostValue()
    {
        switch (pick(6)) {
        case 0:
            return 0.0f;
        case 1:
            return 1.0f;
        case 2:
            return std::nextafter(0.0f, 1.0f);
        case 3:
            return std::nextafter(1.0f, 0.0f);
        default:
            return std::uniform_real_distribution<float>(0.0f, 1.0f)(random_);
        }
    }

    // Automation between blocks, a block at a time.
    void automateParameters()
    {
        for (int i = 0, count = 1 + pick(16); i < count; ++i) {
            e_->setParameter(e_, pick(e_->numParams), hostValue());
            if (pick(2) == 0)
                block(blockLength());
        }
    }

    // Voice mode, voice count and stack by the host's global ids, under held
    // notes.
    void switchVoicing()
    {
        static const char* const kVoicing[] = {"Mode", "Voices", "Voicing"};
        const int32_t global = HostSessionTest::id(e_, "VCC", kVoicing[pick(3)]);
        if (global >= 0)
            e_->setParameter(e_, AM_VST_base::kInternalIndexOffset + global, hostValue());
    }

    // The host stops, changes rate and block size, and starts again.
    void restartAtNewRate()
    {
        rate_ = kRates[pick(static_cast<int>(std::size(kRates)))];
        announcedBlock_ = kAnnouncedBlocks[pick(static_cast<int>(std::size(kAnnouncedBlocks)))];
        HostSessionTest::dispatch(e_, effStopProcess);
        HostSessionTest::dispatch(e_, effMainsChanged, 0, 0);
        HostSessionTest::dispatch(e_, effSetSampleRate, 0, 0, nullptr, rate_);
        HostSessionTest::dispatch(e_, effSetBlockSize, 0, announcedBlock_);
        HostSessionTest::dispatch(e_, effMainsChanged, 0, 1);
        HostSessionTest::dispatch(e_, effStartProcess);
    }

    // A bank or program chunk saved and set back at once, or a chunk from
    // earlier in the session set again.
    void chunksMidPlay()
    {
        const bool program = pick(2) == 0;
        if (!saved_.empty() && pick(3) == 0) {
            const auto& [bytes, isProgram] =
                saved_[static_cast<size_t>(pick(static_cast<int>(saved_.size())))];
            if (HostSessionTest::setChunk(e_, bytes, isProgram) != 1)
                ++chunkFailures;
            return;
        }
        const std::string bytes = HostSessionTest::chunk(e_, program);
        if (bytes.empty() || HostSessionTest::setChunk(e_, bytes, program) != 1 ||
            HostSessionTest::chunk(e_, program) != bytes)
            ++chunkFailures;
        saved_.emplace_back(bytes, program);
    }

    void releaseSome()
    {
        for (const int key : pendingOffs_) {
            if (pick(2) == 0) {
                dueOffs_.push_back(key);
            }
        }
    }

    std::vector<Midi> dueOffs()
    {
        std::vector<Midi> midi;
        for (const int key : dueOffs_) {
            midi.push_back({0, kNoteOff, static_cast<uint8_t>(key), 0});
            held_[static_cast<size_t>(key)] = false;
        }
        pendingOffs_.erase(std::remove_if(pendingOffs_.begin(), pendingOffs_.end(),
                                          [this](int key) {
                                              return std::find(dueOffs_.begin(), dueOffs_.end(),
                                                               key) != dueOffs_.end();
                                          }),
                           pendingOffs_.end());
        dueOffs_.clear();
        return midi;
    }

    AEffect* e_;
    TestHost& host_;
    std::mt19937 random_;
    Player sender_;
    std::vector<float> left_, right_, silence_;
    int64_t position_ = 0;
    float rate_ = kRate;
    int announcedBlock_ = kMaxBlock;
    std::vector<bool> held_ = std::vector<bool>(kKeys, false);
    std::vector<int> pendingOffs_;
    std::vector<int> dueOffs_;
    std::vector<std::pair<std::string, bool>> saved_;
};

TEST_F(HostSessionTest, SeededSessionsStayFiniteRealTimeSafeAndRoundTrip)
{
    struct Session {
        uint32_t seed;
        const char* found;
    };
    const Session sessions[] = {
        {1, ""},
        {2, ""},
        {3, ""},
        // A key struck twice in duo mode sounded on after all notes off.
        {108, "all notes off"},
        // A square LFO on Osc1's pitch pumped the key-tracked high-pass
        // until the voice blew up.
        {211, "high-pass under modulation"},
    };
    // Both paths of the voice lanes: the widest the processor has, and SSE2.
    for (const bool wide : {true, false}) {
        for (const auto& [seed, found] : sessions) {
            synthdsp::setWideLanesAllowed(wide);
            SCOPED_TRACE("seed " + std::to_string(seed) + " " + found +
                         (wide ? "" : " (SSE2 lanes)"));
            AEffect* e = open(kRate, kMaxBlock);
            ASSERT_NE(e, nullptr);
            HostSession session(e, host, seed);
            for (int i = 0; i < kSteps && session.badFrame < 0; ++i)
                session.step();
            EXPECT_EQ(session.badFrame, -1)
                << "a sample not finite or beyond the bound, " << session.describe();
            EXPECT_EQ(session.allocations, 0u);
            EXPECT_EQ(session.chunkFailures, 0);

            // The state text keeps two decimals: the first set may round a value
            // the host set; from then on bytes and values stay exactly.
            for (const bool program : {false, true}) {
                SCOPED_TRACE(program ? "program chunk" : "bank chunk");
                const std::vector<float> before = allParameters(e);
                const std::string saved = chunk(e, program);
                ASSERT_EQ(setChunk(e, saved, program), 1);
                EXPECT_EQ(chunk(e, program), saved);
                const std::vector<float> after = allParameters(e);
                ASSERT_EQ(after.size(), before.size());
                for (size_t i = 0; i < before.size(); ++i)
                    EXPECT_NEAR(after[i], before[i], kStateTextStep) << "parameter " << i;
                ASSERT_EQ(setChunk(e, saved, program), 1);
                EXPECT_EQ(chunk(e, program), saved);
                EXPECT_EQ(allParameters(e), after);
            }

            session.moderateReleases();
            session.releaseAll();
            EXPECT_GE(session.secondsToSilence(), 0.0)
                << "a voice outlived all notes off, " << session.describe();
            EXPECT_EQ(session.badFrame, -1) << session.describe();
            close(e);
            synthdsp::setWideLanesAllowed(true);
        }
    }
}

} // namespace
