#include "gui/editors/AM_WavesetBlock.h"

#include "foundation/AM_STD.h"
#include "gui/editors/AM_BlockValues.h"
#include "gui/editors/AM_WaveSegment.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Default content: positions and levels of the four points of every wave.
constexpr float kDefaultX[AM_WavesetBlock::kMinPoints] = {0.0f, 0.1f, 0.5f, 0.9f};
constexpr float kDefaultY[AM_WavesetBlock::kMinPoints] = {0.0f, 0.5f, 0.0f, -0.5f};

bool isSelected(const AM_WavesetBlock::Selection* selection, int point)
{
    return selection && (*selection)[point] != 0;
}

} // namespace

AM_WavesetBlock::AM_WavesetBlock() { setDefault(); }

void AM_WavesetBlock::setDefault()
{
    std::memset(&fields_, 0, sizeof fields_);
    for (int w = 0; w < kWaves; ++w) {
        for (int p = 0; p < kMinPoints; ++p) {
            fields_.x[w][p] = kDefaultX[p];
            fields_.y[w][p] = kDefaultY[p];
        }
    }
    fields_.pointCount = kMinPoints;
}

bool AM_WavesetBlock::assign(const void* bytes, size_t size)
{
    if (!bytes)
        return false;
    if (bytes != &fields_)
        std::memmove(&fields_, bytes, std::min(size, kBytes));
    mendFields();
    return true;
}

void AM_WavesetBlock::copyTo(void* bytes) const
{
    if (bytes)
        std::memmove(bytes, &fields_, kBytes);
}

void AM_WavesetBlock::mendFields()
{
    const uint32_t count = fields_.pointCount;
    if (count < uint32_t(kMinPoints) || count > uint32_t(kMaxPoints)) {
        const uint32_t held = count < uint32_t(kMinPoints) ? kMinPoints : kMaxPoints;
        AM_STD::printv("Waveset block: point count %u out of range, using %u\n", count, held);
        fields_.pointCount = held;
    }
    int mended = 0;
    int unordered = 0;
    const int n = pointCount();
    for (int w = 0; w < kWaves; ++w) {
        for (int p = 0; p < n; ++p) {
            fields_.x[w][p] = mendFloat(fields_.x[w][p], 0.0f, 1.0f, 0.0f, &mended);
            fields_.y[w][p] = mendFloat(fields_.y[w][p], -1.0f, 1.0f, 0.0f, &mended);
            fields_.inWeight[w][p] = mendFloat(fields_.inWeight[w][p], -1.0f, 1.0f, 0.0f, &mended);
            fields_.outWeight[w][p] =
                mendFloat(fields_.outWeight[w][p], -1.0f, 1.0f, 0.0f, &mended);
        }
        if (fields_.x[w][0] != 0.0f) {
            fields_.x[w][0] = 0.0f;
            ++mended;
        }
        if (!std::is_sorted(fields_.x[w], fields_.x[w] + n)) {
            sortWave(w);
            ++unordered;
        }
    }
    if (mended > 0)
        AM_STD::printv("Waveset block: %d point fields out of range, limited\n", mended);
    if (unordered > 0)
        AM_STD::printv("Waveset block: %d waves with points out of order, sorted\n", unordered);
}

float AM_WavesetBlock::x(int wave, int point) const
{
    return validIndex(wave, point) ? fields_.x[wave][point] : 0.0f;
}

float AM_WavesetBlock::y(int wave, int point) const
{
    return validIndex(wave, point) ? fields_.y[wave][point] : 0.0f;
}

float AM_WavesetBlock::inWeight(int wave, int point) const
{
    return validIndex(wave, point) ? fields_.inWeight[wave][point] : 0.0f;
}

float AM_WavesetBlock::outWeight(int wave, int point) const
{
    return validIndex(wave, point) ? fields_.outWeight[wave][point] : 0.0f;
}

void AM_WavesetBlock::setX(int wave, int point, float value)
{
    if (validIndex(wave, point))
        fields_.x[wave][point] = point == 0 ? 0.0f : mendFloat(value, 0.0f, 1.0f, 0.0f, nullptr);
}

void AM_WavesetBlock::setY(int wave, int point, float value)
{
    if (validIndex(wave, point))
        fields_.y[wave][point] = mendFloat(value, -1.0f, 1.0f, 0.0f, nullptr);
}

void AM_WavesetBlock::setInWeight(int wave, int point, float value)
{
    if (validIndex(wave, point))
        fields_.inWeight[wave][point] = mendFloat(value, -1.0f, 1.0f, 0.0f, nullptr);
}

void AM_WavesetBlock::setOutWeight(int wave, int point, float value)
{
    if (validIndex(wave, point))
        fields_.outWeight[wave][point] = mendFloat(value, -1.0f, 1.0f, 0.0f, nullptr);
}

void AM_WavesetBlock::swapPoints(int wave, int a, int b, Selection* selection)
{
    if (!validIndex(wave, a) || !validIndex(wave, b) || a == b)
        return;
    std::swap(fields_.x[wave][a], fields_.x[wave][b]);
    std::swap(fields_.y[wave][a], fields_.y[wave][b]);
    std::swap(fields_.inWeight[wave][a], fields_.inWeight[wave][b]);
    std::swap(fields_.outWeight[wave][a], fields_.outWeight[wave][b]);
    if (selection)
        std::swap((*selection)[a], (*selection)[b]);
}

void AM_WavesetBlock::sortWave(int wave, Selection* selection)
{
    if (!validWave(wave))
        return;
    const int n = pointCount();
    for (int p = 1; p < n; ++p) {
        for (int q = p; q > 0 && fields_.x[wave][q - 1] > fields_.x[wave][q]; --q)
            swapPoints(wave, q - 1, q, selection);
    }
}

int AM_WavesetBlock::insertPoint(float x, float y, int currentWave, int mode)
{
    const int n = pointCount();
    if (n >= kMaxPoints || !validWave(currentWave) || !std::isfinite(x))
        return -1;
    x = std::clamp(x, kInsertMinX, kInsertMaxX);
    float levels[kWaves];
    for (int w = 0; w < kWaves; ++w)
        levels[w] = mendFloat(w == currentWave ? y : waveLevelAt(*this, w, x, mode), -1.0f,
                              1.0f, 0.0f, nullptr);
    int inserted = -1;
    for (int w = 0; w < kWaves; ++w) {
        fields_.x[w][n] = x;
        fields_.y[w][n] = levels[w];
        fields_.inWeight[w][n] = 0.0f;
        fields_.outWeight[w][n] = 0.0f;
        int p = n;
        for (; p > 0 && fields_.x[w][p - 1] > x; --p)
            swapPoints(w, p - 1, p);
        if (w == currentWave)
            inserted = p;
    }
    fields_.pointCount = uint32_t(n + 1);
    return inserted;
}

bool AM_WavesetBlock::removePoint(int point, int currentWave, Selection* selection)
{
    const int n = pointCount();
    if (n <= kMinPoints || point < 1 || point >= n)
        return false;
    if (selection)
        (*selection)[point] = 0;
    for (int w = 0; w < kWaves; ++w) {
        for (int p = point; p < n - 1; ++p)
            swapPoints(w, p, p + 1, w == currentWave ? selection : nullptr);
    }
    fields_.pointCount = uint32_t(n - 1);
    return true;
}

void AM_WavesetBlock::setWeights(int wave, float weight, const Selection* selection)
{
    if (!validWave(wave))
        return;
    weight = mendFloat(weight, -1.0f, 1.0f, 0.0f, nullptr);
    const bool anySelected =
        selection && std::any_of(selection->begin(), selection->end(), [](int f) { return f != 0; });
    for (int p = 0; p < kMaxPoints; ++p) {
        if (anySelected && !isSelected(selection, p))
            continue;
        fields_.inWeight[wave][p] = weight;
        fields_.outWeight[wave][p] = weight;
    }
}

void AM_WavesetBlock::bendPoints(int wave, int kind, float delta, const Selection& selection)
{
    if (!validWave(wave) || !std::isfinite(delta))
        return;
    for (int p = 0; p < pointCount(); ++p) {
        if (selection[p] == 0)
            continue;
        if (kind & 1)
            fields_.inWeight[wave][p] = std::clamp(fields_.inWeight[wave][p] - delta, -1.0f, 1.0f);
        if (kind & 2)
            fields_.outWeight[wave][p] =
                std::clamp(fields_.outWeight[wave][p] - delta, -1.0f, 1.0f);
    }
}

void AM_WavesetBlock::movePoints(int wave, float dx, float dy, Selection& selection)
{
    if (!validWave(wave))
        return;
    if (!std::isfinite(dx))
        dx = 0.0f;
    if (!std::isfinite(dy))
        dy = 0.0f;
    const int n = pointCount();
    // Flag 2 marks the points still to move: a point that changes places
    // must not be moved twice.
    constexpr int kToMove = 2;
    for (int p = 0; p < n; ++p) {
        if (selection[p] != 0)
            selection[p] = kToMove;
    }
    for (int p = 0; p < n; ++p) {
        if (selection[p] != kToMove)
            continue;
        selection[p] = 1;
        float& px = fields_.x[wave][p];
        fields_.y[wave][p] = std::clamp(fields_.y[wave][p] + dy, -1.0f, 1.0f);
        if (p == 0)
            continue;
        px = std::clamp(px + dx, 0.0f, 1.0f);
        int q = p;
        if (dx > 0) {
            for (; q + 1 < n && fields_.x[wave][q] > fields_.x[wave][q + 1]; ++q)
                swapPoints(wave, q, q + 1, &selection);
        } else {
            for (; q > 1 && fields_.x[wave][q] < fields_.x[wave][q - 1]; --q)
                swapPoints(wave, q, q - 1, &selection);
        }
        // A point that moved left past others is now at q < p and was
        // handled; one that moved right brought an unmoved point down to p.
        if (q > p)
            --p;
    }
}

void AM_WavesetBlock::distribute(int wave)
{
    if (!validWave(wave))
        return;
    const int n = pointCount();
    for (int p = 1; p < n; ++p)
        fields_.x[wave][p] = float(p) / float(n);
}

bool AM_WavesetBlock::lineUp(int wave, const Selection& selection)
{
    if (!validWave(wave))
        return false;
    const int n = pointCount();
    int first = -1;
    int last = -1;
    for (int p = 0; p < n; ++p) {
        if (selection[p] != 0) {
            if (first < 0)
                first = p;
            last = p;
        }
    }
    if (first < 0) {
        platform::standardOutput("damn, havn't found selected start...\n");
        return false;
    }
    if (last < 0) {
        platform::standardOutput("damn, havn't found selected end...\n");
        return false;
    }
    const float startX = fields_.x[wave][first];
    const float startY = fields_.y[wave][first];
    float run = fields_.x[wave][last] - startX;
    float rise = fields_.y[wave][last] - startY;
    if (run == 0.0f)
        run = 1e-9f;
    if (first == 0) {
        run = 1.0f;
        rise = 0.0f;
    }
    for (int p = first + 1; p < n; ++p) {
        if (selection[p] == 0)
            continue;
        const float level = startY + (fields_.x[wave][p] - startX) * rise / run;
        fields_.y[wave][p] = mendFloat(level, -1.0f, 1.0f, startY, nullptr);
    }
    return true;
}

void AM_WavesetBlock::flatten(int wave)
{
    if (!validWave(wave))
        return;
    for (int p = 1; p < pointCount(); ++p)
        fields_.y[wave][p] = fields_.y[wave][0];
}

void AM_WavesetBlock::moveWave(int from, int to)
{
    if (!validWave(from) || !validWave(to) || from == to)
        return;
    moveRow(fields_.x, from, to);
    moveRow(fields_.y, from, to);
    moveRow(fields_.inWeight, from, to);
    moveRow(fields_.outWeight, from, to);
}

void AM_WavesetBlock::copyWave(int from, int to)
{
    if (!validWave(from) || !validWave(to) || from == to)
        return;
    std::memcpy(fields_.x[to], fields_.x[from], sizeof fields_.x[to]);
    std::memcpy(fields_.y[to], fields_.y[from], sizeof fields_.y[to]);
    std::memcpy(fields_.inWeight[to], fields_.inWeight[from], sizeof fields_.inWeight[to]);
    std::memcpy(fields_.outWeight[to], fields_.outWeight[from], sizeof fields_.outWeight[to]);
}

void AM_WavesetBlock::interpolateWaves(int a, int b)
{
    if (!validWave(a) || !validWave(b))
        return;
    const int lo = std::min(a, b);
    const int hi = std::max(a, b);
    const int span = hi - lo;
    if (span < 2)
        return;
    const auto blendArray = [lo, hi, span](float (&v)[kWaves][kMaxPoints]) {
        for (int k = lo + 1; k < hi; ++k) {
            for (int p = 0; p < kMaxPoints; ++p)
                v[k][p] = v[lo][p] + (v[hi][p] - v[lo][p]) * float(k - lo) / float(span);
        }
    };
    blendArray(fields_.x);
    blendArray(fields_.y);
    blendArray(fields_.inWeight);
    blendArray(fields_.outWeight);
}
