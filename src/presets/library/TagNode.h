#pragma once
// TagNode: one node of a tag file's two-level tree. The first level is a
// sibling chain of folder nodes, named by the folder's relative path ("/"
// for a list's root folder, "/Pads/Warm/" below it); the children of a
// folder node are entry nodes, named by a preset file's name and extension
// joined with a dot. A node owns its children and the siblings after it.
//
// Threads: one thread at a time (the user-interface thread).

#include <cstdint>
#include <memory>
#include <string>

struct TagNode {
    TagNode(std::string text, bool entry) : name(std::move(text)), isEntry(entry) {}
    // Deletes the siblings after it one after the other, so a long chain
    // never deepens the stack; the children with it.
    ~TagNode();
    TagNode(const TagNode&) = delete;
    TagNode& operator=(const TagNode&) = delete;

    // The first node of the sibling chain from first on whose name equals
    // the text; null when none does.
    static TagNode* find(TagNode* first, const std::string& name);
    // Takes node out of the sibling chain that starts at first's successor
    // and answers it (its own successor cleared); null when it is not there.
    static std::unique_ptr<TagNode> unlink(TagNode* first, TagNode* node);
    // Appends node at the end of the chain that starts at first.
    static void append(TagNode* first, std::unique_ptr<TagNode> node);

    std::string name;
    bool isEntry;
    std::unique_ptr<TagNode> next;
    std::unique_ptr<TagNode> firstChild;
};
