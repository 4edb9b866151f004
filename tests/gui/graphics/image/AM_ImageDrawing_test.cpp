#include "gui/graphics/image/AM_ImageDrawing.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using Bgra = std::array<int, 4>;

// A white, opaque back buffer and a target over it.
struct BackBuffer {
    BackBuffer(int w, int h, float zoom = 1.0f)
        : width(w), height(h), pixels(size_t(w) * h * 4, 255)
    {
        rows.attach(pixels.data(), w, h, w * 4);
        target.buffer = &rows;
        target.clip = agg::rect_i(0, 0, w - 1, h - 1);
        target.zoom = zoom;
    }
    Bgra at(int x, int y) const
    {
        const uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    int width;
    int height;
    std::vector<uint8_t> pixels;
    agg::rendering_buffer rows;
    AM_ImageTarget target;
};

// An image whose pixel (x, y) is blue x, green y, red 10, alpha a.
AM_PixelMap gradient(uint32_t w, uint32_t h, uint8_t alpha = 255)
{
    AM_PixelMap image;
    image.create(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = image.row(y) + x * 4;
            p[kPixelBlue] = uint8_t(x);
            p[kPixelGreen] = uint8_t(y);
            p[kPixelRed] = 10;
            p[kPixelAlpha] = alpha;
        }
    return image;
}

AM_PixelMap solid(uint32_t w, uint32_t h, Bgra colour)
{
    AM_PixelMap image;
    image.create(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                image.row(y)[x * 4 + c] = uint8_t(colour[c]);
    return image;
}

const Bgra kWhite = {255, 255, 255, 255};

TEST(ImageDrawing, PathsByScaleAlphaAndSize)
{
    struct Case {
        const char* name;
        float imageSide;
        bool alpha;
        float rectSide;
        float zoom;
        AM_ImagePath path;
    };
    const std::vector<Case> cases = {
        {"small opaque 1:1", 64, false, 64, 1, AM_ImagePath::filtered},
        {"opaque 1:1", 128, false, 128, 1, AM_ImagePath::copy},
        {"opaque 1:1 at zoom 2", 128, false, 64, 2, AM_ImagePath::copy},
        {"opaque doubled", 128, false, 128, 2, AM_ImagePath::copyDouble},
        {"opaque doubled, nearly", 128, false, 127.5f, 2, AM_ImagePath::copyDouble},
        {"opaque 2.5 times", 128, false, 160, 2, AM_ImagePath::copyTwoAndHalf},
        {"opaque 1.5 times", 128, false, 192, 1, AM_ImagePath::filtered},
        {"alpha 1:1", 128, true, 128, 1, AM_ImagePath::blend},
        {"alpha doubled", 128, true, 256, 1, AM_ImagePath::filtered},
        {"side of 100", 100, false, 100, 1, AM_ImagePath::filtered},
    };
    for (const Case& c : cases) {
        const AM_ImageRect rect{0, 0, c.rectSide, c.rectSide};
        EXPECT_EQ(AM_chooseImagePath(c.imageSide, c.imageSide, c.alpha, rect, c.zoom), c.path)
            << c.name;
    }
}

TEST(ImageDrawing, CopyWritesPixelsUnblendedInsideTheClip)
{
    BackBuffer back(8, 8);
    back.target.clip = agg::rect_i(2, 2, 5, 6);
    const AM_PixelMap image = gradient(4, 4, 100);
    AM_copyImage(back.target, image, {1, 1, 4, 4}, 1, 1);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x <= 4 && y >= 2 && y <= 4;
            const Bgra want = inside ? Bgra{x - 1, y - 1, 10, 100} : kWhite;
            EXPECT_EQ(back.at(x, y), want) << x << "," << y;
        }
}

TEST(ImageDrawing, CopiesEnlargeByWholeBlocks)
{
    struct Case {
        int numerator, denominator;
        std::vector<int> sourceOfColumn; // image column shown in back-buffer columns 0..
    };
    for (const Case& c :
         {Case{2, 1, {0, 0, 1, 1, 2, 2, 3, 3}}, Case{5, 2, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}}}) {
        BackBuffer back(12, 12, 2.0f);
        const AM_PixelMap image = gradient(4, 4);
        AM_copyImage(back.target, image, {0, 0, 6, 6}, c.numerator, c.denominator);
        for (size_t x = 0; x < c.sourceOfColumn.size(); ++x)
            for (size_t y = 0; y < c.sourceOfColumn.size(); ++y)
                EXPECT_EQ(back.at(int(x), int(y)),
                          (Bgra{c.sourceOfColumn[x], c.sourceOfColumn[y], 10, 255}))
                    << c.numerator << "/" << c.denominator << " at " << x << "," << y;
        const int end = int(c.sourceOfColumn.size());
        EXPECT_EQ(back.at(end, 0), kWhite);
        EXPECT_EQ(back.at(0, end), kWhite);
    }
}

TEST(ImageDrawing, CopyStaysInsideBufferAndImage)
{
    BackBuffer back(6, 6);
    const AM_PixelMap image = gradient(4, 4);
    // Partly outside the buffer on every side, and a rectangle larger than
    // the image.
    for (const AM_ImageRect rect : {AM_ImageRect{-2, -3, 4, 4}, AM_ImageRect{4, 5, 4, 4},
                                    AM_ImageRect{0, 0, 40, 40}, AM_ImageRect{1e9f, 0, 4, 4}}) {
        AM_copyImage(back.target, image, rect, 1, 1);
        AM_copyImage(back.target, image, rect, 5, 2);
    }
    EXPECT_EQ(back.at(0, 0), (Bgra{0, 0, 10, 255}));
    EXPECT_EQ(back.at(5, 5), (Bgra{2, 2, 10, 255}));
}

TEST(ImageDrawing, FilteredPathStretchesAndStaysInTheClip)
{
    BackBuffer back(20, 20);
    back.target.clip = agg::rect_i(0, 0, 9, 19);
    const Bgra red = {0, 0, 255, 255};
    const AM_PixelMap image = solid(2, 2, red);
    AM_drawImageFiltered(back.target, image, {2, 2, 12, 12});
    // Inside; the outermost half image pixel fades toward the transparent
    // outside.
    EXPECT_EQ(back.at(5, 7), red);
    EXPECT_EQ(back.at(9, 10), red);
    EXPECT_GT(back.at(9, 13)[0], 0);
    EXPECT_EQ(back.at(10, 7), kWhite); // right of the clip
    EXPECT_EQ(back.at(5, 1), kWhite);  // above the rectangle
    EXPECT_EQ(back.at(5, 16), kWhite); // below it and its extra row
}

TEST(ImageDrawing, ZoomAndCanvasOriginPlaceTheImage)
{
    BackBuffer back(40, 40, 2.0f);
    back.target.canvasX = 5;
    const Bgra blue = {255, 0, 0, 255};
    AM_drawImageFiltered(back.target, solid(4, 4, blue), {10, 3, 4, 4});
    EXPECT_EQ(back.at(11, 7), blue);
    EXPECT_EQ(back.at(16, 12), blue);
    EXPECT_EQ(back.at(9, 8), kWhite);
    EXPECT_EQ(back.at(10, 5), kWhite);
}

TEST(ImageDrawing, BlendMixesByAlpha)
{
    BackBuffer back(4, 4);
    AM_blendImage(back.target, solid(2, 2, {0, 0, 0, 128}), {1, 1, 2, 2});
    const Bgra mixed = back.at(1, 1);
    EXPECT_NEAR(mixed[0], 127, 1);
    EXPECT_EQ(mixed[3], 255);
    EXPECT_EQ(back.at(0, 0), kWhite);
    EXPECT_EQ(back.at(3, 3), kWhite);
}

// A 21 x 21 image, white and transparent but for a black dot right of the
// centre.
AM_PixelMap dotRightOfCentre()
{
    AM_PixelMap image = solid(21, 21, {255, 255, 255, 0});
    for (uint32_t y = 9; y <= 11; ++y)
        for (uint32_t x = 16; x <= 18; ++x)
            for (int c = 0; c < 4; ++c)
                image.row(y)[x * 4 + c] = c == 3 ? 255 : 0;
    return image;
}

TEST(ImageDrawing, PositiveAnglesTurnCounterClockwise)
{
    struct Case {
        float angle;
        int x, y; // where the dot lands
    };
    for (const Case c : {Case{0, 17, 10}, Case{90, 10, 3}, Case{-90, 10, 17}, Case{180, 3, 10}}) {
        BackBuffer back(21, 21);
        AM_drawImageRotated(back.target, dotRightOfCentre(), {0, 0, 21, 21}, c.angle, 1.0f);
        EXPECT_LT(back.at(c.x, c.y)[0], 60) << c.angle;
        EXPECT_EQ(back.at(10, 10), kWhite) << c.angle;
    }
}

TEST(ImageDrawing, RotatedOpacityScalesTheImage)
{
    struct Case {
        float alpha;
        int expected;
    };
    for (const Case c :
         {Case{1.0f, 0}, Case{0.5f, 127}, Case{0.0f, 255}, Case{7.0f, 0}, Case{-1.0f, 255}}) {
        BackBuffer back(8, 8);
        AM_drawImageRotated(back.target, solid(8, 8, {0, 0, 0, 255}), {0, 0, 8, 8}, 0, c.alpha);
        EXPECT_NEAR(back.at(4, 4)[1], c.expected, 1) << c.alpha;
    }
}

TEST(ImageDrawing, EmptyClipsAndImagesDrawNothing)
{
    BackBuffer back(8, 8);
    back.target.clip = agg::rect_i(4, 4, 3, 3);
    const AM_PixelMap image = solid(8, 8, {0, 0, 0, 255});
    AM_drawImage(back.target, image, false, {0, 0, 8, 8});
    AM_drawImageRotated(back.target, image, {0, 0, 8, 8}, 30, 1);
    AM_copyImage(back.target, image, {0, 0, 8, 8}, 1, 1);
    back.target.clip = agg::rect_i(0, 0, 7, 7);
    const AM_PixelMap none;
    AM_drawImage(back.target, none, false, {0, 0, 8, 8});
    AM_blendImage(back.target, none, {0, 0, 8, 8});
    AM_drawImageFiltered(back.target, image, {0, 0, 0, 8});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(back.at(x, y), kWhite);
}

} // namespace
