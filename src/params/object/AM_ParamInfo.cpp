#include "params/object/AM_ParamInfo.h"

#include <cstring>

namespace {

void copyBounded(char* out, int32_t bytes, const char* text)
{
    int32_t i = 0;
    if (text) {
        for (; i < bytes - 1 && text[i] != 0; ++i)
            out[i] = text[i];
    }
    std::memset(out + i, 0, static_cast<size_t>(bytes - i));
}

} // namespace

void AM_setShortName(AM_ParamInfo& info, const char* text)
{
    copyBounded(info.shortName, k_shortNameBytes, text);
}

void AM_setLongName(AM_ParamInfo& info, const char* text)
{
    copyBounded(info.longName, k_longNameBytes, text);
}
