#pragma once
// PresetListItem: one preset file of a listed folder. The items of one
// listing form a chain in listing order; an item owns the rest of the chain
// behind it, so deleting the first item deletes the listing.
//
// An item carries the tags the preset library gives it (favourite or junk,
// never both), the selected flag of the list view, and optional user data
// (the engine keeps a program's compact snapshot there).
//
// Threads: items are built and changed by one thread at a time, never the
// audio thread (in practice the user-interface thread). Once a listing is
// complete and nobody changes it any more, its items may be read from any
// thread; the engine reads the user data of its program banks on the audio
// thread.

#include "foundation/AM_FileObject.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class PresetFolder;

class PresetListItem {
public:
    // Longest name and extension in bytes (UTF-8, cut at a character
    // boundary), without the terminator.
    static constexpr size_t kMaxNameBytes = 63;
    static constexpr size_t kMaxExtensionBytes = 11;
    // The tag bits: favourite and junk exclude each other.
    static constexpr uint8_t kTagFavourite = 1;
    static constexpr uint8_t kTagJunk = 2;

    // Takes over the file object (null gives an item with an empty name) and
    // remembers the folder it was listed from (not owned, may be null; the
    // owner of the listing deletes it before that folder goes away). The
    // name is the file name up to its last '.', the extension the text after
    // that '.' (empty without one). Not selected, no tags.
    PresetListItem(std::unique_ptr<AM_FileObject> file, PresetFolder* folder);
    // Deletes the rest of the chain (one item after the other, so a long
    // listing never deepens the stack) and the file object.
    virtual ~PresetListItem();
    PresetListItem(const PresetListItem&) = delete;
    PresetListItem& operator=(const PresetListItem&) = delete;

    // Links the item (and the chain behind it) after this one; a chain that
    // followed before is deleted.
    virtual void setNext(std::unique_ptr<PresetListItem> next);
    // Items from this one to the end of the chain; without includeJunk the
    // items tagged junk are not counted.
    virtual int32_t count(bool includeJunk) const;
    // Sets the selected flag of this item and all following ones; without
    // includeJunk the junk items are passed over and keep their flag.
    virtual void selectAll(bool on, bool includeJunk);
    virtual bool isFavourite() const;
    virtual bool isJunk() const;
    // Clears both tags, then tags the item favourite when on.
    virtual void setFavourite(bool on);
    // Clears both tags; when on, tags the item junk and deselects it.
    virtual void setJunk(bool on);

    // The next item; without includeJunk the first following item that is
    // not junk. Null at the end.
    PresetListItem* nextVisible(bool includeJunk) const;

    PresetListItem* next() const { return next_.get(); }
    // The preset file; null once discarded.
    AM_FileObject* file() const { return file_.get(); }
    // Deletes the file object when the file is no longer needed (the item
    // keeps its name, extension and user data).
    void discardFile() { file_.reset(); }
    PresetFolder* folder() const { return folder_; }
    // Zero-terminated UTF-8 texts.
    const char* name() const { return name_; }
    // Renames the item (the file keeps its name): at most kMaxNameBytes
    // bytes of the text, cut at a character boundary; null empties it.
    void setName(const char* name);
    const char* extension() const { return extension_; }

    bool isSelected() const { return selected_ != 0; }
    void setSelected(bool on) { selected_ = on ? 1 : 0; }
    uint8_t tagBits() const { return tagBits_; }

    // Data the owner of the list keeps with the item (empty by default); it
    // lives as long as the item.
    const std::vector<uint8_t>& userData() const { return userData_; }
    void setUserData(std::vector<uint8_t> data) { userData_ = std::move(data); }

private:
    std::unique_ptr<AM_FileObject> file_;
    PresetFolder* folder_;
    char name_[kMaxNameBytes + 1] = {};
    char extension_[kMaxExtensionBytes + 1] = {};
    uint8_t selected_ = 0;
    uint8_t tagBits_ = 0;
    std::unique_ptr<PresetListItem> next_;
    std::vector<uint8_t> userData_;
};
