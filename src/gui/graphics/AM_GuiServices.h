#pragma once
// What the GUI objects need of the view manager that owns them. The view
// manager implements it; tests use small stand-ins. GUI thread only.

#include <cstdint>

class AM_GuiServices {
public:
    virtual ~AM_GuiServices() = default;
    // A new number for an object of this view manager (1, 2, 3 ...).
    virtual uint32_t newObjectId() = 0;
};
