#include "platform/UserFolders.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

constexpr char kDataHomeVariable[] = "XDG_DATA_HOME";
constexpr char kDataHomeBelowHome[] = "/.local/share";
constexpr char kDocumentsBelowHome[] = "/Documents";
constexpr size_t kPasswordBuffer = 16384;

bool homeFolder(std::string& home)
{
    const char* variable = ::getenv("HOME");
    if (variable != nullptr && variable[0] == kPathSeparator) {
        home = variable;
        return true;
    }
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(kPasswordBuffer);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != kPathSeparator)
        return false;
    home = found->pw_dir;
    return true;
}

void dropTrailingSeparators(std::string& path)
{
    while (path.size() > 1 && path.back() == kPathSeparator)
        path.pop_back();
}

FileError existingFolder(std::string candidate, std::string& path)
{
    dropTrailingSeparators(candidate);
    if (const FileError error = createFolders(candidate.c_str()))
        return error;
    path = candidate;
    return fileerror::kNone;
}

} // namespace

FileError getDataHomeFolder(std::string& path)
{
    const char* variable = ::getenv(kDataHomeVariable);
    if (variable != nullptr && variable[0] == kPathSeparator)
        return existingFolder(variable, path);
    std::string home;
    if (!homeFolder(home))
        return fileerror::kPathNotFound;
    return existingFolder(home + kDataHomeBelowHome, path);
}

FileError getDocumentsFolder(std::string& path)
{
    std::string home;
    if (!homeFolder(home))
        return fileerror::kPathNotFound;
    return existingFolder(home + kDocumentsBelowHome, path);
}

bool resolveFolderLink(const char* linkPath, std::string& target)
{
    struct stat st {};
    if (linkPath == nullptr || ::lstat(linkPath, &st) != 0 || !S_ISLNK(st.st_mode))
        return false;
    char resolved[kMaxPathBytes];
    if (::realpath(linkPath, resolved) == nullptr)
        return false;
    if (::stat(resolved, &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    target = resolved;
    dropTrailingSeparators(target);
    return true;
}

} // namespace platform
