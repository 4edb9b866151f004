#include "gui/editors/AM_EnvelopeBlock.h"

#include "foundation/AM_STD.h"
#include "gui/editors/AM_BlockValues.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kDefaultSegments = 16;
constexpr int kDefaultLoopStart = 4;
constexpr int kDefaultLoopEnd = 12;
constexpr float kDefaultBow = -0.3f;

constexpr uint32_t kDragModeMask = 0x7;
constexpr uint32_t kSnapMask = 0x7F;
constexpr int kUnitSnapShift = 8;
constexpr int kValueSnapShift = 16;

} // namespace

AM_EnvelopeBlock::AM_EnvelopeBlock() { setDefault(); }

void AM_EnvelopeBlock::setDefault()
{
    std::memset(&fields_, 0, sizeof fields_);
    fields_.numSegments = kDefaultSegments;
    fields_.loopStart = kDefaultLoopStart;
    fields_.loopEnd = kDefaultLoopEnd;
    for (int i = 0; i < kMaxSegments; ++i)
        fields_.points[i] = Point{float(i), 0.0f, 0.0f, kDefaultBow};
}

bool AM_EnvelopeBlock::assign(const void* bytes, size_t size)
{
    if (!bytes)
        return false;
    if (bytes != &fields_)
        std::memmove(&fields_, bytes, std::min(size, kBytes));
    mendFields();
    return true;
}

void AM_EnvelopeBlock::copyTo(void* bytes) const
{
    if (bytes)
        std::memmove(bytes, &fields_, kBytes);
}

void AM_EnvelopeBlock::mendFields()
{
    const int segments = clampInt(fields_.numSegments, 1, kMaxSegments);
    if (segments != fields_.numSegments) {
        AM_STD::printv("Envelope block: %d segments out of range, using %d\n",
                       fields_.numSegments, segments);
        fields_.numSegments = segments;
    }
    const int end = clampInt(fields_.loopEnd, 0, segments);
    const int start = clampInt(fields_.loopStart, 0, end);
    if (start != fields_.loopStart || end != fields_.loopEnd) {
        AM_STD::printv("Envelope block: loop %d to %d out of range, using %d to %d\n",
                       fields_.loopStart, fields_.loopEnd, start, end);
        fields_.loopStart = start;
        fields_.loopEnd = end;
    }
    int mended = 0;
    float previous = 0.0f;
    for (int i = 0; i <= segments; ++i) {
        Point& p = fields_.points[i];
        const float lowest = i == 0 ? 0.0f : previous;
        const float highest = i == 0 ? 0.0f : kMaxTime;
        p.time = mendFloat(p.time, lowest, highest, lowest, &mended);
        p.level = mendFloat(p.level, 0.0f, 1.0f, 0.0f, &mended);
        p.swing = mendFloat(p.swing, -1.0f, 1.0f, 0.0f, &mended);
        p.bow = mendFloat(p.bow, -1.0f, 1.0f, 0.0f, &mended);
        previous = p.time;
    }
    if (mended > 0)
        AM_STD::printv("Envelope block: %d point fields out of range, limited\n", mended);
}

AM_EnvelopeBlock::Point AM_EnvelopeBlock::point(int i) const
{
    return validPoint(i) ? fields_.points[i] : Point{0.0f, 0.0f, 0.0f, 0.0f};
}

int AM_EnvelopeBlock::dragMode() const
{
    return std::min(int(fields_.editSettings & kDragModeMask), kMaxDragMode);
}

int AM_EnvelopeBlock::unitSnap() const
{
    return int((fields_.editSettings >> kUnitSnapShift) & kSnapMask);
}

int AM_EnvelopeBlock::valueSnap() const
{
    return int((fields_.editSettings >> kValueSnapShift) & kSnapMask);
}

void AM_EnvelopeBlock::setEditSettings(int dragMode, int unitSnap, int valueSnap)
{
    fields_.editSettings = (uint32_t(valueSnap) & kSnapMask) << kValueSnapShift |
                           (uint32_t(unitSnap) & kSnapMask) << kUnitSnapShift |
                           (uint32_t(clampInt(dragMode, 0, kMaxDragMode)) & kDragModeMask);
}

AM_SegmentCurve AM_EnvelopeBlock::segmentCurve(int i) const
{
    if (i < 0 || i >= numSegments())
        return buildSegmentCurve(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    const Point& a = fields_.points[i];
    const Point& b = fields_.points[i + 1];
    return buildSegmentCurve(a.time, a.level, a.swing, a.bow, b.time, b.level);
}

int AM_EnvelopeBlock::insertPoint(float time, float level)
{
    const int n = numSegments();
    if (n >= kMaxSegments || !std::isfinite(time) || !std::isfinite(level))
        return -1;
    time = std::clamp(time, 0.0f, kMaxTime);
    level = std::clamp(level, 0.0f, 1.0f);
    int k = 1;
    while (k <= n && !(fields_.points[k].time > time))
        ++k;
    std::memmove(&fields_.points[k + 1], &fields_.points[k], sizeof(Point) * size_t(n + 1 - k));
    fields_.points[k] = fields_.points[k - 1];
    fields_.points[k].time = time;
    fields_.points[k].level = level;
    if (k <= fields_.loopStart)
        ++fields_.loopStart;
    if (k <= fields_.loopEnd)
        ++fields_.loopEnd;
    fields_.numSegments = n + 1;
    return k;
}

bool AM_EnvelopeBlock::removePoint(int i)
{
    const int n = numSegments();
    if (n < 2 || i < 1 || i > n)
        return false;
    const Point removed = fields_.points[i];
    std::memmove(&fields_.points[i], &fields_.points[i + 1], sizeof(Point) * size_t(n - i));
    fields_.points[n] = removed;
    if (fields_.loopStart > i)
        --fields_.loopStart;
    if (fields_.loopEnd >= i)
        --fields_.loopEnd;
    if (fields_.loopStart > fields_.loopEnd)
        fields_.loopStart = fields_.loopEnd;
    fields_.numSegments = n - 1;
    return true;
}

float AM_EnvelopeBlock::holdTime(int i, float time, int dragMode) const
{
    if (i == 0)
        return 0.0f;
    const int n = numSegments();
    time = std::max(time, fields_.points[i - 1].time);
    if (i == n)
        time = std::min(time, kMaxTime);
    else if (dragMode != kShiftFollowingMode)
        time = std::min(time, fields_.points[i + 1].time);
    return std::min(time, kMaxTime);
}

bool AM_EnvelopeBlock::movePoint(int i, float time, float level, int dragMode, bool snap)
{
    if (!validPoint(i) || !std::isfinite(time) || !std::isfinite(level))
        return false;
    Point& p = fields_.points[i];
    level = std::clamp(level, 0.0f, 1.0f);
    time = holdTime(i, time, dragMode);
    if (time == p.time && level == p.level)
        return false;
    if (snap) {
        time = holdTime(i, snapTime(time, unitSnap()), dragMode);
        level = snapLevel(level, valueSnap());
    }
    const float shift = time - p.time;
    p.time = time;
    p.level = level;
    if (dragMode == kShiftFollowingMode) {
        // Rounding of the sums must not put a point before its neighbour.
        for (int k = i + 1; k <= numSegments(); ++k)
            fields_.points[k].time =
                std::clamp(fields_.points[k].time + shift, fields_.points[k - 1].time, kMaxTime);
    }
    return true;
}

bool AM_EnvelopeBlock::setLevel(int i, float level)
{
    if (!validPoint(i) || !std::isfinite(level))
        return false;
    level = std::clamp(level, 0.0f, 1.0f);
    if (fields_.points[i].level == level)
        return false;
    fields_.points[i].level = level;
    return true;
}

void AM_EnvelopeBlock::setBend(int i, float swing, float bow)
{
    if (!validPoint(i))
        return;
    fields_.points[i].swing = mendFloat(swing, -1.0f, 1.0f, 0.0f, nullptr);
    fields_.points[i].bow = mendFloat(bow, -1.0f, 1.0f, 0.0f, nullptr);
}

float AM_EnvelopeBlock::snapTime(float time, int unitSnap)
{
    time = mendFloat(time, 0.0f, kMaxTime, 0.0f, nullptr);
    if (unitSnap <= 0)
        return time;
    const float u = float(unitSnap);
    return std::min(float(int(u * time + 0.5f)) / u, kMaxTime);
}

float AM_EnvelopeBlock::snapLevel(float level, int valueSnap)
{
    level = mendFloat(level, 0.0f, 1.0f, 0.0f, nullptr);
    if (valueSnap <= 0)
        return level;
    const float v = float(valueSnap);
    return std::min(float(int(v * level + 0.5f)) / v, 1.0f);
}

void AM_EnvelopeBlock::quantize()
{
    for (int i = 0; i <= numSegments(); ++i) {
        fields_.points[i].time = snapTime(fields_.points[i].time, unitSnap());
        fields_.points[i].level = snapLevel(fields_.points[i].level, valueSnap());
    }
}

void AM_EnvelopeBlock::halfSize()
{
    for (int i = 0; i <= numSegments(); ++i)
        fields_.points[i].time *= 0.5f;
}

void AM_EnvelopeBlock::doubleSize()
{
    for (int i = 0; i <= numSegments(); ++i)
        fields_.points[i].time = std::min(fields_.points[i].time * 2.0f, kMaxTime);
}

void AM_EnvelopeBlock::upsideDown()
{
    for (int i = 0; i <= numSegments(); ++i)
        fields_.points[i].level = 1.0f - fields_.points[i].level;
}

void AM_EnvelopeBlock::unitSpacing()
{
    for (int i = 0; i <= numSegments(); ++i)
        fields_.points[i].time = float(i);
}

bool AM_EnvelopeBlock::evenSpacing()
{
    const int n = numSegments();
    if (n < 2)
        return false;
    const float last = fields_.points[n].time;
    for (int i = 0; i <= n; ++i)
        fields_.points[i].time = float(i) * last / float(n);
    return true;
}

bool AM_EnvelopeBlock::setLoopStart(int i)
{
    if (i < 0 || i > fields_.loopEnd)
        return false;
    fields_.loopStart = i;
    return true;
}

bool AM_EnvelopeBlock::setLoopEnd(int i)
{
    if (i < fields_.loopStart || i > numSegments())
        return false;
    fields_.loopEnd = i;
    return true;
}
