#pragma once
// An index of the view manager's colours or graphics by name and key (the
// theme alternative of a graphic; 0 for colours): the first object of the
// list, in list order, of each name and key, so a lookup takes the same time
// however long the list is. Objects join the index as they join the list,
// whole; the index never owns them.
//
// GUI thread only.

#include <cstdint>
#include <string>
#include <unordered_map>

class AM_GuiObject;

class AM_NameIndex {
public:
    // Remembers the object under its name and key, unless an object that
    // came before it has them.
    void add(const AM_GuiObject* object, uint32_t key);
    // The object of that name (compared as names are: the whole text) and
    // key, or null.
    AM_GuiObject* find(const char* name, uint32_t key) const;
    void clear() { objects_.clear(); }

private:
    static std::string keyOf(const char* name, uint32_t key);

    std::unordered_map<std::string, AM_GuiObject*> objects_;
};
