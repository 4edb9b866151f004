#include "gui/views/AM_ScriptIncludeGuard.h"

#include "foundation/AM_STD.h"

#include <filesystem>

bool AM_ScriptIncludeGuard::enter(const char* path)
{
    const std::string name = normalise(path);
    for (const std::string& open : open_) {
        if (open == name) {
            AM_STD::printv("Script %s is being read already: it includes itself, not read again",
                           path != nullptr ? path : "");
            return false;
        }
    }
    if (open_.size() >= kMaxDepth) {
        AM_STD::printv("Script %s not read: scripts included %d deep", path != nullptr ? path : "",
                       int(kMaxDepth));
        return false;
    }
    if (open_.empty())
        read_.clear();
    if (!read_.insert(name).second) {
        AM_STD::printv("Script %s was read already by this load: not read again",
                       path != nullptr ? path : "");
        return false;
    }
    open_.push_back(name);
    return true;
}

void AM_ScriptIncludeGuard::leave()
{
    if (!open_.empty())
        open_.pop_back();
}

const std::string& AM_ScriptIncludeGuard::outermost() const
{
    static const std::string none;
    return open_.empty() ? none : open_.front();
}

const std::string& AM_ScriptIncludeGuard::innermost() const
{
    static const std::string none;
    return open_.empty() ? none : open_.back();
}

std::string AM_ScriptIncludeGuard::normalise(const char* path)
{
    std::string text = path != nullptr ? path : "";
    for (char& c : text)
        if (c == '\\')
            c = '/';
    return std::filesystem::path(text).lexically_normal().generic_string();
}
