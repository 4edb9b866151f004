#include "gui/views/AM_PromptText.h"

std::string AM_toPromptText(const char* text, bool multiLine)
{
    std::string out;
    if (text == nullptr) {
        return out;
    }
    const char lineEnd = multiLine ? '\n' : ' ';
    for (const char* p = text; *p != 0; ++p) {
        if (*p == '\r') {
            if (p[1] == '\n') {
                ++p;
            }
            out += lineEnd;
        } else if (*p == '\n') {
            out += lineEnd;
        } else {
            out += *p;
        }
    }
    return out;
}

std::string AM_fromPromptText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}
