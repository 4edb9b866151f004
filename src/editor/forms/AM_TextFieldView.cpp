#include "editor/forms/AM_TextFieldView.h"

#include "editor/forms/AM_FontSizeScope.h"
#include "editor/forms/AM_FormsDrawing.h"
#include "editor/forms/AM_FormsLook.h"
#include "gui/graphics/AM_AGG_Context.h"

#include <algorithm>
#include <cmath>
#include <string>

using namespace AM_FormsLook;

namespace {

// Lines are drawn in pieces, as the context draws at most 255 bytes a call.
constexpr size_t kPieceBytes = 200;

size_t pieceEnd(std::string_view line, size_t from)
{
    size_t end = std::min(line.size(), from + kPieceBytes);
    while (end > from && end < line.size() &&
           (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) {
        --end;
    }
    return end;
}

int lineIndex(const AM_TextField& field, size_t pos)
{
    return static_cast<int>(
        std::count(field.text().begin(), field.text().begin() + static_cast<long>(pos), '\n'));
}

} // namespace

float AM_TextFieldView::measure(AM_AGG_Context& context, std::string_view text)
{
    // Measured at the drawn pixel size: glyph advances are hinted per
    // size, and the caret has to sit where the drawn glyphs end.
    const std::string copy(text);
    const float size = AM_FontSettings::size();
    const float zoom = context.getZoom();
    AM_FontSettings::setSize(size * zoom);
    const float width = context.getTextWidth(copy.c_str()) / zoom;
    AM_FontSettings::setSize(size);
    return width;
}

AM_Rect AM_TextFieldView::inner() const
{
    return AM_Rect{box.x + kFieldPadding, box.y + 2, box.w - 2 * kFieldPadding, box.h - 4};
}

float AM_TextFieldView::lineTop(const AM_TextField& field, int line) const
{
    const AM_Rect in = inner();
    if (!field.multiLine()) {
        return in.y + (in.h - kLineHeight) * 0.5f;
    }
    return in.y + 1 + static_cast<float>(line) * kLineHeight - scrollY;
}

void AM_TextFieldView::draw(AM_AGG_Context& c, const AM_TextField& field, bool focused,
                            bool caretOn) const
{
    AM_FormsDrawing::fillRounded(c, box, 3.0f, kField);
    AM_FormsDrawing::frameRounded(c, box, 3.0f, focused ? 1.5f : 1.0f,
                                  focused ? kFieldFocus : kFieldBorder);
    AM_FontSizeScope font(c, kFontSize);
    const AM_Rect in = inner();
    c.pushClip();
    c.intersectClip(&in);
    const std::string& text = field.text();
    const size_t selStart = field.selectionStart();
    const size_t selEnd = field.selectionEnd();
    size_t start = 0;
    int line = 0;
    while (true) {
        const size_t stop = field.lineEnd(start);
        const float top = lineTop(field, line);
        if (top <= in.y + in.h && top + kLineHeight >= in.y) {
            const std::string_view lineText(text.data() + start, stop - start);
            const float x0 = in.x - scrollX;
            // The selected part of this line (its line end counts as a space).
            if (focused && selStart < selEnd && selStart <= stop && selEnd >= start) {
                const size_t a = std::max(selStart, start);
                const size_t b = std::min(selEnd, stop);
                const float xa = x0 + measure(c, lineText.substr(0, a - start));
                float xb = x0 + measure(c, lineText.substr(0, b - start));
                if (selEnd > stop) {
                    xb += 4;
                }
                const AM_Rect sel{xa, top, xb - xa, kLineHeight};
                c.setColourPacked(kSelection);
                c.fillRect(&sel);
            }
            c.setColourPacked(kFieldText);
            for (size_t p = 0; p < lineText.size();) {
                const size_t q = pieceEnd(lineText, p);
                if (q == p) {
                    break;
                }
                const std::string piece(lineText.substr(p, q - p));
                const float px = x0 + measure(c, lineText.substr(0, p));
                const AM_Rect r{px, top + 1, measure(c, piece) + 2 * kFitTextMargin, kLineHeight};
                c.drawText(piece.c_str(), &r, 0, false);
                p = q;
            }
            if (focused && caretOn && field.caret() >= start && field.caret() <= stop) {
                const float cx = x0 + measure(c, lineText.substr(0, field.caret() - start));
                const float w = 1.0f;
                const AM_Rect caret{std::floor(cx * c.getZoom()) / c.getZoom(), top + 1, w,
                                    kLineHeight - 2};
                c.setColourPacked(kCaret);
                c.fillRect(&caret);
            }
        }
        if (stop >= text.size()) {
            break;
        }
        start = stop + 1;
        ++line;
    }
    c.popClip();
}

size_t AM_TextFieldView::hit(AM_AGG_Context& c, const AM_TextField& field, float x, float y) const
{
    AM_FontSizeScope font(c, kFontSize);
    const std::string& text = field.text();
    int line = 0;
    if (field.multiLine()) {
        line = static_cast<int>(std::floor((y - lineTop(field, 0)) / kLineHeight));
        line = std::max(line, 0);
    }
    size_t start = 0;
    for (int i = 0; i < line; ++i) {
        const size_t stop = field.lineEnd(start);
        if (stop >= text.size()) {
            break;
        }
        start = stop + 1;
    }
    const size_t stop = field.lineEnd(start);
    const std::string_view lineText(text.data() + start, stop - start);
    const float target = x - (inner().x - scrollX);
    size_t best = start;
    float bestDistance = std::fabs(target);
    for (size_t p = field.nextBoundary(start); p <= stop && p > start;) {
        const float d = std::fabs(target - measure(c, lineText.substr(0, p - start)));
        if (d < bestDistance) {
            bestDistance = d;
            best = p;
        }
        if (p == stop) {
            break;
        }
        p = field.nextBoundary(p);
    }
    return best;
}

void AM_TextFieldView::keepCaretVisible(AM_AGG_Context& c, const AM_TextField& field)
{
    AM_FontSizeScope font(c, kFontSize);
    const AM_Rect in = inner();
    const size_t start = field.lineStart(field.caret());
    const float x = measure(c, std::string_view(field.text()).substr(start, field.caret() - start));
    const float margin = std::min(24.0f, in.w * 0.25f);
    if (x - scrollX > in.w - 2) {
        scrollX = x - in.w + margin;
    } else if (x - scrollX < 0) {
        scrollX = std::max(0.0f, x - margin);
    }
    if (field.multiLine()) {
        const int line = lineIndex(field, field.caret());
        const float top = 1 + static_cast<float>(line) * kLineHeight;
        if (top - scrollY < 0) {
            scrollY = top - 1;
        } else if (top + kLineHeight - scrollY > in.h) {
            scrollY = top + kLineHeight - in.h;
        }
        scrollY = std::max(0.0f, scrollY);
    }
}
