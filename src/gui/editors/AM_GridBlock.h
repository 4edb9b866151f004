#pragma once
// The routing grid the engine holds as one data block: the magic "DIRG",
// the column and row counts, then 16 rows of 4 cells of 12 bytes (a name
// of up to 7 characters and its terminator, then 32 flag bits), row-major,
// always 4 cells per row whatever the column count. Little-endian.
//
// A block is taken in whole or refused: it is copied up to the view's 780
// bytes, whatever its parameter declares; its counts are held to 1..4
// columns and 1..16 rows and every name is terminated, so nothing read
// from it can address a cell outside the grid or run past a name.
//
// GUI thread only.

#include "gui/graphics/AM_Rect.h"

#include <cstddef>
#include <cstdint>

class AM_GridBlock {
public:
    static constexpr int kBytes = 780;
    static constexpr int kHeaderBytes = 12;
    static constexpr int kCellBytes = 12;
    static constexpr int kNameBytes = 8;
    static constexpr int kMaxColumns = 4;
    static constexpr int kMaxRows = 16;
    static constexpr int kCells = kMaxColumns * kMaxRows;
    // The bytes "DIRG" read as a little-endian word.
    static constexpr uint32_t kMagic = 0x47524944u;

    // Flag bits of a cell.
    enum Flag : uint32_t {
        kActive = 0x1,
        kHidden = 0x2,
        kFirstInput = 0x100,    // input from column k: kFirstInput << k
        kInputMask = 0xF00,
        kSameColumn = 0x1000,   // the input follows the cell's own column
        kHasSideChain = 0x2000, // side-chain inputs are offered
        kFirstSideChain = 0x4000,
        kSideChainMask = 0x3C000,
    };

    // All zero (no magic); 4 columns, 16 rows.
    AM_GridBlock();

    // Whether the bytes begin with the magic (false for fewer than 4).
    static bool hasMagic(const void* bytes, size_t size);

    // Takes a block of `size` bytes: at most kBytes are copied and the rest
    // of this copy keeps what it held. Refused (false, nothing changes)
    // without the magic or with fewer bytes than the header. Counts out of
    // range are held (a trace line says so) and written back held.
    bool assign(const void* bytes, size_t size);

    const uint8_t* bytes() const { return bytes_; }
    bool valid() const { return hasMagic(bytes_, kBytes); }
    int columns() const { return columns_; }
    int rows() const { return rows_; }

    // Cells by (column, row) within the 4 x 16 table; -1 for a position
    // outside it. The accessors answer empty / 0 outside and ignore writes.
    static int cellIndex(int column, int row);
    bool inGrid(int column, int row) const;
    // The name: terminated, at most 7 characters ("" for an empty cell).
    const char* name(int cell) const;
    // A cell with a name (its first byte is a character above 0).
    bool named(int cell) const;
    uint32_t flags(int cell) const;
    void setFlags(int cell, uint32_t flags);
    // The cell whose 12 bytes start at the address, or -1.
    int cellAt(const void* address) const;
    const void* cellAddress(int cell) const;
    // Exchanges the 12 bytes of two cells.
    void exchange(int a, int b);

private:
    uint8_t* cell(int index);
    const uint8_t* cell(int index) const;

    uint8_t bytes_[kBytes] = {};
    int columns_ = kMaxColumns;
    int rows_ = kMaxRows;
};

// Where the cells of a grid lie in a control: the pointer's cell and the
// boxes drawn come from the same division of the bounds.
struct AM_GridLayout {
    AM_Rect bounds{};
    int columns = AM_GridBlock::kMaxColumns;
    int rows = AM_GridBlock::kMaxRows;

    float cellWidth() const { return bounds.w / float(columns); }
    float cellHeight() const { return bounds.h / float(rows); }
    // The cell under a point, each index held to the grid (a point on the
    // right or bottom edge is in the last column or row); false for a point
    // that is not a number or an empty bounds.
    bool cellAt(float x, float y, int* column, int* row) const;
    // The centre of a cell (its cell rectangle, not its box).
    void cellCentre(int column, int row, float* x, float* y) const;
    // The drawn box of a cell: the cell inset by 4 across and 3 down.
    AM_Rect cellBox(int column, int row) const;
    // The box of the dragged cell, centred at (x, y).
    AM_Rect draggedBox(float x, float y) const;
    // x of the centre line of column k.
    float columnCentre(int k) const;
};
