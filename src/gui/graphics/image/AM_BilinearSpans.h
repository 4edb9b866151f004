#pragma once
// The bilinear span generator of the filtered image path: for every pixel of
// a span, the four image pixels around the mapped point weighted by its
// sub-pixel position (8 bits in x and y), outside the image a background
// colour, rounded to 8 bits.
//
// It computes exactly what Anti-Grain Geometry's
// span_image_filter_rgba_bilinear over an image_accessor_clip computes (the
// same interpolator, offsets, weights and rounding), pixel for pixel, but
// reads the four pixels straight from their rows where all four lie inside
// the image, which is nearly always, instead of through the accessor's
// per-pixel bounds checks. Redraws of small dirty areas over scaled images
// spend most of their time here.
//
// GUI thread only (one generator per drawing call).

#include <agg_basics.h>
#include <agg_color_rgba.h>
#include <agg_image_filters.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rendering_buffer.h>
#include <agg_span_interpolator_linear.h>

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

class AM_BilinearSpans {
public:
    using color_type = agg::rgba8;
    using Interpolator = agg::span_interpolator_linear<>;

    // `image`: 32-bit pixels in the back buffer's order (B, G, R, A);
    // `outside`: the colour of every point outside the image.
    AM_BilinearSpans(const agg::rendering_buffer& image, Interpolator& interpolator,
                     const agg::rgba8& outside)
        : image_(image), interpolator_(interpolator)
    {
        agg::pixfmt_bgra32::make_pix(outside_, outside);
    }

    void prepare() {}

    void generate(agg::rgba8* span, int x, int y, unsigned length)
    {
        if (length == 0)
            return;
        interpolator_.begin(x + kOffset, y + kOffset, length);
        const int width = int(image_.width());
        const int height = int(image_.height());
        do {
            int xh = 0;
            int yh = 0;
            interpolator_.coordinates(&xh, &yh);
            xh -= kOffsetInt;
            yh -= kOffsetInt;
            const int xl = xh >> agg::image_subpixel_shift;
            const int yl = yh >> agg::image_subpixel_shift;
            xh &= agg::image_subpixel_mask;
            yh &= agg::image_subpixel_mask;
            const uint8_t* p00;
            const uint8_t* p01;
            const uint8_t* p10;
            const uint8_t* p11;
            if (xl >= 0 && yl >= 0 && xl + 1 < width && yl + 1 < height) {
                p00 = image_.row_ptr(yl) + xl * kPixelBytes;
                p01 = p00 + kPixelBytes;
                p10 = image_.row_ptr(yl + 1) + xl * kPixelBytes;
                p11 = p10 + kPixelBytes;
            } else {
                p00 = pixelAt(xl, yl, width, height);
                p01 = pixelAt(xl + 1, yl, width, height);
                p10 = pixelAt(xl, yl + 1, width, height);
                p11 = pixelAt(xl + 1, yl + 1, width, height);
            }
            *span = blend(p00, p01, p10, p11, xh, yh);
            ++span;
            ++interpolator_;
        } while (--length);
    }

private:
    using Order = agg::order_bgra;
    static constexpr int kPixelBytes = 4;
    static constexpr double kOffset = 0.5;
    static constexpr int kOffsetInt = agg::image_subpixel_scale / 2;
    static constexpr int kScale = agg::image_subpixel_scale;
    static constexpr uint32_t kRounding = agg::image_subpixel_scale * agg::image_subpixel_scale / 2;

    // The weighted sum of the four pixels, as the library forms it:
    // (S^2 / 2 + sum of w * p) >> 2 s with the weights (S - xh)(S - yh),
    // xh (S - yh), (S - xh) yh and xh yh (S = 256 = 2^s). In integers the sum
    // is the same when gathered by rows first: (S - yh) ((S - xh) p00 + xh
    // p01) + yh ((S - xh) p10 + xh p11), whose row sums fit 16 bits and
    // whose products fit 32.
    static agg::rgba8 blend(const uint8_t* p00, const uint8_t* p01, const uint8_t* p10,
                            const uint8_t* p11, int xh, int yh)
    {
        const __m128i zero = _mm_setzero_si128();
        const auto load = [](const uint8_t* p) {
            int32_t v = 0;
            std::memcpy(&v, p, sizeof v);
            return _mm_cvtsi32_si128(v);
        };
        // [p00, p10] and [p01, p11], four 16-bit channels each.
        const __m128i left = _mm_unpacklo_epi8(_mm_unpacklo_epi32(load(p00), load(p10)), zero);
        const __m128i right = _mm_unpacklo_epi8(_mm_unpacklo_epi32(load(p01), load(p11)), zero);
        const __m128i rows =
            _mm_add_epi16(_mm_mullo_epi16(left, _mm_set1_epi16(int16_t(kScale - xh))),
                          _mm_mullo_epi16(right, _mm_set1_epi16(int16_t(xh))));
        const __m128i weights = _mm_setr_epi16(int16_t(kScale - yh), int16_t(kScale - yh),
                                               int16_t(kScale - yh), int16_t(kScale - yh),
                                               int16_t(yh), int16_t(yh), int16_t(yh), int16_t(yh));
        const __m128i low = _mm_mullo_epi16(rows, weights);
        const __m128i high = _mm_mulhi_epu16(rows, weights);
        const __m128i sum = _mm_add_epi32(
            _mm_add_epi32(_mm_unpacklo_epi16(low, high), _mm_unpackhi_epi16(low, high)),
            _mm_set1_epi32(int32_t(kRounding)));
        const __m128i channels = _mm_srli_epi32(sum, 2 * agg::image_subpixel_shift);
        alignas(16) uint32_t c[kPixelBytes];
        _mm_store_si128(reinterpret_cast<__m128i*>(c), channels);
        return agg::rgba8(agg::int8u(c[Order::R]), agg::int8u(c[Order::G]), agg::int8u(c[Order::B]),
                          agg::int8u(c[Order::A]));
    }

    const uint8_t* pixelAt(int x, int y, int width, int height) const
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            return image_.row_ptr(y) + x * kPixelBytes;
        return outside_;
    }

    const agg::rendering_buffer& image_;
    Interpolator& interpolator_;
    uint8_t outside_[kPixelBytes] = {};
};
