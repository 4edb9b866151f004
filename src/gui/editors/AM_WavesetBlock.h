#pragma once
// The waveset point block: 16 single-cycle waves, each a list of points
// joined by cubic segments. The editor keeps its own copy, edits it and sends
// the whole block back. The byte layout (8196 bytes, little-endian) is what
// the engine stores with the patch:
//
//   offset    0  float x[16][32]          position in the cycle, 0..1
//   offset 2048  float y[16][32]          level, -1..+1, counted downwards
//   offset 4096  float inWeight[16][32]   tangent weight where a segment ends
//   offset 6144  float outWeight[16][32]  tangent weight where one starts
//   offset 8192  u32   pointCount         points in use in every wave, 4..32
//
// Blocks arrive from saved state, so assign() checks every field it takes
// over: pointCount is held to 4..32, positions and levels to their ranges
// (a value that is not finite becomes 0), point 0 sits at x = 0 and the
// points of every wave are put in ascending order of x. Every operation
// takes wave and point indices from callers and refuses those out of range.
//
// GUI thread only.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

class AM_WavesetBlock {
public:
    static constexpr int kWaves = 16;
    static constexpr int kMaxPoints = 32;
    static constexpr int kMinPoints = 4;
    static constexpr size_t kArrayBytes = sizeof(float) * kWaves * kMaxPoints;
    static constexpr size_t kBytes = 4 * kArrayBytes + sizeof(uint32_t);

    // Tangent weights the editor's menu sets.
    static constexpr float kWeightSmooth = 1.0f / 3.0f;
    static constexpr float kWeightLinear = 0.0f;
    static constexpr float kWeightPeak = -1.0f;

    // A new point is placed strictly inside the cycle.
    static constexpr float kInsertMinX = 0.001f;
    static constexpr float kInsertMaxX = 0.999f;

    // Selection flags of the wave on screen, one per point index; operations
    // that reorder points of that wave carry the flags along.
    using Selection = std::array<int, kMaxPoints>;

    // The default content: 4 points at x = 0, 0.1, 0.5, 0.9 with the levels
    // 0, 0.5, 0, -0.5 and weights 0 in every wave.
    AM_WavesetBlock();
    void setDefault();

    // Takes over size bytes (at most kBytes; the rest keeps its content) and
    // checks the result as described above. A null source changes nothing
    // and answers false. Mended fields are reported on the debug trace.
    bool assign(const void* bytes, size_t size);
    // Writes the kBytes of the block.
    void copyTo(void* bytes) const;
    // The block's bytes, for sending it whole.
    const void* data() const { return &fields_; }

    int pointCount() const { return int(fields_.pointCount); }
    static bool validWave(int wave) { return wave >= 0 && wave < kWaves; }
    bool validPoint(int point) const { return point >= 0 && point < pointCount(); }

    // Fields of one point; an index out of range reads 0 and writes nothing.
    float x(int wave, int point) const;
    float y(int wave, int point) const;
    float inWeight(int wave, int point) const;
    float outWeight(int wave, int point) const;
    // Each value is limited to its range (x 0..1, the rest -1..+1; not
    // finite gives 0); point 0 keeps x = 0. The order is not restored here:
    // see movePoints and sortWave.
    void setX(int wave, int point, float value);
    void setY(int wave, int point, float value);
    void setInWeight(int wave, int point, float value);
    void setOutWeight(int wave, int point, float value);

    // Exchanges two points of a wave with all four fields (and their
    // selection flags when given). Out-of-range indices do nothing.
    void swapPoints(int wave, int a, int b, Selection* selection = nullptr);
    // Puts the points of a wave in ascending order of x by swapping
    // neighbours; equal positions keep their order.
    void sortWave(int wave, Selection* selection = nullptr);

    // Inserts a point at (x, y) into every wave at once: x is limited to
    // [kInsertMinX, kInsertMaxX]; in every wave the new point (weights 0)
    // goes after the points whose x is not greater; in every wave but
    // currentWave its level becomes that wave's level at x, so the other
    // waves keep their shape (a curve that overshoots the level range gives
    // a point at its edge). Answers the new point's index in currentWave,
    // or -1 when the waves are full (kMaxPoints) or currentWave is invalid.
    int insertPoint(float x, float y, int currentWave, int mode);
    // Removes point `point` from every wave (the point moves to the end by
    // swaps and the count drops). Point 0 anchors the cycle and is never
    // removed; removal stops at kMinPoints. Answers false when refused.
    bool removePoint(int point, int currentWave, Selection* selection = nullptr);

    // Sets inWeight and outWeight of the selected points of a wave (all 32
    // entries when nothing is selected) to weight, limited to [-1, 1].
    void setWeights(int wave, float weight, const Selection* selection);
    // Bends the selected points: inWeight (bit 0 of kind) and/or outWeight
    // (bit 1) are lowered by delta and limited to [-1, 1].
    void bendPoints(int wave, int kind, float delta, const Selection& selection);
    // Moves the selected points by (dx, dy) in block units: x limited to
    // [0, 1] (point 0 stays at 0), y to [-1, 1]; a point that passes a
    // neighbour changes places with it, carrying its selection flag.
    void movePoints(int wave, float dx, float dy, Selection& selection);
    // x of points 1..pointCount-1 becomes i / pointCount.
    void distribute(int wave);
    // With three or more points selected, every selected point after the
    // first takes the level on the straight line from the first selected to
    // the last selected point (flat at point 0's level when the first is
    // point 0). Answers false, with a line on the standard output, when the
    // first or last selected point is missing.
    bool lineUp(int wave, const Selection& selection);
    // Every point 1..pointCount-1 takes the level of point 0.
    void flatten(int wave);

    // Takes wave `from` out and puts it at `to`; the waves between shift by
    // one place towards `from`.
    void moveWave(int from, int to);
    // Copies the four arrays of wave `from` over wave `to`.
    void copyWave(int from, int to);
    // Every wave k strictly between a and b becomes the linear blend of the
    // two, field by field; nothing when they are fewer than 2 apart.
    void interpolateWaves(int a, int b);

private:
    struct Fields {
        float x[kWaves][kMaxPoints];
        float y[kWaves][kMaxPoints];
        float inWeight[kWaves][kMaxPoints];
        float outWeight[kWaves][kMaxPoints];
        uint32_t pointCount;
    };
    static_assert(sizeof(Fields) == kBytes, "the block's byte layout");
    static_assert(std::endian::native == std::endian::little, "blocks are little-endian");

    void mendFields();
    bool validIndex(int wave, int point) const
    {
        return validWave(wave) && point >= 0 && point < kMaxPoints;
    }

    Fields fields_;
};
