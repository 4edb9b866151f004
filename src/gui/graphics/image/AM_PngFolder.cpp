#include "gui/graphics/image/AM_PngFolder.h"

#include "platform/FileSystem.h"

#include <cctype>

namespace {
constexpr char kPngSuffix[] = ".png";
constexpr size_t kPngSuffixLength = sizeof kPngSuffix - 1;

bool endsWithPng(const std::string& name)
{
    if (name.size() <= kPngSuffixLength)
        return false;
    const char* tail = name.c_str() + name.size() - kPngSuffixLength;
    for (size_t i = 0; i < kPngSuffixLength; ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != kPngSuffix[i])
            return false;
    return true;
}

} // namespace

bool AM_listPngFiles(const char* folder, std::vector<std::string>& names)
{
    names.clear();
    std::vector<platform::FolderEntry> entries;
    if (folder == nullptr || platform::listFolder(folder, entries) != platform::fileerror::kNone)
        return false;
    for (const platform::FolderEntry& entry : entries) {
        if (!entry.isFolder && endsWithPng(entry.name))
            names.push_back(entry.name);
    }
    return true;
}
