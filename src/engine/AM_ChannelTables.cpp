#include "engine/AM_ChannelTables.h"

#include <algorithm>

namespace {

constexpr int32_t kChannels = k_channelTableSize;
constexpr uint32_t kDry = 1;
// Host channels of the centre and the LFE in a 5.1 arrangement.
constexpr int32_t kCentre = 2;
constexpr int32_t kLfe = 3;
// The pairs of the "stereo 3+4", "stereo 5+6" and "stereo 7+8" layouts
// start at host channel 2 x (layout - 2).
constexpr uint32_t kChannelsPerPair = 2;

// Surround pan positions: front pair, centre and LFE in the middle, then the
// further pairs spreading outwards. With an odd number of inputs there is no
// LFE, and the pairs move up by one (the last entry is not set).
constexpr float kSurroundPan[kChannels] = {-1.0f, 1.0f, 0.0f,  0.0f, -2.0f, 2.0f, -3.0f, 3.0f,
                                           -4.0f, 4.0f, -5.0f, 5.0f, -6.0f, 6.0f, -7.0f, 7.0f};
constexpr float kSurroundPanOdd[kChannels - 1] = {-1.0f, 1.0f,  0.0f,  -2.0f, 2.0f,
                                                  -3.0f, 3.0f,  -4.0f, 4.0f,  -5.0f,
                                                  5.0f,  -6.0f, 6.0f,  -7.0f, 7.0f};
// "dry c + lfe": centre and LFE leave the bus, so the pairs close up; with an
// odd number of inputs the centre keeps the middle position.
constexpr float kDryCentrePan[kChannels - 2] = {-0.5f, 0.5f,  -1.5f, 1.5f,  -2.5f, 2.5f,  -3.5f,
                                                3.5f,  -4.5f, 4.5f,  -5.5f, 5.5f,  -6.5f, 6.5f};
constexpr float kDryCentrePanOdd[kChannels - 1] = {-0.5f, 0.5f,  0.0f,  -1.5f, 1.5f,
                                                   -2.5f, 2.5f,  -3.5f, 3.5f,  -4.5f,
                                                   4.5f,  -5.5f, 5.5f,  -6.5f, 6.5f};
constexpr float kStereoPan[2] = {-1.0f, 1.0f};

template <size_t N> void setPan(float* pan, const float (&values)[N])
{
    std::copy(values, values + N, pan);
}

void setSurroundPan(float* pan, bool oddInputs)
{
    if (oddInputs)
        setPan(pan, kSurroundPanOdd);
    else
        setPan(pan, kSurroundPan);
}

void makeDry(AM_ChannelTables& t, int32_t output)
{
    t.outputMap[output] = k_noChannel;
    t.dryFlags[output] = kDry;
}

// "auto/surround" with "no lfe" or "dry c + lfe".
void autoSurround(AM_ChannelTables& t, uint32_t surround, bool oddInputs, float* pan)
{
    // Bus channels from this one on take the host inputs after the centre
    // (and the LFE with an even count).
    constexpr int32_t kFirstShifted = 2;
    if (surround == k_surroundNoLfe) {
        if (!oddInputs)
            t.inputMap[kLfe] = kCentre;
        t.dryFlags[kLfe] = kDry;
        if (!oddInputs)
            t.outputMap[kLfe] = k_noChannel;
        setSurroundPan(pan, oddInputs);
        return;
    }
    const int32_t skipped = oddInputs ? 1 : 2;
    for (int32_t b = kFirstShifted; b + skipped < kChannels; ++b)
        t.inputMap[b] = b + skipped;
    makeDry(t, kCentre);
    t.dryFlags[kLfe] = kDry;
    if (!oddInputs)
        t.outputMap[kLfe] = k_noChannel;
    for (int32_t h = kFirstShifted + skipped; h < kChannels; ++h)
        t.outputMap[h] = h - skipped;
    if (oddInputs)
        setPan(pan, kDryCentrePanOdd);
    else
        setPan(pan, kDryCentrePan);
}

// "stereo 3+4", "stereo 5+6", "stereo 7+8": one pair of host channels
// carries the bus; every other output passes its input through.
void stereoPair(AM_ChannelTables& t, int32_t first, const float* const* inputs,
                const float* const* outputs, float* pan)
{
    const int32_t second = first + 1;
    if (inputs[first])
        t.inputMap[0] = first;
    t.inputMap[1] = inputs[second] ? second : t.inputMap[0];
    for (int32_t b = 2; b < kChannels; ++b)
        t.inputMap[b] = k_noChannel;
    if (outputs[first])
        t.outputMap[first] = 0;
    t.outputMap[second] = outputs[second] ? 1 : t.outputMap[first];
    for (int32_t h = 0; h < kChannels; ++h) {
        if (h != first && h != second)
            makeDry(t, h);
    }
    setPan(pan, kStereoPan);
}

// The outputs of "stereo-surround" and "mono-surround".
void surroundStep(AM_ChannelTables& t, uint32_t surround, bool oddInputs)
{
    if (surround >= k_surroundNoLfe && !oddInputs)
        makeDry(t, kLfe);
    if (surround == k_surroundDryCentreLfe)
        makeDry(t, kCentre);
}

} // namespace

void AM_buildChannelTables(const float* const* inputs, const float* const* outputs, uint32_t layout,
                           uint32_t surroundOptions, AM_ChannelTables& t, float* pan)
{
    t.connectedInputs = 0;
    t.connectedOutputs = 0;
    for (int32_t c = 0; c < kChannels; ++c) {
        t.inputMap[c] = inputs[c] ? c : k_noChannel;
        t.outputMap[c] = outputs[c] ? c : k_noChannel;
        t.dryFlags[c] = 0;
        t.connectedInputs += inputs[c] ? 1 : 0;
        t.connectedOutputs += outputs[c] ? 1 : 0;
    }
    if (t.connectedOutputs == 1)
        layout = k_layoutMono;
    else if (t.connectedOutputs == 2 && layout != k_layoutMono && layout != k_layoutMonoSurround)
        layout = k_layoutStereo12;
    t.layout = layout;
    const bool oddInputs = (t.connectedInputs % 2) != 0;

    switch (layout) {
    case k_layoutAutoSurround:
        if (surroundOptions == k_surroundAllChannels)
            setSurroundPan(pan, oddInputs);
        else
            autoSurround(t, surroundOptions, oddInputs, pan);
        break;
    case k_layoutMultichannel:
        for (int32_t c = 0; c < kChannels; ++c)
            pan[c] = static_cast<float>(c);
        break;
    case k_layoutStereo12:
        for (int32_t c = 2; c < kChannels; ++c) {
            t.inputMap[c] = k_noChannel;
            makeDry(t, c);
        }
        setPan(pan, kStereoPan);
        break;
    case k_layoutStereo34:
    case k_layoutStereo56:
    case k_layoutStereo78:
        stereoPair(t, static_cast<int32_t>(kChannelsPerPair * (layout - k_layoutStereo12)), inputs,
                   outputs, pan);
        break;
    case k_layoutMono:
        for (int32_t c = 1; c < kChannels; ++c) {
            if (inputs[c])
                t.inputMap[c] = 0;
            if (outputs[c])
                t.outputMap[c] = 0;
        }
        std::fill(pan, pan + kChannels, 0.0f);
        break;
    case k_layoutStereoSurround:
        // Every connected output pair beyond the front takes the front pair's
        // sources.
        for (int32_t left = 2; left + 1 < kChannels; left += 2) {
            if (outputs[left])
                t.inputMap[left] = 0;
            if (outputs[left + 1])
                t.inputMap[left + 1] = 1;
        }
        surroundStep(t, surroundOptions, oddInputs);
        setSurroundPan(pan, false);
        break;
    case k_layoutMonoSurround:
        for (int32_t c = 1; c < kChannels; ++c) {
            if (outputs[c])
                t.inputMap[c] = 0;
        }
        surroundStep(t, surroundOptions, oddInputs);
        setSurroundPan(pan, false);
        break;
    default:
        break;
    }
}
