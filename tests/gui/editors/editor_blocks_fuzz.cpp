// Any bytes as a waveset point block, a wave-value block and a multi-stage
// envelope block, then any sequence of edits with any numbers, rendering and
// curves after each: nothing may read or write out of bounds, the blocks
// keep their invariants and nothing drawn may be NaN or infinite.
#include "gui/editors/AM_EQCurves.h"
#include "gui/editors/AM_EnvelopeGraph.h"
#include "gui/editors/AM_WaveGraph.h"
#include "gui/editors/AM_EnvelopeBlock.h"
#include "gui/editors/AM_WaveRender.h"
#include "gui/editors/AM_WaveSegment.h"
#include "platform/Trace.h"

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return position_ >= size_; }
    uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
    int index() { return int(int8_t(byte())); }
    // Every bit pattern now and then, else a number near the blocks' ranges.
    float number()
    {
        const uint8_t kind = byte();
        if (kind < 32) {
            uint32_t bits = 0;
            for (int i = 0; i < 4; ++i)
                bits = bits << 8 | byte();
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        return (float(int16_t(byte() << 8 | byte())) / 8192.0f) * float(kind % 8 + 1);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// Stops the run at a broken invariant, naming its line.
void checkAt(bool condition, int line)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken at line %d\n", line);
        __builtin_trap();
    }
}
#define check(condition) checkAt((condition), __LINE__)

void checkWaveset(const AM_WavesetBlock& points, const AM_WaveValueBlock& values, int mode)
{
    const int n = points.pointCount();
    check(n >= AM_WavesetBlock::kMinPoints && n <= AM_WavesetBlock::kMaxPoints);
    for (int w = 0; w < AM_WavesetBlock::kWaves; ++w) {
        check(points.x(w, 0) == 0.0f);
        for (int p = 0; p < n; ++p) {
            check(points.x(w, p) >= 0.0f && points.x(w, p) <= 1.0f);
            check(points.y(w, p) >= -1.0f && points.y(w, p) <= 1.0f);
            check(std::fabs(points.inWeight(w, p)) <= 1.0f);
            check(std::fabs(points.outWeight(w, p)) <= 1.0f);
            if (p > 0)
                check(points.x(w, p - 1) <= points.x(w, p));
        }
    }
    float* table = sharedWaveTable();
    for (int w = 0; w < AM_WavesetBlock::kWaves; w += 5) {
        renderWave(points, values, w, mode, table);
        for (int k = 0; k < kWaveTableSize; ++k)
            check(std::isfinite(table[k]));
        getWavePeaks(points, values, w, mode, 20, table);
        for (int k = 0; k < 20; ++k)
            check(std::isfinite(table[k]));
    }
}

void checkEnvelope(const AM_EnvelopeBlock& env)
{
    const int n = env.numSegments();
    check(n >= 1 && n <= AM_EnvelopeBlock::kMaxSegments);
    check(env.loopStart() >= 0 && env.loopStart() <= env.loopEnd() && env.loopEnd() <= n);
    check(env.point(0).time == 0.0f);
    for (int i = 0; i <= n; ++i) {
        const AM_EnvelopeBlock::Point p = env.point(i);
        check(p.time >= 0.0f && p.time <= AM_EnvelopeBlock::kMaxTime);
        check(p.level >= 0.0f && p.level <= 1.0f);
        check(std::fabs(p.swing) <= 1.0f && std::fabs(p.bow) <= 1.0f);
        if (i > 0)
            check(env.point(i - 1).time <= p.time);
        if (i < n) {
            const AM_SegmentCurve curve = env.segmentCurve(i);
            for (float t : {0.0f, 0.35f, 1.0f}) {
                const AM_CurvePoint c = curve.at(t);
                check(std::isfinite(c.x) && std::isfinite(c.y));
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The blocks report what they mend; keep the run quiet.
    platform::setTraceSink([](void*, const char*) {}, nullptr);
    platform::setStandardOutputSink([](void*, const char*) {}, nullptr);

    AM_WavesetBlock points;
    AM_WaveValueBlock values;
    AM_EnvelopeBlock env;
    const size_t third = size / 3;
    points.assign(data, size);
    values.assign(data + third, size - third);
    env.assign(data + 2 * third, size - 2 * third);

    Reader in(data, size);
    int mode = in.byte() % 4;
    AM_WavesetBlock::Selection selection = {};
    for (int step = 0; step < 48 && !in.done(); ++step) {
        const int wave = in.index();
        switch (in.byte() % 25) {
        case 0: points.insertPoint(in.number(), in.number(), wave, mode); break;
        case 1: points.removePoint(in.index(), wave, &selection); break;
        case 2: selection[size_t(in.byte()) % selection.size()] ^= 1; break;
        case 3: points.movePoints(wave, in.number(), in.number(), selection); break;
        case 4: points.bendPoints(wave, in.byte(), in.number(), selection); break;
        case 5: points.setWeights(wave, in.number(), &selection); break;
        case 6: points.lineUp(wave, selection); break;
        case 7: points.distribute(wave); points.flatten(in.index()); break;
        case 8: points.moveWave(wave, in.index()); values.moveWave(wave, in.index()); break;
        case 9: points.interpolateWaves(wave, in.index()); values.interpolateWaves(wave, in.index()); break;
        case 10: points.setY(wave, in.index(), in.number()); points.setX(wave, in.index(), in.number()); points.sortWave(wave, &selection); break;
        case 11: values.setValue(wave, AM_WaveValueBlock::sampleAt(in.number(), in.number(), in.number(), 127.0f), AM_WaveValueBlock::valueAt(in.number(), in.number(), in.number())); break;
        case 12: values.fillLine(wave, in.index(), in.index()); break;
        case 13: values.blur(wave); values.sharpen(in.index()); values.maximize(in.index()); break;
        case 14: env.insertPoint(in.number(), in.number()); break;
        case 15: env.removePoint(in.index()); break;
        case 16: env.movePoint(in.index(), in.number(), in.number(), in.byte() % 3, in.byte() & 1); break;
        case 17: env.setEditSettings(in.index(), in.index(), in.index()); env.quantize(); break;
        case 18: env.halfSize(); env.doubleSize(); env.upsideDown(); break;
        case 19: env.unitSpacing(); env.evenSpacing(); env.setLevel(in.index(), in.number()); break;
        case 20: env.setLoopStart(in.index()); env.setLoopEnd(in.index()); env.setBend(in.index(), in.number(), in.number()); break;
        case 21: {
            const AM_SegmentCurve c = buildSegmentCurve(in.number(), in.number(), in.number(), in.number(), in.number(), in.number());
            const AM_CurvePoint p = c.at(0.5f);
            check(std::isfinite(p.x) && std::isfinite(p.y));
            break;
        }
        case 22: {
            AM_EQPoint eq[kEQPoints];
            const AM_Rect bounds{in.number(), in.number(), in.number(), in.number()};
            layoutEQPoints(eq, kEQPoints, bounds, 0.0f);
            for (AM_EQPoint& p : eq)
                p.y = 0.0f;
            for (int shape = kEQPeak; shape <= kEQBandPass; ++shape)
                addEQShape(AM_EQShape(shape), eq, kEQPoints, in.number(), in.number(), in.number());
            for (const AM_EQPoint& p : eq)
                check(std::isfinite(p.y));
            break;
        }
        case 23: {
            const AM_Rect bounds{in.number(), in.number(), in.number(), in.number()};
            const AM_EnvelopeGraph graph = AM_EnvelopeGraph::layout(bounds, in.number(), in.number());
            float grab[2];
            graph.findPointAt(env, in.number(), in.number(), grab);
            graph.findSegmentAt(env, in.number(), in.number());
            const AM_WaveGraph waves = AM_WaveGraph::fromBounds(bounds);
            waves.findPointAt(points, wave, in.number(), in.number());
            break;
        }
        default: mode = in.byte() % 4; break;
        }
        checkWaveset(points, values, mode);
        checkEnvelope(env);
    }
    checkWaveset(points, values, mode);
    checkEnvelope(env);
    platform::setTraceSink(nullptr, nullptr);
    platform::setStandardOutputSink(nullptr, nullptr);
    return 0;
}
