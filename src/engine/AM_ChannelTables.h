#pragma once
// The routing of the multi-channel and no-latency process paths: which host
// input each bus channel takes, which bus channel each host output takes,
// which host outputs pass their own input through unprocessed ("dry"), and
// the 16 pan positions the modules read from the process context.
//
// The tables are rebuilt at the start of every block from the host's
// channel pointers (null: not connected) and the two layout words "ChLay"
// and "SurrO", so a change of either takes effect at the next block.
//
// In a 5.1 arrangement (left, right, centre, LFE, left surround, right
// surround) host channel 2 is the centre and host channel 3 the LFE.
//
// Any thread; allocates nothing.

#include <cstdint>

// Entries of every table: host channels per direction, bus channels, pan
// positions.
constexpr int32_t k_channelTableSize = 16;
// A map entry that names no channel.
constexpr int32_t k_noChannel = -1;

// Values of "ChLay".
enum AM_ChannelLayout : uint32_t {
    k_layoutAutoSurround = 0,   // "auto/surround"
    k_layoutMultichannel = 1,   // "multichannel"
    k_layoutStereo12 = 2,       // "stereo 1+2"
    k_layoutStereo34 = 3,       // "stereo 3+4"
    k_layoutStereo56 = 4,       // "stereo 5+6"
    k_layoutStereo78 = 5,       // "stereo 7+8"
    k_layoutMono = 6,           // "mono"
    k_layoutStereoSurround = 7, // "stereo-surround"
    k_layoutMonoSurround = 8,   // "mono-surround"
};

// Values of "SurrO"; any value above 1 acts as "dry c + lfe" in the
// "auto/surround" layout.
enum AM_SurroundOption : uint32_t {
    k_surroundAllChannels = 0, // "all channels"
    k_surroundNoLfe = 1,       // "no lfe"
    k_surroundDryCentreLfe = 2 // "dry c + lfe"
};

struct AM_ChannelTables {
    // Bus channel b takes host input inputMap[b] (k_noChannel: none). An
    // entry may name a host input that is not connected; the bus channel
    // then has no source.
    int32_t inputMap[k_channelTableSize];
    // Host output h takes bus channel outputMap[h] (k_noChannel: none).
    int32_t outputMap[k_channelTableSize];
    // 1: host output h carries its own host input, delayed like the
    // processed outputs.
    uint32_t dryFlags[k_channelTableSize];
    // Connected host inputs and outputs.
    uint32_t connectedInputs;
    uint32_t connectedOutputs;
    // The layout in effect: the chosen one, except that one connected output
    // always gives "mono" and two turn every layout but "mono" and
    // "mono-surround" into "stereo 1+2".
    uint32_t layout;
};

// Builds the tables from 16 input and 16 output pointers and the two layout
// words. The pan positions the layout sets are written into `panPositions`
// (16 entries); the entries it does not name keep their values, and a layout
// above "mono-surround" leaves them all (and the tables as the connections
// give them).
void AM_buildChannelTables(const float* const* inputs, const float* const* outputs, uint32_t layout,
                           uint32_t surroundOptions, AM_ChannelTables& tables, float* panPositions);
