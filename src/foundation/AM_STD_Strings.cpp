// AM_STD's small string helpers over narrow, zero-terminated text.

#include "foundation/AM_STD.h"

#include <cstring>

namespace AM_STD {
namespace {

constexpr char kEllipsis[] = "...";
constexpr int kEllipsisLength = 3;
// Below this maximum length a shortened text is simply cut.
constexpr int kMinLengthForEllipsis = 8;

// The letter that follows the backslash in the escaped form of c, or 0.
char escapeLetter(char c)
{
    switch (c) {
    case '\t':
        return 't';
    case '\n':
        return 'n';
    case '\r':
        return 'r';
    case '"':
    case '\'':
    case '\\':
        return c;
    default:
        return 0;
    }
}

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

} // namespace

uint32_t strlen(const char* text)
{
    return text ? static_cast<uint32_t>(std::strlen(text)) : 0;
}

int strcmp(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : 1;
    return std::strcmp(a, b) == 0 ? 0 : 1;
}

void escapeString(char* buffer, uint32_t size)
{
    if (buffer == nullptr || size == 0)
        return;
    const size_t length = strnlen(buffer, size - 1);
    // How much of the text fits together with its escapes and the terminator.
    size_t kept = 0;
    size_t escapedLength = 0;
    while (kept < length) {
        const size_t width = escapeLetter(buffer[kept]) ? 2 : 1;
        if (escapedLength + width > size - 1)
            break;
        escapedLength += width;
        ++kept;
    }
    size_t dst = escapedLength;
    buffer[dst] = 0;
    for (size_t src = kept; src > 0;) {
        const char c = buffer[--src];
        const char letter = escapeLetter(c);
        if (letter) {
            buffer[--dst] = letter;
            buffer[--dst] = '\\';
        } else {
            buffer[--dst] = c;
        }
    }
}

int unescapeString(char* buffer)
{
    if (buffer == nullptr)
        return 0;
    size_t r = 0;
    size_t w = 0;
    // The letter of the line-break escape just written, when a second one of
    // the other kind would complete a CR LF or LF CR pair.
    char openBreak = 0;
    while (buffer[r] != 0) {
        const char c = buffer[r];
        if (c != '\\' || buffer[r + 1] == 0) {
            buffer[w++] = c;
            ++r;
            openBreak = 0;
            continue;
        }
        const char e = buffer[r + 1];
        r += 2;
        switch (e) {
        case '"':
        case '\'':
        case '\\':
            buffer[w++] = e;
            openBreak = 0;
            break;
        case 't':
            buffer[w++] = '\t';
            openBreak = 0;
            break;
        case 'n':
        case 'r':
            if (openBreak != 0 && openBreak != e) {
                openBreak = 0;
                break;
            }
            buffer[w++] = '\r';
            buffer[w++] = '\n';
            openBreak = e;
            break;
        default:
            // An unknown escape is kept as written.
            buffer[w++] = '\\';
            buffer[w++] = e;
            openBreak = 0;
            break;
        }
    }
    buffer[w] = 0;
    return static_cast<int>(w);
}

const char* getFileName(const char* path)
{
    if (path == nullptr)
        return nullptr;
    const size_t length = std::strlen(path);
    const char* name = path;
    for (size_t i = 1; i + 1 < length; ++i)
        if (isSeparator(path[i]))
            name = path + i + 1;
    return name;
}

int32_t findString(const char* needle, const char* text)
{
    if (needle == nullptr || text == nullptr || needle[0] == 0)
        return -1;
    for (int32_t i = 0; text[i] != 0; ++i) {
        if (text[i] != needle[0])
            continue;
        int32_t k = 1;
        while (needle[k] != 0 && text[i + k] == needle[k])
            ++k;
        if (needle[k] == 0)
            return i;
    }
    return -1;
}

int replaceChars(char* text, const char* set, char replacement)
{
    if (text == nullptr || set == nullptr)
        return 0;
    int count = 0;
    for (const char* s = set; *s != 0; ++s)
        for (char* t = text; *t != 0; ++t)
            if (*t == *s) {
                *t = replacement;
                ++count;
            }
    return count;
}

int shortenString(char* out, const char* source, int maxLen)
{
    if (out == nullptr)
        return 0;
    if (maxLen < 0)
        maxLen = 0;
    const int length = source ? static_cast<int>(std::strlen(source)) : 0;
    if (length <= maxLen) {
        if (length > 0)
            std::memmove(out, source, static_cast<size_t>(length));
        out[length] = 0;
        return length;
    }
    if (maxLen < kMinLengthForEllipsis) {
        std::memmove(out, source, static_cast<size_t>(maxLen));
        out[maxLen] = 0;
        return maxLen;
    }
    const int head = maxLen / 2;
    const int tail = maxLen - head - kEllipsisLength;
    std::memmove(out, source, static_cast<size_t>(head));
    std::memcpy(out + head, kEllipsis, kEllipsisLength);
    std::memmove(out + head + kEllipsisLength, source + length - tail, static_cast<size_t>(tail));
    out[maxLen] = 0;
    return maxLen;
}

} // namespace AM_STD
