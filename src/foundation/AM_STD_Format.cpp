// Number conversions and the three formatters of AM_STD (sprint, sprintv and
// the trace printv), which share one format language.

#include "foundation/AM_STD.h"

#include "foundation/AM_String.h"
#include "platform/TextConversion.h"
#include "platform/Trace.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstring>

namespace AM_STD {
namespace {

constexpr char kUpperHex[] = "0123456789ABCDEF";
constexpr char kLowerHex[] = "0123456789abcdef";
constexpr unsigned kHexDigitBits = 4;
constexpr uint32_t kHexDigitMask = 0xF;
constexpr uint32_t kDecimalBase = 10;

// Decimals are made in chunks of at most 7 digits, one power of ten each.
constexpr int kDecimalChunk = 7;
constexpr double kPowersOfTen[kDecimalChunk + 1] = {1.0,     10.0,     100.0,     1000.0,
                                                    10000.0, 100000.0, 1000000.0, 10000000.0};
constexpr int kDefaultDecimals = 2;
// Decimals beyond this are not produced (a larger precision is reduced).
constexpr int kMaxDecimals = 19;
// Up to this magnitude the integer part is formatted from a 64-bit integer;
// beyond it the exact digits of the (integral) double are written.
constexpr double kTwoPow64 = 18446744073709551616.0;
// Longest FtoA text: sign, 309 integer digits, point and the decimals.
constexpr int kMaxIntegerDigits = 309;
constexpr int kMaxFloatChars = 1 + kMaxIntegerDigits + 1 + kMaxDecimals;
static_assert(kMaxFloatChars == kMaxNumberChars, "the public bound names the longest FtoA text");
// Longest output of any single number conversion.
constexpr int kMaxConversionChars = kMaxNumberChars;

// %S converts strings of 1 to this many units; longer ones write nothing.
constexpr int32_t kMaxWideArgument = 10000;

// The trace line: a piece is sent after a line end or once the line holds
// more than kTraceSendThreshold characters; the slack behind the line takes
// the longest conversion.
constexpr size_t kTraceLine = 256;
constexpr size_t kTraceSendThreshold = 250;
constexpr size_t kTraceBuffer = kTraceLine + kMaxConversionChars + 1;

constexpr char kFormatMismatch[] = "format mismatch error\n";
constexpr char kNullString[] = "NULL";

int writeUnsigned(char* out, uint64_t value, int minDigits)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % kDecimalBase);
        value /= kDecimalBase;
    } while (value != 0);
    int written = 0;
    for (int pad = n; pad < minDigits; ++pad)
        out[written++] = '0';
    while (n > 0)
        out[written++] = digits[--n];
    return written;
}

int writeHex(char* out, uint32_t value, const char* digitTable)
{
    char digits[8];
    int n = 0;
    do {
        digits[n++] = digitTable[value & kHexDigitMask];
        value >>= kHexDigitBits;
    } while (value != 0);
    int written = 0;
    while (n > 0)
        out[written++] = digits[--n];
    return written;
}

// Writes the integer part of a non-negative finite value behind the guard
// digit; returns the digits written.
int writeIntegerPart(char* out, double integral)
{
    if (integral < kTwoPow64)
        return writeUnsigned(out, static_cast<uint64_t>(integral), 0);
    const auto result =
        std::to_chars(out, out + kMaxIntegerDigits + 1, integral, std::chars_format::fixed, 0);
    return static_cast<int>(result.ptr - out);
}

// Where the formatted text goes. Text characters (format characters and
// those of %s and %S) go through text(); number conversions through
// conversion().
class BufferOutput {
public:
    BufferOutput(char* out, size_t capacity) : out_(out), capacity_(capacity) {}

    void text(char c)
    {
        if (!truncated_ && length_ + 1 < capacity_)
            out_[length_++] = c;
        else
            truncated_ = true;
    }
    void conversion(const char* s, int n)
    {
        for (int i = 0; i < n; ++i)
            text(s[i]);
    }
    int finish()
    {
        if (capacity_ == 0)
            return 0;
        if (truncated_)
            length_ -= platform::incompleteUtf8Tail(out_, length_);
        out_[length_] = 0;
        return static_cast<int>(length_);
    }

private:
    char* out_;
    size_t capacity_;
    size_t length_ = 0;
    bool truncated_ = false;
};

class TraceOutput {
public:
    void text(char c)
    {
        buffer_[length_++] = c;
        if (c == '\n' || c == '\r' || length_ > kTraceSendThreshold)
            send();
    }
    void conversion(const char* s, int n)
    {
        if (length_ + static_cast<size_t>(n) >= kTraceBuffer)
            send();
        std::memcpy(buffer_ + length_, s, static_cast<size_t>(n));
        length_ += static_cast<size_t>(n);
    }
    void finish()
    {
        if (length_ > 0)
            send();
        platform::debugOutput("\n");
    }

private:
    void send()
    {
        buffer_[length_] = 0;
        platform::debugOutput(buffer_);
        length_ = 0;
    }

    char buffer_[kTraceBuffer + 1];
    size_t length_ = 0;
};

// Copies the narrow form of an AM_String argument, stopping at a zero unit.
template <class Output> void putWide(Output& output, const AM_String* string)
{
    if (string == nullptr) {
        for (const char* s = kNullString; *s; ++s)
            output.text(*s);
        return;
    }
    const int32_t length = string->length();
    if (length < 1 || length > kMaxWideArgument)
        return;
    const char16_t* units = string->getWide();
    char bytes[platform::kMaxUtf8SequenceBytes];
    for (size_t i = 0; i < static_cast<size_t>(length);) {
        size_t used = 0;
        const size_t n =
            platform::encodeUtf8(units + i, static_cast<size_t>(length) - i, bytes, used);
        for (size_t k = 0; k < n; ++k) {
            if (bytes[k] == 0)
                return;
            output.text(bytes[k]);
        }
        i += used;
    }
}

// Reads the precision after "%."; returns false (after reporting) when the
// conversion is not a valid %.Nf. format is left on the character after the
// digits.
bool readPrecision(const char*& format, int& decimals)
{
    bool negative = false;
    bool any = false;
    int value = 0;
    if (*format == '-') {
        negative = true;
        any = true;
        ++format;
    }
    while (*format >= '0' && *format <= '9') {
        any = true;
        if (value <= kMaxDecimals)
            value = value * static_cast<int>(kDecimalBase) + (*format - '0');
        ++format;
    }
    if (any)
        decimals = negative ? -value : value;
    if (*format != 'f' || decimals < 0) {
        platform::standardOutput(kFormatMismatch);
        return false;
    }
    if (decimals > kMaxDecimals)
        decimals = kMaxDecimals;
    return true;
}

template <class Output>
void formatText(Output& output, const char* format, va_list args, bool withWide)
{
    char number[kMaxConversionChars + 1];
    while (*format != 0) {
        const char c = *format++;
        if (c != '%') {
            output.text(c);
            continue;
        }
        const char conversion = *format;
        if (conversion == 0)
            return;
        ++format;
        switch (conversion) {
        case '%':
            output.text('%');
            break;
        case 'c': {
            const char character = static_cast<char>(va_arg(args, int));
            output.conversion(&character, 1);
            break;
        }
        case 'd': {
            const int32_t value = va_arg(args, int32_t);
            output.conversion(number, ItoA(number, &value, 0));
            break;
        }
        case 'u': {
            const uint32_t value = va_arg(args, uint32_t);
            output.conversion(number, UtoA(number, &value, 0));
            break;
        }
        case 'x':
            output.conversion(number, writeHex(number, va_arg(args, uint32_t), kLowerHex));
            break;
        case 'X': {
            const uint32_t value = va_arg(args, uint32_t);
            output.conversion(number, ItoX(number, &value));
            break;
        }
        case 's': {
            const char* s = va_arg(args, const char*);
            for (s = s ? s : kNullString; *s; ++s)
                output.text(*s);
            break;
        }
        case 'f': {
            const double value = va_arg(args, double);
            output.conversion(number, FtoA(number, &value, kDefaultDecimals));
            break;
        }
        case '.': {
            int decimals = kDefaultDecimals;
            if (!readPrecision(format, decimals))
                break;
            ++format;
            const double value = va_arg(args, double);
            output.conversion(number, FtoA(number, &value, decimals));
            break;
        }
        default:
            if (conversion == 'S' && withWide) {
                putWide(output, va_arg(args, const AM_String*));
                break;
            }
            // Unknown conversions (flags, widths, length modifiers) vanish
            // together with the character that follows them.
            if (*format != 0)
                ++format;
            break;
        }
    }
}

int formatToBuffer(char* out, size_t capacity, const char* fmt, va_list args, bool withWide)
{
    BufferOutput output(out, capacity);
    formatText(output, fmt, args, withWide);
    return output.finish();
}

} // namespace

int ItoX(char* out, const uint32_t* value)
{
    return writeHex(out, *value, kUpperHex);
}

int ItoA(char* out, const int32_t* value, int minDigits)
{
    const int64_t v = *value;
    if (v < 0) {
        out[0] = '-';
        return 1 + writeUnsigned(out + 1, static_cast<uint64_t>(-v), minDigits);
    }
    return writeUnsigned(out, static_cast<uint64_t>(v), minDigits);
}

int UtoA(char* out, const uint32_t* value, int minDigits)
{
    return writeUnsigned(out, *value, minDigits);
}

int FtoA(char* out, const double* value, int decimals)
{
    double v = *value;
    int written = 0;
    if (std::isnan(v)) {
        std::memcpy(out, "nan", 3);
        return 3;
    }
    if (!(v >= 0)) {
        out[written++] = '-';
        v = -v;
    }
    if (std::isinf(v)) {
        std::memcpy(out + written, "inf", 3);
        return written + 3;
    }
    if (decimals < 0)
        decimals = 0;
    if (decimals > kMaxDecimals)
        decimals = kMaxDecimals;

    // Guard digit, integer digits, point and decimals.
    char work[1 + kMaxIntegerDigits + 1 + kMaxDecimals + 1];
    int n = 0;
    work[n++] = '0';
    const double integral = std::trunc(v);
    n += writeIntegerPart(work + n, integral);
    if (decimals > 0) {
        work[n++] = '.';
        double fraction = v - integral;
        for (int left = decimals; left > 0;) {
            const int chunk = left < kDecimalChunk ? left : kDecimalChunk;
            const double scaled = fraction * kPowersOfTen[chunk];
            auto digits = static_cast<uint32_t>(scaled);
            const auto limit = static_cast<uint32_t>(kPowersOfTen[chunk]);
            if (digits >= limit)
                digits = limit - 1;
            fraction = scaled - digits;
            n += writeUnsigned(work + n, digits, chunk);
            left -= chunk;
        }
        const bool lastOdd = ((work[n - 1] - '0') & 1) != 0;
        if (fraction > 0.5 || (fraction == 0.5 && lastOdd)) {
            for (int i = n - 1; i >= 0; --i) {
                if (work[i] == '.')
                    continue;
                if (work[i] != '9') {
                    ++work[i];
                    break;
                }
                work[i] = '0';
            }
        }
    }
    int start = 0;
    while (work[start] == '0' && start + 1 < n && work[start + 1] >= '0' && work[start + 1] <= '9')
        ++start;
    std::memcpy(out + written, work + start, static_cast<size_t>(n - start));
    return written + n - start;
}

int sprint(char* out, const char* fmt, ...)
{
    if (out == nullptr || fmt == nullptr)
        return 0;
    va_list args;
    va_start(args, fmt);
    const int n = formatToBuffer(out, SIZE_MAX, fmt, args, false);
    va_end(args);
    return n;
}

int sprintv(char* out, const char* fmt, ...)
{
    if (out == nullptr) {
        printv("AM_STD::sprintv target NULL");
        return 0;
    }
    if (fmt == nullptr) {
        printv("AM_STD::sprintv format NULL");
        return 0;
    }
    va_list args;
    va_start(args, fmt);
    const int n = formatToBuffer(out, SIZE_MAX, fmt, args, true);
    va_end(args);
    return n;
}

int sprintn(char* out, size_t capacity, const char* fmt, ...)
{
    if (out == nullptr || fmt == nullptr) {
        if (out != nullptr && capacity > 0)
            out[0] = 0;
        return 0;
    }
    va_list args;
    va_start(args, fmt);
    const int n = formatToBuffer(out, capacity, fmt, args, false);
    va_end(args);
    return n;
}

int sprintvn(char* out, size_t capacity, const char* fmt, ...)
{
    if (out == nullptr) {
        printv("AM_STD::sprintv target NULL");
        return 0;
    }
    if (fmt == nullptr) {
        printv("AM_STD::sprintv format NULL");
        if (capacity > 0)
            out[0] = 0;
        return 0;
    }
    va_list args;
    va_start(args, fmt);
    const int n = formatToBuffer(out, capacity, fmt, args, true);
    va_end(args);
    return n;
}

int vsprintvn(char* out, size_t capacity, const char* fmt, va_list args)
{
    if (out == nullptr || fmt == nullptr) {
        if (out != nullptr && capacity > 0)
            out[0] = 0;
        return 0;
    }
    return formatToBuffer(out, capacity, fmt, args, true);
}

void printv(const char* fmt, ...)
{
    if (fmt == nullptr)
        return;
    TraceOutput output;
    va_list args;
    va_start(args, fmt);
    formatText(output, fmt, args, true);
    va_end(args);
    output.finish();
}

} // namespace AM_STD
