#include "plugin/vst/HostTransport.h"

#include <cmath>

namespace vst {
namespace {

constexpr double kQuarterNotesPerWholeNote = 4.0;

bool isSet(const VstTimeInfo& info, VstInt32 flag)
{
    return (info.flags & flag) != 0;
}

} // namespace

double HostTransport::quarterNotesPerBar() const
{
    return timeSigNumerator * kQuarterNotesPerWholeNote / timeSigDenominator;
}

HostTransport readHostTransport(const VstTimeInfo* info)
{
    HostTransport transport;
    if (info == nullptr)
        return transport;
    transport.hostAnswered = true;
    if (std::isfinite(info->samplePos) && info->samplePos >= 0.0)
        transport.samplePos = info->samplePos;
    transport.playing = isSet(*info, kVstTransportPlaying);
    if (isSet(*info, kVstPpqPosValid) && std::isfinite(info->ppqPos)) {
        transport.ppqPos = info->ppqPos;
        transport.ppqPosValid = true;
    }
    if (isSet(*info, kVstTempoValid) && std::isfinite(info->tempo) && info->tempo > 0.0) {
        transport.tempo = info->tempo;
        transport.tempoValid = true;
    }
    if (isSet(*info, kVstBarsValid) && std::isfinite(info->barStartPos)) {
        transport.barStartPos = info->barStartPos;
        transport.barStartValid = true;
    }
    if (isSet(*info, kVstTimeSigValid) && info->timeSigNumerator > 0 &&
        info->timeSigDenominator > 0) {
        transport.timeSigNumerator = info->timeSigNumerator;
        transport.timeSigDenominator = info->timeSigDenominator;
        transport.timeSigValid = true;
    }
    return transport;
}

} // namespace vst
