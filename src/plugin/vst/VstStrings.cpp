#include "plugin/vst/VstStrings.h"

#include <cmath>
#include <cstring>

namespace vst {
namespace {

constexpr const char* kHugeText = "Huge!";
constexpr const char* kNotANumberText = "NaN";
constexpr double kLargestPositive = 99999999.0; // this and above: "Huge!"
constexpr double kLargestNegative = 9999999.0;  // this magnitude and above: "Huge!"
constexpr int kRenderedWidth = 8;               // characters of a rendered float
constexpr int32_t kLargestInteger = 100000000;  // this and above: "Huge!"
constexpr int kScratchBytes = 32;

int decimalDigits(uint64_t value)
{
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

uint64_t powerOfTen(int exponent)
{
    uint64_t result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= 10;
    return result;
}

// Writes value's decimal digits, padded with zeros to minDigits; returns the end.
char* writeDigits(char* out, uint64_t value, int minDigits)
{
    char reversed[kScratchBytes];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n < minDigits)
        reversed[n++] = '0';
    while (n > 0)
        *out++ = reversed[--n];
    return out;
}

} // namespace

void copyString(char* target, const char* source, int64_t capacity)
{
    if (target == nullptr || capacity <= 0)
        return;
    const size_t length =
        source != nullptr ? boundedLength(source, static_cast<size_t>(capacity - 1)) : 0;
    std::memmove(target, source != nullptr ? source : "", length);
    target[length] = 0;
}

size_t boundedLength(const char* text, size_t capacity)
{
    if (text == nullptr)
        return 0;
    const void* zero = std::memchr(text, 0, capacity);
    return zero != nullptr ? static_cast<size_t>(static_cast<const char*>(zero) - text) : capacity;
}

void formatFloat(float value, char* text, int64_t capacity)
{
    const double v = value;
    if (std::isnan(v)) {
        copyString(text, kNotANumberText, capacity);
        return;
    }
    if (v >= kLargestPositive || v <= -kLargestNegative) {
        copyString(text, kHugeText, capacity);
        return;
    }
    bool negative = v < 0.0;
    const double magnitude = std::fabs(v);
    int integerDigits = decimalDigits(static_cast<uint64_t>(magnitude));
    uint64_t integerPart = 0;
    uint64_t fraction = 0;
    int decimals = 0;
    for (;;) {
        decimals = kRenderedWidth - (negative ? 1 : 0) - integerDigits - 1;
        if (decimals < 0)
            decimals = 0;
        const uint64_t scale = powerOfTen(decimals);
        const uint64_t scaled =
            static_cast<uint64_t>(std::llround(magnitude * static_cast<double>(scale)));
        if (scaled == 0 && negative) {
            negative = false; // a value that rounds to zero has no sign
            continue;
        }
        integerPart = scaled / scale;
        fraction = scaled % scale;
        const int digits = decimalDigits(integerPart);
        if (digits <= integerDigits || decimals == 0)
            break;
        integerDigits = digits; // rounding carried into a new digit
    }
    char rendered[kScratchBytes];
    char* end = rendered;
    if (negative)
        *end++ = '-';
    end = writeDigits(end, integerPart, 1);
    *end++ = '.';
    if (decimals > 0)
        end = writeDigits(end, fraction, decimals);
    *end = 0;
    copyString(text, rendered, capacity);
}

void formatInt(int32_t value, char* text, int64_t capacity)
{
    if (value >= kLargestInteger) {
        copyString(text, kHugeText, capacity);
        return;
    }
    char rendered[kScratchBytes];
    char* end = rendered;
    const int64_t wide = value;
    if (wide < 0)
        *end++ = '-';
    end = writeDigits(end, static_cast<uint64_t>(wide < 0 ? -wide : wide), 1);
    *end = 0;
    copyString(text, rendered, capacity);
}

} // namespace vst
