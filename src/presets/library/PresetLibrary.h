#pragma once
// PresetLibrary: the preset lists of one editor and every preset operation
// the GUI-to-engine interface offers by module path: the lists and their
// places, folders, browsing, tags, folder creation, load and save. A module
// path is a module's long name, optionally followed by '/' and more text;
// the whole-patch list has the path "Presets", and a null path means the
// first list.
//
// Every by-path operation finds its list with getModulePresetList and does
// nothing (or answers null) when the module has no list.
//
// Threads: the user-interface thread.

#include "presets/library/ModulePresetList.h"
#include "presets/library/PresetLibraryHost.h"

#include <cstdint>
#include <memory>
#include <string>

enum class PresetLoadResult : int32_t {
    kLoaded = 0, // applied (or, for a kind that is never applied, made current)
    kFailed,     // not read, refused or not applied; nothing changed
};

enum class PresetSaveResult : int32_t {
    kSaved = 0,
    kCancelled, // the user chose Cancel: nothing written
    kRefused,   // no list, no folder, a name that cannot be a file name
    kNothing,   // a tuning list: nothing is saved
    kFailed,    // the data, the backup or the write failed: the old file is untouched
};

// What the user is told of a save refused or failed; null for the others.
const char* presetSaveFailureText(PresetSaveResult result);

class PresetLibrary {
public:
    // The whole-patch list's module path.
    static constexpr const char* kPatchListPath = "Presets";
    // Largest preset or tuning file loaded.
    static constexpr uint64_t kMaxPresetFileBytes = 64u << 20;
    // Backups tried before a save gives up.
    static constexpr int32_t kMaxBackups = 10000;
    // The answer of addTuningPresetList for a module that has its list.
    static constexpr const char* kNotApplicable = "not applicable";

    explicit PresetLibrary(PresetLibraryHost& host);
    // Deletes the lists (the taggers are released with them).
    ~PresetLibrary();
    PresetLibrary(const PresetLibrary&) = delete;
    PresetLibrary& operator=(const PresetLibrary&) = delete;

    // --- Lists.

    // Creates the list of the path's module once (a list of that name keeps
    // its type), finds its place and folders, and for the whole-patch list
    // selects the folder named by "PCore"/"PFold"; when that names none, the
    // folder holding the file named by "PFile", else the first holding presets.
    // Answers the list.
    ModulePresetList* addModulePresetList(const char* modulePath, int32_t listType);
    // Creates the tuning list "%s Tuning" of the record's module, whose loaded
    // tables go to the parameter after the record. Answers the list name, or
    // kNotApplicable when it exists already (or the record is null).
    const char* addTuningPresetList(const AM_ParamInfo* tuningRecord);
    // The list of the path (null: the first list); null when none.
    ModulePresetList* getModulePresetList(const char* modulePath) const;
    ModulePresetList* firstList() const { return lists_.get(); }

    PresetFolder* getPresetFolders(const char* modulePath) const;
    PresetFolder* getCurrentFolder(const char* modulePath) const;
    PresetListItem* getPresetItems(const char* modulePath) const;

    // --- Folders.

    // Rebuilds the list's folder tree from its place and makes the root
    // current ("AM_FileErr %d AM_View_Interface::scanPresetFolders local" on
    // the trace when the place cannot be reached: the list has no folders).
    void scanPresetFolders(const char* modulePath);
    // Lists the current folder again and applies the tags.
    void scanPresetItems(const char* modulePath);
    // Makes the folder current (null, or a folder not of this list: the
    // first), lists it and sends message 47.
    void setCurrentFolder(PresetFolder* folder, const char* modulePath);
    void refreshCurrentFolder(const char* modulePath);
    // Rebuilds the tree and selects the current folder again by its path.
    void rescanPresets(const char* modulePath);
    // Creates the sub-folder in the current folder (unless it exists) and
    // rescans; the new folder does not become current. False when the name
    // is refused, there is no list or folder, or the folder cannot be made.
    bool createPresetFolder(const char* name, const char* modulePath);
    // "Local/Pads/Warm": the folder's name after its parents', '/'-separated,
    // as long as it stays under 255 bytes. Empty for null.
    static std::string folderPathText(const PresetFolder* folder);

    // --- Current preset and browsing.

    void setCurrentPreset(const char* name, const char* extension, const char* modulePath);
    const char* getCurrentPresetName(const char* modulePath) const;
    const char* getCurrentPresetExtension(const char* modulePath) const;
    // The first listed item of that name and extension (a null extension:
    // the name alone decides, with a trace line).
    PresetListItem* doesPresetExist(const char* name, const char* extension,
                                    const char* modulePath) const;
    // Loads the next preset not tagged junk, moving on through the following
    // folders (wrapping) when the folder has none.
    void nextPreset(const char* modulePath);
    // Loads the previous preset, moving back through the folders.
    void previousPreset(const char* modulePath);

    // --- Load and save.

    // Reads the item's file and applies it by its extension: "h2p" the state
    // text, "fxp" the checked program chunk, "tun" the tuning table; other
    // kinds are made current without being applied. Makes it the current
    // preset (for the whole-patch list not when the loaded state says it is
    // unnamed) and sends message 46. The item must be one of the current
    // listing of the path's list.
    PresetLoadResult loadPreset(PresetListItem* item, const char* modulePath);
    // Saves the current state as name "." extension into the list's current
    // folder. The name is edited in place ('?', '"', '\'', '*', '/' and '\'
    // become '_') and must then be a valid file name of at most 63 bytes.
    // Without force, an existing file leads to the three-way question: Cancel
    // stops, "Backup + Save" first copies the old file to name.ext.bak0 (or
    // .bak1, .bak2, ... when taken). The data is produced first and written
    // through a temporary file renamed over the old one, so a failure leaves
    // the old file as it was; only a successful save changes the current
    // preset, tells the engine side and re-lists the folder (messages 47, 46).
    PresetSaveResult savePreset(char* name, const char* modulePath, bool force);

    // Writes the first list's current folder path into "PCore"/"PFold" and
    // its current preset "%s.%s" into "PFile".
    void updatePresetDisplay();

    // 1 (the default): whole-patch presets are saved as native "h2p" state;
    // 0: as the default extension's data (a program file image).
    void setNativeFormat(uint32_t flag) { nativeFormat_ = flag; }
    uint32_t getNativeFormat() const { return nativeFormat_; }
    // "h2p" unless set ("fxp" for the plug-in's interface).
    void setDefaultExtension(const char* extension);
    const char* defaultExtension() const { return defaultExtension_.c_str(); }

private:
    PresetLoadResult applyFile(const std::string& extension, const std::vector<char>& data,
                               ModulePresetList* list, const char* modulePath, bool& keepOldName);
    void loadFirstOf(PresetListItem* item, const char* modulePath);
    // The folder a list opens on when none was remembered: the first that
    // holds the preset file of that name ("Soft.h2p"; empty: none), else the
    // first that holds presets; null when no folder holds any.
    static PresetFolder* openingFolder(ModulePresetList& list, const std::string& file);
    // The text value of a "PCore" text parameter, bounded by its size.
    bool readCoreText(const char* name, std::string& out);
    void writeCoreText(const char* name, const std::string& text);

    PresetLibraryHost& host_;
    std::unique_ptr<ModulePresetList> lists_;
    uint32_t nativeFormat_ = 1;
    std::string defaultExtension_ = "h2p";
};
