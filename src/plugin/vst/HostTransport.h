#pragma once
// Reads the host's transport record (audioMasterGetTime) safely.
//
// Hosts may answer null, leave valid flags clear, or send nonsense such as a
// tempo of 0 or a time signature of 0/0. Each field is taken only when its
// valid flag is set and its value is usable (finite; tempo and both parts of
// the time signature above 0); otherwise the default stays and its
// "...Valid" member is false, so a plug-in never divides by zero or
// produces NaN from host data.

#include "plugin/vst/VstTimeInfo.h"

namespace vst {

struct HostTransport {
    static constexpr double kDefaultTempo = 120.0;
    static constexpr VstInt32 kDefaultTimeSigNumerator = 4;
    static constexpr VstInt32 kDefaultTimeSigDenominator = 4;

    double samplePos = 0.0; // no valid flag: taken when finite and >= 0
    double ppqPos = 0.0;
    double tempo = kDefaultTempo;
    double barStartPos = 0.0;
    VstInt32 timeSigNumerator = kDefaultTimeSigNumerator;
    VstInt32 timeSigDenominator = kDefaultTimeSigDenominator;
    bool hostAnswered = false;
    bool ppqPosValid = false;
    bool tempoValid = false;
    bool barStartValid = false;
    bool timeSigValid = false;
    bool playing = false;

    // Bar length in quarter notes (numerator x 4 / denominator).
    double quarterNotesPerBar() const;
};

// The usable part of info (null gives the defaults). Any thread, allocates nothing.
HostTransport readHostTransport(const VstTimeInfo* info);

} // namespace vst
