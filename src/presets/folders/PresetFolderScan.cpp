// The folder-tree scan and the file listings of PresetFolder.

#include "presets/folders/PresetFolder.h"

#include "foundation/AM_DirectoryIterator.h"
#include "foundation/AM_STD.h"
#include "platform/Paths.h"
#include "platform/UserFolders.h"
#include "presets/folders/PresetNarrowText.h"

#include <string>
#include <utility>

namespace {

// True when the folder entry is a symbolic link (to a folder).
bool isFolderLink(const AM_Directory& folder)
{
    std::string path = presetNarrowText(folder.path());
    while (path.size() > 1 && path.back() == platform::kPathSeparator)
        path.pop_back();
    std::string target;
    return platform::resolveFolderLink(path.c_str(), target);
}

} // namespace

// What one scan carries down its levels: where the chain ends, how much was
// added and which limits were met (each reported once per scan).
struct PresetFolder::ScanState {
    PresetFolder* tail;
    int32_t added = 0;
    bool depthLimitMet = false;
    bool countLimitMet = false;
};

int32_t PresetFolder::scanSubFolders(const AM_Directory* directory, PresetFolder* chainHead,
                                     int32_t depth)
{
    return scanSubFolderTree(directory, chainHead != nullptr ? chainHead : this, depth);
}

int32_t PresetFolder::scanSubFolderTree(const AM_Directory* directory, PresetFolder* chainHead,
                                        int32_t depth)
{
    if (directory == nullptr || chainHead == nullptr || depth < 0)
        return 0;
    ScanState state{lastFolder(chainHead)};
    scanLevel(*directory, depth, state);
    if (state.depthLimitMet)
        AM_STD::printv("preset folders deeper than %d levels are not scanned", kMaxScanDepth);
    if (state.countLimitMet)
        AM_STD::printv("preset folder scan stopped after %d folders", kMaxScannedFolders);
    return state.added;
}

void PresetFolder::scanLevel(const AM_Directory& directory, int32_t depth, ScanState& state)
{
    AM_DirectoryIterator listing(directory, nullptr);
    while (AM_FileObject* entry = listing.next()) {
        std::unique_ptr<AM_FileObject> owned(entry);
        auto* subFolder = dynamic_cast<AM_Directory*>(entry);
        if (subFolder == nullptr)
            continue;
        if (depth > kMaxScanDepth) {
            state.depthLimitMet = true;
            return;
        }
        if (state.added >= kMaxScannedFolders) {
            state.countLimitMet = true;
            return;
        }
        if (isFolderLink(*subFolder)) {
            AM_STD::printv("preset folder link not followed: %S", &subFolder->path());
            continue;
        }
        owned.release();
        auto folder = std::make_unique<PresetFolder>(std::unique_ptr<AM_Directory>(subFolder),
                                                     static_cast<uint8_t>(depth));
        PresetFolder* added = folder.get();
        folder->previous_ = state.tail;
        state.tail->next_ = std::move(folder);
        state.tail = added;
        ++state.added;
        scanLevel(*added->directory(), depth + 1, state);
    }
}

std::unique_ptr<PresetListItem> PresetFolder::listFiles(int32_t listType)
{
    if (!directory_)
        return nullptr;
    std::unique_ptr<PresetListItem> first;
    PresetListItem* last = nullptr;
    AM_DirectoryIterator listing(*directory_, presetFilterForListType(listType));
    while (AM_FileObject* entry = listing.next()) {
        auto item = std::make_unique<PresetListItem>(std::unique_ptr<AM_FileObject>(entry), this);
        PresetListItem* added = item.get();
        if (last == nullptr)
            first = std::move(item);
        else
            last->setNext(std::move(item));
        last = added;
    }
    return first;
}

int32_t PresetFolder::scanFiles(int32_t listType)
{
    items_.reset();
    items_ = listFiles(listType);
    return items_ ? items_->count(true) : 0;
}
