#pragma once
// Reads a PNG file into a pixel map (see AM_PngDecoder.h) and reports every
// failure the way the GUI does: an unopenable file gives "Can't open '%s'"
// and a damaged one "problem reading '%s'" on the debug trace; when libpng's
// structures cannot be created a message box titled "PNG loading" says so.

#include "gui/graphics/image/AM_PngDecoder.h"

#include <cstdint>

// Largest PNG file read, in bytes; a larger one counts as damaged.
constexpr uint64_t kPngMaxFileBytes = 256ull * 1024 * 1024;

// True with the decoded image, false with an empty one. With a budget, an
// image over it is refused without a trace line: the budget then holds its
// size (the caller says why it refused it). GUI thread (touches the file
// system).
bool AM_readPngFile(const char* path, AM_PixelMap& image, AM_PngBudget* budget = nullptr);
