// Cloning controls: a copy built by the class's factory, with its subtree,
// slots, state and bindings.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"

AM_ViewControl* AM_ViewControl::clone(bool withSiblings, AM_ViewControl* newParent, float dx,
                                      float dy)
{
    (void)withSiblings;
    (void)newParent;
    (void)dx;
    (void)dy;
    AM_STD::printv("clone of %s: not yet\n", getName());
    return nullptr;
}
