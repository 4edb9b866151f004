// Any sequence of drawing calls with any numbers (NaN, infinities, huge and
// negative values, any counts) on the software renderer: nothing may crash,
// hang or write outside the back buffer.
#include "gui/graphics/AM_AGG_Context.h"
#include "platform/Surface.h"

#include <cstdint>
#include <cstring>

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return position_ >= size_; }
    uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
    // A float from 4 raw bytes: every bit pattern, NaN and infinity included.
    float raw()
    {
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits = bits << 8 | byte();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // A float in a range a drawing might use, or now and then a raw one.
    float number()
    {
        const uint8_t kind = byte();
        if (kind < 32)
            return raw();
        return static_cast<float>(static_cast<int8_t>(byte())) * 2.0f +
               static_cast<float>(kind) / 256.0f;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

constexpr int kMaxPoints = 64;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in(data, size);
    platform::HeadlessSurface surface(64, 48);
    AM_AGG_Context context(&surface);
    const float zooms[] = {1.0f, 1.5f, 2.0f, 0.5f, 3.0f, 0.0f, -1.0f, 1.25f};
    context.setZoom(zooms[in.byte() % 8], 64, 48);
    context.beginDraw();
    float points[2 * kMaxPoints];
    for (int operations = 0; !in.done() && operations < 256; ++operations) {
        const uint8_t op = in.byte();
        switch (op % 16) {
        case 0:
        case 1: {
            const AM_Rect r{in.number(), in.number(), in.number(), in.number()};
            if (op % 16 == 0)
                context.fillRect(&r);
            else
                context.frameRect(&r);
            break;
        }
        case 2: {
            const float p0[2] = {in.number(), in.number()};
            const float p1[2] = {in.number(), in.number()};
            context.drawLine(p0, p1, in.number());
            break;
        }
        case 3:
        case 4:
        case 11: {
            const int count = in.byte() % (kMaxPoints + 1);
            for (int i = 0; i < 2 * count; ++i)
                points[i] = in.number();
            if (op % 16 == 3) {
                context.drawPolyline(points, count, in.number(), (in.byte() & 1) != 0);
            } else if (op % 16 == 4) {
                context.fillPolygon(points, count);
            } else {
                const float p0[2] = {in.number(), in.number()};
                const float p1[2] = {in.number(), in.number()};
                context.fillPolygonGradient(points, count, p0, p1, in.byte() * 0x01010101u,
                                            ~(in.byte() * 0x01010101u));
            }
            break;
        }
        case 5: {
            const float centre[2] = {in.number(), in.number()};
            context.fillRingSegment(centre, in.number(), in.number(), in.number(), in.number());
            break;
        }
        case 6: {
            const float centre[2] = {in.number(), in.number()};
            context.drawCircle(centre, in.number(), in.number());
            break;
        }
        case 7:
            context.pushClip();
            break;
        case 8:
            context.popClip();
            break;
        case 9: {
            const AM_Rect r{in.number(), in.number(), in.number(), in.number()};
            context.intersectClip(&r);
            break;
        }
        case 10:
            context.setColour(in.number(), in.number(), in.number(), in.number());
            break;
        case 12: {
            const AM_Rect r{in.number(), in.number(), in.number(), in.number()};
            context.blitToWindow(&r);
            break;
        }
        case 13: {
            const AM_Rect canvas{in.number(), in.number(), static_cast<float>(in.byte() % 96),
                                 static_cast<float>(in.byte() % 96)};
            context.setCanvas(&canvas);
            break;
        }
        case 14:
            context.setZoom(in.number(), 0, 0);
            break;
        default:
            context.beginDraw();
            break;
        }
    }
    return 0;
}
