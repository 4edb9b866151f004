#pragma once
// The file filters of the preset lists and the list types that choose them.
// A filter is handed each entry of a folder listing and answers true to
// accept it; a folder entry is always refused.
//
// The names are tested case-sensitively on their last letters, so a name
// that ends in the letters of an extension without a dot before them is
// accepted too ("bigfxp" is a preset file).
//
// Pure functions of the entry's stored path and type: any thread except the
// audio thread (an entry of unset type is looked up in the file system).

#include "foundation/AM_DirectoryIterator.h"

#include <cstdint>

// The kinds of preset list; each lists the files of one filter.
namespace PresetListType {
// The whole-patch list: "aupreset", "fxp" and "h2p" files.
constexpr int32_t kPatch = 0;
// As kPatch; the list does not restore its last folder when it is created.
constexpr int32_t kPatchKeepFolder = 1;
// Module preset lists: "h2p" files.
constexpr int32_t kModule = 2;
// Every entry, folders included, without a filter.
constexpr int32_t kAllEntries = 3;
// Tuning lists: "tun" files.
constexpr int32_t kTuning = 4;
} // namespace PresetListType

// Accepts a file whose name ends in "aupreset", "fxp" or "h2p".
bool isPresetFile(AM_FileObject* entry);
// Accepts a file whose name ends in "h2p".
bool isNativePresetFile(AM_FileObject* entry);
// Accepts a file whose name ends in "tun".
bool isTuningFile(AM_FileObject* entry);

// The filter of a list type: isPresetFile for kPatch and kPatchKeepFolder,
// isNativePresetFile for kModule, isTuningFile for kTuning; null (every
// entry) for kAllEntries, negative types and types above kTuning.
AM_FileFilter presetFilterForListType(int32_t listType);
