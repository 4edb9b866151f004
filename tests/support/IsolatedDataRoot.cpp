// Every test program gets a data home of its own: a fresh temporary folder
// set as XDG_DATA_HOME (on Windows, as the data home) before main, removed
// when the program ends. So no test reads or writes the data folder of the
// user who runs it, and no test sees files another test left behind. Tests
// that need another root set their own.

#include <cstdlib>
#include <filesystem>
#include <string>
#ifdef _WIN32
#include "platform/win32/Win32Folders.h"
#endif

namespace {

class IsolatedDataRoot {
public:
    IsolatedDataRoot()
    {
        std::error_code ec;
        std::string pattern =
            (std::filesystem::temp_directory_path(ec) / "kk-data-home-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        path_ = pattern;
#ifdef _WIN32
        // In place of the program-files or application-data folder.
        platform::win32::overrideDataHomeFolder(path_.c_str());
#else
        setenv("XDG_DATA_HOME", path_.c_str(), 1);
#endif
    }

    ~IsolatedDataRoot()
    {
        if (path_.empty())
            return;
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

    IsolatedDataRoot(const IsolatedDataRoot&) = delete;
    IsolatedDataRoot& operator=(const IsolatedDataRoot&) = delete;

private:
    std::string path_;
};

const IsolatedDataRoot isolatedDataRoot;

}  // namespace
