#pragma once
// The factory presets that ship in the data folder, as parameter values by
// module and parameter short name; every other parameter keeps its default.
// Each preset also carries the meta texts a browser shows: author,
// description and usage.

#include <string>
#include <vector>

namespace presetmaker {

struct PresetValue {
    const char* module;
    const char* parameter;
    float value; // plain value, as the state text writes it
};

struct FactoryPreset {
    const char* fileName; // below the presets folder, with ".h2p"
    const char* description;
    const char* usage;
    std::vector<PresetValue> values;
};

// The author named in every factory preset.
inline constexpr const char* kFactoryAuthor = "KestanK4 Factory";

const std::vector<FactoryPreset>& factoryPresets();

} // namespace presetmaker
