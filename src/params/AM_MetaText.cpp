#include "params/AM_MetaText.h"

namespace metatext {

void escape(const char* text, std::string& out)
{
    if (!text)
        return;
    char previous = 0;
    for (const char* p = text; *p; ++p) {
        const char c = *p;
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\'':
            out += "\\'";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '/':
            out += previous == '*' ? "\\/" : "/";
            break;
        default:
            out += c;
            break;
        }
        previous = c;
    }
}

uint32_t unescape(const char* text, uint32_t length, char* out)
{
    uint32_t w = 0;
    uint32_t r = 0;
    while (r < length) {
        const char c = text[r];
        if (c != '\\' || r + 1 >= length) {
            out[w++] = c;
            ++r;
            continue;
        }
        const char e = text[r + 1];
        r += 2;
        switch (e) {
        case '\\':
        case '\'':
        case '"':
        case '/':
            out[w++] = e;
            break;
        case 't':
            out[w++] = '\t';
            break;
        case 'n':
            out[w++] = '\n';
            break;
        case 'r':
            out[w++] = '\r';
            break;
        default:
            out[w++] = '\\';
            out[w++] = e;
            break;
        }
    }
    out[w] = 0;
    return w;
}

uint32_t findClosingQuote(const char* text, uint32_t from, uint32_t end, uint32_t* textEnd)
{
    uint32_t i = from;
    while (i < end) {
        if (text[i] == '\\') {
            i += 2;
            continue;
        }
        if (text[i] == '\'') {
            *textEnd = i;
            return i + 1;
        }
        ++i;
    }
    *textEnd = end;
    return end;
}

} // namespace metatext
