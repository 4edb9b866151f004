#include "gui/views/AM_ScriptLine.h"

#include "foundation/AM_STD.h"

#include <cstring>

namespace {

bool isLineEnd(char c)
{
    return c == '\0' || c == '\n' || c == '\r';
}

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '=';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether the part (not empty) is a whole number of the type.
bool isWholeNumber(const char* part, AM_ScriptValueType type)
{
    const char* p = part;
    switch (type) {
    case AM_ScriptValueType::kHex:
        while (isHexDigit(*p))
            ++p;
        return p != part && *p == '\0';
    case AM_ScriptValueType::kUnsigned:
        while (isDigit(*p))
            ++p;
        return p != part && *p == '\0';
    case AM_ScriptValueType::kInt:
        if (*p == '-')
            ++p;
        {
            const char* digits = p;
            while (isDigit(*p))
                ++p;
            return p != digits && *p == '\0';
        }
    case AM_ScriptValueType::kFloat: {
        if (*p == '-')
            ++p;
        bool digit = false;
        while (isDigit(*p)) {
            digit = true;
            ++p;
        }
        if (*p == '.' || *p == ',') {
            ++p;
            while (isDigit(*p)) {
                digit = true;
                ++p;
            }
        }
        return digit && *p == '\0';
    }
    case AM_ScriptValueType::kText:
        break;
    }
    return false;
}

} // namespace

size_t AM_ScriptLine::read(const char* text, size_t length)
{
    count_ = 0;
    cut_ = false;
    size_t kept = 0;   // characters kept in chars_, terminators included
    bool open = false; // a token is being filled
    bool quoted = false;
    int lastClosed = -1; // the token that the separators since it follow
    size_t pos = 0;
    // Characters kept so far, terminators not counted.
    size_t characters = 0;
    bool dropping = false; // the token being read no longer fits

    auto closeToken = [&]() {
        if (open) {
            chars_[kept++] = '\0';
            lastClosed = count_ - 1;
            open = false;
        }
    };
    auto openToken = [&]() -> bool {
        if (count_ >= kMaxTokens || characters >= size_t(kMaxChars)) {
            cut_ = true;
            return false;
        }
        tokens_[count_].start = uint16_t(kept);
        tokens_[count_].equalsFollows = false;
        ++count_;
        open = true;
        lastClosed = -1;
        return true;
    };
    while (pos < length && !isLineEnd(text[pos])) {
        const char c = text[pos++];
        if (c == '\'') {
            quoted = !quoted;
            if (quoted && !open && !dropping)
                dropping = !openToken();
            continue;
        }
        if (!quoted && isSeparator(c)) {
            closeToken();
            dropping = false;
            if (c == '=' && lastClosed >= 0)
                tokens_[lastClosed].equalsFollows = true;
            continue;
        }
        if (dropping)
            continue;
        if (!open && !openToken()) {
            dropping = true;
            continue;
        }
        if (characters >= size_t(kMaxChars)) {
            cut_ = true;
            continue;
        }
        chars_[kept++] = isSeparator(c) ? ' ' : c;
        ++characters;
    }
    closeToken();
    if (pos < length)
        ++pos; // the end byte
    return pos;
}

const char* AM_ScriptLine::token(int i) const
{
    if (i < 0 || i >= count_)
        return "";
    return chars_ + tokens_[i].start;
}

bool AM_ScriptLine::isComment() const
{
    return static_cast<signed char>(token(0)[0]) <= '@';
}

const char* AM_ScriptLine::value(const char* key) const
{
    if (key == nullptr)
        return nullptr;
    for (int i = 1; i + 1 < count_; ++i) {
        if (tokens_[i].equalsFollows && std::strcmp(token(i), key) == 0)
            return token(i + 1);
    }
    return nullptr;
}

const char* AM_ScriptLine::value(AM_ScriptRow row) const
{
    const AM_ScriptAttribute* attribute = AM_scriptAttribute(row);
    if (attribute == nullptr || std::strcmp(attribute->keyword, keyword()) != 0)
        return nullptr;
    return value(attribute->key);
}

int AM_ScriptLine::numbers(AM_ScriptRow row, void* out, int max) const
{
    const AM_ScriptAttribute* attribute = AM_scriptAttribute(row);
    if (attribute == nullptr)
        return 0;
    return readNumbers(value(row), attribute->type, out, max);
}

int AM_ScriptLine::readNumbers(const char* text, AM_ScriptValueType type, void* out, int max)
{
    if (text == nullptr || out == nullptr || type == AM_ScriptValueType::kText)
        return 0;
    if (max > kMaxNumbers)
        max = kMaxNumbers;
    char work[kMaxNumericChars + 1];
    size_t length = std::strlen(text);
    if (length > size_t(kMaxNumericChars))
        length = kMaxNumericChars;
    std::memcpy(work, text, length);
    work[length] = '\0';

    int count = 0;
    char* p = work;
    while (count < max) {
        while (*p == ' ')
            ++p;
        if (*p == '\0')
            break;
        char* part = p;
        while (*p != '\0' && *p != ' ')
            ++p;
        const bool last = *p == '\0';
        *p = '\0';
        if (!isWholeNumber(part, type))
            break;
        switch (type) {
        case AM_ScriptValueType::kInt:
            AM_STD::scanv(part, "%d", static_cast<int32_t*>(out) + count);
            break;
        case AM_ScriptValueType::kUnsigned:
            AM_STD::scanv(part, "%u", static_cast<uint32_t*>(out) + count);
            break;
        case AM_ScriptValueType::kHex:
            AM_STD::scanv(part, "%x", static_cast<uint32_t*>(out) + count);
            break;
        case AM_ScriptValueType::kFloat:
            AM_STD::AtoF(part, static_cast<float*>(out) + count);
            break;
        case AM_ScriptValueType::kText:
            break;
        }
        ++count;
        if (last)
            break;
        ++p;
    }
    return count;
}
