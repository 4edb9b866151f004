#pragma once
// ModulePresetList: the presets of one module (or of the whole patch, or the
// tuning files of one tuning parameter): its folder tree, its current folder
// and the preset files listed there, its current preset and its two taggers.
// Lists form a chain; a list owns the lists after it.
//
// All modules of one kind share one list: the list is named by the
// normalised module name (normalizeModuleName).
//
// Threads: the user-interface thread.

#include "presets/folders/PresetFolder.h"
#include "presets/folders/PresetListItem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class PresetTagger;

// What became of a tag change.
enum class PresetTagResult : int32_t {
    kDone = 0,        // tagged or untagged as asked (or nothing was asked)
    kNameNotTaggable, // the file's name cannot be kept in a tag file
    kTagFileLocked,   // a tag file concerned could not be read or is read-only
};

// The name of the list a module path belongs to: the path cut to 31 bytes,
// then at its first '/' (a '/' in the last place is not looked for), then
// trailing characters below 'A' (digits, blanks, punctuation) cut while more
// than three characters remain: "LFO1" and "LFO2" give "LFO".
std::string normalizeModuleName(const char* modulePath);
// The tag entry of a preset file: name and extension joined with a dot.
std::string presetEntryName(const char* name, const char* extension);
// The tag entry of a file name: the name itself, with a '.' appended when it
// has none (as name and empty extension joined give).
std::string presetEntryOfFileName(const std::string& fileName);
// The tag entry of a listed item: that of its file's name (so a name longer
// than an item keeps still has its own entry), or of its name and extension
// when it has no file.
std::string presetEntryOfItem(const PresetListItem& item);

// What an import of dropped files brought in and what it refused.
struct PresetImportReport {
    int32_t imported = 0;
    // Lines naming files that were not taken (a file named twice counts
    // once, and is taken once).
    int32_t refused = 0;
    // Why the first of them was refused, in words for the user.
    std::string firstReason;
};

class ModulePresetList {
public:
    static constexpr size_t kMaxRootNameBytes = 31;
    static constexpr size_t kMaxModuleNameBytes = 31;
    static constexpr size_t kMaxPresetNameBytes = 63;
    static constexpr size_t kMaxExtensionBytes = 15;
    // Longest line of an import's path list.
    static constexpr size_t kMaxImportLineBytes = 511;
    // Numbers tried for a free name when importing.
    static constexpr int32_t kMaxImportNumber = 9999;
    // Files and bytes one import brings in at most: a drop holds a few banks
    // of ordinary presets, or the largest file the library loads, and no
    // drop (which any client of the display can send) fills the disk.
    static constexpr int32_t kMaxImportFiles = 256;
    static constexpr uint64_t kMaxImportBytes = 64u << 20;

    // Name "...", extension "host", no folders, no tuning parameter, no
    // taggers. The names are cut to their limits.
    ModulePresetList(const char* rootName, const char* moduleName, int32_t listType);
    // Releases both taggers (see releaseTaggers; "no junk tagger" or "no fave
    // tagger" on the trace for one it does not have), then deletes the lists
    // chained after it.
    ~ModulePresetList();
    ModulePresetList(const ModulePresetList&) = delete;
    ModulePresetList& operator=(const ModulePresetList&) = delete;

    // Links the list after the last list of the chain.
    void append(std::unique_ptr<ModulePresetList> list);
    // The first list from this one on with that module name; null when none.
    ModulePresetList* find(const char* moduleName);
    ModulePresetList* next() const { return next_.get(); }

    const char* rootName() const { return rootName_.c_str(); }
    const char* moduleName() const { return moduleName_.c_str(); }
    int32_t listType() const { return listType_; }

    PresetFolder* folders() const { return folders_.get(); }
    // Replaces the folder chain; the current folder and the items go.
    void setFolders(std::unique_ptr<PresetFolder> folders);
    PresetFolder* currentFolder() const { return currentFolder_; }
    // The folder when it belongs to the chain, else the first folder (null
    // without folders). Does not list it.
    PresetFolder* selectFolder(PresetFolder* folder);
    // True when the folder is one of the chain's.
    bool ownsFolder(const PresetFolder* folder) const;
    PresetListItem* items() const { return items_.get(); }
    // True when the item is one of the current listing's.
    bool ownsItem(const PresetListItem* item) const;
    // Lists the current folder through the list type's filter (no items
    // without a current folder) and applies the tags.
    void scanItems();

    const char* currentPresetName() const { return presetName_.c_str(); }
    const char* currentPresetExtension() const { return presetExtension_.c_str(); }
    // Null texts count as empty; both are cut to their limits.
    void setCurrentPreset(const char* name, const char* extension);

    // The internal index of the parameter a loaded tuning table goes to; 0
    // when the list has none.
    uint32_t tuningTableParameter() const { return tuningTableParameter_; }
    void setTuningTableParameter(uint32_t index) { tuningTableParameter_ = index; }

    // --- Tags.

    PresetTagger* junkTagger() const { return junk_; }
    PresetTagger* favouritesTagger() const { return favourites_; }
    // Takes the list's "Junk" and "Favourites" taggers from the registry,
    // keyed by the module name (the whole-patch list "Presets" by the root
    // name), in the first folder. Nothing when it has them already or has no
    // folders (a trace line then).
    void attachTaggers();
    // "Favourites", "Junk" or null for the item's file.
    const char* getTag(const PresetListItem* item) const;
    // Gives every item of the listing its tag bits.
    void applyTags();
    // Tags or untags the item ("Favourites" or "Junk"; the other tag goes);
    // an item without a folder counts as one of the current folder. Any other
    // tag name changes nothing. A change that could not be kept (a name the
    // tag file cannot hold, or a tag file that could not be read or is
    // read-only, so that writing it back would fail) is not made: the item
    // keeps its marks, a trace line says why and the answer tells the caller.
    PresetTagResult setTag(PresetListItem* item, const char* tagName, bool on);
    // setTag for every selected item of the listing; answers the first
    // refusal (kDone when there was none).
    PresetTagResult setTagOnSelected(const char* tagName, bool on);

    // --- Import of dropped files.

    // Copies (copy set) or moves the files of the path list (one full path a
    // line) into the target folder, which must be one of this list's. A name
    // taken there gets " 1", " 2", ... before its extension. A copy never
    // replaces a file and keeps the source's tags, adding them to the new
    // file; a move never replaces a file and carries the tags over once it
    // succeeded. A file from outside the list's folders is always copied.
    // Folders are not taken, nor symbolic links, nor anything but a regular
    // file of at most the size the library loads whose bytes read as a
    // preset of its kind (a state text, a program of this plug-in, a tuning
    // table, a property list); a file named twice is taken once, and past
    // kMaxImportFiles files or kMaxImportBytes bytes the rest is refused.
    // The copy written is the bytes checked.
    // Answers the files imported; each refusal is traced, counted in the
    // report (when given) and the next line follows. The caller lists the
    // folder again afterwards.
    int32_t importFiles(const char* pathList, PresetFolder* target, bool copy,
                        PresetImportReport* report = nullptr);
    // The plug-in ID that dropped program files must carry.
    void setProgramPluginId(uint32_t id) { programPluginId_ = id; }

private:
    struct ImportRun;
    void importOne(const std::string& line, PresetFolder& target, bool copy, ImportRun& run);

    std::string rootName_;
    std::string moduleName_;
    std::unique_ptr<ModulePresetList> next_;
    std::unique_ptr<PresetFolder> folders_;
    PresetFolder* currentFolder_ = nullptr;
    std::unique_ptr<PresetListItem> items_;
    std::string presetName_ = "...";
    std::string presetExtension_ = "host";
    int32_t listType_;
    uint32_t programPluginId_ = 0;
    uint32_t tuningTableParameter_ = 0;
    PresetTagger* junk_ = nullptr;
    PresetTagger* favourites_ = nullptr;
};
