#pragma once
// One module's entry in the array that k_msgDescribeModule fills, indexed by
// module index.

#include <cstdint>

constexpr int32_t k_moduleShortNameBytes = 8;
constexpr int32_t k_moduleLongNameBytes = 24;

struct AM_ModuleRecord {
    char shortName[k_moduleShortNameBytes]; // the name before ':', at most 7
    char longName[k_moduleLongNameBytes];   // the name after ": " (or all of it)
    uint32_t moduleIndex;
    int32_t group; // handed down by the parent; -1 for none
};

static_assert(sizeof(AM_ModuleRecord) == 40, "AM_ModuleRecord is a 40-byte record");
