// Reads arbitrary bytes as a tag file. The tree read must hold only names
// that read back as themselves: writing it and reading the text again gives
// the same text once more, folder keys start with '/', entries never do, and
// no name holds a line break.

#include "presets/library/PresetTagger.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(const TagNode* tree)
{
    for (const TagNode* folder = tree; folder != nullptr; folder = folder->next.get()) {
        if (folder->isEntry || folder->name.empty() || folder->name[0] != '/' ||
            folder->name.find_first_of("\r\n") != std::string::npos)
            std::abort();
        for (const TagNode* entry = folder->firstChild.get(); entry; entry = entry->next.get())
            if (!entry->isEntry || entry->name.empty() || entry->name[0] == '/' ||
                entry->name[0] == '\\' || entry->name.find_first_of("\r\n") != std::string::npos)
                std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto tree = PresetTagger::parse(reinterpret_cast<const char*>(data), size);
    check(tree.get());
    std::string written;
    PresetTagger::writeNodes(tree.get(), written);
    const auto again = PresetTagger::parse(written.data(), written.size());
    check(again.get());
    std::string rewritten;
    PresetTagger::writeNodes(again.get(), rewritten);
    if (rewritten != written)
        std::abort();
    return 0;
}
