#pragma once
// What the GUI objects need of the view manager that owns them. The view
// manager implements it; tests use small stand-ins. GUI thread only.

#include <cstdint>

class AM_Colour;
class AM_GuiObject;

class AM_GuiServices {
public:
    virtual ~AM_GuiServices() = default;
    // A new number for an object of this view manager (1, 2, 3 ...).
    virtual uint32_t newObjectId() = 0;
    // The view manager's colour of that name, or null (also here).
    virtual AM_Colour* getColour(const char* name)
    {
        (void)name;
        return nullptr;
    }
    // Whether the GUI is being edited (false here).
    virtual bool isEditMode() const { return false; }
    // Puts subject, title and text on info line `line` and shows it with the
    // shown flag (nothing here).
    virtual void showInfoLine(int line, AM_GuiObject* subject, const char* title, const char* text,
                              bool shown)
    {
        (void)line;
        (void)subject;
        (void)title;
        (void)text;
        (void)shown;
    }
};
