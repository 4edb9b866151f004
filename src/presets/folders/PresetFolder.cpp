#include "presets/folders/PresetFolder.h"

#include "platform/Paths.h"
#include "presets/folders/PresetNarrowText.h"

#include <atomic>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

constexpr char kSeparator = platform::kPathSeparator;
constexpr int32_t kNameLimit = static_cast<int32_t>(PresetFolder::kMaxNameBytes);

std::atomic<int32_t> liveFolderCount{0};

} // namespace

PresetFolder::PresetFolder(std::unique_ptr<AM_Directory> directory, uint8_t depth, const char* name)
    : directory_(std::move(directory)), depth_(depth)
{
    liveFolderCount.fetch_add(1, std::memory_order_relaxed);
    if (name != nullptr) {
        AM_String(name).getNarrow(name_, kNameLimit);
    } else if (directory_) {
        AM_String ownName;
        directory_->getName(ownName);
        ownName.getNarrow(name_, kNameLimit);
    }
    if (directory_)
        path_ = presetNarrowText(directory_->path());
    if (path_.empty() || path_.back() != kSeparator)
        path_.push_back(kSeparator);
    locateRelativePath();
}

PresetFolder::~PresetFolder()
{
    std::unique_ptr<PresetFolder> rest = std::move(next_);
    while (rest)
        rest = std::move(rest->next_);
    liveFolderCount.fetch_sub(1, std::memory_order_relaxed);
}

// From the final separator, each level of depth steps back over one name to
// the separator before it; the relative path starts at the separator reached
// (at the start of the path when the path has fewer names than levels).
void PresetFolder::locateRelativePath()
{
    size_t position = path_.size() - 1;
    for (uint8_t level = 0; level < depth_ && position > 0; ++level) {
        --position;
        while (position > 0 && path_[position] != kSeparator)
            --position;
    }
    relativePathStart_ = position;
}

void PresetFolder::append(std::unique_ptr<PresetFolder> folder)
{
    if (!folder)
        return;
    PresetFolder* last = lastFolder(this);
    folder->previous_ = last;
    last->next_ = std::move(folder);
}

PresetFolder* PresetFolder::findByName(const char* name)
{
    if (name == nullptr)
        return nullptr;
    for (PresetFolder* folder = this; folder != nullptr; folder = folder->next()) {
        if (std::strcmp(folder->name_, name) == 0)
            return folder;
    }
    return nullptr;
}

PresetFolder* PresetFolder::findByPath(const char* path)
{
    if (path == nullptr)
        return nullptr;
    const size_t length = ::strnlen(path, kMaxPathTextBytes + 1);
    if (length > kMaxPathTextBytes)
        return nullptr;
    const std::string_view text(path, length);
    PresetFolder* position = this;
    int32_t level = 0;
    size_t start = 0;
    for (;;) {
        const size_t found = text.find('/', start);
        const size_t end = found == std::string_view::npos ? length : found;
        if (end == start)
            return nullptr;
        const std::string_view component = text.substr(start, end - start);
        PresetFolder* match = nullptr;
        for (PresetFolder* folder = position; folder != nullptr; folder = folder->next()) {
            if (folder->depth_ < level)
                break;
            if (folder->depth_ == level && component == folder->name_) {
                match = folder;
                break;
            }
        }
        if (match == nullptr || end == length)
            return match;
        position = match->next();
        if (position == nullptr)
            return nullptr;
        ++level;
        start = end + 1;
    }
}

int32_t PresetFolder::countFolders(bool all) const
{
    int32_t folders = 0;
    const PresetFolder* folder = this;
    while (folder != nullptr) {
        ++folders;
        const uint8_t depth = folder->depth_;
        const bool hidesDescendants = !all && folder->isCollapsed();
        folder = folder->next();
        while (hidesDescendants && folder != nullptr && folder->depth_ > depth)
            folder = folder->next();
    }
    return folders;
}

PresetFolder* PresetFolder::previousFolder(PresetFolder* first, const PresetFolder* folder)
{
    for (PresetFolder* candidate = first; candidate != nullptr; candidate = candidate->next()) {
        if (candidate->next() == folder && folder != nullptr)
            return candidate;
    }
    return nullptr;
}

PresetFolder* PresetFolder::lastFolder(PresetFolder* first)
{
    PresetFolder* last = first;
    while (last != nullptr && last->next() != nullptr)
        last = last->next();
    return last;
}

PresetFolder* PresetFolder::parent() const
{
    if (depth_ == 0)
        return nullptr;
    for (PresetFolder* folder = previous_; folder != nullptr; folder = folder->previous_) {
        if (folder->depth_ + 1 == depth_)
            return folder;
        if (folder->depth_ < depth_)
            return nullptr;
    }
    return nullptr;
}

int32_t PresetFolder::liveFolders()
{
    return liveFolderCount.load(std::memory_order_relaxed);
}
