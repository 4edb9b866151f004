#include "foundation/AM_String.h"

#include "platform/TextConversion.h"

#include <cstring>
#include <utility>

namespace {

int32_t wideLength(const char16_t* text)
{
    if (text == nullptr)
        return 0;
    int32_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

char16_t* copyUnits(const char16_t* units, int32_t count)
{
    auto* buffer = new char16_t[static_cast<size_t>(count) + 1];
    if (count > 0)
        std::memcpy(buffer, units, static_cast<size_t>(count) * sizeof(char16_t));
    buffer[count] = 0;
    return buffer;
}

} // namespace

AM_String::AM_String(const AM_String& other)
    : buffer_(other.buffer_ ? copyUnits(other.buffer_, other.length()) : nullptr)
{
}

AM_String::AM_String(AM_String&& other) noexcept : buffer_(std::exchange(other.buffer_, nullptr)) {}

AM_String::AM_String(const char* narrow)
{
    appendNarrow(narrow);
}

AM_String::~AM_String()
{
    delete[] buffer_;
}

AM_String& AM_String::operator=(const AM_String& other)
{
    if (this != &other) {
        char16_t* copy = other.buffer_ ? copyUnits(other.buffer_, other.length()) : nullptr;
        delete[] buffer_;
        buffer_ = copy;
    }
    return *this;
}

AM_String& AM_String::operator=(AM_String&& other) noexcept
{
    if (this != &other) {
        delete[] buffer_;
        buffer_ = std::exchange(other.buffer_, nullptr);
    }
    return *this;
}

int32_t AM_String::length() const
{
    return wideLength(buffer_);
}

char16_t AM_String::charAt(int32_t index) const
{
    if (index < 0 || index >= length())
        return 0;
    return buffer_[index];
}

int32_t AM_String::getNarrow(char* out, int32_t maxLen, int32_t start) const
{
    if (out == nullptr || maxLen < 0)
        return 0;
    const int32_t len = length();
    if (start < 0)
        start = 0;
    if (start >= len) {
        out[0] = 0;
        return 0;
    }
    return static_cast<int32_t>(platform::utf16ToUtf8(
        out, static_cast<size_t>(maxLen) + 1, buffer_ + start, static_cast<size_t>(len - start)));
}

int32_t AM_String::getNarrowLength(int32_t start) const
{
    const int32_t len = length();
    if (start < 0)
        start = 0;
    if (start >= len)
        return 0;
    return static_cast<int32_t>(
        platform::utf8LengthOfUtf16(buffer_ + start, static_cast<size_t>(len - start)));
}

bool AM_String::operator==(const AM_String& other) const
{
    const int32_t len = length();
    if (len != other.length())
        return false;
    for (int32_t i = 0; i < len; ++i)
        if (buffer_[i] != other.buffer_[i])
            return false;
    return true;
}

bool AM_String::endsWith(const AM_String& other) const
{
    const int32_t len = length();
    const int32_t otherLen = other.length();
    if (otherLen > len)
        return false;
    for (int32_t i = 0; i < otherLen; ++i)
        if (buffer_[len - otherLen + i] != other.buffer_[i])
            return false;
    return true;
}

int32_t AM_String::lastIndexOf(char16_t character, int32_t start) const
{
    const int32_t len = length();
    if (start < 0 || len == 0)
        return -1;
    if (start >= len)
        start = len - 1;
    for (int32_t i = start; i >= 0; --i)
        if (buffer_[i] == character)
            return i;
    return -1;
}

int32_t AM_String::lastDot() const
{
    return lastIndexOf(u'.', length() - 1);
}

bool AM_String::getExtension(AM_String& target) const
{
    const int32_t dot = lastDot();
    if (dot < 0 || length() == 1)
        return false;
    AM_String extension;
    extension.appendSubstring(*this, dot + 1, length() - dot - 1);
    target = std::move(extension);
    return true;
}

void AM_String::clear()
{
    delete[] buffer_;
    buffer_ = nullptr;
}

void AM_String::appendUnits(const char16_t* units, int32_t count)
{
    if (count < 0)
        count = 0;
    const int32_t len = length();
    auto* grown = new char16_t[static_cast<size_t>(len) + static_cast<size_t>(count) + 1];
    if (len > 0)
        std::memcpy(grown, buffer_, static_cast<size_t>(len) * sizeof(char16_t));
    if (count > 0)
        std::memcpy(grown + len, units, static_cast<size_t>(count) * sizeof(char16_t));
    grown[len + count] = 0;
    delete[] buffer_;
    buffer_ = grown;
}

void AM_String::append(const AM_String& other)
{
    appendUnits(other.buffer_, other.length());
}

void AM_String::appendWide(const char16_t* text)
{
    appendUnits(text, wideLength(text));
}

void AM_String::appendNarrow(const char* text)
{
    const size_t bytes = text ? std::strlen(text) : 0;
    const size_t units = platform::utf16LengthOfUtf8(text, bytes);
    auto* converted = new char16_t[units + 1];
    platform::utf8ToUtf16(converted, units + 1, text, bytes);
    appendUnits(converted, static_cast<int32_t>(units));
    delete[] converted;
}

void AM_String::appendChar(char16_t character)
{
    appendUnits(&character, 1);
}

void AM_String::appendSubstring(const AM_String& other, int32_t start, int32_t count)
{
    const int32_t otherLen = other.length();
    if (start < 0)
        start = 0;
    if (start > otherLen)
        start = otherLen;
    if (count > otherLen - start)
        count = otherLen - start;
    appendUnits(other.buffer_ ? other.buffer_ + start : nullptr, count);
}

bool AM_String::removeExtension()
{
    const int32_t dot = lastDot();
    if (dot < 1)
        return false;
    AM_String cut;
    cut.appendSubstring(*this, 0, dot);
    *this = std::move(cut);
    return true;
}
