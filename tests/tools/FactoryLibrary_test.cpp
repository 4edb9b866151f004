// The factory library as it ships: every preset in the data folder is what
// the preset writer makes of its definition, loads into a fresh instrument,
// writes itself back byte for byte, and plays a chord at velocity 100 that
// is heard, finite and below full scale.

#include "FactoryPresets.h"
#include "PresetWriter.h"
#include "SynthFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

using presetmaker::FactoryPreset;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string chunkOf(AM_AudioMan& engine)
{
    uint32_t size = 0;
    const char* chunk = engine.getChunk(&size, nullptr);
    return chunk != nullptr ? std::string(chunk, size) : std::string();
}

std::string folderOf(const FactoryPreset& preset)
{
    const std::string name = preset.fileName;
    return name.substr(0, name.find('/'));
}

TEST(FactoryLibrary, HasCategoriesAndKeepsTheFirstProgramBank)
{
    const auto& presets = presetmaker::factoryPresets();
    ASSERT_GE(presets.size(), 48u);
    std::set<std::string> folders, names, settings;
    for (size_t i = 0; i < presets.size(); ++i) {
        const FactoryPreset& preset = presets[i];
        SCOPED_TRACE(preset.fileName);
        EXPECT_EQ(folderOf(preset) == "MIDI Programs", i < 6);
        folders.insert(folderOf(preset));
        EXPECT_TRUE(names.insert(preset.fileName).second);
        ASSERT_NE(preset.description, nullptr);
        ASSERT_NE(preset.usage, nullptr);
        EXPECT_GT(std::strlen(preset.description), 20u);
        EXPECT_GT(std::strlen(preset.usage), 10u);
        std::string values;
        for (const auto& v : preset.values)
            values += std::string(v.module) + ":" + v.parameter + "=" + std::to_string(v.value) + ";";
        EXPECT_TRUE(settings.insert(values).second) << "the same settings as another preset";
    }
    for (const char* category : {"Basses", "Leads", "Pads", "Keys", "Plucks", "Effects"})
        EXPECT_EQ(folders.count(category), 1u) << category;
}

class FactoryPresetTest : public ::testing::TestWithParam<size_t> {};

TEST_P(FactoryPresetTest, IsShippedLoadsRoundTripsAndPlays)
{
    const FactoryPreset& preset = presetmaker::factoryPresets()[GetParam()];
    SCOPED_TRACE(preset.fileName);
    std::string chunk, error;
    {
        presetmaker::PresetWriter writer;
        ASSERT_TRUE(writer.makeChunk(preset, chunk, error)) << error;
    }
    EXPECT_EQ(readFile(std::string(KK_FACTORY_PRESETS_PATH) + "/" + preset.fileName), chunk)
        << "the data folder's copy is out of date: run kk-presetmaker --out data/Presets/KestanK4";
    EXPECT_NE(chunk.find("Author:\n'KestanK4 Factory'"), std::string::npos);

    auto host = synthtest::makeSynth();
    ASSERT_TRUE(host->engine().setChunk(chunk.data(), static_cast<int32_t>(chunk.size()), 1));
    EXPECT_EQ(chunkOf(host->engine()), chunk);

    constexpr int64_t kSecond = 44100;
    host->play({{0, 48, 100.0f}, {0, 55, 100.0f}, {0, 60, 100.0f}, {kSecond, 48, 0.0f},
                {kSecond, 55, 0.0f}, {kSecond, 60, 0.0f}},
               kSecond * 3 / 2);
    double energy = 0;
    float peak = 0;
    int64_t nonFinite = 0;
    for (const std::vector<float>* channel : {&host->left, &host->right}) {
        for (size_t i = 0; i < channel->size(); ++i) {
            const float x = (*channel)[i];
            if (!std::isfinite(x)) {
                ++nonFinite;
                continue;
            }
            peak = std::max(peak, std::fabs(x));
            if (i < static_cast<size_t>(kSecond))
                energy += double(x) * x;
        }
    }
    const double rms = std::sqrt(energy / (2.0 * kSecond));
    EXPECT_EQ(nonFinite, 0);
    EXPECT_GT(rms, 0.01) << "too quiet";
    EXPECT_LT(peak, 1.0f) << "clips";
}

INSTANTIATE_TEST_SUITE_P(Each, FactoryPresetTest,
                         ::testing::Range<size_t>(0, presetmaker::factoryPresets().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             std::string name = presetmaker::factoryPresets()[info.param].fileName;
                             std::string id;
                             for (char c : name.substr(name.find('/') + 1))
                                 if (std::isalnum(static_cast<unsigned char>(c)))
                                     id += c;
                             return id;
                         });

} // namespace
