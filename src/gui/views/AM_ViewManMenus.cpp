// The view manager's popup menus and named actions: the item table, the
// delivery of the chosen item, the graphics menu, the action items and
// performAction.

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ActionTable.h"
#include "gui/views/AM_RootView.h"
#include "gui/views/AM_ViewMan.h"
#include "platform/UrlOpener.h"
#include "presets/AM_View_Interface.h"

namespace {

// The page '_web' opens when it is given none.
constexpr char kWebSiteAddress[] = "https://example.org/kestank4/";

} // namespace

void AM_ViewMan::beginMenu(AM_ViewControl* control, const float* point, uint32_t menuId)
{
    menuTable_.begin(control, point, menuId);
}

uint32_t AM_ViewMan::addMenuItem(uint32_t subMenu, uint32_t command, const char* text,
                                 int32_t value, uint32_t flags, void* userData)
{
    return menuTable_.addItem(subMenu, command, text, value, flags, userData);
}

uint32_t AM_ViewMan::addSubMenu(uint32_t parent, const char* text, int32_t value)
{
    return menuTable_.addSubMenu(parent, text, value);
}

bool AM_ViewMan::showMenu()
{
    return false;
}

void AM_ViewMan::closeShownMenu() {}

bool AM_ViewMan::deliverMenuCommand(uint32_t index)
{
    return deliverMenuCommand(menuTable_, index);
}

bool AM_ViewMan::deliverMenuCommand(const AM_MenuTable& table, uint32_t index)
{
    const AM_MenuItem* chosen = table.item(index);
    if (index == 0 || chosen == nullptr || chosen->isSubMenuEntry() || chosen->isSeparator()) {
        return false;
    }
    AM_ViewControl* control = table.control();
    if (control == nullptr) {
        AM_STD::printv("menu item '%s' chosen, but no control takes no menu commands\n",
                       chosen->text.c_str());
        return false;
    }
    // The control may begin another menu while it handles this one.
    const AM_MenuItem item = *chosen;
    const float point[2] = {table.point()[0], table.point()[1]};
    if (!control->handleMenuCommand(point, table.menuId(), true, &item)) {
        AM_STD::printv("menu item '%s' chosen, but %s takes no menu commands\n", item.text.c_str(),
                       control->getName());
        return false;
    }
    return true;
}

void AM_ViewMan::buildGraphicsMenu(uint32_t subMenu, uint32_t command)
{
    // Submenu index of each path kind; kind 0 lists directly in subMenu.
    uint32_t kindMenus[kNumPathKinds] = {subMenu};
    for (int32_t kind = 1; kind < kNumPathKinds; ++kind) {
        kindMenus[kind] = addSubMenu(subMenu, getPathKindName(kind));
    }
    for (AM_GuiObject* node = graphics_; node != nullptr; node = node->getNext()) {
        auto* graphic = static_cast<AM_Graphic*>(node);
        if (!graphic->isMarked()) {
            continue;
        }
        const uint32_t kind = graphic->getPathIndex();
        const uint32_t parent =
            kind > 0 && kind < uint32_t(kNumPathKinds) ? kindMenus[kind] : subMenu;
        addMenuItem(parent, command, graphic->getName(), 0, 0, graphic);
    }
}

void AM_ViewMan::addActionMenuItems(uint32_t subMenu, uint32_t command)
{
    for (const AM_ActionTableEntry* row = AM_actionTable; row->code != 0; ++row) {
        addMenuItem(subMenu, command, row->label, 0, 0, const_cast<AM_ActionTableEntry*>(row));
    }
}

AM_EditTransform AM_ViewMan::getEditTransform()
{
    // The root view keeps the box that the inspector fields show.
    if (const AM_RootView* root = getRoot())
        return root->getTransform();
    return editTransform_;
}

void AM_ViewMan::setEditTransform(const AM_EditTransform& transform)
{
    editTransform_ = transform;
    if (AM_RootView* root = getRoot())
        root->setTransform(transform);
}

bool AM_ViewMan::performAction(uint32_t code, const char* address)
{
    switch (code) {
    case kActionUndo:
        undo();
        return true;
    case kActionRedo:
        redo();
        return true;
    case kActionNextPreset:
    case kActionPreviousPreset:
        if (interface_ == nullptr) {
            return false;
        }
        if (code == kActionNextPreset) {
            interface_->nextPreset(nullptr);
        } else {
            interface_->previousPreset(nullptr);
        }
        return true;
    case kActionAlignTop:
    case kActionAlignLeft:
    case kActionAlignRight:
    case kActionAlignBottom: {
        AM_ViewControl* focused = getFocusedControl();
        if (focused == nullptr || !hasMultiSelection()) {
            return false;
        }
        focused->addUndo("move", AM_ViewControl::kUndoMove, false, false);
        const AM_Rect edge = focused->getBounds();
        for (AM_ViewControl* other = focused->getNextSelected(); other != nullptr;
             other = other->getNextSelected()) {
            const AM_Rect b = other->getBounds();
            float dx = 0.0f;
            float dy = 0.0f;
            if (code == kActionAlignTop) {
                dy = edge.y - b.y;
            } else if (code == kActionAlignLeft) {
                dx = edge.x - b.x;
            } else if (code == kActionAlignRight) {
                dx = (edge.x + edge.w) - (b.x + b.w);
            } else {
                dy = (edge.y + edge.h) - (b.y + b.h);
            }
            other->moveBy(dx, dy, false, false);
        }
        closeUndo();
        return true;
    }
    case kActionTransform: {
        AM_ViewControl* focused = getFocusedControl();
        if (focused == nullptr) {
            return false;
        }
        const AM_EditTransform transform = getEditTransform();
        const float scaleX = float(transform.w) * 0.01f;
        const float scaleY = float(transform.h) * 0.01f;
        if (scaleX == 1.0f && scaleY == 1.0f) {
            focused->addUndo("move", AM_ViewControl::kUndoMove, false, false);
            focused->moveBy(float(transform.x), float(transform.y), false, false);
        } else {
            // A scale resizes and moves every control inside: each one's
            // bounds are recorded, so that one undo puts all of them back.
            focused->addUndo("scale", AM_ViewControl::kUndoResize, true, false);
            focused->moveBy(float(transform.x), float(transform.y), false, false);
            focused->scaleBy(scaleX, scaleY, false, false);
        }
        closeUndo();
        return true;
    }
    case kActionWebSite: {
        const char* page = address != nullptr && address[0] != 0 ? address : kWebSiteAddress;
        const AM_UrlOpener opener = urlOpener_ != nullptr ? urlOpener_ : platform::openUrl;
        return opener(page);
    }
    case kActionArray:
        return makeCloneArray();
    default:
        return false;
    }
}
