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

AM_ParamInfo AM_makeParamInfo(uint32_t index, const char* shortName, const char* longName,
                              uint32_t type, float min, float max, float defaultValue,
                              uint32_t flags, uint32_t group)
{
    AM_ParamInfo info{};
    info.index = index;
    AM_setShortName(info, shortName);
    AM_setLongName(info, longName);
    info.type = type;
    info.min = min;
    info.max = max;
    info.defaultValue = defaultValue;
    info.flags = flags;
    info.moduleIndex = -1;
    info.localNumber = group;
    info.publishedIndex = -1;
    return info;
}
