// Any bytes decode to a complete image within the size caps or to nothing.
#include "gui/graphics/image/AM_PngDecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AM_PixelMap image;
    const AM_PngStatus status = AM_decodePng(data, size, image);
    if (status == AM_PngStatus::ok) {
        if (image.empty() || !AM_PixelMap::sizeAllowed(image.width(), image.height()))
            std::abort();
        // Every pixel is there to read.
        volatile uint32_t sum = 0;
        for (uint32_t y = 0; y < image.height(); ++y)
            sum = sum + image.row(y)[image.stride() - 1];
    } else if (!image.empty()) {
        std::abort();
    }
    return 0;
}
