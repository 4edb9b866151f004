// The plug-in class: one host block. The host's buffers and transport go
// into the engine's process context, the engine renders, and the
// processor's floating-point control register is as the host left it.

#include "plugin/AM_VST_base.h"

#include "engine/module/AM_PluginInfo.h"
#include "engine/module/AM_ProcessContext.h"
#include "platform/Trace.h"
#include "plugin/AM_DenormalScope.h"
#include "plugin/vst/HostTransport.h"
#include "synth/Synth_AudioMan.h"

#include <algorithm>
#include <cmath>

namespace {

// What the transport is asked for: position, tempo, bar start, signature.
constexpr VstInt32 kTimeInfoFilter =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
static_assert(kTimeInfoFilter == 0x2E00);

// The engine asks for flush-to-zero with a denormal mode above this.
constexpr uint32_t kFlushDenormalsAbove = 1;

// Copies count host pointers into the 16 context entries (null beyond
// them); one channel is repeated into entry 1.
void copyPointers(float** target, float** host, int32_t count)
{
    for (int32_t c = 0; c < AM_VST_base::kMaxChannelPointers; ++c)
        target[c] = (host != nullptr && c < count) ? host[c] : nullptr;
    if (count == 1)
        target[1] = target[0];
}

} // namespace

void AM_VST_base::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (!audioMan_ || sampleFrames <= 0 || outputs == nullptr)
        return;
    AM_ProcessContext* context = audioMan_->getProcessContext();
    if (context == nullptr)
        return;
    const platform::RealtimeScope realtime;
    const AM_DenormalScope denormals(context->denormalMode > kFlushDenormalsAbove);
    handOverBuffers(inputs, outputs);
    readHostTime();
    context->sampleFrames = static_cast<uint32_t>(sampleFrames);
    audioMan_->processBlock();
}

void AM_VST_base::handOverBuffers(float** inputs, float** outputs)
{
    AM_ProcessContext* context = audioMan_->getProcessContext();
    const AM_PluginInfo* info = audioMan_->getPluginInfo();
    const bool withInputs = info->inputBuses > 0;
    // Never more pointers than the host has buffers.
    const int32_t hostInputs = std::min(cEffect.numInputs, kMaxChannelPointers);
    const int32_t hostOutputs = std::min(cEffect.numOutputs, kMaxChannelPointers);
    if (multiChannel_.load(std::memory_order_relaxed)) {
        const int32_t in = inputArrangement_ ? inputArrangement_->numChannels : 0;
        const int32_t out = outputArrangement_ ? outputArrangement_->numChannels : 0;
        copyPointers(context->inputChannels, withInputs ? inputs : nullptr,
                     std::clamp(in, 0, hostInputs));
        copyPointers(context->outputChannels, outputs, std::clamp(out, 0, hostOutputs));
        return;
    }
    const int32_t stereo = 2;
    copyPointers(context->inputChannels, withInputs ? inputs : nullptr,
                 std::min(stereo, hostInputs));
    copyPointers(context->outputChannels, outputs, std::min(stereo, hostOutputs));
}

void AM_VST_base::readHostTime()
{
    AM_ProcessContext* context = audioMan_->getProcessContext();
    // Each field counts only with its valid flag and a usable value; a null
    // answer gives position 0, 120 BPM, 4/4.
    const vst::HostTransport transport = vst::readHostTransport(getTimeInfo(kTimeInfoFilter));
    const double beatsPerBar = transport.quarterNotesPerBar();
    context->beatsPerBar = static_cast<float>(beatsPerBar);
    double barStart = 0.0;
    if (transport.ppqPos != context->lastHostPosition) {
        context->lastHostPosition = transport.ppqPos;
        context->songPosition = transport.ppqPos;
        context->positionJumpFlag = 1;
        barStart = transport.barStartValid
                       ? transport.barStartPos
                       : std::floor(transport.ppqPos / beatsPerBar) * beatsPerBar;
    } else {
        context->positionJumpFlag = 0;
        barStart = std::floor(context->songPosition / beatsPerBar) * beatsPerBar;
    }
    context->tempo = transport.tempo;
    context->barStart = std::isfinite(barStart) ? barStart : 0.0;
}
