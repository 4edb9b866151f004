// The edit menu of controls (create, parameters, listeners, graphics,
// colours, layers, size to fit, order, lock, rename), the "assign to" menu
// of meta parameters, and the commands of both.

#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ControlTypes.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewControl_BoundsUndo.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cstring>

namespace {

// Edit-menu command codes.
enum EditCode : uint32_t {
    kCodeCreate = 1,
    kCodeRename = 2,
    kCodeModule = 3,
    kCodeGraphic = 4,
    kCodeParameter = 6,
    kCodeSelectModule = 7,
    kCodeSelectChildren = 8,
    kCodeLocked = 11,
    kCodeOrder = 12,
    kCodeSelectLayer = 13,
    kCodeAddLayer = 14,
    kCodeLayerMask = 15,
    kCodeColour = kMenuCodeColourChoice,
    kCodeListener = kMenuCodeListenTo,
    kCodeSizeToFit = 20,
    kCodeReserved = 21,
    kCodeReassignChildren = 22,
    // Run menu: assign a port's parameter to a meta parameter.
    kCodeAssignMeta = 24,
};

// At most this many port x module submenus; beyond, one module at a time.
constexpr int32_t kParameterMenuLimit = 100;
constexpr int32_t kLayerBits = 32;
constexpr uint32_t kAllLayerBits = 0x7FFFFFFF;
// The state bit that keeps the "locked" item out of the menu.
constexpr uint32_t kStateNoLockItem = 0x40000;
// Parameter descriptor flag: the parameter can be a modulation target.
constexpr uint32_t kModulationAssignable = 8;
constexpr uint32_t kContinuousType = 1;

AM_View_Interface* interfaceOf(AM_ViewMan* viewMan)
{
    return viewMan != nullptr ? viewMan->getInterface() : nullptr;
}

// The display name of module record `index`, or null when there is none.
const AM_ModuleRecord* moduleAt(AM_View_Interface* host, int32_t index)
{
    return host != nullptr ? host->getModuleInfoByIndex(index) : nullptr;
}

// A name field that may fill its whole size, as a terminated text.
template <size_t N> void copyField(char (&out)[N + 1], const char (&field)[N])
{
    std::memcpy(out, field, N);
    out[N] = '\0';
}

// Whether `address` is one of the colours of the GUI (the list the colour
// menus are built from).
bool isGuiColourOf(AM_ViewMan* viewMan, const void* address)
{
    for (AM_GuiObject* o = viewMan != nullptr ? viewMan->getColours() : nullptr; o != nullptr;
         o = o->getNext()) {
        if (static_cast<const void*>(o) == address) {
            return dynamic_cast<AM_Colour*>(o) != nullptr;
        }
    }
    return false;
}

} // namespace

void AM_ViewControl::addParameterItems(uint32_t subMenu, int32_t port, int32_t module)
{
    AM_View_Interface* host = interfaceOf(viewMan_);
    const AM_PortDescriptor* descriptor = getPortDescriptor(port);
    if (host == nullptr || descriptor == nullptr) {
        return;
    }
    const AM_ModuleRecord* record = moduleAt(host, module);
    if (record == nullptr) {
        return;
    }
    const int32_t count = host->getNumParameters();
    for (int32_t i = 0; i < count; ++i) {
        AM_ParamInfo* parameter = host->getParameterInfo(i);
        if (parameter == nullptr || parameter->moduleIndex != int32_t(record->moduleIndex) ||
            !acceptsType(descriptor, parameter->type)) {
            continue;
        }
        char name[k_longNameBytes + 1];
        copyField(name, parameter->longName);
        viewMan_->addMenuItem(subMenu,
                              AM_menuCommand(static_cast<uint32_t>(port), kCodeParameter), name, 0,
                              0, parameter);
    }
}

void AM_ViewControl::addParametersMenu()
{
    AM_View_Interface* host = interfaceOf(viewMan_);
    const int32_t ports = getNumPorts();
    const uint32_t menu = viewMan_->addSubMenu(0, "Parameters");
    const int32_t modules = host != nullptr ? host->getNumModules() : 0;
    if (int64_t(ports) * modules <= kParameterMenuLimit) {
        for (int32_t p = 0; p < ports; ++p) {
            const uint32_t portMenu = viewMan_->addSubMenu(menu, getPortDescriptor(p)->name);
            for (int32_t m = 0; m < modules; ++m) {
                const AM_ModuleRecord* record = moduleAt(host, m);
                if (record == nullptr) {
                    continue;
                }
                char name[k_moduleLongNameBytes + 1];
                copyField(name, record->longName);
                addParameterItems(viewMan_->addSubMenu(portMenu, name), p, m);
            }
        }
        return;
    }
    const int32_t module = std::clamp(getAssignModule(), 0, modules - 1);
    setAssignModule(module);
    char longName[k_moduleLongNameBytes + 1] = "";
    if (const AM_ModuleRecord* record = moduleAt(host, module)) {
        copyField(longName, record->longName);
    }
    char text[64];
    AM_STD::sprintn(text, sizeof text, "Module: %s", longName);
    viewMan_->addMenuItem(menu, 0, text);
    const uint32_t select = viewMan_->addSubMenu(menu, "Select Module");
    for (int32_t m = 0; m < modules; ++m) {
        const AM_ModuleRecord* record = moduleAt(host, m);
        if (record == nullptr) {
            continue;
        }
        char name[k_moduleLongNameBytes + 1];
        copyField(name, record->longName);
        viewMan_->addMenuItem(select, AM_menuCommand(static_cast<uint32_t>(m), kCodeSelectModule),
                              name, 0, m == module ? kMenuChecked : kMenuCheckable);
    }
    for (int32_t p = 0; p < ports; ++p) {
        addParameterItems(viewMan_->addSubMenu(menu, getPortDescriptor(p)->name), p, module);
    }
}

void AM_ViewControl::addCreateMenu()
{
    AM_View_Interface* host = interfaceOf(viewMan_);
    const uint32_t create = viewMan_->addSubMenu(0, "create control");
    for (AM_ControlTypeRecord* type = viewMan_->getControlTypes(); type != nullptr;
         type = type->next) {
        char name[AM_ControlTypeRecord::kNameBytes + 1];
        copyField(name, type->name);
        viewMan_->addMenuItem(create, kCodeCreate, name, 0, 0, type);
    }
    viewMan_->addMenuItem(create, 0, kMenuSeparatorText);
    const int32_t modules = host != nullptr ? host->getNumModules() : 0;
    const uint32_t moduleMenu = viewMan_->addSubMenu(create, "module");
    for (int32_t m = 0; m < modules; ++m) {
        if (const AM_ModuleRecord* record = moduleAt(host, m)) {
            char name[k_moduleLongNameBytes + 1];
            copyField(name, record->longName);
            viewMan_->addMenuItem(moduleMenu, AM_menuCommand(uint32_t(m), kCodeModule), name);
        }
    }
    viewMan_->addMenuItem(create, 0, kMenuSeparatorText);
    const uint32_t reassign = viewMan_->addSubMenu(create, "reassign children");
    for (int32_t m = 0; m < modules; ++m) {
        if (const AM_ModuleRecord* record = moduleAt(host, m)) {
            char name[k_moduleLongNameBytes + 1];
            copyField(name, record->longName);
            viewMan_->addMenuItem(reassign, AM_menuCommand(uint32_t(m), kCodeReassignChildren),
                                  name);
        }
    }
}

void AM_ViewControl::addSlotMenus()
{
    if (!listeners_.empty()) {
        const uint32_t menu = viewMan_->addSubMenu(0, "Listeners");
        for (int32_t i = 0; i < getNumListeners(); ++i) {
            uint32_t entry = viewMan_->addSubMenu(menu, getListenerDescriptor(i)->name);
            sendMessage(kGuiControlBit, kCtlMsgOfferPorts, static_cast<uint32_t>(i), &entry);
        }
    }
    if (!graphics_.empty()) {
        const uint32_t menu = viewMan_->addSubMenu(0, "Graphics");
        for (int32_t slot = 0; slot < getGraphicCount(); ++slot) {
            const uint32_t command = AM_menuCommand(static_cast<uint32_t>(slot), kCodeGraphic);
            const uint32_t entry = viewMan_->addSubMenu(menu, getGraphicName(slot));
            viewMan_->addMenuItem(entry, command, "none");
            viewMan_->buildGraphicsMenu(entry, command);
        }
    }
    if (!colours_.empty()) {
        const uint32_t menu = viewMan_->addSubMenu(0, "Colours");
        for (int32_t slot = 0; slot < getColourCount(); ++slot) {
            const uint32_t entry = viewMan_->addSubMenu(menu, getColourName(slot));
            // Three lists in a row: the standard colours, the editor's own
            // and the "default..." ones; each colour picks its list.
            AM_ColourMenuRequest request{};
            request.baseSubMenu = viewMan_->addSubMenu(entry, "standard");
            request.slot = slot;
            viewMan_->addSubMenu(entry, "editor");
            viewMan_->addSubMenu(entry, "default");
            viewMan_->addMenuItem(entry,
                                  AM_menuCommand(static_cast<uint32_t>(slot), kCodeColour),
                                  "none");
            if (request.baseSubMenu == AM_MenuTable::kNoSubMenu) {
                continue;
            }
            for (AM_GuiObject* o = viewMan_->getColours(); o != nullptr; o = o->getNext()) {
                if (auto* colour = dynamic_cast<AM_Colour*>(o)) {
                    receiveMessage(colour, kCtlMsgColourMenu, 0, &request);
                }
            }
        }
    }
}

void AM_ViewControl::addLayerMenus()
{
    const uint32_t mask = viewMan_->addSubMenu(0, "LayerMask");
    for (int32_t n = 0; n < kLayerBits; ++n) {
        char text[16];
        AM_STD::sprintn(text, sizeof text, "Layer %d", int(n + 1));
        const bool on = (layerMask_ & (1u << n)) != 0;
        viewMan_->addMenuItem(mask, AM_menuCommand(static_cast<uint32_t>(n), kCodeLayerMask), text,
                              0, on ? kMenuChecked : kMenuCheckable);
    }
    viewMan_->addMenuItem(mask, 0, kMenuSeparatorText);
    viewMan_->addMenuItem(mask, AM_menuCommand(kLayerBits, kCodeLayerMask), "all layers");

    if (isContainer() && getNumLayers() > 0) {
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText);
        const uint32_t layers = viewMan_->addSubMenu(0, "Layers");
        viewMan_->addMenuItem(layers, kCodeAddLayer, "Create New");
        viewMan_->addMenuItem(layers, 0, kMenuSeparatorText);
        for (int32_t layer = 0; layer < getNumLayers(); ++layer) {
            const char* name = getLayerName(layer);
            char fallback[16];
            if (name == nullptr) {
                AM_STD::sprintn(fallback, sizeof fallback, "Layer %d", int(layer + 1));
                name = fallback;
            }
            viewMan_->addMenuItem(layers,
                                  AM_menuCommand(static_cast<uint32_t>(layer), kCodeSelectLayer),
                                  name);
        }
    }
}

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
        if (isContainer()) {
            addCreateMenu();
        }
        if (getNumPorts() > 0) {
            addParametersMenu();
        }
        addSlotMenus();
        addLayerMenus();
        bool anyGraphic = false;
        for (AM_Graphic* graphic : graphics_) {
            anyGraphic = anyGraphic || graphic != nullptr;
        }
        if (anyGraphic) {
            const uint32_t fit = viewMan_->addSubMenu(0, "size to fit");
            for (AM_Graphic* graphic : graphics_) {
                if (graphic != nullptr) {
                    viewMan_->addMenuItem(fit, kCodeSizeToFit, graphic->getName(), 0, 0, graphic);
                }
            }
        }
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText);
        viewMan_->addMenuItem(0, kCodeOrder, "bring to front");
        viewMan_->addMenuItem(0, AM_menuCommand(1, kCodeOrder), "send to back");
        if ((state_ & kStateNoLockItem) == 0) {
            viewMan_->addMenuItem(0, kCodeLocked, "locked", 0,
                                  (state_ & kStateLocked) != 0 ? kMenuChecked : kMenuCheckable);
        }
        viewMan_->addMenuItem(0, kCodeRename, "Rename Control");
        if (getFirstChildControl() != nullptr) {
            viewMan_->addMenuItem(0, kCodeSelectChildren, "Select Children");
        }
    }
    if (open) {
        viewMan_->showMenu();
    }
}

void AM_ViewControl::buildAssignMenu(uint32_t subMenu)
{
    AM_View_Interface* host = interfaceOf(viewMan_);
    if (host == nullptr || host->getNumMetaParameters() <= 0) {
        return;
    }
    for (int32_t port = 0; port < getNumPorts(); ++port) {
        const AM_ParamInfo* parameter = ports_[size_t(port)].parameter;
        if (parameter == nullptr || parameter->type != kContinuousType ||
            (parameter->flags & kModulationAssignable) == 0) {
            continue;
        }
        const uint32_t menu = viewMan_->addSubMenu(subMenu, "assign to");
        // Asking for the count restarts the walk over the names.
        const int32_t metas = host->getNumMetaParameters();
        const int32_t targets = host->getNumModTargets();
        for (int32_t m = 0; m < metas; ++m) {
            const char* name = host->nextMetaParameterName();
            bool assigned = false;
            for (int32_t t = 0; t < targets && !assigned; ++t) {
                assigned = host->getModTarget(m, t) == int32_t(parameter->index);
            }
            const uint32_t command =
                (uint32_t(port) << 24) | ((uint32_t(m) & 0xFF) << 16) | kCodeAssignMeta;
            viewMan_->addMenuItem(menu, command, name, 0, assigned ? kMenuChecked : kMenuCheckable);
        }
    }
}

void AM_ViewControl::createChild(const AM_ControlTypeRecord* type, const float* point)
{
    if (type == nullptr || type->factory == nullptr || viewMan_ == nullptr) {
        return;
    }
    const float x = point != nullptr ? point[0] - bounds_.x : 0.0f;
    const float y = point != nullptr ? point[1] - bounds_.y : 0.0f;
    const AM_Rect rect{x, y, type->defaultWidth, type->defaultHeight};
    AM_ViewControl* control = type->factory(viewMan_, &rect);
    if (control == nullptr) {
        AM_STD::printv("%s: the type %s built no control\n", getName(), type->name);
        return;
    }
    if (control->getFactory() == nullptr) {
        control->setFactory(type->factory);
    }
    addControl(control, kAllLayers, true);
    control->setEditMode(true);
    control->setVisible(true, kAllLayers, false);
    if ((type->flags & kControlTypeLabelMask) != 0) {
        control->addNameLabel(type->flags);
    }
}

void AM_ViewControl::beginRenameEntry()
{
    AM_STD::printv("AM_EditMenuCmd_RenameControl, ok\n");
    if (viewMan_ == nullptr) {
        return;
    }
    std::memset(renameText_, 0, sizeof renameText_);
    std::strncpy(renameText_, getName(), sizeof renameText_ - 1);
    beginRename();
    viewMan_->beginTextEntry(this, 0, renameText_, sizeof renameText_, nullptr, false);
}

void AM_ViewControl::changeOrder(bool toFront)
{
    AM_GuiObject* parent = getParent();
    if (parent == nullptr) {
        return;
    }
    redraw();
    if (toFront) {
        moveToFirst();
    } else {
        moveToLast();
    }
    redraw();
}

void AM_ViewControl::toggleLayerBit(uint32_t n)
{
    if (n > 30) {
        setLayerMask(kAllLayerBits);
    } else {
        const uint32_t mask = layerMask_ ^ (1u << n);
        // The last layer a control is on stays.
        setLayerMask(mask != 0 ? mask : layerMask_);
    }
    redraw();
}

void AM_ViewControl::sizeToFit(const AM_Graphic* graphic)
{
    if (graphic == nullptr || viewMan_ == nullptr) {
        return;
    }
    viewMan_->addUndo(new AM_ViewControl_BoundsUndo(this, "size to fit", true));
    growBy(0.0f, 0.0f, graphic->getWidth() - bounds_.w, graphic->getHeight() - bounds_.h, true);
    viewMan_->closeUndo();
}

void AM_ViewControl::assignMeta(uint32_t command)
{
    const uint32_t port = command >> 24;
    const int32_t meta = int32_t((command >> 16) & 0xFF);
    if (port >= uint32_t(getNumPorts())) {
        AM_STD::printv("AssignMeta Parameter Port exceeded\n");
        return;
    }
    const AM_ParamInfo* parameter = ports_[port].parameter;
    AM_View_Interface* host = interfaceOf(viewMan_);
    if (parameter == nullptr || host == nullptr) {
        AM_STD::printv("AssignMeta Parameter Port empty\n");
        return;
    }
    host->assignModTarget(meta, int32_t(parameter->index), -1);
}

bool AM_ViewControl::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                       const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return false;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kRunMenuId) {
        if (code != kCodeAssignMeta) {
            return false;
        }
        assignMeta(item->command);
        return true;
    }
    if (menuId != kEditMenuId) {
        return false;
    }
    switch (code) {
    case kCodeCreate:
        createChild(static_cast<const AM_ControlTypeRecord*>(item->userData), point);
        return true;
    case kCodeRename:
        beginRenameEntry();
        return true;
    case kCodeModule:
        if (viewMan_ != nullptr) {
            viewMan_->buildDefaultControls(this, int32_t(sub));
        }
        return true;
    case kCodeGraphic:
        setGraphic(static_cast<AM_Graphic*>(item->userData), int32_t(sub));
        return true;
    case kCodeParameter:
        setPortParameter(int32_t(sub), static_cast<const AM_ParamInfo*>(item->userData));
        return true;
    case kCodeSelectModule:
        setAssignModule(int32_t(sub));
        return true;
    case kCodeSelectChildren:
        for (AM_ViewControl* c = getFirstChildControl(); c != nullptr; c = c->getNextControl()) {
            if (c->isVisible() && viewMan_ != nullptr) {
                viewMan_->setFocus(c, true);
            }
        }
        return true;
    case kCodeLocked:
        state_ ^= kStateLocked;
        redraw();
        return true;
    case kCodeOrder:
        changeOrder(sub == 1);
        return true;
    case kCodeSelectLayer:
        selectLayer(int32_t(sub));
        return true;
    case kCodeAddLayer:
        addLayer(nullptr);
        return true;
    case kCodeLayerMask:
        toggleLayerBit(sub);
        return true;
    case kCodeColour:
        // "none" carries no colour; anything else must be one of the GUI's.
        if (item->userData == nullptr || isGuiColourOf(viewMan_, item->userData)) {
            setColour(static_cast<AM_Colour*>(item->userData), int32_t(sub));
        }
        return true;
    case kCodeListener:
        setListener(int32_t(sub), static_cast<AM_PortRecord*>(item->userData));
        return true;
    case kCodeSizeToFit:
        sizeToFit(static_cast<const AM_Graphic*>(item->userData));
        return true;
    case kCodeReserved:
        reservedWord_ = sub;
        return true;
    case kCodeReassignChildren:
        if (AM_ViewControl* child = getFirstChildControl()) {
            child->reconnectPorts(int32_t(sub), true);
        }
        return true;
    default:
        return false;
    }
}
