// Drawing of the grid editor: the cells as boxes, the signal lines between
// them and the dragged cell at the pointer. Every box comes from the same
// layout as the pointer's cell.
#include "gui/editors/AM_View_Grid.h"

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"

#include <cmath>
#include <cstring>

namespace {

enum ColourSlot : int32_t {
    kBackground = 0,
    kBorder,
    kDot,
    kLine,
    kText,
    kModuleBack,
    kModuleBorder,
    kModuleShade,
    kModuleSelect,
    kTextSelect,
    kTextOff,
};
enum GraphicSlot : int32_t { kBackgroundGraphic = 0, kModuleGraphic, kModuleSelectGraphic };

constexpr float kFontSize = 9.0f;
// A curve reaches 5 cell heights below the cell and above its source.
constexpr float kCurveReach = 5.0f;
// Segments of one curve at most (one per two units of its chord).
constexpr int kMaxSegments = 256;

void frame(AM_Context* context, const AM_Rect& r, float width)
{
    const float points[] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
    context->drawPolyline(points, 4, width, true);
}

// The curve from the cell's point (x3, y3) at t = 0 to the source's point
// (x0, y0) at t = 1: a smooth step across, a segment down whose outer
// points lie kCurveReach cell heights beyond either end.
void drawCurve(AM_Context* context, float x3, float y3, float x0, float y0, float ch)
{
    const float dx = x0 - x3;
    const float dy = y0 - y3;
    const float chord = 0.5f * std::sqrt(dx * dx + dy * dy);
    if (!(chord >= 1.0f))
        return;
    const int n = chord < float(kMaxSegments) ? int(chord) : kMaxSegments;
    const float reach = kCurveReach * ch;
    const float a = (dy - reach) / 2;
    const float b = (3 * dy + 3 * reach) / 2;
    const float c = -dy - reach;
    float points[2 * (kMaxSegments + 1)];
    points[0] = x3;
    points[1] = y3;
    float t = 0.0f;
    const float step = 1.0f / float(n);
    for (int k = 1; k <= n; ++k) {
        t += step;
        const float t2 = t * t;
        const float t3 = t2 * t;
        points[2 * k] = x3 + dx * (3 * t2 - 2 * t3);
        points[2 * k + 1] = y3 + a * t + b * t2 + c * t3;
    }
    context->drawPolyline(points, n + 1, 1.0f, false);
}

} // namespace

bool AM_View_Grid::pick(AM_Context* context, int32_t slot)
{
    AM_Colour* colour = getColour(slot);
    if (colour == nullptr)
        return false;
    context->setColourFromObject(colour);
    return true;
}

int AM_View_Grid::activeSourceRow(int k, int from) const
{
    for (int row = from; row >= 0; --row) {
        const int cell = AM_GridBlock::cellIndex(k, row);
        const uint32_t flags = block_.flags(cell);
        if (block_.named(cell) && (flags & AM_GridBlock::kActive) != 0 &&
            (flags & AM_GridBlock::kHidden) == 0)
            return row;
    }
    return -1;
}

void AM_View_Grid::drawCell(AM_Context* context, const AM_GridLayout& grid, int column, int row)
{
    const int cell = AM_GridBlock::cellIndex(column, row);
    const uint32_t flags = block_.flags(cell);
    const bool active = (flags & AM_GridBlock::kActive) != 0;
    const char* name = block_.name(cell);
    const bool selected = selected_[0] != '\0' && std::strcmp(name, selected_) == 0;
    const AM_Rect box = grid.cellBox(column, row);
    if (active && getGraphic(kModuleGraphic) != nullptr) {
        AM_Graphic* graphic = selected && getGraphic(kModuleSelectGraphic) != nullptr
                                  ? getGraphic(kModuleSelectGraphic)
                                  : getGraphic(kModuleGraphic);
        graphic->draw(context, &box, 1.0f);
    }
    if (getColour(kModuleBack) != nullptr) {
        if (!(selected && pick(context, kModuleSelect)))
            pick(context, kModuleBack);
        if (active)
            context->fillRect(&box);
        else
            frame(context, box, 0.5f);
    }
    if (getColour(kText) != nullptr) {
        context->setFontSize(kFontSize);
        if (!(selected && pick(context, kTextSelect)) && !(!active && pick(context, kTextOff)))
            pick(context, kText);
        const AM_Rect textBox{box.x, box.y - 1.0f, box.w, box.h};
        context->drawText(name, &textBox, 1, true);
    }
    if (pick(context, kModuleBorder)) {
        const AM_Rect shifted{box.x + 0.5f, box.y + 0.5f, box.w, box.h};
        frame(context, shifted, 1.0f);
        if (grabbed_[0] >= 0 && column == target_[0] && row == target_[1] &&
            pick(context, kModuleShade))
            frame(context, shifted, 1.0f);
    }
}

void AM_View_Grid::drawLines(AM_Context* context, const AM_GridLayout& grid)
{
    const float top = grid.bounds.y;
    const float ch = grid.cellHeight();
    const float cw = grid.cellWidth();
    const int columns = grid.columns;
    // The outputs: from the bottom up to the lowest active cell of each column.
    for (int k = 0; k < columns; ++k) {
        const int lowest = activeSourceRow(k, grid.rows - 1);
        if (lowest < 0)
            continue;
        const float x = grid.columnCentre(k) + 0.5f;
        const float from[2] = {x, top + grid.bounds.h};
        const float to[2] = {x, top + float(lowest + 1) * ch - 3.0f};
        context->drawLine(from, to, 1.0f);
    }
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const int cell = AM_GridBlock::cellIndex(column, row);
            const uint32_t flags = block_.flags(cell);
            if (!block_.named(cell) || (flags & AM_GridBlock::kActive) == 0 ||
                (flags & AM_GridBlock::kHidden) != 0)
                continue;
            const float centre = grid.columnCentre(column) + 0.5f;
            const float y3 = top + float(row) * ch + 3.0f;
            for (int k = 0; k < columns; ++k) {
                const bool input = (flags & (uint32_t(AM_GridBlock::kFirstInput) << k)) != 0;
                const bool side = (flags & (uint32_t(AM_GridBlock::kFirstSideChain) << k)) != 0;
                if (!input && !side)
                    continue;
                const int source = activeSourceRow(k, k < column ? row : row - 1);
                if (source < 0)
                    continue;
                const float x0 = grid.columnCentre(k);
                const float y0 = top + float(source + 1) * ch - 3.0f;
                if (input && k == column) {
                    const float from[2] = {centre, y3};
                    const float to[2] = {centre, y0};
                    context->drawLine(from, to, 1.0f);
                } else if (input) {
                    drawCurve(context, centre, y3, x0, y0, ch);
                }
                if (side) {
                    const float x3 = k < column ? centre - cw / 4 : centre + cw / 4;
                    drawCurve(context, x3, y3, x0, y0, ch);
                }
            }
        }
    }
}

void AM_View_Grid::draw(AM_Context* context)
{
    if (context == nullptr)
        return;
    const AM_GridLayout grid = layout();
    const AM_Rect& b = bounds_;
    if (pick(context, kBackground))
        context->fillRect(&b);
    if (pick(context, kBorder))
        frame(context, AM_Rect{b.x + 0.5f, b.y + 0.5f, b.w - 1.0f, b.h - 1.0f}, 0.8f);
    if (AM_Graphic* graphic = getGraphic(kBackgroundGraphic))
        graphic->draw(context, &b, 1.0f);
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            const int cell = AM_GridBlock::cellIndex(column, row);
            if (!block_.named(cell) || (block_.flags(cell) & AM_GridBlock::kHidden) != 0 ||
                (column == grabbed_[0] && row == grabbed_[1]))
                continue;
            drawCell(context, grid, column, row);
        }
    }
    if (pick(context, kLine))
        drawLines(context, grid);
    const int grabbed = AM_GridBlock::cellIndex(grabbed_[0], grabbed_[1]);
    if (grabbed < 0 || !block_.named(grabbed))
        return;
    const AM_Rect box = grid.draggedBox(pointer_[0], pointer_[1]);
    if (pick(context, kModuleBack))
        context->fillRect(&box);
    if (pick(context, kText)) {
        context->setFontSize(kFontSize);
        context->drawText(block_.name(grabbed), &box, 1, true);
    }
}
