#include "presets/folders/PresetFileFilters.h"

#include <initializer_list>

namespace {

// A file (not a folder) whose path ends in one of the given endings.
bool isFileEndingIn(AM_FileObject* entry, std::initializer_list<const char*> endings)
{
    if (entry == nullptr || entry->getType() == AM_FileObject::kTypeFolder)
        return false;
    for (const char* ending : endings) {
        if (entry->path().endsWith(AM_String(ending)))
            return true;
    }
    return false;
}

} // namespace

bool isPresetFile(AM_FileObject* entry)
{
    return isFileEndingIn(entry, {"aupreset", "fxp", "h2p"});
}

bool isNativePresetFile(AM_FileObject* entry)
{
    return isFileEndingIn(entry, {"h2p"});
}

bool isTuningFile(AM_FileObject* entry)
{
    return isFileEndingIn(entry, {"tun"});
}

AM_FileFilter presetFilterForListType(int32_t listType)
{
    switch (listType) {
    case PresetListType::kPatch:
    case PresetListType::kPatchKeepFolder:
        return isPresetFile;
    case PresetListType::kModule:
        return isNativePresetFile;
    case PresetListType::kTuning:
        return isTuningFile;
    default:
        return nullptr;
    }
}
