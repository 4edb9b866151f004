// The reading half of AM_STD: the position-based scanner scanv and the
// locale-free decimal reader AtoF.

#include "foundation/AM_STD.h"

#include "platform/TextConversion.h"

#include <cstdarg>
#include <cstdint>

namespace AM_STD {
namespace {

constexpr uint32_t kDecimalBase = 10;
constexpr unsigned kHexDigitBits = 4;
constexpr int kTabulatedPowers = 23;
// Fraction digits stop adding to the accumulated value once it has reached
// this size: they can no longer change the result, and the accumulator would
// otherwise overflow to infinity (and the result become NaN).
constexpr double kMaxAccumulated = 1e300;
// Largest power of ten whose reciprocal is a normal double.
constexpr int kLargestScaleStep = 300;
// 10^0 to 10^-23.
constexpr double kNegativePowersOfTen[kTabulatedPowers + 1] = {
    1e0,   1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,  1e-8,  1e-9,  1e-10, 1e-11,
    1e-12, 1e-13, 1e-14, 1e-15, 1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22, 1e-23};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + static_cast<int>(kDecimalBase);
    if (c >= 'A' && c <= 'F')
        return c - 'A' + static_cast<int>(kDecimalBase);
    return -1;
}

double negativePowerOfTen(int n)
{
    if (n <= kTabulatedPowers)
        return kNegativePowersOfTen[n];
    double power = 1.0;
    double base = static_cast<double>(kDecimalBase);
    for (unsigned e = static_cast<unsigned>(n); e != 0; e >>= 1) {
        if (e & 1)
            power *= base;
        base *= base;
    }
    return 1.0 / power;
}

// value x 10^-n. Where 10^n itself overflows a double, the scaling is done in
// steps so that a long fraction still gives its value instead of 0.
double scaleDown(double value, int n)
{
    while (n > kLargestScaleStep && value != 0.0) {
        value *= negativePowerOfTen(kLargestScaleStep);
        n -= kLargestScaleStep;
    }
    return value * negativePowerOfTen(n);
}

// Copies the field up to the delimiter (or the end of the text) into target,
// cut to capacity at a character boundary and terminated; returns the length
// of the whole field.
size_t copyField(const char* text, char delimiter, char* target, uint32_t capacity)
{
    size_t field = 0;
    while (text[field] != 0 && text[field] != delimiter)
        ++field;
    if (capacity == 0)
        return field;
    size_t kept = field < capacity - 1 ? field : capacity - 1;
    for (size_t i = 0; i < kept; ++i)
        target[i] = text[i];
    if (kept < field)
        kept -= platform::incompleteUtf8Tail(target, kept);
    target[kept] = 0;
    return field;
}

} // namespace

int AtoF(const char* text, float* value)
{
    if (text == nullptr)
        return 0;
    int used = 0;
    double sign = 1.0;
    if (text[used] == '-') {
        sign = -1.0;
        ++used;
    }
    double accumulated = 0.0;
    while (isDigit(text[used]))
        accumulated = accumulated * kDecimalBase + (text[used++] - '0');
    if (text[used] != '.' && text[used] != ',') {
        if (value)
            *value = static_cast<float>(accumulated * sign);
        return used;
    }
    ++used;
    int zeros = 0;
    while (text[used + zeros] == '0')
        ++zeros;
    if (!isDigit(text[used + zeros])) {
        if (value)
            *value = static_cast<float>(accumulated * sign);
        return used + zeros;
    }
    int decimals = 0;
    while (isDigit(text[used])) {
        if (accumulated < kMaxAccumulated) {
            accumulated = accumulated * kDecimalBase + (text[used] - '0');
            ++decimals;
        }
        ++used;
    }
    if (value)
        *value = static_cast<float>(scaleDown(accumulated, decimals) * sign);
    return used;
}

int scanv(const char* text, const char* format, ...)
{
    if (text == nullptr || format == nullptr)
        return 0;
    va_list args;
    va_start(args, format);
    int count = 0;
    while (isBlank(*text))
        ++text;
    while (isBlank(*format))
        ++format;
    while (*text != 0 && *format != 0) {
        if (*format != '%') {
            ++text;
            ++format;
            continue;
        }
        const char conversion = format[1];
        if (conversion == 0)
            break;
        while (isBlank(*text))
            ++text;
        switch (conversion) {
        case 'd': {
            auto* target = va_arg(args, int32_t*);
            if (target == nullptr)
                break;
            ++count;
            bool negative = false;
            bool taken = false;
            if (*text == '-') {
                negative = true;
                taken = true;
                ++text;
            }
            uint32_t magnitude = 0;
            while (isDigit(*text)) {
                magnitude = magnitude * kDecimalBase + static_cast<uint32_t>(*text++ - '0');
                taken = true;
            }
            if (taken)
                *target = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
            break;
        }
        case 'u': {
            auto* target = va_arg(args, uint32_t*);
            if (target == nullptr)
                break;
            ++count;
            if (!isDigit(*text))
                break;
            uint32_t value = 0;
            while (isDigit(*text))
                value = value * kDecimalBase + static_cast<uint32_t>(*text++ - '0');
            *target = value;
            break;
        }
        case 'x':
        case 'X': {
            auto* target = va_arg(args, uint32_t*);
            if (target == nullptr)
                break;
            ++count;
            if (hexValue(*text) < 0)
                break;
            uint32_t value = 0;
            for (int digit = hexValue(*text); digit >= 0; digit = hexValue(*++text))
                value = (value << kHexDigitBits) | static_cast<uint32_t>(digit);
            *target = value;
            break;
        }
        case 'f': {
            auto* target = va_arg(args, float*);
            if (target == nullptr)
                break;
            ++count;
            float value = 0.0f;
            const int used = AtoF(text, &value);
            if (used > 0)
                *target = value;
            text += used;
            break;
        }
        case 'c': {
            auto* target = va_arg(args, char*);
            if (target == nullptr)
                break;
            ++count;
            if (*text != 0)
                *target = *text++;
            break;
        }
        case 's': {
            auto* target = va_arg(args, char*);
            const uint32_t capacity = va_arg(args, uint32_t);
            if (target == nullptr)
                break;
            ++count;
            text += copyField(text, format[2], target, capacity);
            break;
        }
        default:
            if (*text != 0)
                ++text;
            break;
        }
        format += 2;
        if (*text == 0)
            break;
    }
    va_end(args);
    return count;
}

} // namespace AM_STD
