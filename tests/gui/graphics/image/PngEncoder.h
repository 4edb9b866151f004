#pragma once
// Writes PNG files for the tests' fixtures with libpng: any colour type, bit
// depth and interlacing, with optional palette, transparency and gamma
// chunks. Samples are given as they stand in the file (16-bit samples as
// values 0..65535).

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <string>
#include <vector>

namespace pngfixture {

struct Image {
    uint32_t width = 1;
    uint32_t height = 1;
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    // Samples row by row, channels of the colour type in file order (grey;
    // grey, alpha; red, green, blue; red, green, blue, alpha; palette index).
    std::vector<uint16_t> samples;
    std::vector<png_color> palette;
    std::vector<uint8_t> paletteAlpha; // tRNS for palette images
    bool hasTransparentColour = false; // tRNS for grey and RGB images
    png_color_16 transparentColour{};
    double fileGamma = 0; // gAMA chunk when not 0
    bool srgb = false;    // sRGB chunk
};

inline int channelsOf(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

inline void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline void flushNothing(png_structp) {}

// Packs one row of samples at the image's bit depth.
inline std::vector<uint8_t> packRow(const Image& image, uint32_t y)
{
    const int channels = channelsOf(image.colourType);
    const size_t perRow = size_t(image.width) * channels;
    std::vector<uint8_t> row((perRow * image.bitDepth + 7) / 8 + 1, 0);
    for (size_t i = 0; i < perRow; ++i) {
        const uint16_t value = image.samples[y * perRow + i];
        if (image.bitDepth == 16) {
            row[i * 2] = uint8_t(value >> 8);
            row[i * 2 + 1] = uint8_t(value);
        } else if (image.bitDepth == 8) {
            row[i] = uint8_t(value);
        } else {
            const size_t bit = i * image.bitDepth;
            const int shift = 8 - image.bitDepth - int(bit % 8);
            row[bit / 8] |= uint8_t(value << shift);
        }
    }
    return row;
}

// The encoded file; empty when libpng refuses the description.
inline std::vector<uint8_t> encode(const Image& image)
{
    std::vector<uint8_t> out;
    std::vector<std::vector<uint8_t>> rows;
    for (uint32_t y = 0; y < image.height; ++y)
        rows.push_back(packRow(image, y));
    std::vector<png_bytep> rowPointers;
    for (auto& row : rows)
        rowPointers.push_back(row.data());

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colourType,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, image.palette.data(), int(image.palette.size()));
    if (!image.paletteAlpha.empty())
        png_set_tRNS(png, info, image.paletteAlpha.data(), int(image.paletteAlpha.size()), nullptr);
    if (image.hasTransparentColour)
        png_set_tRNS(png, info, nullptr, 0, &image.transparentColour);
    if (image.fileGamma != 0)
        png_set_gAMA(png, info, image.fileGamma);
    if (image.srgb)
        png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_write_info(png, info);
    png_write_image(png, rowPointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An 8-bit RGBA image from red, green, blue, alpha bytes.
inline Image rgba8(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba)
{
    Image image;
    image.width = width;
    image.height = height;
    image.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    image.samples.assign(rgba.begin(), rgba.end());
    return image;
}

} // namespace pngfixture

namespace pngfixture {

// The CRC-32 of PNG chunks.
inline uint32_t chunkCrc(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

// Rewrites the header's width and height (and its CRC) of an encoded file.
inline void patchHeaderSize(std::vector<uint8_t>& file, uint32_t width, uint32_t height)
{
    // Signature (8), length (4), "IHDR" (4), then width and height.
    constexpr size_t kTypeOffset = 12;
    constexpr size_t kWidthOffset = 16;
    constexpr size_t kHeaderDataBytes = 13;
    auto put = [&file](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = uint8_t(value >> (24 - 8 * i));
    };
    put(kWidthOffset, width);
    put(kWidthOffset + 4, height);
    const size_t crcOffset = kTypeOffset + 4 + kHeaderDataBytes;
    put(crcOffset, chunkCrc(file.data() + kTypeOffset, 4 + kHeaderDataBytes));
}

} // namespace pngfixture
