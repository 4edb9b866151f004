#include "gui/graphics/image/AM_PngDecoder.h"

#include "PngEncoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using pngfixture::Image;

// What the decoder makes of an 8-bit sample for a file gamma: the colour
// corrected for the screen gamma of 2.6.
int corrected(int sample, double fileGamma = kPngDefaultFileGamma)
{
    const double exponent = 1.0 / (kPngScreenGamma * fileGamma);
    return int(std::floor(255.0 * std::pow(sample / 255.0, exponent) + 0.5));
}

struct Bgra {
    int b, g, r, a;
};

Bgra pixelAt(const AM_PixelMap& image, uint32_t x, uint32_t y)
{
    const uint8_t* p = image.row(y) + x * kPixelMapBytesPerPixel;
    return {p[kPixelBlue], p[kPixelGreen], p[kPixelRed], p[kPixelAlpha]};
}

// Channels may differ by one step from the rounding of libpng's gamma table.
void expectPixel(const AM_PixelMap& image, uint32_t x, uint32_t y, Bgra want)
{
    const Bgra got = pixelAt(image, x, y);
    SCOPED_TRACE("pixel " + std::to_string(x) + "," + std::to_string(y));
    EXPECT_NEAR(got.b, want.b, 1);
    EXPECT_NEAR(got.g, want.g, 1);
    EXPECT_NEAR(got.r, want.r, 1);
    EXPECT_EQ(got.a, want.a);
}

struct DecodeCase {
    const char* name;
    Image image;
    // Expected pixels of the first row, left to right.
    std::vector<Bgra> firstRow;
    bool transparent;
};

Image make(uint32_t width, int colourType, int bitDepth, std::vector<uint16_t> samples)
{
    Image image;
    image.width = width;
    image.height = 1;
    image.colourType = colourType;
    image.bitDepth = bitDepth;
    image.samples = std::move(samples);
    return image;
}

std::vector<DecodeCase> decodeCases()
{
    std::vector<DecodeCase> cases;
    const int c0 = corrected(0), c64 = corrected(64), c128 = corrected(128), c200 = corrected(200);

    cases.push_back({"rgb",
                     make(2, PNG_COLOR_TYPE_RGB, 8, {255, 0, 128, 0, 64, 200}),
                     {{c128, c0, 255, 255}, {c200, c64, c0, 255}},
                     false});
    cases.push_back({"rgba",
                     make(2, PNG_COLOR_TYPE_RGB_ALPHA, 8, {255, 0, 0, 128, 0, 0, 255, 0}),
                     {{c0, c0, 255, 128}, {255, c0, c0, 0}},
                     true});
    cases.push_back({"rgbaOpaque",
                     make(1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {10, 20, 30, 255}),
                     {{corrected(30), corrected(20), corrected(10), 255}},
                     false});

    Image palette = make(3, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2});
    palette.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    palette.paletteAlpha = {0, 128};
    cases.push_back({"paletteWithTransparency",
                     palette,
                     {{c0, c0, 255, 0}, {c0, 255, c0, 128}, {255, c0, c0, 255}},
                     true});

    Image palette4 = make(2, PNG_COLOR_TYPE_PALETTE, 4, {1, 0});
    palette4.palette = {{0, 0, 0}, {255, 255, 255}};
    cases.push_back({"palette4Bit", palette4, {{255, 255, 255, 255}, {0, 0, 0, 255}}, false});

    cases.push_back({"grey",
                     make(2, PNG_COLOR_TYPE_GRAY, 8, {128, 255}),
                     {{c128, c128, c128, 255}, {255, 255, 255, 255}},
                     false});
    cases.push_back({"grey1Bit",
                     make(3, PNG_COLOR_TYPE_GRAY, 1, {1, 0, 1}),
                     {{255, 255, 255, 255}, {0, 0, 0, 255}, {255, 255, 255, 255}},
                     false});
    cases.push_back({"greyAlpha",
                     make(2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {64, 255, 255, 0}),
                     {{c64, c64, c64, 255}, {255, 255, 255, 0}},
                     true});

    Image greyKey = make(2, PNG_COLOR_TYPE_GRAY, 8, {0, 255});
    greyKey.hasTransparentColour = true;
    greyKey.transparentColour.gray = 0;
    cases.push_back(
        {"greyWithTransparentColour", greyKey, {{0, 0, 0, 0}, {255, 255, 255, 255}}, true});

    cases.push_back(
        {"rgba16",
         make(2, PNG_COLOR_TYPE_RGB_ALPHA, 16, {0xffff, 0, 0, 0x8080, 0, 0, 0xffff, 0xffff}),
         {{c0, c0, 255, 128}, {255, c0, c0, 255}},
         true});
    cases.push_back(
        {"grey16", make(1, PNG_COLOR_TYPE_GRAY, 16, {0xffff}), {{255, 255, 255, 255}}, false});

    Image srgb = make(1, PNG_COLOR_TYPE_RGB, 8, {128, 128, 128});
    srgb.srgb = true;
    cases.push_back({"srgbChunk", srgb, {{c128, c128, c128, 255}}, false});

    Image linear = make(1, PNG_COLOR_TYPE_RGB, 8, {128, 128, 128});
    linear.fileGamma = 1.0;
    const int l128 = corrected(128, 1.0);
    cases.push_back({"gammaChunk", linear, {{l128, l128, l128, 255}}, false});
    return cases;
}

TEST(PngDecoder, EveryColourTypeBecomesBgraWithAlpha)
{
    for (const DecodeCase& c : decodeCases()) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> file = pngfixture::encode(c.image);
        ASSERT_FALSE(file.empty());
        AM_PixelMap image;
        ASSERT_EQ(AM_decodePng(file.data(), file.size(), image), AM_PngStatus::ok);
        ASSERT_EQ(image.width(), c.image.width);
        ASSERT_EQ(image.height(), 1u);
        for (uint32_t x = 0; x < c.firstRow.size(); ++x)
            expectPixel(image, x, 0, c.firstRow[x]);
        EXPECT_EQ(image.hasTransparency(), c.transparent);
    }
}

TEST(PngDecoder, InterlacedImageEqualsTheProgressiveOne)
{
    Image image;
    image.width = 13;
    image.height = 11;
    image.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x)
            for (uint16_t v :
                 {uint16_t(x * 19), uint16_t(y * 23), uint16_t(x * y), uint16_t(255 - x)})
                image.samples.push_back(v);
    const std::vector<uint8_t> progressive = pngfixture::encode(image);
    image.interlaced = true;
    const std::vector<uint8_t> interlaced = pngfixture::encode(image);
    ASSERT_NE(progressive, interlaced);

    AM_PixelMap a;
    AM_PixelMap b;
    ASSERT_EQ(AM_decodePng(progressive.data(), progressive.size(), a), AM_PngStatus::ok);
    ASSERT_EQ(AM_decodePng(interlaced.data(), interlaced.size(), b), AM_PngStatus::ok);
    ASSERT_EQ(b.width(), 13u);
    ASSERT_EQ(b.height(), 11u);
    EXPECT_EQ(std::memcmp(a.buffer(), b.buffer(), a.stride() * a.height()), 0);
    expectPixel(b, 12, 10, {corrected(120), corrected(230), corrected(228), 243});
}

Image opaqueSquare(uint32_t side)
{
    Image image;
    image.width = side;
    image.height = side;
    image.samples.assign(size_t(side) * side * 3, 77);
    return image;
}

TEST(PngDecoder, DamagedDataGivesNoImage)
{
    const std::vector<uint8_t> good = pngfixture::encode(opaqueSquare(32));
    ASSERT_GT(good.size(), 60u);

    std::vector<uint8_t> badCrc = good;
    badCrc[20] ^= 0x40; // inside the header's data: its CRC no longer fits
    std::vector<uint8_t> noEnd(good.begin(), good.end() - 12); // IEND cut off

    struct Damage {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Damage> damages = {
        {"empty", {}},
        {"signatureOnly", std::vector<uint8_t>(good.begin(), good.begin() + 8)},
        {"truncatedInHeader", std::vector<uint8_t>(good.begin(), good.begin() + 20)},
        {"truncatedInImageData", std::vector<uint8_t>(good.begin(), good.end() - 30)},
        {"withoutEnd", noEnd},
        {"headerCrc", badCrc},
        {"notPng", std::vector<uint8_t>(100, 'x')},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        AM_PixelMap image;
        ASSERT_TRUE(image.create(4, 4));
        EXPECT_EQ(AM_decodePng(damage.bytes.empty() ? nullptr : damage.bytes.data(),
                               damage.bytes.size(), image),
                  AM_PngStatus::corrupt);
        EXPECT_TRUE(image.empty());
        EXPECT_EQ(image.width(), 0u);
    }
}

TEST(PngDecoder, HugeHeadersAreRefusedBeforeAnyAllocation)
{
    struct Size {
        uint32_t width, height;
    };
    // Over the side cap; within it but over the pixel cap; PNG's own limit.
    for (const Size size : {Size{100000, 100000}, Size{kPixelMapMaxSide + 1, 1},
                            Size{kPixelMapMaxSide, kPixelMapMaxSide}, Size{0x7fffffff, 1}}) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        std::vector<uint8_t> file = pngfixture::encode(opaqueSquare(2));
        pngfixture::patchHeaderSize(file, size.width, size.height);
        AM_PixelMap image;
        EXPECT_EQ(AM_decodePng(file.data(), file.size(), image), AM_PngStatus::corrupt);
        EXPECT_TRUE(image.empty());
    }
}

TEST(PngDecoder, LargestAllowedStripDecodes)
{
    Image strip;
    strip.width = 4;
    strip.height = kPixelMapMaxSide;
    strip.colourType = PNG_COLOR_TYPE_GRAY;
    strip.samples.assign(size_t(strip.width) * strip.height, 255);
    const std::vector<uint8_t> file = pngfixture::encode(strip);
    AM_PixelMap image;
    ASSERT_EQ(AM_decodePng(file.data(), file.size(), image), AM_PngStatus::ok);
    EXPECT_EQ(image.height(), kPixelMapMaxSide);
    expectPixel(image, 3, kPixelMapMaxSide - 1, {255, 255, 255, 255});
}

TEST(PngDecoder, ABudgetRefusesLargerImagesBeforeTheirPixelsAreTaken)
{
    const std::vector<uint8_t> file = pngfixture::encode(opaqueSquare(32));
    constexpr uint64_t kBytes = 32 * 32 * 4;
    struct Row {
        uint64_t maxBytes;
        AM_PngStatus status;
    };
    for (const Row row : {Row{kBytes, AM_PngStatus::ok}, Row{kBytes - 1, AM_PngStatus::overBudget},
                          Row{0, AM_PngStatus::overBudget}}) {
        SCOPED_TRACE(row.maxBytes);
        AM_PngBudget budget;
        budget.maxBytes = row.maxBytes;
        AM_PixelMap image;
        EXPECT_EQ(AM_decodePng(file.data(), file.size(), image, &budget), row.status);
        EXPECT_EQ(image.empty(), row.status != AM_PngStatus::ok);
        EXPECT_EQ(budget.refused, row.status == AM_PngStatus::overBudget);
        EXPECT_EQ(budget.width, 32u);
        EXPECT_EQ(budget.height, 32u);
    }
}

TEST(PngDecoder, VersionIsTheLibrarysOwn)
{
    EXPECT_STREQ(AM_pngLibraryVersion(), PNG_LIBPNG_VER_STRING);
}

TEST(PixelMap, SizesAreCapped)
{
    AM_PixelMap image;
    EXPECT_FALSE(image.create(0, 5));
    EXPECT_FALSE(image.create(kPixelMapMaxSide + 1, 1));
    EXPECT_FALSE(image.create(kPixelMapMaxSide, kPixelMapMaxSide));
    EXPECT_TRUE(image.empty());
    ASSERT_TRUE(image.create(3, 2, 255));
    EXPECT_EQ(image.stride(), 12u);
    EXPECT_FALSE(image.hasTransparency());
    image.row(1)[2 * kPixelMapBytesPerPixel + kPixelAlpha] = 254;
    EXPECT_TRUE(image.hasTransparency());
}

} // namespace
