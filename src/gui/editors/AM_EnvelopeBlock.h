#pragma once
// The multi-stage envelope block: up to 33 points joined by curved
// segments, with a loop between two of its points. The engine plays it; the
// editor keeps a copy of each envelope, edits it and sends it back whole.
// Byte layout (560 bytes, little-endian):
//
//   offset  0  4 bytes  the engine's; passed through unchanged
//   offset  4  i32      numSegments: index of the last point (1..32)
//   offset  8  i32      loopStart: the point where the loop begins
//   offset 12  i32      loopEnd: the point where it ends; loopStart <= loopEnd
//   offset 16  u32      editSettings: bits 0-2 drag mode, 8-14 unit snap,
//                       16-22 value snap
//   offset 20  12 bytes the engine's; passed through unchanged
//   offset 32  33 point records {time 0..128, level 0..1, swing, bow}
//
// Blocks arrive from saved state, so assign() checks what it takes over:
// numSegments is held to 1..32, the loop indices to the points in use with
// loopStart <= loopEnd, and the points in use to their ranges (not finite
// becomes 0) in ascending order of time from 0. Every operation refuses
// point indices outside the points in use.
//
// GUI thread only.

#include "gui/editors/AM_SegmentCurve.h"

#include <bit>
#include <cstddef>
#include <cstdint>

class AM_EnvelopeBlock {
public:
    static constexpr int kRecords = 33;
    static constexpr int kMaxSegments = kRecords - 1;
    static constexpr float kMaxTime = 128.0f;
    static constexpr size_t kBytes = 560;

    // Drag modes kept in the edit settings.
    static constexpr int kMaxDragMode = 2;
    static constexpr int kShiftFollowingMode = 1;

    struct Point {
        float time;
        float level;
        float swing;
        float bow;
    };

    // The default content: 16 segments, loop 4..12, edit settings 0; record
    // i (0..31) at time i, level 0, swing 0, bow -0.3.
    AM_EnvelopeBlock();
    void setDefault();

    // Takes over size bytes (at most kBytes; the rest keeps its content) and
    // checks them as described above. A null source changes nothing and
    // answers false. Mended fields are reported on the debug trace.
    bool assign(const void* bytes, size_t size);
    void copyTo(void* bytes) const;
    const void* data() const { return &fields_; }

    int numSegments() const { return fields_.numSegments; }
    int loopStart() const { return fields_.loopStart; }
    int loopEnd() const { return fields_.loopEnd; }
    bool validPoint(int i) const { return i >= 0 && i <= numSegments(); }
    // A point in use; another index reads all zeros.
    Point point(int i) const;

    // Edit settings: a drag mode above 2 reads as 2; snaps of 0 are off.
    int dragMode() const;
    int unitSnap() const;
    int valueSnap() const;
    // editSettings = (valueSnap << 16) | (unitSnap << 8) | dragMode, each
    // limited to its bits.
    void setEditSettings(int dragMode, int unitSnap, int valueSnap);

    // The curve of the segment from point i to point i + 1 in units and
    // levels (i in 0..numSegments-1; another index gives a flat curve at 0).
    AM_SegmentCurve segmentCurve(int i) const;

    // Inserts a point at (time, level), limited to [0, 128] and [0, 1]. It
    // goes before the first point from 1 on whose time is greater, starts
    // as a copy of the point before it (inheriting its bend) and shifts the
    // loop indices it is not above. Answers its index, or -1 when refused
    // (32 segments already, or a value that is not finite).
    int insertPoint(float time, float level);
    // Removes point i (1..numSegments); the loop start drops when above i,
    // the loop end when at or above i, and the start never passes the end.
    // Refused (false) with fewer than 2 segments or for point 0.
    bool removePoint(int i);

    // Moves point i to (time, level) as a drag does: the level is limited to
    // [0, 1]; point 0 stays at time 0; another point is held at or after its
    // left neighbour, the last at or below 128 and one before the last at or
    // before its right neighbour except in drag mode 1; with `snap` the
    // snap settings apply (and the neighbour limits after them); in drag
    // mode 1 every later point shifts by the change in time (held at or
    // below 128). Answers whether anything changed.
    bool movePoint(int i, float time, float level, int dragMode, bool snap);
    // Sets the level of point i, limited to [0, 1]. Answers whether it changed.
    bool setLevel(int i, float level);
    // Sets swing and bow of point i (each limited to [-1, 1]).
    void setBend(int i, float swing, float bow);

    // Snaps with u units / v steps per level (0 = off): int(u * time + 0.5)
    // / u limited to [0, 128], int(v * level + 0.5) / v limited to [0, 1].
    static float snapTime(float time, int unitSnap);
    static float snapLevel(float level, int valueSnap);
    // The snap settings applied to every point in use.
    void quantize();
    // Every time multiplied by 0.5, or by 2 (limited to 128).
    void halfSize();
    void doubleSize();
    // Every level becomes 1 - level.
    void upsideDown();
    // Point i at time i.
    void unitSpacing();
    // Point i at i * (time of the last point) / numSegments; refused (false)
    // with fewer than 2 segments.
    bool evenSpacing();

    // The loop start becomes point i when 0 <= i <= loopEnd; the loop end
    // becomes point i when loopStart <= i <= numSegments. Answer whether
    // they took it.
    bool setLoopStart(int i);
    bool setLoopEnd(int i);

private:
    struct Fields {
        uint8_t engineHead[4];
        int32_t numSegments;
        int32_t loopStart;
        int32_t loopEnd;
        uint32_t editSettings;
        uint8_t engineReserved[12];
        Point points[kRecords];
    };
    static_assert(sizeof(Fields) == kBytes, "the block's byte layout");
    static_assert(std::endian::native == std::endian::little, "blocks are little-endian");

    void mendFields();
    // Holds the time of point i between its neighbours as a drag does.
    float holdTime(int i, float time, int dragMode) const;

    Fields fields_;
};
