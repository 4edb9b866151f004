#pragma once
// Decodes PNG data with libpng into a pixel map of 8-bit BGRA with alpha,
// whatever the file's colour type, bit depth or interlacing: palettes and
// grey are expanded to colour, a transparency chunk becomes alpha, 16-bit
// samples are scaled to 8 bits and images without alpha get an opaque one.
// Colours are corrected for a screen gamma of 2.6 from the file's gamma
// (0.45455 when the file is sRGB or says nothing).

#include "gui/graphics/image/AM_PixelMap.h"

#include <cstddef>
#include <cstdint>

enum class AM_PngStatus {
    ok,
    noReadStruct, // libpng's read structure could not be created
    noInfoStruct, // libpng's info structure could not be created
    corrupt,      // not a PNG, damaged, truncated or too large
    overBudget,   // readable, but its pixels would take more than the budget allows
};

// A limit on the pixel bytes (4 a pixel) one decode may take, and the size
// of the image the header announced (set once the header is read).
struct AM_PngBudget {
    uint64_t maxBytes = UINT64_MAX;
    uint32_t width = 0;
    uint32_t height = 0;
    // Set when the decode was refused for the budget.
    bool refused = false;
};

// The screen gamma the colours are corrected for.
constexpr double kPngScreenGamma = 2.6;
// The file gamma assumed for sRGB files and files without gamma.
constexpr double kPngDefaultFileGamma = 0.45455;

// Decodes size bytes of PNG data into image. On any status but ok the image
// is left empty. With a budget, an image whose pixels would take more than
// its maxBytes is refused (overBudget) before any pixel memory is taken.
// Any thread; keeps no state.
AM_PngStatus AM_decodePng(const uint8_t* data, size_t size, AM_PixelMap& image,
                          AM_PngBudget* budget = nullptr);

// The libpng version the decoder runs with.
const char* AM_pngLibraryVersion();
