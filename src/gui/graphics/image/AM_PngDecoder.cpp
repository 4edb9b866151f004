#include "gui/graphics/image/AM_PngDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace {

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (count > source->size - source->offset)
        png_error(png, "truncated data");
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
}

// libpng's own handlers print to stderr; errors here only jump back to the
// recovery point and warnings are dropped.
void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Everything between the recovery point and the end of the decode lives in
// this function: it keeps no local with a destructor, so the jump back from
// libpng skips nothing. The pixel map belongs to the caller.
AM_PngStatus readImage(png_structp png, png_infop info, AM_PixelMap& image, AM_PngBudget* budget)
{
    if (setjmp(png_jmpbuf(png)))
        return AM_PngStatus::corrupt;

    png_set_user_limits(png, kPixelMapMaxSide, kPixelMapMaxSide);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (!AM_PixelMap::sizeAllowed(width, height))
        return AM_PngStatus::corrupt;
    if (budget != nullptr) {
        budget->width = width;
        budget->height = height;
        if (uint64_t(width) * height * kPixelMapBytesPerPixel > budget->maxBytes) {
            budget->refused = true;
            return AM_PngStatus::overBudget;
        }
    }

    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    const bool transparencyChunk = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (transparencyChunk)
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_scale_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);

    double fileGamma = kPngDefaultFileGamma;
    if (!png_get_valid(png, info, PNG_INFO_sRGB) && png_get_valid(png, info, PNG_INFO_gAMA))
        png_get_gAMA(png, info, &fileGamma);
    png_set_gamma(png, kPngScreenGamma, fileGamma);

    png_set_bgr(png);
    if ((colourType & PNG_COLOR_MASK_ALPHA) == 0 && !transparencyChunk)
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    if (png_get_rowbytes(png, info) != size_t(width) * kPixelMapBytesPerPixel ||
        png_get_bit_depth(png, info) != 8)
        return AM_PngStatus::corrupt;
    if (!image.create(width, height))
        return AM_PngStatus::corrupt;
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, image.row(y), nullptr);
    png_read_end(png, nullptr);
    return AM_PngStatus::ok;
}

} // namespace

AM_PngStatus AM_decodePng(const uint8_t* data, size_t size, AM_PixelMap& image,
                          AM_PngBudget* budget)
{
    image.clear();
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (png == nullptr)
        return AM_PngStatus::noReadStruct;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return AM_PngStatus::noInfoStruct;
    }
    MemorySource source{data, data != nullptr ? size : 0, 0};
    png_set_read_fn(png, &source, readFromMemory);
    const AM_PngStatus status = readImage(png, info, image, budget);
    png_destroy_read_struct(&png, &info, nullptr);
    if (status != AM_PngStatus::ok)
        image.clear();
    return status;
}

const char* AM_pngLibraryVersion()
{
    return png_get_libpng_ver(nullptr);
}
