#include "gui/views/AM_NameIndex.h"

#include "gui/graphics/AM_GuiObject.h"

void AM_NameIndex::add(const AM_GuiObject* object, uint32_t key)
{
    if (object == nullptr)
        return;
    objects_.emplace(keyOf(object->getName(), key), const_cast<AM_GuiObject*>(object));
}

AM_GuiObject* AM_NameIndex::find(const char* name, uint32_t key) const
{
    if (name == nullptr)
        return nullptr;
    const auto found = objects_.find(keyOf(name, key));
    return found != objects_.end() ? found->second : nullptr;
}

std::string AM_NameIndex::keyOf(const char* name, uint32_t key)
{
    // The key's four bytes, then the name: no name holds a zero byte.
    std::string text(sizeof key, '\0');
    for (size_t i = 0; i < sizeof key; ++i)
        text[i] = char((key >> (8 * i)) & 0xFF);
    text += name;
    return text;
}
