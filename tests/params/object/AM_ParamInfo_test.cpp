#include "params/object/AM_ParamInfo.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(AM_ParamInfo, NamesAreCutAndZeroPadded)
{
    AM_ParamInfo info;
    std::memset(&info, 0x7f, sizeof(info));
    AM_setShortName(info, "LongerThanSeven");
    EXPECT_STREQ(info.shortName, "LongerT");
    AM_setShortName(info, "Ab");
    EXPECT_STREQ(info.shortName, "Ab");
    for (int i = 2; i < k_shortNameBytes; ++i)
        EXPECT_EQ(info.shortName[i], 0) << i;

    const std::string longText(100, 'x');
    AM_setLongName(info, longText.c_str());
    EXPECT_EQ(std::strlen(info.longName), static_cast<size_t>(k_longNameBytes - 1));
    AM_setLongName(info, nullptr);
    EXPECT_STREQ(info.longName, "");
}

TEST(AM_ParamInfo, KindIsTheLowByteOfTheType)
{
    AM_ParamInfo info{};
    info.type = k_typeTextData;
    EXPECT_EQ(info.kind(), static_cast<uint32_t>(k_kindData));
    info.type = k_kindAssignment;
    EXPECT_EQ(info.kind(), static_cast<uint32_t>(k_kindAssignment));
}

} // namespace
