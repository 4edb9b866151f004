// The user's folders on Windows: the known folders of the shell, and shell
// links in place of symbolic links.
#include "platform/UserFolders.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/win32/Win32Folders.h"
#include "platform/win32/Win32Text.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace platform {
namespace win32 {
namespace {

constexpr char kLinkSuffix[] = ".lnk";

struct DataHome {
    std::mutex mutex;
    bool overridden = false;
    std::string overridePath;
    std::string chosen; // the known folder picked for this process
};

DataHome& dataHome()
{
    static DataHome d;
    return d;
}

void dropTrailingSeparators(std::string& path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\') &&
           path[path.size() - 2] != ':')
        path.pop_back();
}

bool knownFolder(REFKNOWNFOLDERID id, std::string& path)
{
    PWSTR wide = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &wide);
    if (FAILED(result) || wide == nullptr) {
        ::CoTaskMemFree(wide);
        return false;
    }
    path = toProgramPath(wide);
    ::CoTaskMemFree(wide);
    dropTrailingSeparators(path);
    return !path.empty();
}

FileError existingFolder(std::string candidate, std::string& path)
{
    dropTrailingSeparators(candidate);
    if (const FileError error = createFolders(candidate.c_str()))
        return error;
    path = candidate;
    return fileerror::kNone;
}

// COM for the calling thread while the object lives; a thread that already
// runs COM in another model keeps it (shell links work in either).
class ComScope {
public:
    ComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

template <typename T>
void release(T*& object)
{
    if (object != nullptr)
        object->Release();
    object = nullptr;
}

bool endsWithLinkSuffix(const std::string& path)
{
    const size_t n = sizeof kLinkSuffix - 1;
    if (path.size() <= n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = path[path.size() - n + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kLinkSuffix[i])
            return false;
    }
    return true;
}

} // namespace

bool readShellLink(const char* linkPath, std::string& target)
{
    if (linkPath == nullptr || queryEntry(linkPath) != EntryKind::file)
        return false;
    ComScope com;
    if (!com.usable())
        return false;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    bool found = false;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(toWide(linkPath).c_str(), STGM_READ))) {
        std::wstring buffer(kMaxPathBytes, L'\0');
        const HRESULT result = link->GetPath(buffer.data(), static_cast<int>(buffer.size()),
                                             nullptr, SLGP_UNCPRIORITY);
        buffer.resize(std::wcslen(buffer.c_str()));
        if (result == S_OK && !buffer.empty()) {
            target = toProgramPath(buffer);
            dropTrailingSeparators(target);
            found = true;
        }
    }
    release(file);
    release(link);
    return found;
}

bool writeShellLink(const char* linkPath, const char* targetPath)
{
    if (linkPath == nullptr || targetPath == nullptr)
        return false;
    ComScope com;
    if (!com.usable())
        return false;
    std::wstring wideTarget = toWide(targetPath);
    for (wchar_t& c : wideTarget)
        if (c == L'/')
            c = L'\\';
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    const bool written =
        SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->SetPath(wideTarget.c_str())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Save(toWide(linkPath).c_str(), TRUE));
    release(file);
    release(link);
    return written;
}

bool canCreateFilesIn(const char* folder)
{
    if (folder == nullptr || folder[0] == 0)
        return false;
    static std::atomic<uint32_t> serial{0};
    std::string probe(folder);
    if (probe.back() != '/' && probe.back() != '\\')
        probe += kPathSeparator;
    probe += ".kk-probe-" + std::to_string(::GetCurrentProcessId()) + "-" +
             std::to_string(serial.fetch_add(1)) + ".tmp";
    HANDLE file = ::CreateFileW(toWide(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

void overrideDataHomeFolder(const char* utf8PathOrNull)
{
    DataHome& d = dataHome();
    std::lock_guard<std::mutex> lock(d.mutex);
    d.overridden = utf8PathOrNull != nullptr;
    d.overridePath = utf8PathOrNull ? utf8PathOrNull : "";
}

} // namespace win32

// The program-files folder is the data home where the user may write it (a
// host run by an administrator, or a folder opened up at installation). A
// host run without elevation cannot write below Program Files, and a
// plug-in that cannot save is of little use: it keeps its data in the user's
// roaming application-data folder instead. The choice holds for the process.
FileError getDataHomeFolder(std::string& path)
{
    win32::DataHome& d = win32::dataHome();
    std::lock_guard<std::mutex> lock(d.mutex);
    if (d.overridden)
        return win32::existingFolder(d.overridePath, path);
    if (d.chosen.empty()) {
        std::string candidate;
        if (win32::knownFolder(FOLDERID_ProgramFiles, candidate) &&
            win32::canCreateFilesIn(candidate.c_str()))
            d.chosen = candidate;
        else if (win32::knownFolder(FOLDERID_RoamingAppData, candidate))
            d.chosen = candidate;
        else
            return fileerror::kPathNotFound;
    }
    return win32::existingFolder(d.chosen, path);
}

FileError getDocumentsFolder(std::string& path)
{
    std::string documents;
    if (!win32::knownFolder(FOLDERID_Documents, documents))
        return fileerror::kPathNotFound;
    return win32::existingFolder(documents, path);
}

// On Windows a link to a folder is a shell link file ("name.lnk").
bool resolveFolderLink(const char* linkPath, std::string& target)
{
    if (linkPath == nullptr || !win32::endsWithLinkSuffix(linkPath))
        return false;
    std::string resolved;
    if (!win32::readShellLink(linkPath, resolved) ||
        queryEntry(resolved.c_str()) != EntryKind::folder)
        return false;
    target = resolved;
    return true;
}

} // namespace platform
