// Loading and saving presets, and the preset display parameters.

#include "presets/library/PresetLibrary.h"

#include "foundation/AM_FileMessages.h"
#include "foundation/AM_FileOperations.h"
#include "foundation/AM_STD.h"
#include "params/AM_WholeFile.h"
#include "platform/FileErrors.h"
#include "platform/Trace.h"
#include "presets/library/PresetFxp.h"
#include "presets/library/PresetNameRules.h"
#include "presets/library/TuningFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kCoreModule = "PCore";
constexpr const char* kNativeExtension = "h2p";
constexpr const char* kProgramExtension = "fxp";
constexpr const char* kTuningExtension = "tun";
// Characters a preset name may not hold; each becomes '_'.
constexpr const char* kReplacedCharacters = "?\"'*/\\";

// The save's file could not be written: its lines, the user's message (the
// first file of the process that cannot be created shows one) and the
// answer. Nothing was changed.
PresetSaveResult writeFailed(const std::string& fileName, const AM_String& path, AM_FileErr error)
{
    platform::standardOutput("Eeek, AM_FileErr occurred on AM_Directory->createFile( NameString, "
                             "NewPreset, true )\n");
    AM_STD::printv("Saving '%s' failed e: %d; the old file is untouched", fileName.c_str(),
                   static_cast<int32_t>(error));
    AM_FileMessages::createFailed(path);
    return PresetSaveResult::kFailed;
}

bool isPatchPath(const char* modulePath)
{
    return modulePath == nullptr || std::strcmp(modulePath, PresetLibrary::kPatchListPath) == 0;
}

void standardOutput(const char* text)
{
    platform::standardOutput(text);
}

// The module part of a path (up to its first '/').
std::string modulePart(const char* modulePath)
{
    const std::string path(modulePath ? modulePath : "");
    return path.substr(0, path.find('/'));
}

} // namespace

bool PresetLibrary::readCoreText(const char* name, std::string& out)
{
    out.clear();
    const AM_ParamInfo* record = host_.findParameter(kCoreModule, name);
    if (record == nullptr || record->kind() != k_kindData || !(record->max >= 1.0f))
        return false;
    const auto* text =
        static_cast<const char*>(host_.getParameterValue(static_cast<int32_t>(record->index)));
    if (text == nullptr)
        return false;
    const auto capacity = static_cast<size_t>(record->max);
    out.assign(text, strnlen(text, capacity));
    return true;
}

void PresetLibrary::writeCoreText(const char* name, const std::string& text)
{
    const AM_ParamInfo* record = host_.findParameter(kCoreModule, name);
    if (record == nullptr || record->kind() != k_kindData || !(record->max >= 1.0f))
        return;
    // The whole block of the parameter's size, the text cut to leave its
    // terminator.
    std::vector<char> block(static_cast<size_t>(record->max), '\0');
    std::memcpy(block.data(), text.data(), std::min(text.size(), block.size() - 1));
    host_.setParameterValue(static_cast<int32_t>(record->index), block.data());
}

void PresetLibrary::updatePresetDisplay()
{
    ModulePresetList* list = lists_.get();
    if (list == nullptr)
        return;
    if (list->currentFolder() != nullptr)
        writeCoreText("PFold", folderPathText(list->currentFolder()));
    writeCoreText("PFile",
                  presetEntryName(list->currentPresetName(), list->currentPresetExtension()));
}

PresetLoadResult PresetLibrary::loadPreset(PresetListItem* item, const char* modulePath)
{
    ModulePresetList* list = getModulePresetList(modulePath);
    if (list == nullptr || item == nullptr || item->file() == nullptr || !list->ownsItem(item)) {
        AM_STD::printv("loadPreset: no preset file to load");
        return PresetLoadResult::kFailed;
    }
    // Copies: the listing may be rebuilt while the state is applied.
    const std::string name = item->name();
    const std::string extension = item->extension();
    std::vector<char> data;
    const AM_WholeFileResult read =
        AM_readWholeFile(item->file()->path(), data, kMaxPresetFileBytes);
    switch (read.step) {
    case AM_WholeFileStep::kNone:
        break;
    case AM_WholeFileStep::kOpen:
        AM_STD::printv("Eeek, AM_FileErr occurred on AM_File->open()\n");
        return PresetLoadResult::kFailed;
    case AM_WholeFileStep::kSize:
        AM_STD::printv("Eeek, AM_FileErr occurred on AM_File->size()\n");
        return PresetLoadResult::kFailed;
    case AM_WholeFileStep::kAllocate:
        AM_STD::printv("Eeek, couldn't allocate enough memory for File\n");
        return PresetLoadResult::kFailed;
    default:
        AM_STD::printv("Eeek, AM_FileErr occurred on AM_File->readBytes()\n");
        return PresetLoadResult::kFailed;
    }

    const std::string oldName = list->currentPresetName();
    bool keepOldName = false;
    if (applyFile(extension, data, list, modulePath, keepOldName) != PresetLoadResult::kLoaded)
        return PresetLoadResult::kFailed;

    if (!keepOldName)
        setCurrentPreset(name.c_str(), extension.c_str(), modulePath);
    host_.presetTopControlMessage(PresetLibraryHost::kMessagePresetChanged, modulePath);
    if (isPatchPath(modulePath)) {
        host_.nativePresetChanged(keepOldName ? oldName.c_str() : name.c_str());
        updatePresetDisplay();
    }
    return PresetLoadResult::kLoaded;
}

PresetLoadResult PresetLibrary::applyFile(const std::string& extension,
                                          const std::vector<char>& data, ModulePresetList* list,
                                          const char* modulePath, bool& keepOldName)
{
    // The data ends with a zero byte of its own, not counted here.
    const size_t size = data.size() - 1;
    if (extension == kTuningExtension) {
        float table[kTuningNotes];
        if (!readTuningFile(data.data(), size, table))
            return PresetLoadResult::kFailed;
        if (modulePath == nullptr || list->tuningTableParameter() == 0)
            return PresetLoadResult::kLoaded;
        const auto index = static_cast<int32_t>(list->tuningTableParameter());
        const AM_ParamInfo* record = host_.getParameterInfo(index, false);
        if (record == nullptr || record->kind() != k_kindData ||
            record->max != static_cast<float>(kTuningTableBytes)) {
            AM_STD::printv("The tuning table parameter %d is not a block of %d bytes", index,
                           static_cast<int32_t>(kTuningTableBytes));
            return PresetLoadResult::kFailed;
        }
        host_.setParameterValue(index, table);
        AM_STD::printv("tuning successfully set!\n");
        return PresetLoadResult::kLoaded;
    }
    if (extension == kNativeExtension) {
        if (!host_.presetSetStateInfo(data.data(), static_cast<uint32_t>(size), modulePath)) {
            AM_STD::printv("The preset's state was refused; nothing changed");
            return PresetLoadResult::kFailed;
        }
        const int32_t type = list->listType();
        if (modulePath == nullptr || type == PresetListType::kPatch ||
            type == PresetListType::kPatchKeepFolder) {
            const AM_ParamInfo* named = host_.findParameter(kCoreModule, "PName");
            if (named != nullptr && named->kind() != k_kindData) {
                const auto* value = static_cast<const float*>(
                    host_.getParameterValue(static_cast<int32_t>(named->index)));
                keepOldName = value != nullptr && *value <= 0.0f;
            }
        } else if (type == PresetListType::kModule) {
            AM_STD::printv("getModuleInfoL( inModuleName ) - %s", modulePart(modulePath).c_str());
            const int32_t module = host_.presetModuleId(modulePath);
            if (module >= 0)
                host_.refreshModuleParameters(module);
        }
        return PresetLoadResult::kLoaded;
    }
    if (extension == kProgramExtension) {
        const uint8_t* chunk = nullptr;
        uint32_t chunkSize = 0;
        const PresetFxp::Check check =
            PresetFxp::findChunk(reinterpret_cast<const uint8_t*>(data.data()), size,
                                 host_.presetPluginId(), &chunk, &chunkSize);
        if (check != PresetFxp::Check::kOk) {
            AM_STD::printv("The %s; nothing changed", PresetFxp::describe(check));
            return PresetLoadResult::kFailed;
        }
        if (!host_.presetSetStateInfo(chunk, chunkSize, modulePath)) {
            AM_STD::printv("The program's state was refused; nothing changed");
            return PresetLoadResult::kFailed;
        }
        return PresetLoadResult::kLoaded;
    }
    // Kinds that are listed but never applied ("aupreset").
    return PresetLoadResult::kLoaded;
}

const char* presetSaveFailureText(PresetSaveResult result)
{
    switch (result) {
    case PresetSaveResult::kRefused:
        return "Not saved: no preset folder is selected, or the name cannot be a file name.";
    case PresetSaveResult::kFailed:
        return "The preset could not be written; the old file is unchanged.";
    default:
        return nullptr;
    }
}

PresetSaveResult PresetLibrary::savePreset(char* name, const char* modulePath, bool force)
{
    if (name == nullptr)
        return PresetSaveResult::kRefused;
    if (const int replaced = AM_STD::replaceChars(name, kReplacedCharacters, '_'))
        AM_STD::printv("Changed %d characters to '_': %s", replaced, name);
    ModulePresetList* list = getModulePresetList(modulePath);
    if (list == nullptr)
        return PresetSaveResult::kRefused;
    PresetFolder* folder = list->currentFolder();
    if (folder == nullptr || folder->directory() == nullptr) {
        AM_STD::printv("Can't save to non-existing preset folder...");
        return PresetSaveResult::kRefused;
    }
    if (!isValidPathComponent(name, ModulePresetList::kMaxPresetNameBytes, "preset"))
        return PresetSaveResult::kRefused;

    const int32_t type = list->listType();
    const bool tuning = type == PresetListType::kTuning;
    const bool native = type == PresetListType::kModule || nativeFormat_ >= 1;
    const std::string extension = tuning   ? kTuningExtension
                                  : native ? kNativeExtension
                                           : defaultExtension_;
    if (tuning) {
        // Nothing is written (so nothing is asked or backed up), but the
        // name becomes the list's current one and the list is shown again,
        // as after any save.
        const std::string savedName(name);
        setCurrentPreset(savedName.c_str(), extension.c_str(), modulePath);
        std::string line = "don't save anything for " + extension + "\n";
        standardOutput(line.c_str());
        scanPresetItems(modulePath);
        host_.presetTopControlMessage(PresetLibraryHost::kMessageFolderChanged, modulePath);
        host_.presetTopControlMessage(PresetLibraryHost::kMessagePresetChanged, modulePath);
        return PresetSaveResult::kNothing;
    }
    const std::string fileName = std::string(name) + "." + extension;
    AM_Directory& directory = *folder->directory();
    AM_String path = directory.path();
    path.append(AM_String(fileName.c_str()));

    // Whether the file exists is asked of the file system, not of the listing.
    bool isFolder = false;
    const bool exists = directory.exists(AM_String(fileName.c_str()), &isFolder);
    if (exists && isFolder) {
        AM_STD::printv("'%s' is a folder; the preset is not saved", fileName.c_str());
        return PresetSaveResult::kRefused;
    }
    // A file the user made read-only is never replaced: refused as a file
    // that cannot be written, before anything is asked or backed up.
    if (exists && AM_isReadOnlyFile(path))
        return writeFailed(fileName, path, platform::fileerror::kAccessDenied);
    bool backup = false;
    if (exists && !force) {
        const int32_t answer = host_.askThreeWay(name);
        if (answer == PresetLibraryHost::kAnswerCancel)
            return PresetSaveResult::kCancelled;
        backup = answer == PresetLibraryHost::kAnswerBackupAndSave;
    }

    // The data first: nothing is touched when there is none.
    std::vector<uint8_t> data =
        native ? host_.presetStateInfo(modulePath) : host_.presetFxpProgram();
    // A program image carries the name it is saved under: the current
    // preset (which names the image) changes only once the save succeeded.
    if (!native)
        PresetFxp::setProgramName(data.data(), data.size(), name);
    if (data.empty()) {
        AM_STD::printv("No state to save as '%s'; nothing written", fileName.c_str());
        return PresetSaveResult::kFailed;
    }

    if (backup) {
        bool made = false;
        for (int32_t number = 0; number < kMaxBackups && !made; ++number) {
            char suffix[16];
            AM_STD::sprintn(suffix, sizeof suffix, ".bak%d", number);
            const std::string backupName = fileName + suffix;
            if (directory.exists(AM_String(backupName.c_str())))
                continue;
            AM_String backupPath = directory.path();
            backupPath.append(AM_String(backupName.c_str()));
            const AM_FileErr error = AM_copyFile(path, backupPath, true);
            if (error == platform::fileerror::kFileExists)
                continue;
            if (error != 0) {
                AM_STD::printv("The backup of '%s' failed e: %d; the preset is not saved",
                               fileName.c_str(), static_cast<int32_t>(error));
                return PresetSaveResult::kFailed;
            }
            made = true;
        }
        if (!made) {
            AM_STD::printv("No free backup name for '%s'; the preset is not saved",
                           fileName.c_str());
            return PresetSaveResult::kFailed;
        }
    }

    if (const AM_FileErr error = AM_writeFileReplacing(path, data.data(), data.size()))
        return writeFailed(fileName, path, error);

    // Only now does the saved preset become the current one.
    const std::string savedName(name);
    if (type != PresetListType::kModule)
        host_.nativePresetChanged(savedName.c_str());
    setCurrentPreset(savedName.c_str(), extension.c_str(), modulePath);
    scanPresetItems(modulePath);
    host_.presetTopControlMessage(PresetLibraryHost::kMessageFolderChanged, modulePath);
    host_.presetTopControlMessage(PresetLibraryHost::kMessagePresetChanged, modulePath);
    if (isPatchPath(modulePath))
        updatePresetDisplay();
    return PresetSaveResult::kSaved;
}
