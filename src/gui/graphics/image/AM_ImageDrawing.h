#pragma once
// Drawing decoded images into a 32-bit BGRA back buffer: the filtered path
// (bilinear, any scale), the rotated path with opacity, the 1:1 blend and
// the copying paths (1:1, 2x, 2.5x) that opaque images take at those
// scales. Positions are GUI units; the target's zoom and canvas origin map
// them to back-buffer pixels, and nothing is drawn outside its clip box.
//
// GUI thread only.

#include "gui/graphics/image/AM_PixelMap.h"

#include <agg_basics.h>
#include <agg_rendering_buffer.h>

// Where and how an image is drawn: the back buffer, the inclusive clip box
// in its pixels (empty when x1 > x2 or y1 > y2), the zoom and the canvas
// origin in GUI units.
struct AM_ImageTarget {
    agg::rendering_buffer* buffer = nullptr;
    agg::rect_i clip{0, 0, -1, -1};
    float zoom = 1.0f;
    float canvasX = 0;
    float canvasY = 0;
};

// A rectangle in GUI units.
struct AM_ImageRect {
    float x = 0;
    float y = 0;
    float w = 0;
    float h = 0;
};

// Images wider and higher than this many pixels may take the copying paths.
constexpr float kImageCopyMinSide = 100.0f;
// How near the image-to-destination ratio must be to 0.5 or 0.4.
constexpr float kImageScaleTolerance = 0.01f;

enum class AM_ImagePath { filtered, copy, copyDouble, copyTwoAndHalf, blend };

// The path drawImage takes for an image of the given size drawn into rect.
AM_ImagePath AM_chooseImagePath(float imageWidth, float imageHeight, bool hasAlpha,
                                const AM_ImageRect& rect, float zoom);

// Draws the image stretched into rect by the path AM_chooseImagePath picks.
void AM_drawImage(const AM_ImageTarget& target, const AM_PixelMap& image, bool hasAlpha,
                  const AM_ImageRect& rect);
// The filtered path: every back-buffer pixel of rect (and one more row and
// column) samples the image bilinearly at its centre, outside the image
// transparent white, and the result is blended by its alpha.
void AM_drawImageFiltered(const AM_ImageTarget& target, const AM_PixelMap& image,
                          const AM_ImageRect& rect);
// The image stretched into rect, turned about the rectangle's centre by
// angle degrees (positive counter-clockwise on screen), its opacity
// multiplied by alpha (0..1).
void AM_drawImageRotated(const AM_ImageTarget& target, const AM_PixelMap& image,
                         const AM_ImageRect& rect, float angle, float alpha);
// One image pixel per back-buffer pixel at rect's position, filtered and
// blended.
void AM_blendImage(const AM_ImageTarget& target, const AM_PixelMap& image,
                   const AM_ImageRect& rect);
// Copies without blending, each image pixel becoming a block of
// numerator/denominator pixels (1/1, 2/1 or 5/2), from rect's position,
// within the clip box, the back buffer and the image.
void AM_copyImage(const AM_ImageTarget& target, const AM_PixelMap& image, const AM_ImageRect& rect,
                  int numerator, int denominator);
