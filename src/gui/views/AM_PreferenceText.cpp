#include "gui/views/AM_PreferenceText.h"

#include <cstring>

std::vector<std::string> AM_splitPreferenceText(const char* text)
{
    std::vector<std::string> parts;
    if (text == nullptr)
        return parts;
    size_t length = std::strlen(text);
    if (length > kPreferenceTextChars)
        length = kPreferenceTextChars;
    std::string part;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == ':' && i > 0 && text[i - 1] != '\\') {
            parts.push_back(part);
            part.clear();
            continue;
        }
        part += text[i];
    }
    parts.push_back(part);
    return parts;
}

std::string AM_joinPreferenceText(const std::string& type, const std::string& property,
                                  const std::string& value)
{
    return type + ':' + property + ':' + value;
}
