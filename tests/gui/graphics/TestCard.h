#pragma once
// A test card that uses every primitive of the software renderer: solid and
// translucent rectangles, outlines, lines of several widths, a polyline, a
// star polygon, circles, ring segments as a knob would draw them, gradients
// and nested clips. Cells of a 6 x 3 grid over width x height GUI units.

#include "gui/graphics/AM_AGG_Context.h"

#include <cmath>

inline void drawTestCard(AM_AGG_Context& c, float width, float height)
{
    constexpr int kColumns = 6;
    constexpr int kRows = 3;
    const float cw = width / kColumns;
    const float ch = height / kRows;
    const float pad = std::floor(std::min(cw, ch) * 0.08f);

    c.beginDraw();
    const AM_Rect all{0, 0, width, height};
    c.intersectClip(&all);
    c.setColourPacked(0x2B2F36FF); // dark panel
    c.fillRect(&all);

    auto cell = [&](int column, int row) {
        return AM_Rect{std::floor(column * cw) + pad, std::floor(row * ch) + pad,
                       std::floor(cw) - 2 * pad, std::floor(ch) - 2 * pad};
    };
    auto frameCell = [&](const AM_Rect& r) {
        c.setColourPacked(0x596273FF);
        c.frameRect(&r);
    };

    // 0,0: solid colour swatches.
    {
        const AM_Rect r = cell(0, 0);
        const uint32_t colours[] = {0xE5484DFF, 0xF5A524FF, 0x46A758FF, 0x3E8BE8FF};
        for (int i = 0; i < 4; ++i) {
            const AM_Rect s{r.x + r.w * i / 4, r.y, r.w / 4, r.h};
            c.setColourPacked(colours[i]);
            c.fillRect(&s);
        }
        frameCell(r);
    }
    // 1,0: translucent rectangles over each other.
    {
        const AM_Rect r = cell(1, 0);
        c.setColourPacked(0xFFFFFFFF);
        c.fillRect(&r);
        const uint32_t colours[] = {0xE5484D99, 0x46A75899, 0x3E8BE899};
        for (int i = 0; i < 3; ++i) {
            const AM_Rect s{r.x + r.w * 0.1f + r.w * 0.2f * i, r.y + r.h * 0.15f + r.h * 0.15f * i,
                            r.w * 0.45f, r.h * 0.45f};
            c.setColourPacked(colours[i]);
            c.fillRect(&s);
        }
        frameCell(r);
    }
    // 2,0: nested outlines.
    {
        const AM_Rect r = cell(2, 0);
        for (int i = 0; i < 6; ++i) {
            const float inset = static_cast<float>(i) * std::floor(std::min(r.w, r.h) / 14);
            const AM_Rect s{r.x + inset, r.y + inset, r.w - 2 * inset, r.h - 2 * inset};
            c.setColourPacked(i % 2 ? 0xF5A524FF : 0xE8EAEDFF);
            c.frameRect(&s);
        }
    }
    // 3,0: a fan of lines of growing width.
    {
        const AM_Rect r = cell(3, 0);
        frameCell(r);
        c.pushClip();
        c.intersectClip(&r);
        const float origin[2] = {r.x + 4, r.y + r.h - 4};
        for (int i = 0; i < 7; ++i) {
            const float angle = static_cast<float>(i) * 0.25f;
            const float length = std::min(r.w, r.h) * 1.2f;
            const float end[2] = {origin[0] + std::cos(angle) * length,
                                  origin[1] - std::sin(angle) * length};
            c.setColourPacked(0x8FD0FFFF);
            c.drawLine(origin, end, 0.5f + static_cast<float>(i) * 0.5f);
        }
        c.popClip();
    }
    // 4,0: a polyline (a waveform) and its closed twin.
    {
        const AM_Rect r = cell(4, 0);
        frameCell(r);
        float points[2 * 48];
        for (int i = 0; i < 48; ++i) {
            const float t = static_cast<float>(i) / 47.0f;
            points[2 * i] = r.x + 4 + t * (r.w - 8);
            points[2 * i + 1] = r.y + r.h * 0.5f - std::sin(t * 6.2831853f * 2) * r.h * 0.3f;
        }
        c.setColourPacked(0x46A758FF);
        c.drawPolyline(points, 48, 2.0f, false);
    }
    // 5,0: a star, filled by the non-zero rule.
    {
        const AM_Rect r = cell(5, 0);
        frameCell(r);
        float star[10];
        const float radius = std::min(r.w, r.h) * 0.45f;
        for (int i = 0; i < 5; ++i) {
            const float angle = static_cast<float>(i * 2) * 6.2831853f / 5;
            star[2 * i] = r.x + r.w / 2 + std::sin(angle) * radius;
            star[2 * i + 1] = r.y + r.h / 2 - std::cos(angle) * radius;
        }
        c.setColourPacked(0xF5A524FF);
        c.fillPolygon(star, 5);
    }
    // 0,1: circles of several radii and widths.
    {
        const AM_Rect r = cell(0, 1);
        frameCell(r);
        const float centre[2] = {r.x + r.w / 2, r.y + r.h / 2};
        const float largest = std::min(r.w, r.h) * 0.42f;
        for (int i = 0; i < 4; ++i) {
            c.setColourPacked(i % 2 ? 0xE8EAEDFF : 0xE5484DFF);
            c.drawCircle(centre, largest * (1.0f - 0.22f * i), 1.0f + i);
        }
    }
    // 1,1 and 2,1: knobs: a track ring and a value ring, with a pointer.
    for (int k = 0; k < 2; ++k) {
        const AM_Rect r = cell(1 + k, 1);
        const float centre[2] = {r.x + r.w / 2, r.y + r.h / 2};
        const float outer = std::min(r.w, r.h) * 0.45f;
        c.setColourPacked(0x444B57FF);
        c.fillRingSegment(centre, outer * 0.75f, outer, -135, 135);
        c.setColourPacked(k ? 0x3E8BE8FF : 0xF5A524FF);
        const float value = k ? 60.0f : -40.0f;
        c.fillRingSegment(centre, outer * 0.75f, outer, -135, value);
        const float angle = value * 0.017453292f;
        const float tip[2] = {centre[0] + std::sin(angle) * outer * 0.6f,
                              centre[1] - std::cos(angle) * outer * 0.6f};
        c.setColourPacked(0xE8EAEDFF);
        c.drawLine(centre, tip, 2.0f);
    }
    // 3,1: a pie of quarter rings.
    {
        const AM_Rect r = cell(3, 1);
        const float centre[2] = {r.x + r.w / 2, r.y + r.h / 2};
        const float outer = std::min(r.w, r.h) * 0.45f;
        const uint32_t colours[] = {0xE5484DFF, 0xF5A524FF, 0x46A758FF, 0x3E8BE8FF};
        for (int i = 0; i < 4; ++i) {
            c.setColourPacked(colours[i]);
            c.fillRingSegment(centre, 0, outer, 90.0f * i, 90.0f * i + 80);
        }
    }
    // 4,1 and 5,1: gradients, horizontal and diagonal.
    for (int k = 0; k < 2; ++k) {
        const AM_Rect r = cell(4 + k, 1);
        const float box[8] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
        const float from[2] = {r.x, r.y};
        const float to[2] = {r.x + r.w, k ? r.y + r.h : r.y};
        c.fillPolygonGradient(box, 4, from, to, k ? 0x3E8BE8FF : 0x000000FF,
                              k ? 0xF5A524FF : 0xFFFFFFFF);
        frameCell(r);
    }
    // Row 2: clipping. 0-1: nested clips cut a large circle and a bar; 2-3:
    // touching clips side by side; 4-5: translucent lines over a checker.
    {
        AM_Rect r = cell(0, 2);
        r.w = std::floor(cw) * 2 - 2 * pad;
        frameCell(r);
        c.pushClip();
        c.intersectClip(&r);
        const AM_Rect left{r.x, r.y, r.w * 0.6f, r.h};
        c.pushClip();
        c.intersectClip(&left);
        c.setColourPacked(0x3E8BE8FF);
        const float centre[2] = {r.x + r.w * 0.45f, r.y + r.h * 0.5f};
        c.fillRingSegment(centre, 0, r.h, 0, 360);
        c.popClip();
        c.setColourPacked(0xE5484DCC);
        const AM_Rect bar{r.x - 20, r.y + r.h * 0.4f, r.w + 40, r.h * 0.2f};
        c.fillRect(&bar);
        c.popClip();
    }
    {
        AM_Rect r = cell(2, 2);
        r.w = std::floor(cw) * 2 - 2 * pad;
        const uint32_t colours[] = {0x46A758FF, 0xF5A524FF, 0x8FD0FFFF, 0xE5484DFF};
        for (int i = 0; i < 4; ++i) {
            const AM_Rect part{r.x + std::floor(r.w / 4) * i, r.y, std::floor(r.w / 4), r.h};
            c.pushClip();
            c.intersectClip(&part);
            c.setColourPacked(colours[i]);
            const float from[2] = {r.x, r.y + r.h};
            const float to[2] = {r.x + r.w, r.y};
            c.drawLine(from, to, r.h * 0.5f);
            c.popClip();
        }
        frameCell(r);
    }
    {
        AM_Rect r = cell(4, 2);
        r.w = std::floor(cw) * 2 - 2 * pad;
        const float square = std::floor(r.h / 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x * square < r.w - 1; ++x) {
                const AM_Rect s{r.x + x * square, r.y + y * square,
                                std::min(square, r.w - x * square), square};
                c.setColourPacked((x + y) % 2 ? 0xE8EAEDFF : 0x8A93A3FF);
                c.fillRect(&s);
            }
        for (int i = 0; i < 5; ++i) {
            const float from[2] = {r.x + 6, r.y + r.h * (0.1f + 0.2f * i)};
            const float to[2] = {r.x + r.w - 6, r.y + r.h * (0.9f - 0.2f * i)};
            c.setColourPacked(0xE5484D00 | static_cast<uint32_t>(60 + 45 * i));
            c.drawLine(from, to, 3.0f);
        }
        frameCell(r);
    }
}
