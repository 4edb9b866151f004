// Reset between blocks and the sample rate.

#include "engine/AM_AudioMan.h"

#include "engine/module/AM_CircuitObject.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParaMan.h"

#include <cmath>
#include <cstring>

void AM_AudioMan::reset()
{
    if (!context_)
        return;
    // The host resumes: from now on changes from other threads go through the
    // parameter manager's queue, also when the engine was just reset (by a
    // new sample rate) and needs no second reset.
    if (resetDone_ != 0)
        ++resetDone_;
    else
        resetEngine();
    paraMan_->beginProcessing();
}

void AM_AudioMan::setSampleRate(float rate)
{
    if (!std::isfinite(rate) || rate < kMinSampleRate || rate > kMaxSampleRate) {
        AM_STD::printv("AM_AudioMan::setSampleRate: refused a rate of %f Hz",
                       static_cast<double>(rate));
        return;
    }
    if (!context_) {
        initialSampleRate_ = rate;
        return;
    }
    storeSampleRate(rate);
    resetEngine();
}

// Clears the carried output, the pending input and the fade scratch, resets
// the module tree and takes the output value as the master gain.
void AM_AudioMan::resetEngine()
{
    resetDone_ = 1;
    const uint32_t channels = carvedChannelsPerBus_;
    std::memset(carryArea_, 0, 2 * channels * k_rowSamples * sizeof(float));
    std::memset(context_->fadeRows, 0, context_->fadeRowCount * k_rowSamples * sizeof(float));
    clearChannelState();
    aheadCount_ = 0;
    pendingCount_ = kLatency;
    mainCircuit_->resetTree();
    masterGain_ = outputGain();
}
