// Looks arbitrary path texts up in a fixed folder tree and checks the answer
// against the path of every folder: a text names a folder exactly when it
// spells that folder's path, and nothing else is ever found.

#include "presets/folders/PresetFolder.h"

#include "PresetTestChain.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace {

struct Tree {
    std::unique_ptr<PresetFolder> root = presettest::makeChain({{"Local", 0},
                                                                {"A", 1},
                                                                {"X", 2},
                                                                {"B", 1},
                                                                {"A", 2},
                                                                {"C", 2},
                                                                {"D", 3},
                                                                {"A", 4},
                                                                {"E", 1},
                                                                {"", 1},
                                                                {"A B", 2}});
    std::map<std::string, PresetFolder*> byPath;

    Tree()
    {
        for (PresetFolder* folder = root.get(); folder != nullptr; folder = folder->next()) {
            std::string path = folder->name();
            for (const PresetFolder* up = folder->parent(); up != nullptr; up = up->parent())
                path = std::string(up->name()) + "/" + path;
            byPath.emplace(path, folder);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tree tree;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string path(text.c_str());
    PresetFolder* expected = nullptr;
    const auto known = tree.byPath.find(path);
    // A folder below one without a name cannot be named: an empty name in
    // the text ends the search.
    const bool emptyName = path.empty() || path.front() == '/' || path.back() == '/' ||
                           path.find("//") != std::string::npos;
    if (known != tree.byPath.end() && path.size() <= PresetFolder::kMaxPathTextBytes && !emptyName)
        expected = known->second;
    if (tree.root->findByPath(text.c_str()) != expected)
        std::abort();
    return 0;
}
