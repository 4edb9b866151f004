// The edit menu of controls and its commands.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"

void AM_ViewControl::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    (void)extra;
    if (viewMan_ == nullptr) {
        return;
    }
    if (open) {
        viewMan_->beginMenu(this, point, kEditMenuId);
        viewMan_->addMenuItem(0, 0, getName());
    }
    if (viewMan_->isEditMode()) {
        AM_STD::printv("edit menu of %s: not yet\n", getName());
    }
    if (open) {
        viewMan_->showMenu();
    }
}

void AM_ViewControl::buildAssignMenu(uint32_t subMenu)
{
    (void)subMenu;
    AM_STD::printv("assign menu of %s: not yet\n", getName());
}

bool AM_ViewControl::handleMenuCommand(const float* /*point*/, uint32_t /*menuId*/, bool /*valid*/,
                                       const AM_MenuItem* /*item*/)
{
    return false;
}
