#include "FactoryPresets.h"

namespace presetmaker {
namespace {

// Modulation sources by their place in the instrument's source list.
constexpr float kSourceLfo1 = 16.0f;
constexpr float kSourceEnvelope2 = 15.0f;

} // namespace

// The presets form the first bank of "MIDI Programs": program changes 0 to 5
// select them in the order of their file names.
const std::vector<FactoryPreset>& factoryPresets()
{
    static const std::vector<FactoryPreset> presets = {
        {"MIDI Programs/Fat Bass.h2p",
         {{"Kestan", "OscVol1", -6.0f},
          {"Kestan", "OscVol2", -6.0f},
          {"Kestan", "Detune", 8.0f},
          {"Kestan", "SubVol", -10.0f},
          {"Kestan", "Cutoff", 70.0f},
          {"Kestan", "Res", 20.0f},
          {"Kestan", "FMSrc2", kSourceEnvelope2},
          {"Kestan", "FMDpt2", 40.0f},
          {"ENV1", "Atk", 0.0f},
          {"ENV1", "Dec", 40.0f},
          {"ENV1", "Sus", 80.0f},
          {"ENV1", "Rel", 10.0f},
          {"ENV2", "Atk", 0.0f},
          {"ENV2", "Dec", 30.0f},
          {"ENV2", "Sus", 20.0f},
          {"ENV2", "Rel", 15.0f}}},
        {"MIDI Programs/Soft Pad.h2p",
         {{"Kestan", "OscVol1", -10.0f},
          {"Kestan", "OscVol2", -10.0f},
          {"Kestan", "Detune", 12.0f},
          {"Kestan", "VtoD", 10.0f},
          {"Kestan", "Cutoff", 90.0f},
          {"Kestan", "Res", 10.0f},
          {"Kestan", "MxSp", 30.0f},
          {"Kestan", "FMSrc2", kSourceEnvelope2},
          {"Kestan", "FMDpt2", 20.0f},
          {"ENV1", "Atk", 60.0f},
          {"ENV1", "Dec", 60.0f},
          {"ENV1", "Sus", 90.0f},
          {"ENV1", "Rel", 70.0f},
          {"ENV2", "Atk", 50.0f},
          {"ENV2", "Sus", 60.0f},
          {"ENV2", "Rel", 60.0f}}},
        {"MIDI Programs/Pluck.h2p",
         {{"Kestan", "Cutoff", 60.0f},
          {"Kestan", "Res", 30.0f},
          {"Kestan", "FMSrc2", kSourceEnvelope2},
          {"Kestan", "FMDpt2", 60.0f},
          {"ENV1", "Atk", 0.0f},
          {"ENV1", "Dec", 35.0f},
          {"ENV1", "Sus", 0.0f},
          {"ENV1", "Rel", 30.0f},
          {"ENV2", "Atk", 0.0f},
          {"ENV2", "Dec", 25.0f},
          {"ENV2", "Sus", 0.0f},
          {"ENV2", "Rel", 25.0f}}},
        {"MIDI Programs/Sync Lead.h2p",
         {{"VCC", "Mode", 1.0f},
          {"VCC", "Porta", 20.0f},
          {"Kestan", "Sync", 60.0f},
          {"Kestan", "Tune2", 7.0f},
          {"Kestan", "OscVol1", -8.0f},
          {"Kestan", "OscVol2", -8.0f},
          {"Kestan", "Cutoff", 120.0f},
          {"Kestan", "Res", 15.0f},
          {"ENV1", "Atk", 2.0f},
          {"ENV1", "Dec", 50.0f},
          {"ENV1", "Sus", 80.0f},
          {"ENV1", "Rel", 20.0f}}},
        {"MIDI Programs/Square Keys.h2p",
         {{"Kestan", "Shp1", 2.0f},
          {"Kestan", "PWSrc", kSourceLfo1},
          {"Kestan", "PWDpt", 20.0f},
          {"Kestan", "Cutoff", 100.0f},
          {"ENV1", "Atk", 1.0f},
          {"ENV1", "Dec", 60.0f},
          {"ENV1", "Sus", 50.0f},
          {"ENV1", "Rel", 25.0f}}},
        {"MIDI Programs/Noise Sweep.h2p",
         {{"Kestan", "OscVol1", -100.0f},
          {"Kestan", "OscVol2", -100.0f},
          {"Kestan", "NseVol", -10.0f},
          {"Kestan", "Cutoff", 50.0f},
          {"Kestan", "Res", 60.0f},
          {"Kestan", "FMSrc1", kSourceLfo1},
          {"Kestan", "FMDpt1", 40.0f},
          {"LFO1", "Sync", 10.0f},
          {"ENV1", "Atk", 30.0f},
          {"ENV1", "Sus", 100.0f},
          {"ENV1", "Rel", 50.0f}}},
    };
    return presets;
}

} // namespace presetmaker
