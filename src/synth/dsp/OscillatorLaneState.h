#pragma once
// The state of an oscillator lane group during one call, one column per lane,
// and the steps that the lane kernel (OscillatorLanesKernel.h) leaves to the
// one-voice code: the setup and the end of a call, the values of a control
// step, the jumps of a voice, the sine and triangle reads, the audio-rate
// modulation and the output. These are compiled once, with the baseline code
// generation, and called from every kernel width. Audio thread.

#include "synth/dsp/OscillatorLanes.h"

#include <cstdint>

namespace synthdsp {

constexpr int32_t kLaneColumns = kMaxOscillatorLanes;
constexpr int32_t kWindowFrames = 4;

struct alignas(32) OscillatorLaneState {
    // Running values (as in renderOscillators' loop).
    float phase1[kLaneColumns], previous1[kLaneColumns], raw1[kLaneColumns];
    float a1[kLaneColumns], b1[kLaneColumns], inc1[kLaneColumns], threshold1[kLaneColumns];
    float remainder[kLaneColumns];
    float phase2[kLaneColumns], raw2[kLaneColumns], a2[kLaneColumns], b2[kLaneColumns];
    float inc2[kLaneColumns], threshold2[kLaneColumns];
    uint32_t high2[kLaneColumns];       // all bits set while the pulse is high
    uint32_t syncPending[kLaneColumns]; // all bits set while a sync is pending
    float subValue[kLaneColumns];
    uint32_t subSteps[kLaneColumns];
    float dcInput[kLaneColumns], dcOutput[kLaneColumns];
    float o1[kLaneColumns]; // the first oscillator's value of the frame

    // Block constants.
    float osc1SawWeight[kLaneColumns], osc1PulseWeight[kLaneColumns];
    float osc2SawWeight[kLaneColumns], osc2PulseWeight[kLaneColumns];
    float osc1Gain[kLaneColumns], osc2Gain[kLaneColumns], subGain[kLaneColumns];
    float syncWindow[kLaneColumns], dcCoefficient[kLaneColumns];
    float sineWeight[kLaneColumns], triangleWeight[kLaneColumns];
    uint32_t active[kLaneColumns]; // all bits set for a lane with a voice

    // The control step's values.
    float width2[kLaneColumns], fm2[kLaneColumns], pwm2[kLaneColumns];
    float pitch2Base[kLaneColumns], width1[kLaneColumns];
    float pitch1[kLaneColumns];
    float stepInc2[kLaneColumns]; // the second increment of the step's pitch
    uint32_t anyModulated;        // a lane has audio-rate FM or PWM in this step
    uint32_t anySmooth;           // a lane reads sine or triangle

    // Each lane's frames of the present step (at most 16): o1, sub, o2 and
    // the DC-free mix, frame k of lane l at [k x kLaneColumns + l].
    float outOsc1[kFramesPerControlStep * kLaneColumns];
    float outSub[kFramesPerControlStep * kLaneColumns];
    float outOsc2[kFramesPerControlStep * kLaneColumns];
    float outMix[kFramesPerControlStep * kLaneColumns];

    // The rings' values of the present window of up to four frames (osc1,
    // sub, osc2), frame k of the window and lane l at [k x kLaneColumns + l].
    float window[3][kWindowFrames * kLaneColumns];
    int32_t windowStart;  // its first frame, from the call's start
    int32_t windowLength; // 0 to kWindowFrames
    // Each voice's first ring slot of the window, and how many more full
    // windows follow before a voice's window wraps around its ring (until
    // then a move is one store and one load per voice and ring).
    float* windowSlot[3][kLaneColumns];
    int32_t straightWindows;

    // The call.
    const OscillatorLane* lanes;
    int32_t count;
    const OscillatorTables* tables;
    const float* triangle[kLaneColumns]; // each voice's triangle level
    uint32_t ringStart[kLaneColumns];    // each voice's ring position at the start
    float* ring[3][kLaneColumns];        // each voice's rings: osc1, sub, osc2
    int32_t frame;                       // the frame being rendered, from 0
};

// Copies the voices' states in (count 1 to kLaneColumns).
void beginOscillatorLanes(OscillatorLaneState& s, const OscillatorLane* lanes, int32_t count,
                          const OscillatorTables& tables);
// Clears the ring slots of the present window (the frames have read them)
// and reads the next window's: `length` frames from frame `start`.
void moveOscillatorLaneWindow(OscillatorLaneState& s, int32_t start, int32_t length);
// The control step's values of every voice (inc1, inc2, threshold2 and the
// step fields).
void beginOscillatorLaneStep(OscillatorLaneState& s, int32_t step);
// The first oscillator's jumps (wrap, sub step, pulse edge) of the lanes in
// `mask` at s.frame, after the phase and raw part moved on; the window's
// values of those lanes are read again from s.frame on.
void oscillatorLaneJumps1(OscillatorLaneState& s, uint32_t mask);
// The second oscillator's jumps (wrap, pulse edges, sync) of the lanes in
// `mask`.
void oscillatorLaneJumps2(OscillatorLaneState& s, uint32_t mask);
// Adds sine and triangle to s.o1 of the lanes that read them.
void oscillatorLaneSmooth(OscillatorLaneState& s);
// The second oscillator's increment and threshold from s.o1 in the lanes
// with audio-rate modulation.
void oscillatorLaneModulation(OscillatorLaneState& s);
// Writes the step's frames first .. last - 1 to the voices' buffers.
void storeOscillatorLaneOutput(OscillatorLaneState& s, int32_t first, int32_t last);
// Copies the states back after `frames` frames.
void endOscillatorLanes(OscillatorLaneState& s, int32_t frames);

} // namespace synthdsp
