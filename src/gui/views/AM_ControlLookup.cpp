#include "gui/views/AM_ControlLookup.h"

#include "gui/views/AM_ViewControl.h"

AM_ViewControl* AM_controlAtAddress(AM_ViewControl* first, const void* address)
{
    if (address == nullptr) {
        return nullptr;
    }
    for (AM_ViewControl* c = first; c != nullptr; c = c->getNextControl()) {
        if (static_cast<const void*>(c) == address) {
            return c;
        }
        if (AM_ViewControl* found = AM_controlAtAddress(c->getFirstChildControl(), address)) {
            return found;
        }
    }
    return nullptr;
}
