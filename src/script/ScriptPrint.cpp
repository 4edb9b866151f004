#include "script/ScriptPrint.h"

#include "platform/Trace.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace script {
namespace {

constexpr int kMaxPrecision = 64;
constexpr int kDefaultFloatPrecision = 6;
constexpr size_t kNumberCapacity = 400; // any double in fixed notation with kMaxPrecision

struct Field {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
};

class Writer {
public:
    Writer(char* out, size_t capacity) : out_(out), capacity_(capacity) {}
    void put(char c)
    {
        if (length_ + 1 < capacity_)
            out_[length_++] = c;
    }
    void put(const char* text, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            put(text[i]);
    }
    void repeat(char c, int count)
    {
        for (int i = 0; i < count; ++i)
            put(c);
    }
    size_t finish()
    {
        if (capacity_ > 0)
            out_[length_] = 0;
        return length_;
    }

private:
    char* out_;
    size_t capacity_;
    size_t length_ = 0;
};

// Writes sign + digits padded to the field's width.
void emitNumber(Writer& w, const Field& field, char sign, const char* digits, size_t count)
{
    int length = static_cast<int>(count) + (sign ? 1 : 0);
    int pad = field.width > length ? field.width - length : 0;
    if (!field.left && !field.zero)
        w.repeat(' ', pad);
    if (sign)
        w.put(sign);
    if (!field.left && field.zero)
        w.repeat('0', pad);
    w.put(digits, count);
    if (field.left)
        w.repeat(' ', pad);
}

char positiveSign(const Field& field)
{
    if (field.plus)
        return '+';
    return field.space ? ' ' : 0;
}

void emitUnsigned(Writer& w, const Field& field, uint64_t value, int base, bool upper, char sign)
{
    char digits[32];
    auto result = std::to_chars(digits, digits + sizeof(digits), value, base);
    size_t count = static_cast<size_t>(result.ptr - digits);
    if (upper)
        for (size_t i = 0; i < count; ++i)
            if (digits[i] >= 'a' && digits[i] <= 'f')
                digits[i] = static_cast<char>(digits[i] - 'a' + 'A');
    // A precision asks for at least that many digits.
    char padded[96];
    size_t used = 0;
    int wanted = field.precision > kMaxPrecision ? kMaxPrecision : field.precision;
    for (int i = static_cast<int>(count); i < wanted; ++i)
        padded[used++] = '0';
    std::memcpy(padded + used, digits, count);
    Field numberField = field;
    if (field.precision >= 0)
        numberField.zero = false;
    emitNumber(w, numberField, sign, padded, used + count);
}

void emitFloat(Writer& w, const Field& field, double value)
{
    int precision = field.precision < 0 ? kDefaultFloatPrecision : field.precision;
    if (precision > kMaxPrecision)
        precision = kMaxPrecision;
    char digits[kNumberCapacity];
    auto result =
        std::to_chars(digits, digits + sizeof(digits), value, std::chars_format::fixed, precision);
    if (result.ec != std::errc()) {
        emitNumber(w, field, 0, "?", 1);
        return;
    }
    const char* start = digits;
    size_t count = static_cast<size_t>(result.ptr - digits);
    char sign = positiveSign(field);
    if (count > 0 && digits[0] == '-') {
        sign = '-';
        ++start;
        --count;
    }
    Field numberField = field;
    if (count > 0 && (start[0] == 'n' || start[0] == 'i'))
        numberField.zero = false;
    emitNumber(w, numberField, sign, start, count);
}

const char* readField(const char* f, Field& field)
{
    for (;; ++f) {
        if (*f == '-')
            field.left = true;
        else if (*f == '+')
            field.plus = true;
        else if (*f == ' ')
            field.space = true;
        else if (*f == '0')
            field.zero = true;
        else
            break;
    }
    while (*f >= '0' && *f <= '9') {
        if (field.width < 1000)
            field.width = field.width * 10 + (*f - '0');
        ++f;
    }
    if (*f == '.') {
        ++f;
        field.precision = 0;
        while (*f >= '0' && *f <= '9') {
            if (field.precision < 1000)
                field.precision = field.precision * 10 + (*f - '0');
            ++f;
        }
    }
    while (*f == 'l' || *f == 'h' || *f == 'z')
        ++f;
    return f;
}

} // namespace

size_t formatText(char* out, size_t capacity, const char* format, va_list args)
{
    Writer w(out, capacity);
    for (const char* f = format; *f; ++f) {
        if (*f != '%') {
            w.put(*f);
            continue;
        }
        Field field;
        f = readField(f + 1, field);
        switch (*f) {
        case 'd':
        case 'i': {
            int64_t v = va_arg(args, int);
            char sign = v < 0 ? '-' : positiveSign(field);
            emitUnsigned(w, field, static_cast<uint64_t>(v < 0 ? -v : v), 10, false, sign);
            break;
        }
        case 'u':
            emitUnsigned(w, field, va_arg(args, unsigned), 10, false, 0);
            break;
        case 'x':
        case 'X':
            emitUnsigned(w, field, va_arg(args, unsigned), 16, *f == 'X', 0);
            break;
        case 'c': {
            char c = static_cast<char>(va_arg(args, int));
            Field s = field;
            s.zero = false;
            emitNumber(w, s, 0, &c, 1);
            break;
        }
        case 's': {
            const char* text = va_arg(args, const char*);
            if (!text)
                text = "(null)";
            size_t count = std::strlen(text);
            if (field.precision >= 0 && static_cast<size_t>(field.precision) < count)
                count = static_cast<size_t>(field.precision);
            Field s = field;
            s.zero = false;
            emitNumber(w, s, 0, text, count);
            break;
        }
        case 'f':
        case 'F':
            emitFloat(w, field, va_arg(args, double));
            break;
        case '%':
            w.put('%');
            break;
        case 0:
            return w.finish();
        default:
            w.put('%');
            w.put(*f);
            break;
        }
    }
    return w.finish();
}

void print(const char* format, ...)
{
    char line[kPrintCapacity];
    va_list args;
    va_start(args, format);
    formatText(line, sizeof(line), format, args);
    va_end(args);
    platform::standardOutput(line);
}

} // namespace script
