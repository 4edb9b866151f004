#include "gui/graphics/image/AM_PngWriter.h"

#include <png.h>

#include <cstring>

bool AM_writePngFile(const char* path, const uint8_t* bgra, int32_t width, int32_t height,
                     int32_t strideBytes, std::string* error)
{
    auto fail = [error](const std::string& why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    if (path == nullptr || bgra == nullptr)
        return fail("no path or no pixels");
    if (width <= 0 || height <= 0 || strideBytes < width * 4)
        return fail("bad picture size");
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;
    if (png_image_write_to_file(&image, path, 0, bgra, strideBytes, nullptr) == 0) {
        const std::string why = std::string("cannot write '") + path + "': " + image.message;
        png_image_free(&image);
        return fail(why);
    }
    return true;
}
