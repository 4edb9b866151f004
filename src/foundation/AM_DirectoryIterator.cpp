#include "foundation/AM_DirectoryIterator.h"

#include "foundation/AM_File.h"
#include "foundation/AM_NarrowPath.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <vector>

struct AM_DirectoryIterator::Listing {
    AM_String folderPath; // with its trailing separator
    std::vector<platform::FolderEntry> entries;
    size_t next = 0;
};

AM_DirectoryIterator::AM_DirectoryIterator(const AM_Directory& folder, AM_FileFilter filter)
    : folder_(&folder), filter_(filter)
{
}

AM_DirectoryIterator::AM_DirectoryIterator(const AM_Directory* folder, AM_FileFilter filter)
    : folder_(folder), filter_(filter)
{
}

AM_DirectoryIterator::~AM_DirectoryIterator() = default;

AM_FileObject* AM_DirectoryIterator::next()
{
    if (!listing_) {
        listing_ = std::make_unique<Listing>();
        if (folder_ == nullptr || folder_->path().length() == 0)
            return nullptr;
        listing_->folderPath = folder_->path();
        const int32_t length = listing_->folderPath.length();
        if (listing_->folderPath.charAt(length - 1) != platform::kPathSeparator)
            listing_->folderPath.appendChar(static_cast<char16_t>(platform::kPathSeparator));
        const AM_NarrowPath narrow(listing_->folderPath);
        if (narrow.error() || platform::listFolder(narrow.c_str(), listing_->entries) != 0)
            listing_->entries.clear();
    }
    while (listing_->next < listing_->entries.size()) {
        const platform::FolderEntry& entry = listing_->entries[listing_->next++];
        AM_String path(listing_->folderPath);
        path.appendNarrow(entry.name.c_str());
        AM_FileObject* object;
        if (entry.isFolder)
            object = new AM_Directory(path);
        else
            object = new AM_File(path);
        if (filter_ == nullptr || filter_(object))
            return object;
        delete object;
    }
    return nullptr;
}
