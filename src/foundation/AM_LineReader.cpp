#include "foundation/AM_LineReader.h"

namespace {
bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}
} // namespace

AM_LineReader::AM_LineReader(const char* text) : text_(text ? text : "") {}

uint32_t AM_LineReader::readLine(char* buffer, uint32_t maxLength)
{
    if (text_[position_] == 0)
        return 0;
    uint32_t kept = 0;
    while (text_[position_] != 0 && !isLineEnd(text_[position_])) {
        if (kept < maxLength && buffer != nullptr)
            buffer[kept++] = text_[position_];
        ++position_;
    }
    if (buffer != nullptr)
        buffer[kept] = 0;
    ++lines_;
    if (isLineEnd(text_[position_]))
        ++position_;
    return kept + 1;
}
