#pragma once
// PresetFolder: one folder of a preset list's folder tree. All folders of
// one list form a single chain in depth-first pre-order (each folder is
// followed by its sub-folders, depth one more, before its next sibling), so
// the tree is drawn, searched and walked as a flat list with depths. A folder
// owns the rest of the chain behind it: deleting the first folder deletes the
// tree.
//
// A bank loader or a preset list builds a tree like this:
//
//   auto root = std::make_unique<PresetFolder>(std::move(directory), 0, "Bank0");
//   root->scanSubFolderTree(root->directory(), root.get(), 1);
//   for (PresetFolder* f = root.get(); f != nullptr; f = f->next())
//       f->scanFiles(PresetListType::kPatch); // f->items() is its listing
//
// Folder scans never follow a symbolic link to a folder (a link is skipped
// with a trace line, so a link cannot make the tree loop), add no folder
// deeper than kMaxScanDepth and at most kMaxScannedFolders folders (each
// limit met gives one trace line per scan); a folder that cannot be read
// simply has no entries.
//
// Threads: a chain is built, changed and read by one thread at a time, never
// the audio thread (in practice the user-interface thread). The count of
// live folders may be read from any thread.

#include "foundation/AM_Directory.h"
#include "presets/folders/PresetFileFilters.h"
#include "presets/folders/PresetListItem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class PresetFolder {
public:
    // Longest folder name in bytes (UTF-8, cut at a character boundary),
    // without the terminator.
    static constexpr size_t kMaxNameBytes = 63;
    // Deepest folder a scan adds (a tree's root has depth 0); folders further
    // down are not added.
    static constexpr int32_t kMaxScanDepth = 16;
    // Most folders one scan adds.
    static constexpr int32_t kMaxScannedFolders = 4096;
    // Longest path text findByPath accepts, in bytes.
    static constexpr size_t kMaxPathTextBytes = 255;

    // Takes over the directory (null gives a folder without one). The name is
    // the given text when there is one (null: the directory's own name); the
    // path is the directory's path with a '/' appended when it lacks one.
    // Raises the count of live folders.
    PresetFolder(std::unique_ptr<AM_Directory> directory, uint8_t depth,
                 const char* name = nullptr);
    // Deletes the rest of the chain (one folder after the other, so a long
    // chain never deepens the stack), the listing and the directory; lowers
    // the count of live folders.
    virtual ~PresetFolder();
    PresetFolder(const PresetFolder&) = delete;
    PresetFolder& operator=(const PresetFolder&) = delete;

    // Links the folder (with any chain behind it) after the last folder of
    // this chain and makes that last folder its previous one.
    virtual void append(std::unique_ptr<PresetFolder> folder);
    // The first folder from this one on whose name equals the text; null
    // when none does.
    virtual PresetFolder* findByName(const char* name);
    // The folder named by a '/'-separated list of folder names that starts
    // with the root's name ("Local/Pads/Warm"): the k-th name is looked for
    // among the folders of depth k below the folder the (k-1)-th named, from
    // this folder on. Null when a name is missing, a name is empty, or the
    // text is longer than kMaxPathTextBytes.
    virtual PresetFolder* findByPath(const char* path);
    // scanSubFolderTree into the chain of chainHead, or into this folder's
    // chain when chainHead is null. Answers the folders added.
    virtual int32_t scanSubFolders(const AM_Directory* directory, PresetFolder* chainHead,
                                   int32_t depth);
    // Replaces the listing by the files of this folder's directory that the
    // list type's filter accepts, in listing order. Answers the items listed
    // (0 without a directory).
    virtual int32_t scanFiles(int32_t listType);

    // Appends a new folder, of the given depth and without a name of its own,
    // to the end of chainHead's chain for every sub-folder of the directory,
    // each directly followed by its own sub-folders (scanned with depth + 1):
    // the depth-first pre-order of the tree, in the listing's order of names.
    // Files are passed over. Answers the folders added. A null directory or
    // chainHead, or a negative depth, adds nothing.
    int32_t scanSubFolderTree(const AM_Directory* directory, PresetFolder* chainHead,
                              int32_t depth);
    // A new listing of this folder's directory through the list type's filter
    // (see PresetFileFilters.h), in listing order; each item takes over its
    // entry and refers to this folder. The folder's own listing is left
    // alone. Null without a directory or without accepted entries.
    std::unique_ptr<PresetListItem> listFiles(int32_t listType);

    // With all, the folders from this one to the end of the chain; without,
    // only those not hidden: a collapsed folder counts, the deeper folders
    // that follow it do not.
    int32_t countFolders(bool all) const;
    // The folder of first's chain whose next is the given folder; null for
    // the first folder or a folder not in the chain.
    static PresetFolder* previousFolder(PresetFolder* first, const PresetFolder* folder);
    // The last folder of first's chain (first itself when it is alone).
    static PresetFolder* lastFolder(PresetFolder* first);
    // The nearest earlier folder of the chain whose depth is one less; null
    // for a folder of depth 0.
    PresetFolder* parent() const;

    // The directory; null once discarded.
    AM_Directory* directory() const { return directory_.get(); }
    // Deletes the directory object when the folder's files are no longer
    // needed; the folder keeps its name, path and listing.
    void discardDirectory() { directory_.reset(); }
    // Zero-terminated UTF-8 name.
    const char* name() const { return name_; }
    // The directory's full path in UTF-8, ending with '/'.
    const std::string& path() const { return path_; }
    // The end of the path that names this folder below the root of its tree:
    // "/" at depth 0, "/Pads/Warm/" at depth 2. The key of the folder in the
    // tag files.
    const char* relativePath() const { return path_.c_str() + relativePathStart_; }
    uint8_t depth() const { return depth_; }
    // Set by the folder view to hide the folder's descendants.
    bool isCollapsed() const { return collapsed_ != 0; }
    void setCollapsed(bool on) { collapsed_ = on ? 1 : 0; }
    // The first item of the last scanFiles; null when none.
    PresetListItem* items() const { return items_.get(); }
    PresetFolder* next() const { return next_.get(); }
    PresetFolder* previous() const { return previous_; }

    // Folders alive in the process. Any thread.
    static int32_t liveFolders();

private:
    struct ScanState;
    void scanLevel(const AM_Directory& directory, int32_t depth, ScanState& state);
    void locateRelativePath();

    std::unique_ptr<AM_Directory> directory_;
    char name_[kMaxNameBytes + 1] = {};
    std::string path_;
    size_t relativePathStart_ = 0;
    uint8_t depth_;
    uint8_t collapsed_ = 0;
    std::unique_ptr<PresetListItem> items_;
    std::unique_ptr<PresetFolder> next_;
    PresetFolder* previous_ = nullptr;
};
