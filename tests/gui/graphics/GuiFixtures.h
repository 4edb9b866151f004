#pragma once
// Stand-ins shared by the GUI object tests.

#include "gui/graphics/AM_GuiObject.h"

#include <string>
#include <vector>

// Hands out 1, 2, 3 ... like a view manager.
class CountingServices : public AM_GuiServices {
public:
    uint32_t newObjectId() override { return ++last; }
    uint32_t last = 0;
};

// A GUI object that records its deletion.
class TracedNode : public AM_GuiObject {
public:
    TracedNode(const char* name, std::vector<std::string>* deleted = nullptr)
        : AM_GuiObject(nullptr), deleted_(deleted)
    {
        setName(name);
    }
    ~TracedNode() override
    {
        if (deleted_)
            deleted_->push_back(getName());
    }

private:
    std::vector<std::string>* deleted_;
};

// The names of a sibling list from its head, as "A B C".
inline std::string siblingNames(const AM_GuiObject* head)
{
    std::string names;
    for (const AM_GuiObject* node = head; node; node = node->getNext()) {
        if (!names.empty())
            names += ' ';
        names += node->getName();
        if (node->getNext() && node->getNext()->getPrevious() != node)
            names += "(broken back link)";
    }
    return names;
}
