// A short phrase rendered by the instrument, compared bit for bit with a
// stored render (host blocks of 64 samples at 44.1 kHz): any change of the
// sound shows up here.
//
// The golden file golden/phrase.f32 holds the left channel, then the right
// one, as 32-bit IEEE floats in little-endian byte order. After a deliberate
// change of the sound, regenerate it with
//   KK_UPDATE_GOLDEN=1 build/<dir>/bin/test_kk_synth --gtest_filter='SynthGolden.*'
// from the repository root (the test writes the file into its source
// folder), listen to the new render, and commit the file with the change.

#include "SynthFixture.h"

#include "engine/module/AM_Random.h"
#include "engine/voice/AM_VoiceRandom.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace synthtest;

constexpr int64_t kSamples = 6000;

// A patch that runs most of the voice: a saw and pulse against a synced,
// frequency-modulated second oscillator, sub, noise, ring modulation,
// feedback, 36 dB with resonance and key follow.
void phrasePatch(SynthHost& host)
{
    host.set("Kestan", "Shp1", 3.4f);
    host.set("Kestan", "Shp2", 1.6f);
    host.set("Kestan", "Tune2", 7.0f);
    host.set("Kestan", "Sync", 60.0f);
    host.set("Kestan", "ARDpt", 25.0f);
    host.set("Kestan", "PWDpt", 20.0f);
    host.set("Kestan", "SubVol", -40.0f);
    host.set("Kestan", "NseVol", -60.0f);
    host.set("Kestan", "Noise", 2.3f);
    host.set("Kestan", "RMVol", -50.0f);
    host.set("Kestan", "FBVol", -40.0f);
    host.set("Kestan", "VCFPol", 2.0f);
    host.set("Kestan", "Res", 70.0f);
    host.set("Kestan", "Cutoff", 95.0f);
    host.set("Kestan", "KeyFol", 40.0f);
    host.set("Kestan", "Detune", 10.0f);
}

const std::vector<NoteEvent> kPhrase = {
    {0, 48, 100.0f},   {0, 55, 80.0f},   {1000, 62, 127.0f}, {2500, 48, 0.0f},
    {3000, 67, 90.0f}, {4500, 55, 0.0f}, {4500, 62, 0.0f},
};

std::vector<float> renderPhrase()
{
    KestanAudio::resetProcessState();
    AM_Random::reset();
    AM_VoiceRandom::reset();
    auto host = makeSynth();
    phrasePatch(*host);
    host->play(kPhrase, kSamples);
    std::vector<float> out = host->left;
    out.insert(out.end(), host->right.begin(), host->right.end());
    return out;
}

std::string goldenPath()
{
    const char* folder = std::getenv("KK_TEST_DATA");
    return std::string(folder ? folder : ".") + "/golden/phrase.f32";
}

void writeGolden(const std::vector<float>& values)
{
    std::ofstream file(goldenPath(), std::ios::binary);
    for (float v : values) {
        const uint32_t bits = std::bit_cast<uint32_t>(v);
        const char bytes[4] = {char(bits & 0xff), char((bits >> 8) & 0xff),
                               char((bits >> 16) & 0xff), char(bits >> 24)};
        file.write(bytes, sizeof(bytes));
    }
    ASSERT_TRUE(file.good()) << goldenPath();
}

std::vector<uint32_t> readGolden()
{
    std::ifstream file(goldenPath(), std::ios::binary);
    std::vector<uint32_t> bits;
    unsigned char bytes[4];
    while (file.read(reinterpret_cast<char*>(bytes), sizeof(bytes)))
        bits.push_back(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                       uint32_t(bytes[3]) << 24);
    return bits;
}

TEST(SynthGolden, PhraseMatchesTheStoredRender)
{
    const std::vector<float> rendered = renderPhrase();
    ASSERT_EQ(rendered.size(), size_t(2 * kSamples));
    if (std::getenv("KK_UPDATE_GOLDEN")) {
        writeGolden(rendered);
        GTEST_SKIP() << "wrote " << goldenPath();
    }
    const std::vector<uint32_t> golden = readGolden();
    ASSERT_EQ(golden.size(), rendered.size()) << "missing or short golden file " << goldenPath();
    size_t differing = 0;
    size_t first = rendered.size();
    for (size_t i = 0; i < rendered.size(); ++i) {
        if (std::bit_cast<uint32_t>(rendered[i]) != golden[i]) {
            ++differing;
            first = std::min(first, i);
        }
    }
    EXPECT_EQ(differing, 0u) << "first difference at sample " << first % kSamples << " of "
                             << (first < size_t(kSamples) ? "left" : "right") << ": "
                             << rendered[first] << " instead of "
                             << std::bit_cast<float>(golden[first]);

    // The phrase is sound, not silence, and a second render is the same.
    double energy = 0.0;
    for (float v : rendered)
        energy += double(v) * double(v);
    EXPECT_GT(energy / double(rendered.size()), 1e-4);
    EXPECT_EQ(renderPhrase(), rendered);
}

} // namespace
