#pragma once
// The audio manager's plug-in information block: the names the host adapter
// announces, the build date, the initial state version and the channel
// layout.

#include <cstdint>

constexpr int32_t k_pluginNameBytes = 32;

struct AM_PluginInfo {
    char productName[k_pluginNameBytes];
    char vendorName[k_pluginNameBytes];
    char componentName[k_pluginNameBytes];
    char effectName[k_pluginNameBytes];
    uint32_t buildDate;           // year << 16 | month << 8 | day
    uint32_t initialStateVersion; // copied into the context's state version
    uint32_t inputBuses;
    uint32_t outputBuses;
    uint32_t channelsPerBus;
    uint32_t latency; // samples
    uint8_t optionByte;
    uint8_t fftSignConvention;
};
