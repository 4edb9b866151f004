#pragma once
// A small headless voice for the kernel tests: the oscillators and the filter
// stage driven block by block at four times the host rate, with constant
// control rows, and the voice's decimator back to the host rate.

#include "engine/dsp/HalfBandDecimator.h"
#include "synth/dsp/BiquadDesign.h"
#include "synth/dsp/FilterStage.h"
#include "synth/dsp/Oscillators.h"
#include "synth/dsp/PitchTable.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace voicerig {

constexpr double kHostRate = 44100.0;
constexpr int32_t kOversampling = synthdsp::kOversampling;
constexpr int32_t kHostBlock = 64;
constexpr int32_t kFrames = kOversampling * kHostBlock;
constexpr int32_t kSteps = kFrames / synthdsp::kFramesPerControlStep;
constexpr float kFeedbackPitch = 125.0f;
constexpr float kFeedbackQ = 0.7f;

// Pitch -> value of the key row that gives it with KeyScale 100 and every
// other pitch term 0.
inline float keyRowForPitch(double pitch)
{
    return float((pitch - 76.0) / 64.0);
}
inline double hertzOfPitch(double pitch)
{
    return 110.0 * std::exp2((pitch - 69.0) / 12.0);
}
inline double pitchOfHertz(double hertz)
{
    return 69.0 + 12.0 * std::log2(hertz / 110.0);
}

// Constant values of the control rows.
struct RowValues {
    float key1 = 0.0f, key2 = 0.0f;
    float tuneMod1 = 0.0f, tuneMod2 = 0.0f;
    float vibrato = 0.0f;
    float pulseWidth = 1.0f;
    float osc2Fm = 0.0f, osc2Pwm = 0.0f;
    float filterKey = 0.0f, filterFm1 = 0.0f, filterFm2 = 0.0f, filterCrossMod = 0.0f;
};

struct Row {
    explicit Row(float value) { std::fill(std::begin(values), std::end(values), value); }
    float values[kSteps];
};

// The voice's oscillators, optionally followed by the filter stage.
class VoiceRig {
public:
    explicit VoiceRig(const synthdsp::OscillatorSettings& oscillators, const RowValues& rows = {},
                      double hostRate = kHostRate)
        : oscBlock_(synthdsp::makeOscillatorBlock(oscillators, float(1.0 / hostRate))),
          hostRate_(hostRate), key1_(rows.key1), key2_(rows.key2), tuneMod1_(rows.tuneMod1),
          tuneMod2_(rows.tuneMod2), vibrato_(rows.vibrato), pulseWidth_(rows.pulseWidth),
          osc2Fm_(rows.osc2Fm), osc2Pwm_(rows.osc2Pwm), filterKey_(rows.filterKey),
          filterFm1_(rows.filterFm1), filterFm2_(rows.filterFm2),
          filterCrossMod_(rows.filterCrossMod)
    {
    }

    void useFilter(const synthdsp::FilterSettings& settings)
    {
        filter_ = true;
        filterBlock_ = synthdsp::makeFilterBlock(settings, float(1.0 / hostRate_));
        resetFeedbackBiquads(filterState, hostRate_);
    }

    static void resetFeedbackBiquads(synthdsp::FilterState& state, double hostRate)
    {
        const auto design =
            synthdsp::lowpassBiquadFloat(synthdsp::pitchTable(), kFeedbackPitch, kFeedbackQ,
                                         float(1.0 / (hostRate * kOversampling)));
        for (auto& record : state.feedbackLowpass)
            synthdsp::biquadRampFloat(record, design, 0.0f, true);
    }

    // Renders host blocks until `hostSamples` more host samples exist.
    void render(int32_t hostSamples)
    {
        const synthdsp::OscillatorTables tables = synthdsp::oscillatorTables();
        const synthdsp::OscillatorRows rows{key1_.values,     key2_.values,    tuneMod1_.values,
                                            tuneMod2_.values, vibrato_.values, pulseWidth_.values,
                                            osc2Fm_.values,   osc2Pwm_.values};
        const synthdsp::FilterRows filterRows{filterKey_.values, filterFm1_.values,
                                              filterFm2_.values, filterCrossMod_.values};
        for (int32_t done = 0; done < hostSamples; done += kHostBlock) {
            synthdsp::renderOscillators(oscState, oscBlock_, rows, tables, kFrames,
                                        {work_, o1_, o2_, sub_});
            if (filter_)
                synthdsp::processFilterStage(filterState, filterBlock_, filterRows, kFrames,
                                             {work_, o1_, o2_, sub_, pink_});
            for (int32_t n = 0; n < kFrames; ++n) {
                mix.push_back(work_[2 * n]);
                osc1.push_back(o1_[n]);
                osc2.push_back(o2_[n]);
                sub.push_back(sub_[n]);
            }
            float left[kHostBlock];
            float right[kHostBlock];
            enginedsp::decimateHalfBand(left, right, work_, kHostBlock, decimatorA_, decimatorB_);
            host.insert(host.end(), left, left + kHostBlock);
        }
    }

    double oversampledRate() const { return hostRate_ * kOversampling; }
    double hostRate() const { return hostRate_; }

    synthdsp::OscillatorState oscState;
    synthdsp::FilterState filterState;
    // Everything rendered so far: per frame, and the decimated mix.
    std::vector<float> mix, osc1, osc2, sub, host;

private:
    synthdsp::OscillatorBlock oscBlock_;
    synthdsp::FilterBlock filterBlock_{};
    bool filter_ = false;
    double hostRate_;
    Row key1_, key2_, tuneMod1_, tuneMod2_, vibrato_, pulseWidth_, osc2Fm_, osc2Pwm_;
    Row filterKey_, filterFm1_, filterFm2_, filterCrossMod_;
    alignas(16) float work_[2 * kFrames] = {};
    float o1_[kFrames] = {};
    float o2_[kFrames] = {};
    float sub_[kFrames] = {};
    float pink_[kHostBlock] = {};
    enginedsp::HalfBandState decimatorA_;
    enginedsp::HalfBandState decimatorB_;
};

// The filter stage alone, fed with a signal at the oversampled rate.
class FilterRig {
public:
    explicit FilterRig(const synthdsp::FilterSettings& settings, double hostRate = kHostRate)
        : block(synthdsp::makeFilterBlock(settings, float(1.0 / hostRate))), hostRate_(hostRate)
    {
        VoiceRig::resetFeedbackBiquads(state, hostRate);
    }

    // Runs the stage over `mix` (the first oscillator's value and the ring
    // modulator's inputs as given, zero where empty); returns the output.
    std::vector<float> run(const std::vector<float>& mix, const std::vector<float>& osc1 = {},
                           const std::vector<float>& osc2 = {}, const std::vector<float>& sub = {})
    {
        const Row zero(0.0f);
        const synthdsp::FilterRows rows{zero.values, zero.values, zero.values, zero.values};
        std::vector<float> out;
        out.reserve(mix.size());
        for (size_t start = 0; start + kFrames <= mix.size(); start += kFrames) {
            for (int32_t n = 0; n < kFrames; ++n) {
                const size_t i = start + size_t(n);
                o1_[n] = i < osc1.size() ? osc1[i] : 0.0f;
                o2_[n] = i < osc2.size() ? osc2[i] : 0.0f;
                sub_[n] = i < sub.size() ? sub[i] : 0.0f;
                work_[2 * n] = mix[i];
                work_[2 * n + 1] = o1_[n];
            }
            synthdsp::processFilterStage(state, block, rows, kFrames,
                                         {work_, o1_, o2_, sub_, pink_});
            for (int32_t n = 0; n < kFrames; ++n)
                out.push_back(work_[2 * n]);
        }
        return out;
    }

    double oversampledRate() const { return hostRate_ * kOversampling; }

    synthdsp::FilterBlock block;
    synthdsp::FilterState state;

private:
    double hostRate_;
    alignas(16) float work_[2 * kFrames] = {};
    float o1_[kFrames] = {};
    float o2_[kFrames] = {};
    float sub_[kFrames] = {};
    float pink_[kHostBlock] = {};
};

// A sine of `amplitude` at `hertz`, `frames` frames at `rate`.
inline std::vector<float> sine(double hertz, double amplitude, size_t frames, double rate)
{
    std::vector<float> x(frames);
    const double w = 2.0 * 3.14159265358979323846 * hertz / rate;
    for (size_t n = 0; n < frames; ++n)
        x[n] = float(amplitude * std::sin(w * double(n)));
    return x;
}

} // namespace voicerig
