#include "gui/graphics/image/AM_BilinearSpans.h"

#include <agg_image_accessors.h>
#include <agg_span_image_filter_rgba.h>
#include <agg_trans_affine.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using PixelFormat = agg::pixfmt_bgra32;
using Interpolator = agg::span_interpolator_linear<>;
using Reference =
    agg::span_image_filter_rgba_bilinear<agg::image_accessor_clip<PixelFormat>, Interpolator>;

const agg::rgba8 kOutside(255, 255, 255, 0);

struct Mapping {
    const char* name;
    int imageWidth, imageHeight;
    double scaleX, scaleY, angle, dx, dy;
};

// The fast generator against the library's generator over the same image
// accessor semantics: every span of a 40 x 30 area, mapped into the image by
// scalings (up and down), offsets that put the area partly outside the image,
// rotations, and images of one pixel and of one row.
TEST(AM_BilinearSpans, EqualsTheLibrarysBilinearFilterPixelForPixel)
{
    const Mapping mappings[] = {
        {"enlarged", 17, 9, 0.37, 0.29, 0.0, 0.0, 0.0},
        {"reduced", 64, 48, 2.3, 1.7, 0.0, -3.2, 1.4},
        {"partly outside", 20, 20, 0.8, 0.8, 0.0, -9.7, -6.3},
        {"rotated", 25, 31, 0.9, 1.1, 0.61, 4.0, -5.0},
        {"one pixel", 1, 1, 0.05, 0.05, 0.0, -0.5, -0.5},
        {"one row", 33, 1, 0.9, 0.03, 0.0, 0.0, -0.2},
        {"exact", 40, 30, 1.0, 1.0, 0.0, 0.0, 0.0},
    };
    std::mt19937 random(20261211u);
    for (const Mapping& m : mappings) {
        std::vector<uint8_t> pixels(size_t(m.imageWidth) * size_t(m.imageHeight) * 4);
        for (uint8_t& p : pixels)
            p = uint8_t(random());
        agg::rendering_buffer rows(pixels.data(), unsigned(m.imageWidth), unsigned(m.imageHeight),
                                   m.imageWidth * 4);
        PixelFormat image(rows);
        agg::image_accessor_clip<PixelFormat> accessor(image, kOutside);
        agg::trans_affine transform;
        transform *= agg::trans_affine_rotation(m.angle);
        transform *= agg::trans_affine_scaling(m.scaleX, m.scaleY);
        transform *= agg::trans_affine_translation(m.dx, m.dy);
        Interpolator referenceInterpolator(transform);
        Interpolator fastInterpolator(transform);
        Reference reference(accessor, referenceInterpolator);
        AM_BilinearSpans fast(rows, fastInterpolator, kOutside);

        int differing = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x0 : {0, 7}) {
                const unsigned length = unsigned(40 - x0);
                std::vector<agg::rgba8> expected(length), actual(length);
                reference.generate(expected.data(), x0, y, length);
                fast.generate(actual.data(), x0, y, length);
                for (unsigned i = 0; i < length; ++i) {
                    const agg::rgba8& e = expected[i];
                    const agg::rgba8& a = actual[i];
                    if (e.r != a.r || e.g != a.g || e.b != a.b || e.a != a.a)
                        ++differing;
                }
            }
        }
        EXPECT_EQ(differing, 0) << m.name;
    }
}

} // namespace
