#pragma once
// A fresh temporary folder, removed with everything in it when the object
// goes out of scope.

#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Absolute path without a trailing '/'.
    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string file(const std::string& relative) const;

    // Helpers for building fixtures.
    void writeFile(const std::string& relative, const std::string& contents) const;
    std::string readFile(const std::string& relative) const;
    void makeDir(const std::string& relative) const;
    bool exists(const std::string& relative) const;

private:
    std::string path_;
};

}  // namespace testsupport
