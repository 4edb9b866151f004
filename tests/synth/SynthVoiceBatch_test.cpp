// Voices rendered together give the same samples, bit for bit, as voices
// rendered one at a time: random patches, notes (chords, overlaps, steals,
// releases within blocks), voice modes, stacks and host block lengths, each
// rendered with the voice circuit's batches off, on with the SSE2 lanes
// forced, and on with the widest lanes the processor has.

#include "SynthFixture.h"

#include "engine/module/AM_Random.h"
#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceRandom.h"
#include "params/object/AM_ParamInfo.h"
#include "synth/dsp/FilterLanes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using namespace synthtest;

// A patch: every voice-module parameter at a random value of its range
// (integers for the list kinds), with a random voice mode, voice count and
// stack.
struct Patch {
    std::vector<std::pair<int32_t, float>> values;
    float mode, voices, stack;
};

struct Take {
    Patch patch;
    std::vector<NoteEvent> notes;
    int64_t samples;
    int32_t block;
};

Take randomTake(uint32_t seed)
{
    std::mt19937 rng(seed);
    auto uniform = [&rng](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    auto integer = [&rng](int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
    };
    Take take;
    auto probe = makeSynth();
    for (uint32_t local = 0; local < KestanAudio::k_parameterCount; ++local) {
        const AM_ParamInfo& row = KestanAudio::descriptorTable()[local];
        const AM_ParamInfo* info = probe->engine().findParameter("Kestan", row.shortName);
        if (!info || integer(0, 3) == 0) // a quarter keep their defaults
            continue;
        const float value = info->kind() == k_kindFloat
                                ? uniform(info->min, info->max)
                                : float(integer(int32_t(info->min), int32_t(info->max)));
        take.patch.values.push_back({int32_t(info->index), value});
    }
    take.patch.mode = float(integer(0, 3));
    take.patch.voices = float(integer(0, 2));
    take.patch.stack = float(integer(1, 3));

    const int32_t blocks[] = {1, 7, 16, 33, 64, 100, 512};
    take.block = blocks[integer(0, 6)];
    take.samples = 4096 + take.block;
    const int32_t notes = integer(1, 14);
    for (int32_t n = 0; n < notes; ++n) {
        const int32_t key = integer(24, 108);
        const int64_t on = integer(0, 3000);
        take.notes.push_back({on, key, float(integer(1, 127))});
        if (integer(0, 2) != 0)
            take.notes.push_back({on + integer(1, 1500), key, 0.0f});
    }
    return take;
}

enum class Path { alone, sse2, widest };

std::vector<uint32_t> render(const Take& take, Path path)
{
    AM_VoiceCircuitMin::setVoiceBatching(path != Path::alone);
    synthdsp::setWideLanesAllowed(path == Path::widest);
    KestanAudio::resetProcessState();
    AM_Random::reset();
    AM_VoiceRandom::reset();
    auto host = makeSynth();
    for (const auto& [id, value] : take.patch.values) {
        int32_t index = id;
        float v = value;
        host->engine().getParaMan()->setParam(&index, &v, host->ctx(), true);
    }
    host->set("VCC", "Mode", take.patch.mode);
    host->set("VCC", "Voices", take.patch.voices);
    host->set("VCC", "Voicing", take.patch.stack);
    host->play(take.notes, take.samples, take.block);
    AM_VoiceCircuitMin::setVoiceBatching(true);
    synthdsp::setWideLanesAllowed(true);
    std::vector<uint32_t> bits;
    bits.reserve(host->left.size() * 2);
    for (float v : host->left)
        bits.push_back(std::bit_cast<uint32_t>(v));
    for (float v : host->right)
        bits.push_back(std::bit_cast<uint32_t>(v));
    return bits;
}

TEST(SynthVoiceBatch, BatchedVoicesRenderBitForBitAsOneAtATime)
{
    constexpr uint32_t kSeeds = 24;
    for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
        SCOPED_TRACE(seed);
        const Take take = randomTake(seed);
        const std::vector<uint32_t> alone = render(take, Path::alone);
        for (Path path : {Path::sse2, Path::widest}) {
            const std::vector<uint32_t> batched = render(take, path);
            ASSERT_EQ(alone.size(), batched.size());
            size_t first = alone.size();
            for (size_t i = 0; i < alone.size() && first == alone.size(); ++i) {
                if (alone[i] != batched[i])
                    first = i;
            }
            EXPECT_EQ(first, alone.size())
                << (path == Path::sse2 ? "SSE2" : "widest") << " lanes: first difference at "
                << first << " (block " << take.block << ")";
        }
    }
}

} // namespace
