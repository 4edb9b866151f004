#include "TempDir.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace testsupport {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kk-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(const std::string& relative) const { return path_ + "/" + relative; }

void TempDir::writeFile(const std::string& relative, const std::string& contents) const
{
    std::filesystem::path p(file(relative));
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string TempDir::readFile(const std::string& relative) const
{
    std::ifstream in(file(relative), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void TempDir::makeDir(const std::string& relative) const
{
    std::filesystem::create_directories(file(relative));
}

bool TempDir::exists(const std::string& relative) const
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(file(relative), ec));
}

}  // namespace testsupport
