// The paths for more than two channels per bus and for block latency off.
// This engine serves both through the stereo path: host channels 0 and 1,
// with the 16-sample delay.

#include "engine/AM_AudioMan.h"

void AM_AudioMan::processBlockMultiChannel()
{
    renderStereoBlock();
}

void AM_AudioMan::processBlockNoLatency()
{
    renderStereoBlock();
}
