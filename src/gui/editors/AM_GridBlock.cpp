#include "gui/editors/AM_GridBlock.h"

#include "foundation/AM_STD.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace {

constexpr int kColumnsAt = 4;
constexpr int kRowsAt = 8;
constexpr int kFlagsAt = AM_GridBlock::kNameBytes;

uint32_t readWord(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void writeWord(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// The index of a coordinate along a side divided into n parts, held to
// 0..n-1; false when the coordinate or the side is not usable.
bool partAt(float offset, float side, int n, int* index)
{
    const float t = offset / side * float(n);
    if (!std::isfinite(t) || !(side > 0.0f))
        return false;
    *index = int(std::clamp(t, 0.0f, float(n - 1)));
    return true;
}

} // namespace

AM_GridBlock::AM_GridBlock() = default;

bool AM_GridBlock::hasMagic(const void* bytes, size_t size)
{
    return bytes != nullptr && size >= 4 && readWord(static_cast<const uint8_t*>(bytes)) == kMagic;
}

bool AM_GridBlock::assign(const void* bytes, size_t size)
{
    if (!hasMagic(bytes, size) || size < size_t(kHeaderBytes))
        return false;
    if (bytes != bytes_)
        std::memmove(bytes_, bytes, std::min(size, size_t(kBytes)));
    const auto columns = int32_t(readWord(bytes_ + kColumnsAt));
    const auto rows = int32_t(readWord(bytes_ + kRowsAt));
    columns_ = std::clamp(columns, int32_t(1), int32_t(kMaxColumns));
    rows_ = std::clamp(rows, int32_t(1), int32_t(kMaxRows));
    if (columns_ != columns || rows_ != rows) {
        AM_STD::printv("grid of %d columns and %d rows held to %d and %d\n", int(columns),
                       int(rows), columns_, rows_);
        writeWord(bytes_ + kColumnsAt, uint32_t(columns_));
        writeWord(bytes_ + kRowsAt, uint32_t(rows_));
    }
    for (int c = 0; c < kCells; ++c)
        cell(c)[kNameBytes - 1] = 0;
    return true;
}

int AM_GridBlock::cellIndex(int column, int row)
{
    if (column < 0 || column >= kMaxColumns || row < 0 || row >= kMaxRows)
        return -1;
    return row * kMaxColumns + column;
}

bool AM_GridBlock::inGrid(int column, int row) const
{
    return column >= 0 && column < columns_ && row >= 0 && row < rows_;
}

uint8_t* AM_GridBlock::cell(int index)
{
    return bytes_ + kHeaderBytes + index * kCellBytes;
}

const uint8_t* AM_GridBlock::cell(int index) const
{
    return bytes_ + kHeaderBytes + index * kCellBytes;
}

const char* AM_GridBlock::name(int index) const
{
    if (!named(index))
        return "";
    return reinterpret_cast<const char*>(cell(index));
}

bool AM_GridBlock::named(int index) const
{
    return index >= 0 && index < kCells && int8_t(cell(index)[0]) > 0;
}

uint32_t AM_GridBlock::flags(int index) const
{
    return index >= 0 && index < kCells ? readWord(cell(index) + kFlagsAt) : 0;
}

void AM_GridBlock::setFlags(int index, uint32_t flags)
{
    if (index >= 0 && index < kCells)
        writeWord(cell(index) + kFlagsAt, flags);
}

int AM_GridBlock::cellAt(const void* address) const
{
    const auto* p = static_cast<const uint8_t*>(address);
    const uint8_t* first = bytes_ + kHeaderBytes;
    // Compared as addresses, never subtracted unless inside the cells.
    if (p == nullptr || std::less<const uint8_t*>()(p, first) ||
        !std::less<const uint8_t*>()(p, bytes_ + kBytes))
        return -1;
    const ptrdiff_t offset = p - first;
    return offset % kCellBytes == 0 ? int(offset / kCellBytes) : -1;
}

const void* AM_GridBlock::cellAddress(int index) const
{
    return index >= 0 && index < kCells ? cell(index) : nullptr;
}

void AM_GridBlock::exchange(int a, int b)
{
    if (a < 0 || a >= kCells || b < 0 || b >= kCells || a == b)
        return;
    uint8_t held[kCellBytes];
    std::memcpy(held, cell(a), kCellBytes);
    std::memcpy(cell(a), cell(b), kCellBytes);
    std::memcpy(cell(b), held, kCellBytes);
}

// --- Layout.

bool AM_GridLayout::cellAt(float x, float y, int* column, int* row) const
{
    return partAt(x - bounds.x, bounds.w, columns, column) &&
           partAt(y - bounds.y, bounds.h, rows, row);
}

void AM_GridLayout::cellCentre(int column, int row, float* x, float* y) const
{
    *x = bounds.x + (float(column) + 0.5f) * cellWidth();
    *y = bounds.y + (float(row) + 0.5f) * cellHeight();
}

AM_Rect AM_GridLayout::cellBox(int column, int row) const
{
    const float cw = cellWidth();
    const float ch = cellHeight();
    return AM_Rect{bounds.x + float(column) * cw + 4.0f, bounds.y + float(row) * ch + 3.0f,
                   cw - 8.0f, ch - 6.0f};
}

AM_Rect AM_GridLayout::draggedBox(float x, float y) const
{
    const float cw = cellWidth();
    const float ch = cellHeight();
    return AM_Rect{x - cw / 2 + 3.0f, y - ch / 2 + 1.0f, cw - 6.0f, ch - 2.0f};
}

float AM_GridLayout::columnCentre(int k) const
{
    return bounds.x + (float(k) + 0.5f) * cellWidth();
}
