// The oscillators and the filter stage at the ends of every control's range,
// with the modulation rows at their extremes and at low, usual and high host
// rates: the output stays finite and bounded.

#include "VoiceKernelRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace voicerig;
using synthdsp::FilterSettings;
using synthdsp::OscillatorSettings;

constexpr int32_t kHostSamples = 4096;
constexpr float kBound = 1000.0f;

struct Patch {
    OscillatorSettings osc;
    FilterSettings filter;
};

// A busy patch: everything audible, so that each extreme acts on something.
Patch busyPatch()
{
    Patch p;
    p.osc.shape1 = 3.5f;
    p.osc.shape2 = 1.5f;
    p.osc.oscVolume1 = 0.0f;
    p.osc.oscVolume2 = 0.0f;
    p.osc.subVolume = 0.0f;
    p.osc.softSync = 30.0f;
    p.osc.pulseWidthDepth = 25.0f;
    p.osc.xModDepth = 30.0f;
    p.osc.voiceRow = 1.0f;
    p.filter.ringModVolume = 0.0f;
    p.filter.feedbackVolume = -20.0f;
    p.filter.resonance = 50.0f;
    p.filter.cutoff = 90.0f;
    p.filter.keyFollow = 50.0f;
    p.filter.voiceRow = 1.0f;
    return p;
}

struct Control {
    const char* name;
    std::function<void(Patch&, bool top)> set;
};

template <typename T> auto range(T Patch::*part, float T::*field, float low, float high)
{
    return [=](Patch& p, bool top) { (p.*part).*field = top ? high : low; };
}
template <typename T> auto choice(T Patch::*part, int32_t T::*field, int32_t low, int32_t high)
{
    return [=](Patch& p, bool top) { (p.*part).*field = top ? high : low; };
}

std::vector<Control> controls()
{
    using O = OscillatorSettings;
    using F = FilterSettings;
    const auto osc = &Patch::osc;
    const auto filter = &Patch::filter;
    return {
        {"Shape1", range(osc, &O::shape1, 1, 4)},
        {"Shape2", range(osc, &O::shape2, 1, 2)},
        {"Tune2", range(osc, &O::tune2, 0, 24)},
        {"FineTune2", range(osc, &O::fineTune2, -50, 50)},
        {"TuneModDepth1", range(osc, &O::tuneModDepth1, -24, 24)},
        {"TuneModDepth2", range(osc, &O::tuneModDepth2, -24, 24)},
        {"PWDepth", range(osc, &O::pulseWidthDepth, 0, 50)},
        {"PWSrc", [](Patch& p, bool top) { p.osc.pulseWidthSourceSet = top; }},
        {"Detune", [](Patch& p, bool top) { p.osc.detune = p.filter.detune = top ? 50 : -50; }},
        {"SoftSync", range(osc, &O::softSync, 0, 100)},
        {"Vibrato", range(osc, &O::vibrato, 0, 100)},
        {"KeyScale", range(osc, &O::keyScale, -200, 200)},
        {"OscVolume1", range(osc, &O::oscVolume1, -100, 25)},
        {"OscVolume2", range(osc, &O::oscVolume2, -100, 25)},
        {"SubVolume", range(osc, &O::subVolume, -100, 25)},
        {"AudioRateDest",
         [](Patch& p, bool top) { p.osc.audioRateDest = p.filter.audioRateDest = top ? 2 : 0; }},
        {"XModDepth",
         [](Patch& p, bool top) { p.osc.xModDepth = p.filter.xModDepth = top ? 100 : 0; }},
        {"VCFMode", choice(filter, &F::mode, 0, 1)},
        {"VCFPoles", choice(filter, &F::poles, 0, 2)},
        {"RingModIn1", choice(filter, &F::ringModIn1, 0, 5)},
        {"RingModIn2", choice(filter, &F::ringModIn2, 0, 2)},
        {"RingModulator", range(filter, &F::ringModVolume, -100, 25)},
        {"Feedback", range(filter, &F::feedbackVolume, -100, 25)},
        {"Cutoff", range(filter, &F::cutoff, 30, 150)},
        {"FreqModDepth1", range(filter, &F::fmDepth1, -120, 120)},
        {"FreqModDepth2", range(filter, &F::fmDepth2, -120, 120)},
        {"KeyFollow", range(filter, &F::keyFollow, 0, 100)},
        {"Resonance", range(filter, &F::resonance, 0, 100)},
        {"MixSpread", range(filter, &F::mixSpread, 0, 100)},
        {"Headroom1", range(filter, &F::headroom1, 1, 100)},
        {"Clipping1", range(filter, &F::clipping1, -1, 16)},
    };
}

struct Case {
    std::string name;
    Patch patch;
};

std::vector<Case> cases()
{
    std::vector<Case> all;
    const std::vector<Control> list = controls();
    for (const Control& c : list) {
        for (bool top : {false, true}) {
            Patch p = busyPatch();
            c.set(p, top);
            all.push_back({std::string(c.name) + (top ? " at its maximum" : " at its minimum"), p});
        }
    }
    for (bool top : {false, true}) {
        Patch p = busyPatch();
        for (const Control& c : list)
            c.set(p, top);
        all.push_back({top ? "everything at its maximum" : "everything at its minimum", p});
    }
    for (int32_t dest : {0, 1, 2}) {
        Patch p = busyPatch();
        p.osc.audioRateDest = p.filter.audioRateDest = dest;
        p.osc.xModDepth = p.filter.xModDepth = 100.0f;
        p.osc.tuneModDepth1 = p.osc.tuneModDepth2 = 24.0f;
        p.osc.vibrato = 100.0f;
        p.filter.fmDepth1 = p.filter.fmDepth2 = 120.0f;
        p.filter.resonance = 100.0f;
        p.filter.feedbackVolume = 25.0f;
        all.push_back({"FM and rate modulation at full, destination " + std::to_string(dest), p});
    }
    return all;
}

RowValues extremeRows(float sign)
{
    RowValues r;
    r.key1 = r.key2 = r.filterKey = 2.0f * sign;
    r.tuneMod1 = r.tuneMod2 = r.vibrato = sign;
    r.pulseWidth = sign;
    r.osc2Fm = r.osc2Pwm = 1.0f;
    r.filterFm1 = r.filterFm2 = sign;
    r.filterCrossMod = 1.0f;
    return r;
}

TEST(VoiceKernelExtremes, OutputStaysFiniteAndBounded)
{
    for (const Case& c : cases()) {
        for (double rate : {11025.0, 44100.0, 192000.0}) {
            for (float sign : {-1.0f, 1.0f}) {
                SCOPED_TRACE(testing::Message()
                             << c.name << ", " << rate << " Hz, rows at " << sign);
                VoiceRig rig(c.patch.osc, extremeRows(sign), rate);
                rig.useFilter(c.patch.filter);
                rig.render(kHostSamples);
                for (size_t n = 0; n < rig.host.size(); ++n)
                    ASSERT_TRUE(std::isfinite(rig.host[n]) && std::fabs(rig.host[n]) < kBound)
                        << "sample " << n << ": " << rig.host[n];
                for (size_t n = 0; n < rig.mix.size(); ++n)
                    ASSERT_TRUE(std::isfinite(rig.mix[n]) && std::fabs(rig.mix[n]) < kBound)
                        << "frame " << n << ": " << rig.mix[n];
            }
        }
    }
}

} // namespace
