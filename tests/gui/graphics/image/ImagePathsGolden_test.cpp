// Reference pictures of every image drawing path at zooms 1 and 2: opaque
// images copied 1:1, doubled and enlarged 2.5 times, stretched through the
// filter, an image with alpha blended 1:1, turned with and without
// opacity (the cross-fade of a rotated strip), squeezed, and clipped.
#include "gui/graphics/image/AM_ImageDrawing.h"

#include "GoldenImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 128;

// A knob-like picture: a colour gradient with a white pointer up, square
// and opaque, or round with a soft edge.
AM_PixelMap knob(bool round)
{
    AM_PixelMap image;
    image.create(kSide, kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            uint8_t* p = image.row(uint32_t(y)) + x * 4;
            const float dx = x - 63.5f;
            const float dy = y - 63.5f;
            const float r = std::sqrt(dx * dx + dy * dy);
            p[kPixelBlue] = uint8_t(200 - x / 2);
            p[kPixelGreen] = uint8_t(60 + y);
            p[kPixelRed] = uint8_t(40 + x);
            p[kPixelAlpha] = round ? uint8_t(std::clamp(60.5f - r, 0.0f, 1.0f) * 255) : 255;
            if (std::fabs(dx) < 3 && dy < 0 && r < 58)
                p[kPixelBlue] = p[kPixelGreen] = p[kPixelRed] = 240;
        }
    return image;
}

struct Scene {
    explicit Scene(float zoom)
        : width(int(560 * zoom)), height(int(300 * zoom)), pixels(size_t(width) * height * 4)
    {
        // A grey chequer shows what is blended and what is copied.
        const int square = int(8 * zoom);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t grey = ((x / square + y / square) & 1) ? 200 : 230;
                uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
                p[0] = p[1] = p[2] = grey;
                p[3] = 255;
            }
        rows.attach(pixels.data(), unsigned(width), unsigned(height), width * 4);
        target.buffer = &rows;
        target.clip = agg::rect_i(0, 0, width - 1, height - 1);
        target.zoom = zoom;
    }
    int width;
    int height;
    std::vector<uint8_t> pixels;
    agg::rendering_buffer rows;
    AM_ImageTarget target;
};

void drawScene(Scene& scene)
{
    const float z = scene.target.zoom;
    const AM_PixelMap square = knob(false);
    const AM_PixelMap round = knob(true);
    const float oneToOne = kSide / z;
    AM_drawImage(scene.target, square, false, {10, 10, oneToOne, oneToOne});
    AM_drawImage(scene.target, square, false, {150, 10, 128, 128});
    AM_drawImage(scene.target, square, false, {290, 10, 90, 90});
    AM_drawImage(scene.target, round, true, {400, 10, oneToOne, oneToOne});
    AM_drawImageRotated(scene.target, round, {10, 160, 128, 128}, 30, 1.0f);
    AM_drawImageRotated(scene.target, round, {150, 160, 128, 128}, -15, 1.0f);
    AM_drawImageRotated(scene.target, round, {150, 160, 128, 128}, 15, 0.5f);
    AM_drawImageFiltered(scene.target, round, {290, 160, 64, 128});
    AM_ImageTarget clipped = scene.target;
    clipped.clip = agg::rect_i(int(400 * z), int(160 * z), int(460 * z), int(250 * z));
    AM_drawImage(clipped, round, true, {400, 160, 128, 128});
}

TEST(ImagePathsGolden, EveryPathAtZoomsOneAndTwo)
{
    for (const float zoom : {1.0f, 2.0f}) {
        Scene scene(zoom);
        drawScene(scene);
        const std::string name = "image_paths_z" + std::to_string(int(zoom));
        EXPECT_EQ(testsupport::compareWithGolden(name, scene.pixels.data(), scene.width,
                                                 scene.height, scene.width * 4, 1),
                  "");
    }
}

} // namespace
