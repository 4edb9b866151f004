#pragma once
// Pin properties and speaker arrangements (effGetInputProperties,
// effGetOutputProperties, effSetSpeakerArrangement, effGetSpeakerArrangement).

#include "plugin/vst/VstAbi.h"

enum VstPinPropertiesFlags : VstInt32 {
    kVstPinIsActive = 1 << 0,
    kVstPinIsStereo = 1 << 1,
    kVstPinUseSpeaker = 1 << 2,
};

struct VstPinProperties {
    char label[kVstMaxLabelLen];
    VstInt32 flags;
    VstInt32 arrangementType;
    char shortLabel[kVstMaxShortLabelLen];
    char future[48];
};

static_assert(sizeof(VstPinProperties) == 128);
static_assert(offsetof(VstPinProperties, label) == 0);
static_assert(offsetof(VstPinProperties, flags) == 64);
static_assert(offsetof(VstPinProperties, arrangementType) == 68);
static_assert(offsetof(VstPinProperties, shortLabel) == 72);
static_assert(offsetof(VstPinProperties, future) == 80);

struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[kVstMaxNameLen];
    VstInt32 type;
    char future[28];
};

static_assert(sizeof(VstSpeakerProperties) == 112);
static_assert(offsetof(VstSpeakerProperties, azimuth) == 0);
static_assert(offsetof(VstSpeakerProperties, elevation) == 4);
static_assert(offsetof(VstSpeakerProperties, radius) == 8);
static_assert(offsetof(VstSpeakerProperties, reserved) == 12);
static_assert(offsetof(VstSpeakerProperties, name) == 16);
static_assert(offsetof(VstSpeakerProperties, type) == 80);
static_assert(offsetof(VstSpeakerProperties, future) == 84);

// Number of speaker records declared in VstSpeakerArrangement. The record is
// of variable length: a header of 8 bytes and numChannels speaker records.
constexpr VstInt32 kVstDeclaredSpeakers = 8;

struct VstSpeakerArrangement {
    VstInt32 type;
    VstInt32 numChannels;
    VstSpeakerProperties speakers[kVstDeclaredSpeakers];
};

static_assert(offsetof(VstSpeakerArrangement, type) == 0);
static_assert(offsetof(VstSpeakerArrangement, numChannels) == 4);
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8);
static_assert(sizeof(VstSpeakerArrangement) == 8 + kVstDeclaredSpeakers * 112);

// Bytes of an arrangement record with n speakers (at least the declared size,
// since some hosts copy sizeof(VstSpeakerArrangement) bytes).
constexpr size_t vstSpeakerArrangementBytes(size_t n)
{
    const size_t needed =
        offsetof(VstSpeakerArrangement, speakers) + n * sizeof(VstSpeakerProperties);
    return needed < sizeof(VstSpeakerArrangement) ? sizeof(VstSpeakerArrangement) : needed;
}

enum VstSpeakerArrangementType : VstInt32 {
    kSpeakerArrUserDefined = -2,
    kSpeakerArrEmpty = -1,
    kSpeakerArrMono = 0,
    kSpeakerArrStereo = 1,
    kSpeakerArr30Music = 7,
    kSpeakerArr40Music = 11,
    kSpeakerArr50 = 14,
    kSpeakerArr51 = 15,
    kSpeakerArr70Music = 21,
    kSpeakerArr71Music = 23,
    kSpeakerArr81Music = 27,
    kSpeakerArr102 = 28,
};

namespace vst {

// Speaker i of an arrangement record, also beyond the declared eight (the
// record is of variable length). The caller checks i < numChannels.
inline VstSpeakerProperties* speakerAt(VstSpeakerArrangement* arrangement, VstInt32 i)
{
    return reinterpret_cast<VstSpeakerProperties*>(
        reinterpret_cast<char*>(arrangement) + offsetof(VstSpeakerArrangement, speakers) +
        static_cast<size_t>(i) * sizeof(VstSpeakerProperties));
}

inline const VstSpeakerProperties* speakerAt(const VstSpeakerArrangement* arrangement, VstInt32 i)
{
    return speakerAt(const_cast<VstSpeakerArrangement*>(arrangement), i);
}

} // namespace vst
