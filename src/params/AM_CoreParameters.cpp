#include "params/AM_CoreParameters.h"

#include "foundation/AM_STD.h"

#include <cstring>

namespace {

constexpr float kMaxAmount = 100.0f;

const AM_ParamInfo kAxisRow = {0,  "", "", k_kindXYAxis, -kMaxAmount, kMaxAmount, 0.0f, 0x7,
                               -1, 0,  -1};
const AM_ParamInfo kAssignmentRows[k_xyFields] = {
    {0, "MT", "", k_kindAssignment, -1.0f, 0.0f, -1.0f, 0x10080, -1, 0, -1},
    {0, "ML", "", k_kindFloat, -kMaxAmount, kMaxAmount, 50.0f, 0x81, -1, 0, -1},
    {0, "MR", "", k_kindFloat, -kMaxAmount, kMaxAmount, -50.0f, 0x81, -1, 0, -1},
};
const AM_ParamInfo kMeterRows[k_coreMeters] = {
    {0, "ModU1", "Mod usage1", k_meter, 1.0f, 2.0f, 1.0f, 0, -1, 0, -1},
    {0, "ModU2", "Mod usage2", k_meter, 1.0f, 2.0f, 1.0f, 0, -1, 0, -1},
};
const AM_ParamInfo kMatrixRows[k_matrixFields] = {
    {0, "MMT%d", "Matrix%d Target", k_kindAssignment, -1.0f, 0.0f, -1.0f, 0x10080, -1, 0, -1},
    {0, "MMS%d", "Matrix%d Source", k_kindInteger, 0.0f, 0.0f, 0.0f, 0x14, -1, 0, -1},
    {0, "MMD%d", "Matrix%d Depth", k_kindFloat, -kMaxAmount, kMaxAmount, 0.0f, 0xf, -1, 0, -1},
    {0, "MMVS%d", "Matrix%d ViaSrc", k_kindInteger, 0.0f, 0.0f, 0.0f, 0x14, -1, 0, -1},
    {0, "MMVD%d", "Matrix%d Via", k_kindFloat, -kMaxAmount, kMaxAmount, 0.0f, 0xf, -1, 0, -1},
};
const AM_ParamInfo kGlobalRows[k_coreGlobalCount] = {
    {0, "SBase", "SwingBase", k_kindInteger, 0.0f, 23.0f, 4.0f, 0, -1, 0, -1},
    {0, "Swing", "Swing", k_kindFloat, 0.0f, 100.0f, 0.0f, 0xb, -1, 0, -1},
    {0, "SLite", "Swing Light", k_meter, 0.0f, 1.0f, 0.0f, 0, -1, 0, -1},
    {0, "STrig", "SwingTrigger", k_kindInteger, 0.0f, 1.0f, 1.0f, 0, -1, 0, -1},
    {0, "SelMod", "SelectModule", k_kindInteger, 0.0f, 1000.0f, 0.0f, 0x100, -1, 0, -1},
    {0, "PForm", "PatchFormat", k_kindInteger, 0.0f, 2.0f, 1.0f, 0x100, -1, 0, -1},
    {0, "PComp", "PatchCompression", k_kindInteger, 0.0f, 1.0f, 0.0f, 0x100, -1, 0, -1},
    {0, "PName", "PatchNamed", k_kindInteger, 0.0f, 1.0f, 1.0f, 0x100, -1, 0, -1},
    {0, "PSong", "PatchSong", k_kindInteger, 0.0f, 1000.0f, 0.0f, 0, -1, 0, -1},
    {0, "PFold", "PatchFolder", k_typeTextData, 0.0f, 256.0f, 0.0f, 0x8000000, -1, 0, -1},
    {0, "PFile", "PatchFileName", k_typeTextData, 0.0f, 64.0f, 0.0f, 0x8000000, -1, 0, -1},
    {0, "GFile", "GUI FileName", k_typeTextData, 0.0f, 64.0f, 0.0f, 0x8008000, -1, 0, -1},
    {0, "GScale", "GUI Scale", k_kindInteger, -3.0f, 3.0f, 0.0f, 0x8000, -1, 0, -1},
    {0, "MetaA", "MetaA", k_typeTextData, 0.0f, 128.0f, 0.0f, 0x100, -1, 0, -1},
    {0, "MetaD", "MetaD", k_typeTextData, 0.0f, 512.0f, 0.0f, 0x100, -1, 0, -1},
    {0, "MetaH", "MetaH", k_typeTextData, 0.0f, 512.0f, 0.0f, 0x100, -1, 0, -1},
    // Nine layouts (0 to 8); the last one, "mono-surround", has no value name.
    {0, "ChLay", "Channel Layout", k_kindInteger, 0.0f, 8.0f, 0.0f, 0x8000, -1, 0, -1},
    {0, "SurrO", "Surround Options", k_kindInteger, 0.0f, 2.0f, 1.0f, 0x8000, -1, 0, -1},
    {0, "Levels", "Levels", k_typeBinaryData, 0.0f, 16.0f, 1.0f, 0x400, -1, 0, -1},
    {0, "MidiLed", "Midi Activity", k_meter, 0.0f, 1.0f, 0.0f, 0, -1, 0, -1},
    {0, "ChanMet", "ChanMet", k_meter, 0.0f, 9.0f, 0.0f, 0, -1, 0, -1},
};

const char kSwingBaseNames[][k_valueNameBytes] = {
    "1/64",     "1/32",    "1/16",    "1/8",     "1/4",       "1/2",      "1/1",      "1/32 dot",
    "1/16 dot", "1/8 dot", "1/4 dot", "1/2 dot", "1/16 trip", "1/8 trip", "1/4 trip", "1/2 trip",
    "1/1 trip", "2/1",     "3/1",     "4/1",     "5/1",       "6/1",      "7/1",      "8/1"};
const char kPatchFormatNames[][k_valueNameBytes] = {"native", "h2p", "h2p extended"};
const char kPatchCompressionNames[][k_valueNameBytes] = {"all modules", "active only"};
const char kChannelLayoutNames[][k_valueNameBytes] = {
    "auto/surround", "multichannel", "stereo 1+2", "stereo 3+4",
    "stereo 5+6",    "stereo 7+8",   "mono",       "stereo-surround"};
const char kSurroundNames[][k_valueNameBytes] = {"all channels", "no lfe", "dry c + lfe"};

template <size_t N> int32_t names(const char (&list)[N][k_valueNameBytes], AM_ValueNames* out)
{
    if (out)
        *out = list;
    return static_cast<int32_t>(N);
}

} // namespace

AM_CoreLayout::AM_CoreLayout(int32_t axes, int32_t slots, int32_t rows)
    : axes_(axes > 0 ? (axes < k_maxXYAxes ? axes : k_maxXYAxes) : 0),
      slots_(slots > 0 ? slots : 0), rows_(rows > 0 ? rows : 0)
{
}

uint32_t AM_CoreLayout::count() const
{
    return static_cast<uint32_t>((k_xyFields * slots_ + 1) * axes_ + k_matrixFields * rows_ +
                                 k_coreMeters + k_coreGlobalCount);
}

uint32_t AM_CoreLayout::assignmentLocal(int32_t axis, int32_t slot, int32_t field) const
{
    return static_cast<uint32_t>(axes_ + (axis * slots_ + slot) * k_xyFields + field);
}

uint32_t AM_CoreLayout::meterLocal(int32_t meter) const
{
    return assignmentLocal(axes_, 0, 0) + static_cast<uint32_t>(meter);
}

uint32_t AM_CoreLayout::matrixLocal(int32_t row, int32_t field) const
{
    return meterLocal(k_coreMeters) + static_cast<uint32_t>(row * k_matrixFields + field);
}

uint32_t AM_CoreLayout::globalLocal(int32_t global) const
{
    return matrixLocal(rows_, 0) + static_cast<uint32_t>(global);
}

AM_CoreLayout::Place AM_CoreLayout::placeOf(uint32_t local) const
{
    int64_t i = local;
    if (i < axes_)
        return {Section::axis, static_cast<int32_t>(i), 0, 0};
    i -= axes_;
    const int64_t assignments = static_cast<int64_t>(axes_) * slots_ * k_xyFields;
    if (i < assignments) {
        const int32_t pair = static_cast<int32_t>(i / k_xyFields);
        return {Section::xyAssignment, pair / slots_, pair % slots_,
                static_cast<int32_t>(i % k_xyFields)};
    }
    i -= assignments;
    if (i < k_coreMeters)
        return {Section::meter, static_cast<int32_t>(i), 0, 0};
    i -= k_coreMeters;
    if (i < static_cast<int64_t>(rows_) * k_matrixFields)
        return {Section::matrix, static_cast<int32_t>(i / k_matrixFields),
                static_cast<int32_t>(i % k_matrixFields), 0};
    i -= static_cast<int64_t>(rows_) * k_matrixFields;
    if (i < k_coreGlobalCount)
        return {Section::global, static_cast<int32_t>(i), 0, 0};
    return {Section::none, 0, 0, 0};
}

bool AM_CoreLayout::makeTemplate(uint32_t local, AM_ParamInfo* out) const
{
    const Place place = placeOf(local);
    char shortName[k_shortNameBytes + 8];
    char longName[k_longNameBytes];
    switch (place.section) {
    case Section::axis: {
        const bool isX = place.first % 2 == 0;
        const int32_t pad = place.first / 2 + 1;
        *out = kAxisRow;
        AM_STD::sprintn(shortName, sizeof(shortName), isX ? "X_%d" : "Y_%d", pad);
        AM_STD::sprintn(longName, sizeof(longName), isX ? "X%d" : "Y%d", pad);
        break;
    }
    case Section::xyAssignment: {
        const bool isX = place.first % 2 == 0;
        const int32_t pad = place.first / 2 + 1;
        const int32_t slot = place.second + 1;
        *out = kAssignmentRows[place.third];
        AM_STD::sprintn(shortName, sizeof(shortName), "%s%d%d",
                        kAssignmentRows[place.third].shortName, place.first + 1, slot);
        static const char* const kLongX[k_xyFields] = {"XY%d TargetX%d", "XY%d Right%d",
                                                       "XY%d Left%d"};
        static const char* const kLongY[k_xyFields] = {"XY%d TargetY%d", "XY%d Up%d",
                                                       "XY%d Down%d"};
        AM_STD::sprintn(longName, sizeof(longName), (isX ? kLongX : kLongY)[place.third], pad,
                        slot);
        break;
    }
    case Section::meter:
        *out = kMeterRows[place.first];
        std::memcpy(shortName, out->shortName, k_shortNameBytes);
        std::memcpy(longName, out->longName, k_longNameBytes);
        break;
    case Section::matrix:
        *out = kMatrixRows[place.second];
        AM_STD::sprintn(shortName, sizeof(shortName), kMatrixRows[place.second].shortName,
                        place.first + 1);
        AM_STD::sprintn(longName, sizeof(longName), kMatrixRows[place.second].longName,
                        place.first + 1);
        break;
    case Section::global:
        *out = kGlobalRows[place.first];
        std::memcpy(shortName, out->shortName, k_shortNameBytes);
        std::memcpy(longName, out->longName, k_longNameBytes);
        break;
    case Section::none:
        return false;
    }
    AM_setShortName(*out, shortName);
    AM_setLongName(*out, longName);
    out->index = local;
    out->localNumber = local;
    return true;
}

int32_t AM_CoreLayout::globalValueStrings(int32_t global, AM_ValueNames* list)
{
    switch (global) {
    case k_globalSwingBase:
        return names(kSwingBaseNames, list);
    case k_globalPatchFormat:
        return names(kPatchFormatNames, list);
    case k_globalPatchCompression:
        return names(kPatchCompressionNames, list);
    case k_globalChannelLayout:
        return names(kChannelLayoutNames, list);
    case k_globalSurroundOptions:
        return names(kSurroundNames, list);
    default:
        return 0;
    }
}
