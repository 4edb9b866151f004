#pragma once
// One modulation source, 32 bytes. The parameter manager owns the list;
// entry 0 is "none", modules fill the entries of their own sources when the
// manager broadcasts k_msgDescribeModSources.

#include <cstdint>

constexpr int32_t k_sourceNameBytes = 24;

// Bits of AM_ModSourceInfo::flags.
enum AM_ModSourceFlag : uint32_t {
    k_sourceInStaticMask = 0x1,    // in the static source masks
    k_sourceBit20 = 0x100000,      // default of second-list selectors
    k_sourceSecondList = 0x400000, // member of the second list (bit 22)
    k_sourceBit23 = 0x800000,      // default of selectors with bit 23
};
// Kind words the framework gives its own sources.
constexpr uint32_t k_sourceKindDefault = 0xa0000;

struct AM_ModSourceInfo {
    char name[k_sourceNameBytes]; // zero-terminated (at most 23 characters)
    uint32_t flags;               // bit 0, group in bits 16-19, bits 20, 22, 23
    uint32_t span;                // 1 for an ordinary source, 0 for "none"
};

static_assert(sizeof(AM_ModSourceInfo) == 32, "AM_ModSourceInfo is a 32-byte record");

// The group (1-15) in bits 16-19 of a flags word, 0 for none.
inline uint32_t AM_sourceGroup(uint32_t flags)
{
    return (flags >> 16) & 0xf;
}
