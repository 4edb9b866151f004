#include "presets/library/TagNode.h"

TagNode::~TagNode()
{
    std::unique_ptr<TagNode> rest = std::move(next);
    while (rest)
        rest = std::move(rest->next);
}

TagNode* TagNode::find(TagNode* first, const std::string& name)
{
    for (TagNode* node = first; node != nullptr; node = node->next.get())
        if (node->name == name)
            return node;
    return nullptr;
}

std::unique_ptr<TagNode> TagNode::unlink(TagNode* first, TagNode* node)
{
    if (first == nullptr || node == nullptr)
        return nullptr;
    for (TagNode* before = first; before->next != nullptr; before = before->next.get()) {
        if (before->next.get() != node)
            continue;
        std::unique_ptr<TagNode> taken = std::move(before->next);
        before->next = std::move(taken->next);
        return taken;
    }
    return nullptr;
}

void TagNode::append(TagNode* first, std::unique_ptr<TagNode> node)
{
    if (first == nullptr)
        return;
    TagNode* last = first;
    while (last->next != nullptr)
        last = last->next.get();
    last->next = std::move(node);
}
