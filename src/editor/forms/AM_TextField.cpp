#include "editor/forms/AM_TextField.h"

#include "platform/Utf8Limit.h"

#include <algorithm>

namespace {

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool isWordByte(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') ||
           (u >= 'A' && u <= 'Z') || u == '_';
}

// Line ends as LF (or spaces in a single line).
std::string normalised(std::string_view text, bool multiLine)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            out.push_back(multiLine ? '\n' : ' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace

void AM_TextField::reset(std::string_view text, bool multiLine, size_t maxBytes)
{
    multiLine_ = multiLine;
    maxBytes_ = maxBytes;
    const std::string clean = normalised(text, multiLine);
    text_ = clean.substr(0, platform::utf8PrefixLength(clean.data(), clean.size(), maxBytes));
    selectAll();
}

void AM_TextField::selectAll()
{
    // The caret at the start: a field scrolled to its caret shows the
    // beginning of a long text.
    anchor_ = text_.size();
    caret_ = 0;
}

size_t AM_TextField::previousBoundary(size_t pos) const
{
    pos = std::min(pos, text_.size());
    if (pos == 0) {
        return 0;
    }
    --pos;
    while (pos > 0 && isContinuation(text_[pos])) {
        --pos;
    }
    return pos;
}

size_t AM_TextField::nextBoundary(size_t pos) const
{
    if (pos >= text_.size()) {
        return text_.size();
    }
    ++pos;
    while (pos < text_.size() && isContinuation(text_[pos])) {
        ++pos;
    }
    return pos;
}

void AM_TextField::setCaret(size_t pos, bool extend)
{
    pos = std::min(pos, text_.size());
    while (pos > 0 && pos < text_.size() && isContinuation(text_[pos])) {
        --pos;
    }
    caret_ = pos;
    if (!extend) {
        anchor_ = pos;
    }
}

void AM_TextField::selectWord(size_t pos)
{
    setCaret(pos, false);
    size_t start = caret_;
    size_t stop = caret_;
    while (start > 0 && isWordByte(text_[start - 1])) {
        --start;
    }
    while (stop < text_.size() && isWordByte(text_[stop])) {
        ++stop;
    }
    anchor_ = start;
    caret_ = stop;
}

bool AM_TextField::insert(std::string_view text)
{
    const std::string clean = normalised(text, multiLine_);
    const size_t start = selectionStart();
    const size_t stop = selectionEnd();
    const size_t kept = text_.size() - (stop - start);
    const size_t room = maxBytes_ > kept ? maxBytes_ - kept : 0;
    const size_t take = platform::utf8PrefixLength(clean.data(), clean.size(), room);
    if (take == 0 && !clean.empty()) {
        return false;
    }
    text_.replace(start, stop - start, clean, 0, take);
    caret_ = anchor_ = start + take;
    return take == clean.size();
}

bool AM_TextField::insertCodePoint(uint32_t cp)
{
    if ((cp < 0x20 && cp != '\n') || cp == 0x7F || (cp >= 0x80 && cp < 0xA0) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
        return false;
    }
    if (cp == '\n' && !multiLine_) {
        return false;
    }
    char bytes[4];
    size_t n = 0;
    if (cp < 0x80) {
        bytes[n++] = static_cast<char>(cp);
    } else if (cp < 0x800) {
        bytes[n++] = static_cast<char>(0xC0 | (cp >> 6));
        bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        bytes[n++] = static_cast<char>(0xE0 | (cp >> 12));
        bytes[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        bytes[n++] = static_cast<char>(0xF0 | (cp >> 18));
        bytes[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        bytes[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return insert(std::string_view(bytes, n));
}

void AM_TextField::backspace()
{
    if (!hasSelection()) {
        anchor_ = previousBoundary(caret_);
    }
    insert({});
}

void AM_TextField::deleteForward()
{
    if (!hasSelection()) {
        anchor_ = nextBoundary(caret_);
    }
    insert({});
}

void AM_TextField::moveLeft(bool extend)
{
    if (hasSelection() && !extend) {
        setCaret(selectionStart(), false);
        return;
    }
    setCaret(previousBoundary(caret_), extend);
}

void AM_TextField::moveRight(bool extend)
{
    if (hasSelection() && !extend) {
        setCaret(selectionEnd(), false);
        return;
    }
    setCaret(nextBoundary(caret_), extend);
}

size_t AM_TextField::lineStart(size_t pos) const
{
    pos = std::min(pos, text_.size());
    const size_t lf = pos == 0 ? std::string::npos : text_.rfind('\n', pos - 1);
    return lf == std::string::npos ? 0 : lf + 1;
}

size_t AM_TextField::lineEnd(size_t pos) const
{
    const size_t lf = text_.find('\n', std::min(pos, text_.size()));
    return lf == std::string::npos ? text_.size() : lf;
}

void AM_TextField::home(bool extend)
{
    setCaret(lineStart(caret_), extend);
}

void AM_TextField::end(bool extend)
{
    setCaret(lineEnd(caret_), extend);
}

void AM_TextField::moveLines(int lines, bool extend)
{
    size_t column = 0;
    for (size_t p = lineStart(caret_); p < caret_; p = nextBoundary(p)) {
        ++column;
    }
    size_t pos = caret_;
    for (int i = 0; i < (lines < 0 ? -lines : lines); ++i) {
        if (lines < 0) {
            const size_t start = lineStart(pos);
            if (start == 0) {
                setCaret(0, extend);
                return;
            }
            pos = lineStart(start - 1);
        } else {
            const size_t stop = lineEnd(pos);
            if (stop == text_.size()) {
                setCaret(text_.size(), extend);
                return;
            }
            pos = stop + 1;
        }
    }
    const size_t stop = lineEnd(pos);
    for (size_t n = 0; n < column && pos < stop; ++n) {
        pos = nextBoundary(pos);
    }
    setCaret(pos, extend);
}
