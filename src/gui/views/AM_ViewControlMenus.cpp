// The menus that other objects build from the controls of the tree: the
// controls that list themselves (panes, racks, containers), the colour
// choice of a colour slot and the ports offered to a listener entry.

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"

#include <cstring>

namespace {

constexpr char kDefaultColourPrefix[] = "default";

bool startsWith(const char* text, const char* prefix)
{
    return text != nullptr && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

} // namespace

void AM_ViewControl::addSelfToMenu(uint32_t subMenu, const void* chosen)
{
    if (viewMan_ == nullptr) {
        return;
    }
    const uint32_t flags = chosen == static_cast<const void*>(this) ? uint32_t(kMenuChecked) : 0u;
    viewMan_->addMenuItem(subMenu, kMenuCodeAttachControl, getName(), 0, flags, this);
}

void AM_ViewControl::addColourChoice(AM_Object* sender, const void* request)
{
    auto* colour = dynamic_cast<AM_Colour*>(sender);
    if (colour == nullptr || request == nullptr || viewMan_ == nullptr) {
        return;
    }
    AM_ColourMenuRequest asked{};
    std::memcpy(&asked, request, sizeof asked);
    uint32_t subMenu = asked.baseSubMenu;
    if (!colour->isSaveable()) {
        subMenu += 1; // the editor's own colours
    } else if (startsWith(colour->getName(), kDefaultColourPrefix)) {
        subMenu += 2;
    }
    const uint32_t flags = getColour(asked.slot) == colour ? kMenuChecked : kMenuCheckable;
    viewMan_->addMenuItem(subMenu,
                          AM_menuCommand(static_cast<uint32_t>(asked.slot), kMenuCodeColourChoice),
                          colour->getName(), 0, flags, colour);
}

void AM_ViewControl::offerPorts(AM_Object* sender, uint32_t listener, const void* subMenu)
{
    auto* asking = dynamic_cast<AM_ViewControl*>(sender);
    if (asking == nullptr || subMenu == nullptr || viewMan_ == nullptr ||
        listener >= static_cast<uint32_t>(asking->getNumListeners())) {
        return;
    }
    const AM_ListenerDescriptor* wanted =
        asking->getListenerDescriptor(static_cast<int32_t>(listener));
    if (wanted == nullptr) {
        return;
    }
    uint32_t menu = 0;
    std::memcpy(&menu, subMenu, sizeof menu);

    AM_STD::printv("potential PortProvider: %s\n", getName());
    bool haveSubMenu = false;
    uint32_t ownMenu = AM_MenuTable::kNoSubMenu;
    for (int32_t p = 0; p < getNumPorts(); ++p) {
        const AM_PortDescriptor* offered = getPortDescriptor(p);
        if (offered == nullptr) {
            continue;
        }
        AM_STD::printv("testing for Port %d\n", static_cast<int>(p));
        bool found = false;
        for (int32_t l = 0; l < wanted->typeCount && !found; ++l) {
            const uint32_t wantedType = wanted->types[l];
            AM_STD::printv("testing for ListenerParamType %d, being %d\n", static_cast<int>(l),
                           static_cast<int>(wantedType));
            for (int32_t t = 0; t < offered->typeCount; ++t) {
                const uint32_t offeredType = offered->types[t];
                AM_STD::printv("testing for ProviderParamType %d which is %d\n",
                               static_cast<int>(t), static_cast<int>(offeredType));
                if (offeredType == wantedType) {
                    AM_STD::printv("found...\n");
                    found = true;
                    break;
                }
                AM_STD::printv("fail\n");
            }
        }
        if (!found) {
            continue;
        }
        if (!haveSubMenu) {
            ownMenu = viewMan_->addSubMenu(menu, getName());
            haveSubMenu = true;
        }
        viewMan_->addMenuItem(ownMenu, AM_menuCommand(listener, kMenuCodeListenTo), offered->name,
                              0, 0, getPort(p));
    }
}
