#pragma once
// Builds folder chains in memory (no file system) for the tests.

#include "presets/folders/PresetFolder.h"

#include <memory>
#include <string>
#include <vector>

namespace presettest {

struct FolderPlan {
    const char* name;
    uint8_t depth;
};

// A chain in the given order; each folder's path is "/data/" followed by the
// names of its ancestors below the root and its own name.
inline std::unique_ptr<PresetFolder> makeChain(const std::vector<FolderPlan>& plans)
{
    std::unique_ptr<PresetFolder> root;
    PresetFolder* tail = nullptr;
    std::vector<std::string> names;
    for (const FolderPlan& plan : plans) {
        names.resize(plan.depth);
        names.emplace_back(plan.name);
        std::string path = "/data";
        for (const std::string& name : names)
            path += "/" + name;
        auto folder = std::make_unique<PresetFolder>(
            std::make_unique<AM_Directory>(AM_String(path.c_str())), plan.depth);
        PresetFolder* added = folder.get();
        if (tail == nullptr)
            root = std::move(folder);
        else
            tail->append(std::move(folder));
        tail = added;
    }
    return root;
}

// The folder at a position of the chain (0 = first).
inline PresetFolder* folderAt(PresetFolder* first, int index)
{
    PresetFolder* folder = first;
    for (int i = 0; i < index && folder != nullptr; ++i)
        folder = folder->next();
    return folder;
}

} // namespace presettest
