#pragma once
// PresetTagger: one tag ("Favourites" or "Junk") of one module's preset
// location, held in memory as a two-level tree (see TagNode.h) and kept in
// a small text file in the location's root folder: the tag name followed by
// ".db.txt". Tags are not stored in the preset files.
//
// The file lists the tagged files folder by folder, lines ended by a line
// feed: a line that begins with '/' or '\' is a folder line (the folder's
// relative path, a backslash path read as the same path with '/'), every
// other non-empty line an entry of the folder line above it. When reading, a
// carriage return ends a line too (so a CR LF pair ends one), a last line
// without a line feed counts, and entries before the first folder line are
// ignored. Folders without entries are not written.
//
// Taggers are shared by every preset list of the process through the
// registry below; they are written back (or their file deleted when it held
// nothing) when the last list lets go of them, each rewrite replacing the
// whole file through a temporary file. A tag file that exists but could not
// be read is never rewritten or deleted.
//
// Threads: the user-interface thread; the registry is guarded, so two
// editors on different threads may share it.

#include "foundation/AM_Directory.h"
#include "presets/library/TagNode.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class PresetTagger {
public:
    // Longest module key and tag name in bytes.
    static constexpr size_t kMaxNameBytes = 31;
    // Largest tag file read; a larger one counts as unreadable.
    static constexpr uint64_t kMaxFileBytes = 16u << 20;
    static constexpr const char* kFileSuffix = ".db.txt";
    static constexpr const char* kFavourites = "Favourites";
    static constexpr const char* kJunk = "Junk";

    // Remembers the names (each cut to kMaxNameBytes) and the root folder, and
    // reads the tag file there when it exists ("PresetTagger e: %d" on the
    // trace when it exists but cannot be read).
    PresetTagger(const char* moduleKey, const char* tagName, const AM_Directory& rootFolder);
    // Writes the tags back as described above, then deletes the taggers
    // chained after it.
    ~PresetTagger();
    PresetTagger(const PresetTagger&) = delete;
    PresetTagger& operator=(const PresetTagger&) = delete;

    // Adds the entry under the folder key (a null entry only makes sure the
    // folder node exists). Refused (false, with a trace line) when the folder
    // key does not begin with '/' or '\', or the folder key or the entry is
    // empty, holds a line break, or the entry begins with '/' or '\': such a
    // name would read back as something else. An entry already there changes
    // nothing (true).
    bool addTag(const char* folder, const char* entry);
    // Whether addTag takes the folder key and entry (a null entry stands for
    // the folder alone).
    static bool isTaggable(const char* folder, const char* entry);
    // Removes the entry; true when it was there.
    bool removeTag(const char* folder, const char* entry);
    // True when the entry is tagged under the folder key.
    bool hasTag(const char* folder, const char* entry) const;

    // Writes the tree as the file's text: each folder node with entries,
    // then its entries, each as a line.
    static void writeNodes(const TagNode* first, std::string& out);
    // Reads a tag file's text (size bytes; a zero byte ends it early) into a
    // tree; null when it holds no folder line.
    static std::unique_ptr<TagNode> parse(const char* text, size_t size);

    // Writes pending changes now, as the destructor would; false when the
    // file could not be written (it is then left as it was).
    bool writeBack();

    const std::string& moduleKey() const { return moduleKey_; }
    const std::string& tagName() const { return tagName_; }
    const TagNode* tree() const { return tree_.get(); }
    bool fileExisted() const { return fileExisted_; }
    // False when the file exists but could not be read.
    bool isReadable() const { return readable_; }
    // Whether a change made now can be written back: the file was read (or
    // did not exist) and is not read-only. A change to a tagger that is not
    // would be lost.
    bool isWritable() const;
    bool isChanged() const { return changed_; }
    // The registry's chain.
    PresetTagger* next() const { return next_.get(); }
    void setNext(std::unique_ptr<PresetTagger> next) { next_ = std::move(next); }
    std::unique_ptr<PresetTagger> takeNext() { return std::move(next_); }

private:
    void readFile();
    TagNode* folderNode(const std::string& folder) const;

    AM_Directory location_;
    AM_String filePath_;
    std::string moduleKey_;
    std::string tagName_;
    std::unique_ptr<TagNode> tree_;
    bool changed_ = false;
    bool fileExisted_ = false;
    bool readable_ = true;
    std::unique_ptr<PresetTagger> next_;
};

// The registry: one chain of taggers and one use count shared by all.

// Raises the use count and answers the tagger of that module key and tag
// name, created in the root folder and appended to the chain when there is
// none.
PresetTagger* getTagger(const char* moduleKey, const char* tagName, const AM_Directory& rootFolder);
// Lowers the use count; at 0 every tagger of the chain is written back and
// deleted ("deleting non-exitent taglist" on the trace when the chain is
// already empty then).
void releaseTaggers();
// The use count.
int32_t tagRegistryUseCount();
// Writes back and deletes every tagger and sets the count to 0 (tests).
void resetTagRegistry();
