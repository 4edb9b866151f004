#include "gui/graphics/AM_ScriptLines.h"

#include "foundation/AM_STD.h"

#include <cstdarg>

void AM_appendScriptLine(std::string& out, const char* format, ...)
{
    char line[kScriptLineBytes];
    va_list arguments;
    va_start(arguments, format);
    const int length = AM_STD::vsprintvn(line, sizeof line, format, arguments);
    va_end(arguments);
    if (length > 0)
        out.append(line, size_t(length) < sizeof line ? size_t(length) : sizeof line - 1);
}

float AM_scriptValue(const char* text)
{
    float value = 0;
    if (text != nullptr)
        AM_STD::scanv(text, "%f", &value);
    return value;
}
