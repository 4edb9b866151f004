#include "params/AM_ParameterName.h"

namespace {

constexpr int32_t kMaxChars = k_nameFieldBytes - 1;

bool endsParameterName(char c, AM_ParameterNameEnd end)
{
    return c == '\0' || c == ' ' || (c == ':' && end == AM_ParameterNameEnd::kBlankOrColon);
}

} // namespace

bool AM_splitParameterName(const char* text, char (&module)[k_nameFieldBytes],
                           char (&parameter)[k_nameFieldBytes], AM_ParameterNameEnd end)
{
    module[0] = '\0';
    parameter[0] = '\0';
    if (!text)
        return false;
    int32_t colon = -1;
    for (int32_t i = 0; i <= kMaxChars && text[i] != '\0'; ++i) {
        if (text[i] == ':') {
            colon = i;
            break;
        }
    }
    if (colon < 0)
        return false;
    const char* name = text + colon + 1;
    int32_t length = 0;
    while (length <= kMaxChars && !endsParameterName(name[length], end))
        ++length;
    if (length > kMaxChars)
        return false;
    for (int32_t i = 0; i < colon; ++i)
        module[i] = text[i];
    module[colon] = '\0';
    for (int32_t i = 0; i < length; ++i)
        parameter[i] = name[i];
    parameter[length] = '\0';
    return true;
}
