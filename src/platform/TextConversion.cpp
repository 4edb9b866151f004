#include "platform/TextConversion.h"

#include <cstdint>

namespace platform {
namespace {

constexpr char16_t kHighSurrogateFirst = 0xD800;
constexpr char16_t kLowSurrogateFirst = 0xDC00;
constexpr char16_t kSurrogateLast = 0xDFFF;
// Lone low surrogates U+DC80..U+DCFF stand for the bytes 0x80..0xFF that are
// not part of a valid sequence.
constexpr char16_t kEscapeFirst = 0xDC80;
constexpr char16_t kEscapeLast = 0xDCFF;
constexpr char32_t kSupplementaryFirst = 0x10000;
constexpr unsigned kSurrogateBits = 10;
constexpr char32_t kSurrogatePayloadMask = 0x3FF;

bool isHigh(char32_t u)
{
    return u >= kHighSurrogateFirst && u < kLowSurrogateFirst;
}
bool isLow(char32_t u)
{
    return u >= kLowSurrogateFirst && u <= kSurrogateLast;
}
bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the strictly valid UTF-8 sequence (no encoded surrogate, no
// overlong form, nothing above U+10FFFF) at s[i], 0 when there is none.
size_t validSequenceAt(const unsigned char* s, size_t n, size_t i, char32_t& cp)
{
    const unsigned char b0 = s[i];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t len;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0;
        else if (b0 == 0xED)
            hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (n - i < len)
        return 0;
    if (s[i + 1] < lo || s[i + 1] > hi)
        return 0;
    for (size_t k = 1; k < len; ++k) {
        if (!isContinuation(s[i + k]))
            return 0;
        cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    return len;
}

// A surrogate written in generalised UTF-8 (ED A0..BF 80..BF) at s[i].
bool encodedSurrogateAt(const unsigned char* s, size_t n, size_t i, char16_t& unit)
{
    if (n - i < 3 || s[i] != 0xED || s[i + 1] < 0xA0 || s[i + 1] > 0xBF ||
        !isContinuation(s[i + 2]))
        return false;
    unit = static_cast<char16_t>(0xD000 | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F));
    return true;
}

struct Decoded {
    char16_t units[2];
    unsigned count;
    size_t bytes;
};

// Decodes narrow text one character at a time. Remembers how far a run of
// accepted encoded high surrogates reaches so that long runs cost linear time.
class Decoder {
public:
    Decoder(const char* text, size_t length)
        : s_(reinterpret_cast<const unsigned char*>(text)), n_(length)
    {
    }

    bool done() const { return pos_ >= n_; }

    Decoded peek() const
    {
        Decoded d{};
        char32_t cp = 0;
        if (size_t len = validSequenceAt(s_, n_, pos_, cp)) {
            d.bytes = len;
            if (cp >= kSupplementaryFirst) {
                const char32_t v = cp - kSupplementaryFirst;
                d.units[0] = static_cast<char16_t>(kHighSurrogateFirst + (v >> kSurrogateBits));
                d.units[1] =
                    static_cast<char16_t>(kLowSurrogateFirst + (v & kSurrogatePayloadMask));
                d.count = 2;
            } else {
                d.units[0] = static_cast<char16_t>(cp);
                d.count = 1;
            }
            return d;
        }
        char16_t unit = 0;
        if (encodedSurrogateAt(s_, n_, pos_, unit) && acceptEncoded(unit)) {
            d.units[0] = unit;
            d.count = 1;
            d.bytes = 3;
            return d;
        }
        d.units[0] = static_cast<char16_t>(kLowSurrogateFirst + s_[pos_]);
        d.count = 1;
        d.bytes = 1;
        return d;
    }

    void advance(const Decoded& d) { pos_ += d.bytes; }

private:
    // An encoded surrogate is read as that unit unless the result could be
    // taken for something else when converted back: units of the escape range
    // stay bytes, and a high surrogate is taken only when what follows its
    // run of encoded high surrogates is the end or a valid character (never a
    // low surrogate that would pair with it).
    bool acceptEncoded(char16_t unit) const
    {
        if (unit >= kEscapeFirst && unit <= kEscapeLast)
            return false;
        if (!isHigh(unit))
            return true;
        if (pos_ < acceptedRunEnd_)
            return true;
        size_t j = pos_;
        char16_t next = 0;
        while (encodedSurrogateAt(s_, n_, j, next) && isHigh(next))
            j += 3;
        char32_t cp = 0;
        const bool accepted = j >= n_ || validSequenceAt(s_, n_, j, cp) != 0;
        if (accepted)
            acceptedRunEnd_ = j;
        return accepted;
    }

    const unsigned char* s_;
    size_t n_;
    size_t pos_ = 0;
    mutable size_t acceptedRunEnd_ = 0;
};

size_t putUtf8(char32_t cp, char* out)
{
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < kSupplementaryFirst) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

} // namespace

size_t decodeUtf8(const char* text, size_t length, char32_t& codePoint)
{
    if (text == nullptr || length == 0)
        return 0;
    char32_t value = 0;
    const size_t used =
        validSequenceAt(reinterpret_cast<const unsigned char*>(text), length, 0, value);
    if (used > 0)
        codePoint = value;
    return used;
}

size_t encodeUtf8(const char16_t* text, size_t length, char out[kMaxUtf8SequenceBytes],
                  size_t& consumed)
{
    const char16_t u = text[0];
    consumed = 1;
    if (isHigh(u) && length > 1 && isLow(text[1])) {
        consumed = 2;
        const char32_t cp = kSupplementaryFirst +
                            ((static_cast<char32_t>(u - kHighSurrogateFirst) << kSurrogateBits) |
                             static_cast<char32_t>(text[1] - kLowSurrogateFirst));
        return putUtf8(cp, out);
    }
    if (u >= kEscapeFirst && u <= kEscapeLast) {
        out[0] = static_cast<char>(u - kLowSurrogateFirst);
        return 1;
    }
    return putUtf8(u, out);
}

size_t utf8LengthOfUtf16(const char16_t* text, size_t length)
{
    size_t total = 0;
    char bytes[kMaxUtf8SequenceBytes];
    for (size_t i = 0; i < length;) {
        size_t used = 0;
        total += encodeUtf8(text + i, length - i, bytes, used);
        i += used;
    }
    return total;
}

size_t utf16ToUtf8(char* out, size_t capacity, const char16_t* text, size_t length)
{
    if (capacity == 0)
        return 0;
    size_t written = 0;
    char bytes[kMaxUtf8SequenceBytes];
    for (size_t i = 0; i < length;) {
        size_t used = 0;
        const size_t n = encodeUtf8(text + i, length - i, bytes, used);
        if (written + n > capacity - 1)
            break;
        for (size_t k = 0; k < n; ++k)
            out[written++] = bytes[k];
        i += used;
    }
    out[written] = 0;
    return written;
}

size_t utf16LengthOfUtf8(const char* text, size_t length)
{
    Decoder decoder(text, length);
    size_t total = 0;
    while (!decoder.done()) {
        const Decoded d = decoder.peek();
        total += d.count;
        decoder.advance(d);
    }
    return total;
}

size_t utf8ToUtf16(char16_t* out, size_t capacity, const char* text, size_t length)
{
    if (capacity == 0)
        return 0;
    Decoder decoder(text, length);
    size_t written = 0;
    while (!decoder.done()) {
        const Decoded d = decoder.peek();
        if (written + d.count > capacity - 1)
            break;
        for (unsigned k = 0; k < d.count; ++k)
            out[written++] = d.units[k];
        decoder.advance(d);
    }
    out[written] = 0;
    return written;
}

size_t incompleteUtf8Tail(const char* text, size_t length)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    size_t tail = 0;
    while (tail < length && tail < kMaxUtf8SequenceBytes - 1 &&
           isContinuation(s[length - 1 - tail]))
        ++tail;
    if (tail == length)
        return 0;
    const unsigned char lead = s[length - 1 - tail];
    size_t expected = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        expected = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        expected = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        expected = 4;
    return expected > tail + 1 ? tail + 1 : 0;
}

} // namespace platform
