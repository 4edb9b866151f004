#include "GoldenImage.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace testsupport {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

namespace {

// The reference faded to light grey, with every pixel that is off by more
// than tolerance in red.
void writeDifference(const std::string& path, const uint8_t* bgra, int stride,
                     const BgraPicture& golden, int tolerance)
{
    const int width = golden.width;
    const int height = golden.height;
    std::vector<uint8_t> picture(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bgra + size_t(y) * stride;
        const uint8_t* want = golden.pixels.data() + size_t(y) * width * 4;
        uint8_t* out = picture.data() + size_t(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            int difference = 0;
            for (int c = 0; c < 4; ++c)
                difference = std::max(difference, std::abs(row[x * 4 + c] - want[x * 4 + c]));
            const int grey = (want[x * 4] + want[x * 4 + 1] + want[x * 4 + 2]) / 3;
            const uint8_t faded = uint8_t(192 + grey / 4);
            const bool off = difference > tolerance;
            out[x * 4 + 0] = off ? 0 : faded;
            out[x * 4 + 1] = off ? 0 : faded;
            out[x * 4 + 2] = off ? 255 : faded;
            out[x * 4 + 3] = 255;
        }
    }
    writePng(path, picture.data(), width, height, width * 4);
}

} // namespace

std::string goldenPath(const std::string& name)
{
    const char* folder = std::getenv("KK_TEST_DATA");
    return std::string(folder != nullptr ? folder : ".") + "/golden/" + name + ".png";
}

bool readPng(const std::string& path, BgraPicture& picture)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_BGRA;
    picture.width = int(image.width);
    picture.height = int(image.height);
    picture.pixels.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

bool writePng(const std::string& path, const uint8_t* bgra, int width, int height, int stride)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_BGRA;
    return png_image_write_to_file(&image, path.c_str(), 0, bgra, stride, nullptr) != 0;
}

std::string compareWithGolden(const std::string& name, const uint8_t* bgra, int width, int height,
                              int stride, int tolerance, int maxOffPixels)
{
    const std::string path = goldenPath(name);
    if (std::getenv("KK_UPDATE_GOLDEN") != nullptr)
        return writePng(path, bgra, width, height, stride) ? "" : "cannot write " + path;

    const std::string actual = name + ".actual.png";
    BgraPicture golden;
    if (!readPng(path, golden)) {
        writePng(actual, bgra, width, height, stride);
        return "no reference picture " + path + " (this run's picture: " + actual + ")";
    }
    if (golden.width != width || golden.height != height) {
        writePng(actual, bgra, width, height, stride);
        return "size " + std::to_string(width) + "x" + std::to_string(height) + " against " +
               std::to_string(golden.width) + "x" + std::to_string(golden.height) + " of " + path;
    }
    int off = 0;
    int worst = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bgra + size_t(y) * stride;
        const uint8_t* want = golden.pixels.data() + size_t(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            int difference = 0;
            for (int c = 0; c < 4; ++c)
                difference = std::max(difference, std::abs(row[x * 4 + c] - want[x * 4 + c]));
            worst = std::max(worst, difference);
            if (difference > tolerance)
                ++off;
        }
    }
    if (off <= maxOffPixels)
        return "";
    writePng(actual, bgra, width, height, stride);
    const std::string difference = name + ".diff.png";
    writeDifference(difference, bgra, stride, golden, tolerance);
    return std::to_string(off) + " pixels differ from " + path + " by more than " +
           std::to_string(tolerance) + " (at most " + std::to_string(worst) +
           "); this run's picture: " + actual + ", the differences in red: " + difference;
}

} // namespace testsupport
