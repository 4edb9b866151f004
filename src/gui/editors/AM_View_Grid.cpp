#include "gui/editors/AM_View_Grid.h"

#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "gui/editors/AM_BlockPort.h"
#include "gui/views/AM_ControlLookup.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "Grid";
constexpr const char* kRackType = "Rack";
constexpr const char* kPaneType = "Pane";
constexpr const char* kRackKey = "clientRack";
constexpr const char* kPaneKey = "clientPane";

constexpr uint32_t kGridTypes[] = {0x504};
const AM_PortDescriptor kPorts[] = {{0, "Grid Structure", 1, kGridTypes}};

constexpr char kColourNames[][kGuiNameBytes] = {
    "Background",   "Border",      "Dot",       "Line",      "Text",   "Moduleback",
    "Moduleborder", "Moduleshade", "ModuleSelect", "TextSelect", "TextOff"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"Background", "ModuleBG", "ModuleBGSelect"};

// Messages to the rack and to the controls.
constexpr uint32_t kMsgRackUnit = 15;
constexpr uint32_t kMsgModuleSelected = 49;

constexpr uint32_t kSecondary = 2;
constexpr uint32_t kAlt = 8;

constexpr const char* kInputTexts[] = {"Input 1", "Input 2", "Input 3", "Input 4"};
constexpr const char* kSideChainTexts[] = {"SideChain 1", "SideChain 2", "SideChain 3",
                                           "SideChain 4"};

// A name as a zero-filled buffer of a unit name's size: whoever receives it
// may read that many bytes.
struct NameText {
    explicit NameText(const char* name) { std::snprintf(text, sizeof text, "%s", name); }
    char text[kGuiNameBytes] = {};
};

// The control of the tree below `first` (and its siblings) at that
// address, or null: menu data is taken only as one of the GUI's controls.
uint32_t checkFlags(bool on)
{
    return on ? uint32_t(kMenuChecked) : uint32_t(kMenuCheckable);
}

} // namespace

AM_View_Grid::AM_View_Grid(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Grid %u", unsigned(getId()));
    setName(name);
    initControl(0, 1, kPorts, 0, nullptr, 11, kColourNames, 3, kGraphicNames, false);
}

AM_ViewControl* AM_View_Grid::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* view = new AM_View_Grid(viewMan, bounds);
    view->setFactory(&AM_View_Grid::create);
    return view;
}

const char* AM_View_Grid::getTypeName() const
{
    return kTypeName;
}

AM_GridLayout AM_View_Grid::layout() const
{
    return AM_GridLayout{bounds_, block_.columns(), block_.rows()};
}

void AM_View_Grid::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    if (message == kCtlMsgGoingAway && sender != nullptr) {
        if (sender == clientRack_)
            clientRack_ = nullptr;
        if (sender == clientPane_)
            clientPane_ = nullptr;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

// --- The block.

void AM_View_Grid::setParameterValue(int32_t i, const void* value)
{
    AM_ViewControl::setParameterValue(i, value);
    if (i != kGridPort || value == nullptr)
        return;
    const bool own = value == block_.bytes();
    const size_t declared = AM_portBlockSize(this, kGridPort);
    const AM_PortRecord* port = getPort(kGridPort);
    const bool bound = port != nullptr && port->parameter != nullptr;
    // What can be read behind the pointer: the view's own copy, the bound
    // parameter's size, or the magic of a block handed over directly.
    const size_t readable = own ? size_t(AM_GridBlock::kBytes) : bound ? declared : 4;
    if (!AM_GridBlock::hasMagic(value, readable)) {
        AM_STD::printv("AM_View_Grid::setParameterValue encountered non-Grid parameter structure\n");
        return;
    }
    if (!bound) {
        AM_STD::printv("AM_View_Grid::setParameterValue ( int inNumPort, void* inValue ) value NULL\n");
        return;
    }
    if (!block_.assign(value, readable)) {
        AM_STD::printv("%s: a grid block of %d bytes holds no grid\n", getName(), int(readable));
        return;
    }
    grabbed_[0] = grabbed_[1] = -1;
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    for (int row = 0; row < block_.rows(); ++row) {
        for (int column = 0; column < block_.columns(); ++column) {
            const int cell = AM_GridBlock::cellIndex(column, row);
            if (!block_.named(cell))
                continue;
            const bool active = (block_.flags(cell) & AM_GridBlock::kActive) != 0;
            const NameText name(block_.name(cell));
            tellRack(name.text, active ? kShowUnit : kHideUnit);
            if (host != nullptr)
                host->setModuleActive(name.text, active);
        }
    }
}

void AM_View_Grid::sendGrid()
{
    // Nothing to send before a grid arrived: the engine's grid stays whole.
    if (!block_.valid())
        return;
    AM_sendBlock(this, kGridPort, block_.bytes(), AM_GridBlock::kBytes);
}

void AM_View_Grid::releaseGrab()
{
    grabbed_[0] = grabbed_[1] = -1;
    target_[0] = target_[1] = -1;
}

void AM_View_Grid::tellRack(const char* name, uint32_t state)
{
    if (clientRack_ == nullptr)
        return;
    NameText text(name);
    clientRack_->receiveMessage(this, kMsgRackUnit, state, text.text);
}

void AM_View_Grid::selectCell(const char* name)
{
    if (selected_[0] != '\0') {
        NameText old(selected_);
        sendMessage(kGuiControlBit, kMsgModuleSelected, 0, old.text);
    }
    std::snprintf(selected_, sizeof selected_, "%s", name != nullptr ? name : "");
    if (selected_[0] != '\0') {
        NameText now(selected_);
        sendMessage(kGuiControlBit, kMsgModuleSelected, 1, now.text);
    }
}

void AM_View_Grid::toggleActive(int cell)
{
    uint32_t flags = block_.flags(cell);
    const NameText name(block_.name(cell));
    if ((flags & AM_GridBlock::kActive) != 0) {
        tellRack(name.text, kHideUnit);
        selectCell(nullptr);
        flags &= ~uint32_t(AM_GridBlock::kActive);
    } else {
        tellRack(name.text, kShowUnit);
        selectCell(name.text);
        flags |= AM_GridBlock::kActive;
    }
    block_.setFlags(cell, flags);
    sendGrid();
}

// --- Gestures.

bool AM_View_Grid::onMouseDown(const float* point, uint32_t buttons)
{
    const AM_GridLayout grid = layout();
    int column = 0, row = 0;
    if (point == nullptr || !grid.cellAt(point[0], point[1], &column, &row))
        return false;
    const int cell = AM_GridBlock::cellIndex(column, row);
    float centre[2];
    grid.cellCentre(column, row, &centre[0], &centre[1]);
    grabOffset_[0] = centre[0] - point[0];
    grabOffset_[1] = centre[1] - point[1];
    pointer_[0] = centre[0];
    pointer_[1] = centre[1];
    const uint32_t flags = block_.flags(cell);
    if (!block_.named(cell) || (flags & AM_GridBlock::kHidden) != 0) {
        releaseGrab();
        showPlaceMenu(point, column, row);
        return false;
    }
    grabbed_[0] = column;
    grabbed_[1] = row;
    if ((buttons & kSecondary) != 0) {
        showCellMenu(point, cell);
        releaseGrab();
        redraw();
        return false;
    }
    if (buttons == 0) {
        redraw();
        if ((flags & AM_GridBlock::kActive) != 0) {
            const NameText name(block_.name(cell));
            selectCell(name.text);
            tellRack(name.text, kSelectUnit);
        }
        return true;
    }
    if ((buttons & kAlt) != 0)
        toggleActive(cell);
    releaseGrab();
    return false;
}

void AM_View_Grid::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || grabbed_[0] < 0)
        return;
    pointer_[0] = point[0] + grabOffset_[0];
    pointer_[1] = point[1] + grabOffset_[1];
    int column = 0, row = 0;
    if (layout().cellAt(pointer_[0], pointer_[1], &column, &row)) {
        target_[0] = column;
        target_[1] = row;
    }
    redraw();
}

void AM_View_Grid::onMouseUp(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || grabbed_[0] < 0)
        return;
    pointer_[0] = point[0] + grabOffset_[0];
    pointer_[1] = point[1] + grabOffset_[1];
    int column = grabbed_[0], row = grabbed_[1];
    layout().cellAt(pointer_[0], pointer_[1], &column, &row);
    const int from = AM_GridBlock::cellIndex(grabbed_[0], grabbed_[1]);
    const int to = AM_GridBlock::cellIndex(column, row);
    block_.exchange(from, to);
    uint32_t flags = block_.flags(to);
    if ((flags & AM_GridBlock::kSameColumn) != 0) {
        flags &= ~uint32_t(AM_GridBlock::kInputMask);
        flags |= uint32_t(AM_GridBlock::kFirstInput) << column;
        block_.setFlags(to, flags);
    }
    sendGrid();
    releaseGrab();
    redraw();
}

void AM_View_Grid::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)buttons;
    int column = 0, row = 0;
    if (point == nullptr || !layout().cellAt(point[0], point[1], &column, &row))
        return;
    const int cell = AM_GridBlock::cellIndex(column, row);
    if (block_.named(cell) && (block_.flags(cell) & AM_GridBlock::kHidden) == 0)
        toggleActive(cell);
    releaseGrab();
}

// --- Menus.

void AM_View_Grid::showCellMenu(const float* point, int cell)
{
    if (viewMan_ == nullptr)
        return;
    const uint32_t flags = block_.flags(cell);
    const bool same = (flags & AM_GridBlock::kSameColumn) != 0;
    void* data = const_cast<void*>(block_.cellAddress(cell));
    viewMan_->beginMenu(this, point, kRunMenuId);
    auto add = [&](uint32_t sub, const char* text, bool checked) {
        viewMan_->addMenuItem(0, AM_menuCommand(sub, kMenuCodeOwnCommand), text, 0,
                              checkFlags(checked), data);
    };
    auto separator = [this]() { viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator); };
    const auto columns = uint32_t(block_.columns());
    for (uint32_t k = 0; k < columns; ++k)
        add(k, kInputTexts[k], !same && (flags & (uint32_t(AM_GridBlock::kFirstInput) << k)) != 0);
    add(columns, "same", same);
    if ((flags & AM_GridBlock::kHasSideChain) != 0) {
        separator();
        for (uint32_t k = 0; k < columns; ++k)
            add(kFirstSideChain + k, kSideChainTexts[k],
                (flags & (uint32_t(AM_GridBlock::kFirstSideChain) << k)) != 0);
    }
    separator();
    add(kToggleActive, "active", (flags & AM_GridBlock::kActive) != 0);
    separator();
    viewMan_->addMenuItem(0, AM_menuCommand(kRemove, kMenuCodeOwnCommand), "remove", 0, 0, data);
    viewMan_->showMenu();
}

void AM_View_Grid::showPlaceMenu(const float* point, int column, int row)
{
    if (viewMan_ == nullptr)
        return;
    viewMan_->beginMenu(this, point, kRunMenuId);
    const uint32_t place = kFirstPlace + uint32_t(row * block_.columns() + column);
    AM_View_Interface* host = viewMan_->getInterface();
    // Hidden modules in ascending order of their module id, each id once.
    struct Offer {
        uint32_t id;
        int cell;
    };
    Offer offers[AM_GridBlock::kCells];
    int count = 0;
    for (int cell = 0; cell < AM_GridBlock::kCells && host != nullptr; ++cell) {
        if (!block_.named(cell) || (block_.flags(cell) & AM_GridBlock::kHidden) == 0)
            continue;
        const AM_ModuleRecord* module = host->getModuleInfo(block_.name(cell));
        if (module == nullptr)
            continue;
        const bool known = std::any_of(offers, offers + count, [&](const Offer& o) {
            return o.id == module->moduleIndex;
        });
        if (!known)
            offers[count++] = {module->moduleIndex, cell};
    }
    std::stable_sort(offers, offers + count,
                     [](const Offer& a, const Offer& b) { return a.id < b.id; });
    for (int k = 0; k < count; ++k)
        viewMan_->addMenuItem(0, AM_menuCommand(place, kMenuCodeOwnCommand),
                              block_.name(offers[k].cell), 0, 0,
                              const_cast<void*>(block_.cellAddress(offers[k].cell)));
    viewMan_->showMenu();
}

bool AM_View_Grid::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                     const AM_MenuItem* item)
{
    if (!valid || item == nullptr)
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kRunMenuId && code == kMenuCodeOwnCommand) {
        // The cell comes back as the item's user data: only a cell of this
        // grid is taken.
        const int cell = block_.cellAt(item->userData);
        if (sub >= kFirstPlace)
            placeHidden(cell, sub - kFirstPlace);
        else
            runCellCommand(sub, cell);
        releaseGrab();
        return true;
    }
    if (menuId == kEditMenuId && code == kMenuCodeAttachControl) {
        AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
        AM_ViewControl* client = AM_controlAtAddress(top, item->userData);
        if (client != nullptr || item->userData == nullptr)
            setClient(client);
        redraw();
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

bool AM_View_Grid::runCellCommand(uint32_t sub, int cell)
{
    if (!block_.named(cell))
        return false;
    const auto columns = uint32_t(block_.columns());
    constexpr uint32_t kInputAndSame = AM_GridBlock::kInputMask | AM_GridBlock::kSameColumn;
    uint32_t flags = block_.flags(cell);
    if (sub < columns) {
        flags = (flags & ~kInputAndSame) | uint32_t(AM_GridBlock::kFirstInput) << sub;
    } else if (sub == columns) {
        const int column = cell % AM_GridBlock::kMaxColumns;
        flags = (flags & ~kInputAndSame) | uint32_t(AM_GridBlock::kFirstInput) << column |
                AM_GridBlock::kSameColumn;
    } else if (sub >= kFirstSideChain && sub < kFirstSideChain + AM_GridBlock::kMaxColumns) {
        flags = (flags & ~uint32_t(AM_GridBlock::kSideChainMask)) |
                uint32_t(AM_GridBlock::kFirstSideChain) << (sub - kFirstSideChain);
    } else if (sub == kRemove) {
        flags = (flags & ~uint32_t(AM_GridBlock::kActive)) | AM_GridBlock::kHidden;
    } else if (sub == kToggleActive) {
        toggleActive(cell);
        return true;
    } else {
        return false;
    }
    block_.setFlags(cell, flags);
    sendGrid();
    return true;
}

void AM_View_Grid::placeHidden(int hidden, uint32_t place)
{
    if (!block_.named(hidden) || (block_.flags(hidden) & AM_GridBlock::kHidden) == 0)
        return;
    const auto columns = uint32_t(block_.columns());
    const int column = int(place % columns);
    const int row = int(std::min(place / columns, uint32_t(block_.rows() - 1)));
    const int target = AM_GridBlock::cellIndex(column, row);
    constexpr uint32_t kCleared = AM_GridBlock::kHidden | AM_GridBlock::kInputMask;
    const uint32_t flags = (block_.flags(hidden) & ~kCleared) | AM_GridBlock::kActive |
                           uint32_t(AM_GridBlock::kFirstInput) << column;
    block_.setFlags(hidden, flags);
    block_.exchange(hidden, target);
    sendGrid();
    const NameText name(block_.name(target));
    selectCell(name.text);
}

void AM_View_Grid::setClient(AM_ViewControl* client)
{
    if (client == nullptr) {
        clientRack_ = nullptr;
        clientPane_ = nullptr;
        return;
    }
    const char* type = client->getTypeName();
    if (type == nullptr)
        return;
    if (std::strcmp(type, kRackType) == 0)
        clientRack_ = client;
    else if (std::strcmp(type, kPaneType) == 0)
        clientPane_ = client;
}

void AM_View_Grid::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    if (viewMan_ == nullptr)
        return;
    if (open) {
        viewMan_->beginMenu(this, point, kEditMenuId);
        viewMan_->addMenuItem(0, 0, getName());
    }
    AM_ViewControl::buildEditMenu(point, false, extra);
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    const uint32_t racks = viewMan_->addSubMenu(0, "Attach Rack");
    AM_TypeMenuRequest request{};
    std::snprintf(request.typeName, sizeof request.typeName, "%s", kRackType);
    request.chosen = clientRack_;
    sendMessage(kGuiControlBit, kCtlMsgTypeMenu, racks, &request);
    const uint32_t panes = viewMan_->addSubMenu(0, "Attach Pane");
    sendMessage(kGuiControlBit, kCtlMsgLayerMenu, panes, clientPane_);
    if (open)
        viewMan_->showMenu();
}

// --- Script.

void AM_View_Grid::writeProperties(std::string* script)
{
    AM_ViewControl::writeProperties(script);
    if (script == nullptr)
        return;
    if (clientRack_ != nullptr)
        AM_ScriptWriter(*script).property(getName(), kRackKey, 1, clientRack_->getName());
    if (clientPane_ != nullptr)
        AM_ScriptWriter(*script).property(getName(), kPaneKey, 1, clientPane_->getName());
}

void AM_View_Grid::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr)
        return;
    const bool rack = std::strcmp(name, kRackKey) == 0;
    if (!rack && std::strcmp(name, kPaneKey) != 0)
        return;
    AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
    auto* found = top != nullptr ? dynamic_cast<AM_ViewControl*>(top->findByName(value)) : nullptr;
    if (found == nullptr || found == this) {
        AM_STD::printv("WOOOPS... %s wants clientpane %s, but it doesn't exist...\n", getName(),
                       value);
        return;
    }
    (rack ? clientRack_ : clientPane_) = found;
    sendGrid();
}
