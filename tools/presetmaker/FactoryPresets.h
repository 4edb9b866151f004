#pragma once
// The factory presets that ship in the data folder, as parameter values by
// module and parameter short name; every other parameter keeps its default.

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
    std::vector<PresetValue> values;
};

const std::vector<FactoryPreset>& factoryPresets();

} // namespace presetmaker
