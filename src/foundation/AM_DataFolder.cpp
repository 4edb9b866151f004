#include "foundation/AM_DataFolder.h"

#include "foundation/AM_STD.h"
#include "platform/Module.h"
#include "platform/Paths.h"
#include "platform/TextConversion.h"
#include "platform/UserFolders.h"

#include <cstring>
#include <mutex>
#include <string>

namespace {

constexpr char kDataFolderName[] = "KestanK4.data";
constexpr char kDataFolderLinkName[] = "KestanK4.data.lnk";
// A cached root shorter than this is treated as not found yet.
constexpr int32_t kMinRootLength = 5;
constexpr char16_t kSeparator = static_cast<char16_t>(platform::kPathSeparator);

struct SearchState {
    std::recursive_mutex mutex;
    bool alternate = true; // until the first search says otherwise
    AM_String cachedRoot;
    AM_String lastResult;
};

SearchState& searchState()
{
    static SearchState s;
    return s;
}

void traceNarrow(const AM_String& text)
{
    AM_STD::printv("%S", &text);
}

struct KindLayout {
    const char* subFolder;
    bool makerLevel;   // normal layout: below the maker folder
    bool productLevel; // normal layout: below maker/product
};

// Kinds 1 to 9; kind 7 is not below the root.
const KindLayout* layoutOf(int32_t kind)
{
    static const KindLayout layouts[] = {
        {"Data", true, true},           {"Presets", true, false},   {"Modules", true, true},
        {"MetaAssignment", true, true}, {"Tunefiles", true, false}, {"CCMaps", true, false},
        {nullptr, false, false},        {"Support", true, false},   {"VST", false, false},
    };
    if (kind < kAM_FolderData || kind > kAM_FolderVST)
        return nullptr;
    return &layouts[kind - kAM_FolderData];
}

AM_FileErr setToDocuments(AM_Directory& folder)
{
    std::string documents;
    if (const AM_FileErr error = platform::getDocumentsFolder(documents))
        return error;
    folder.setPath(AM_String(documents.c_str()));
    return 0;
}

} // namespace

bool resolveShellLink(char* path, uint32_t capacity)
{
    if (path == nullptr || capacity == 0)
        return false;
    std::string target;
    if (!platform::resolveFolderLink(path, target))
        return false;
    size_t length = target.size() < capacity - 1 ? target.size() : capacity - 1;
    if (length < target.size())
        length -= platform::incompleteUtf8Tail(target.data(), length);
    std::memcpy(path, target.data(), length);
    path[length] = 0;
    return true;
}

AM_String getAlternateDataFolder()
{
    SearchState& s = searchState();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    AM_STD::printv("TRYING TO RETRIEVE");
    std::string modulePath;
    if (!platform::getModulePath(modulePath)) {
        s.alternate = false;
        return s.lastResult;
    }
    AM_Directory moduleFolder{AM_String(modulePath.c_str())};
    moduleFolder.moveToParent();

    bool isFolder = false;
    if (moduleFolder.exists(kDataFolderName, &isFolder) && isFolder) {
        s.lastResult = moduleFolder.path();
        s.lastResult.appendNarrow(kDataFolderName);
        s.lastResult.appendChar(kSeparator);
        AM_STD::printv("ALTERNATE_DIRECTORY, HERE WE GO:");
        traceNarrow(s.lastResult);
        s.alternate = true;
        AM_STD::printv("using ALTERNATE_DIRECTORY");
    } else if (moduleFolder.exists(kDataFolderLinkName)) {
        AM_String linkPath(moduleFolder.path());
        linkPath.appendNarrow(kDataFolderLinkName);
        char buffer[platform::kMaxPathBytes];
        linkPath.getNarrow(buffer, static_cast<int32_t>(sizeof buffer) - 1);
        AM_STD::printv("Link found, HERE WE GO:");
        AM_STD::printv("%s", buffer);
        if (resolveShellLink(buffer, sizeof buffer)) {
            s.lastResult = AM_String(buffer);
            s.lastResult.appendChar(kSeparator);
            AM_STD::printv("%s", buffer);
        } else {
            AM_STD::printv("WRONG Link");
            AM_STD::printv("%s", buffer);
            s.alternate = false;
        }
    } else {
        AM_STD::printv("DOESN'T USE ALT LINK");
        s.alternate = false;
    }
    return s.lastResult;
}

AM_FileErr getDataRootFolder(AM_Directory& folder)
{
    SearchState& s = searchState();
    {
        std::lock_guard<std::recursive_mutex> lock(s.mutex);
        if (s.alternate) {
            if (s.cachedRoot.length() < kMinRootLength)
                s.cachedRoot = getAlternateDataFolder();
            if (s.alternate && s.cachedRoot.length() > 0) {
                folder.setPath(s.cachedRoot);
                return 0;
            }
        }
    }
    std::string dataHome;
    if (const AM_FileErr error = platform::getDataHomeFolder(dataHome))
        return error;
    folder.setPath(AM_String(dataHome.c_str()));
    return 0;
}

AM_FileErr getSpecialFolder(AM_Directory& folder, int32_t kind, int32_t option, const char* maker,
                            const char* product)
{
    (void)option; // both documents folders are the user's own here
    const KindLayout* layout = layoutOf(kind);
    if (layout == nullptr)
        return 0;
    if (kind == kAM_FolderDocuments)
        return setToDocuments(folder);

    if (const AM_FileErr error = getDataRootFolder(folder))
        return error;
    bool alternate;
    {
        SearchState& s = searchState();
        std::lock_guard<std::recursive_mutex> lock(s.mutex);
        alternate = s.alternate;
    }
    if (layout->makerLevel) {
        if (alternate) {
            if (layout->productLevel)
                AM_STD::printv("going back from ProductApp Support");
        } else {
            if (const AM_FileErr error = folder.enterSubDirectory(maker, true))
                return error;
            if (layout->productLevel)
                if (const AM_FileErr error = folder.enterSubDirectory(product, true))
                    return error;
        }
    }
    if (const AM_FileErr error = folder.enterSubDirectory(layout->subFolder, true))
        return error;
    if (kind == kAM_FolderPresets)
        return folder.enterSubDirectory(product, true);
    return 0;
}

void resetDataFolderSearch()
{
    SearchState& s = searchState();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    s.alternate = true;
    s.cachedRoot.clear();
    s.lastResult.clear();
}
