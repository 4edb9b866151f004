#include "gui/controls/AM_View_EditMenus.h"

#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "gui/controls/AM_ControlText.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "EditMenus";
constexpr const char* kIterateKey = "iterate";
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Text"};
enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kTextColour = 2 };
constexpr const char* kNoItem = " . ";
constexpr const char* kNotAvailable = "n/a";
constexpr uint32_t kRequestReply = 13;
// Drag: one step per five pixels.
constexpr float kDragScale = 0.2f;

} // namespace

AM_View_EditMenus::AM_View_EditMenus(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "EditMenu %u", unsigned(getId()));
    setName(name);
    acceptsWheel_ = 1;
    initControl(0, 0, nullptr, 0, nullptr, 3, kColourNames, 0, nullptr, true);
}

AM_View_EditMenus::~AM_View_EditMenus() = default;

AM_ViewControl* AM_View_EditMenus::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* field = new AM_View_EditMenus(viewMan, bounds);
    field->setFactory(&AM_View_EditMenus::create);
    return field;
}

const char* AM_View_EditMenus::getTypeName() const
{
    return kTypeName;
}

// --- Binding.

void AM_View_EditMenus::bindVariable(AM_ViewControl* owner, const char* labelText,
                                     int32_t* variable, const ValueName* valueNames,
                                     int32_t minimum, int32_t maximum)
{
    changedMessage_ = 0;
    owner_ = owner;
    variable_ = variable;
    valueNames_ = valueNames;
    minimum_ = minimum;
    maximum_ = maximum;
    text_ = nullptr;
    if (variable != nullptr) {
        value_ = *variable;
    }
    if (labelText != nullptr) {
        setLabelText(labelText);
    }
    mode_ = kVariable;
    redraw();
}

void AM_View_EditMenus::bindSlot(AM_ViewControl* owner, int32_t slot, int32_t mode)
{
    changedMessage_ = 0;
    variable_ = nullptr;
    valueNames_ = nullptr;
    text_ = nullptr;
    owner_ = owner;
    slot_ = slot;
    lastBound_ = nullptr;
    if (owner == nullptr) {
        setLabelText(mode == kColour    ? "no colour object"
                     : mode == kGraphic ? "no graphic object"
                                        : "no parameters");
    } else {
        const char* name = nullptr;
        if (mode == kColour) {
            name = owner->getColourName(slot);
        } else if (mode == kGraphic) {
            name = owner->getGraphicName(slot);
        } else if (const AM_PortRecord* port = owner->getPort(slot)) {
            name = port->descriptor != nullptr ? port->descriptor->name : nullptr;
        }
        setLabelText(name != nullptr ? name : kNotAvailable);
    }
    mode_ = mode;
    lastBound_ = boundItem();
    updateBoundName();
    redraw();
}

void AM_View_EditMenus::bindColour(AM_ViewControl* owner, int32_t slot)
{
    bindSlot(owner, slot, kColour);
}

void AM_View_EditMenus::bindGraphic(AM_ViewControl* owner, int32_t slot)
{
    bindSlot(owner, slot, kGraphic);
}

void AM_View_EditMenus::bindParameters(AM_ViewControl* owner, int32_t port)
{
    bindSlot(owner, port, kParameter);
}

void AM_View_EditMenus::bindText(AM_ViewControl* owner, char* text, int32_t capacity,
                                 const char* labelText)
{
    changedMessage_ = 0;
    variable_ = nullptr;
    valueNames_ = nullptr;
    owner_ = owner;
    text_ = capacity > 0 ? text : nullptr;
    textCapacity_ = capacity > 0 ? capacity : 0;
    if (labelText != nullptr) {
        setLabelText(labelText);
    }
    mode_ = kText;
    updateBoundName();
    redraw();
}

void AM_View_EditMenus::forgetOwner()
{
    owner_ = nullptr;
    variable_ = nullptr;
    valueNames_ = nullptr;
    text_ = nullptr;
    lastBound_ = nullptr;
}

const void* AM_View_EditMenus::boundItem() const
{
    if (owner_ == nullptr) {
        return nullptr;
    }
    switch (mode_) {
    case kColour:
        return owner_->getColour(slot_);
    case kGraphic:
        return owner_->getGraphic(slot_);
    case kParameter: {
        const AM_PortRecord* port = owner_->getPort(slot_);
        return port != nullptr ? port->parameter : nullptr;
    }
    default:
        return nullptr;
    }
}

void AM_View_EditMenus::updateBoundName()
{
    switch (mode_) {
    case kColour: {
        const AM_Colour* colour = static_cast<const AM_Colour*>(boundItem());
        AM_copyBoundedText(shown_, sizeof shown_, colour != nullptr ? colour->getName() : kNoItem,
                           kShownBytes - 1);
        break;
    }
    case kGraphic: {
        AM_Graphic* graphic = owner_ != nullptr ? owner_->getGraphic(slot_) : nullptr;
        AM_copyBoundedText(shown_, sizeof shown_, graphic != nullptr ? graphic->getName() : kNoItem,
                           kShownBytes - 1);
        break;
    }
    case kParameter: {
        const auto* parameter = static_cast<const AM_ParamInfo*>(boundItem());
        if (parameter == nullptr) {
            AM_copyBoundedText(shown_, sizeof shown_, kNoItem, kShownBytes - 1);
            break;
        }
        AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
        const AM_ModuleRecord* module =
            host != nullptr ? host->getModuleInfoByIndex(parameter->moduleIndex) : nullptr;
        if (module != nullptr) {
            char moduleName[k_moduleLongNameBytes + 1];
            AM_copyBoundedText(moduleName, sizeof moduleName, module->longName,
                               k_moduleLongNameBytes);
            char parameterName[k_longNameBytes + 1];
            AM_copyBoundedText(parameterName, sizeof parameterName, parameter->longName,
                               k_longNameBytes - 1);
            AM_STD::sprintvn(shown_, sizeof shown_, "%s: %s", moduleName, parameterName);
        }
        break;
    }
    case kText:
        if (text_ != nullptr) {
            const size_t limit =
                std::min<size_t>(kShownTextChars, static_cast<size_t>(textCapacity_) - 1);
            AM_copyBoundedText(shown_, sizeof shown_, text_, limit);
        } else {
            shown_[0] = '\0';
        }
        break;
    default:
        break;
    }
}

void AM_View_EditMenus::setValue(int64_t value)
{
    value_ = static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

void AM_View_EditMenus::storeValue()
{
    if (mode_ != kVariable) {
        return;
    }
    if (minimum_ <= maximum_) {
        value_ = std::clamp(value_, minimum_, maximum_);
    }
    if (variable_ != nullptr && *variable_ != value_) {
        *variable_ = value_;
        redraw();
        announceChange(variable_);
    }
    if (owner_ != nullptr) {
        owner_->redraw();
    }
    redraw();
}

const char* AM_View_EditMenus::valueName() const
{
    if (valueNames_ == nullptr || minimum_ > maximum_) {
        return nullptr;
    }
    const int64_t k = int64_t(value_) - int64_t(minimum_);
    if (k < 0 || k > int64_t(maximum_) - int64_t(minimum_)) {
        return nullptr;
    }
    return valueNames_[k];
}

uint32_t AM_View_EditMenus::addValueMenuItems()
{
    if (valueNames_ == nullptr || minimum_ > maximum_ || viewMan_ == nullptr) {
        return 0;
    }
    uint32_t checked = 0;
    // Sub-indices are 16 bits wide: longer lists are cut there.
    const int64_t count = std::min<int64_t>(int64_t(maximum_) - int64_t(minimum_) + 1, 0x10000);
    for (int64_t k = 0; k < count; ++k) {
        char name[kNameBytes];
        AM_copyBoundedText(name, sizeof name, valueNames_[k], kNameBytes - 1);
        const bool isCurrent = int64_t(minimum_) + k == value_;
        const uint32_t index = viewMan_->addMenuItem(
            0, AM_menuCommand(static_cast<uint32_t>(k), kMenuCodeValueChoice), name, 0,
            isCurrent ? kMenuChecked : kMenuCheckable);
        if (isCurrent) {
            checked = index;
        }
    }
    return checked;
}

void AM_View_EditMenus::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    if (viewMan_ == nullptr) {
        return;
    }
    if (open) {
        viewMan_->beginMenu(this, point, kEditMenuId);
        viewMan_->addMenuItem(0, 0, getName());
    }
    AM_ViewControl::buildEditMenu(point, false, extra);
    if (viewMan_->isEditMode()) {
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        viewMan_->addMenuItem(0, AM_menuCommand(kToggleIterate, kMenuCodeOwnCommand), kIterateKey,
                              0, iterate_ != 0 ? kMenuChecked : kMenuCheckable);
    }
    if (open) {
        viewMan_->showMenu();
    }
}

// --- Messages and input.

void AM_View_EditMenus::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                       void* ptr)
{
    if (message == kCtlMsgRename && entryOpen_ && !isRenamePending()) {
        entryOpen_ = false;
        // The entry edited a copy: it goes into the owner's buffer only while
        // the owner is still there.
        if (text_ != nullptr && !entry_.empty()) {
            AM_copyBoundedText(text_, static_cast<size_t>(textCapacity_), entry_.data(),
                               static_cast<size_t>(textCapacity_) - 1);
            if (owner_ != nullptr) {
                owner_->redraw();
            }
            announceChange(text_);
        }
        if ((state_ & kStateEditMode) == 0) {
            updateBoundName();
        }
        redraw();
        return;
    }
    if (message == kCtlMsgGoingAway && sender != nullptr && sender == owner_) {
        forgetOwner();
        updateBoundName();
        redraw();
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_View_EditMenus::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    if (mode_ != kText || text_ == nullptr || viewMan_ == nullptr || textCapacity_ <= 0) {
        return;
    }
    entry_.assign(static_cast<size_t>(textCapacity_), '\0');
    AM_copyBoundedText(entry_.data(), entry_.size(), text_, entry_.size() - 1);
    entryOpen_ = true;
    viewMan_->beginTextEntry(this, kTextEntryId, entry_.data(),
                             static_cast<uint32_t>(entry_.size()), nullptr);
}

bool AM_View_EditMenus::onMouseDown(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr) {
        return false;
    }
    switch (mode_) {
    case kVariable:
        if (valueNames_ == nullptr) {
            dragPoint_[0] = point[0];
            dragPoint_[1] = point[1];
            return true;
        }
        if (viewMan_ != nullptr) {
            viewMan_->beginMenu(this, point, kRunMenuId);
            // Opened on the current value.
            viewMan_->setMenuInitialItem(addValueMenuItems());
            viewMan_->showMenu();
        }
        return false;
    case kColour:
        return openColourMenu(point);
    case kGraphic:
        return openGraphicMenu(point);
    case kParameter:
        return openParameterMenu(point);
    default:
        return false;
    }
}

bool AM_View_EditMenus::openColourMenu(const float* point)
{
    if (owner_ == nullptr || viewMan_ == nullptr || owner_->getColourName(slot_) == nullptr) {
        return false;
    }
    const uint32_t slot = static_cast<uint32_t>(slot_);
    viewMan_->beginMenu(owner_, point, kEditMenuId);
    viewMan_->addMenuItem(0, AM_menuCommand(slot, kMenuCodeColourChoice), "none");
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    // The colours sort themselves: saveable ones into "standard", the
    // editor's own into the next list, "default..." ones into the one after.
    const uint32_t standard = viewMan_->addSubMenu(0, "standard");
    viewMan_->addSubMenu(0, "editor");
    viewMan_->addSubMenu(0, "default");
    AM_ColourMenuRequest request{standard, slot_};
    owner_->sendMessage(kGuiColourBit, kRequestReply, kCtlMsgColourMenu, &request);
    viewMan_->showMenu();
    onTimer();
    return false;
}

bool AM_View_EditMenus::openGraphicMenu(const float* point)
{
    if (owner_ == nullptr || viewMan_ == nullptr || owner_->getGraphicName(slot_) == nullptr) {
        return false;
    }
    const uint32_t command = AM_menuCommand(static_cast<uint32_t>(slot_), kGraphicCode);
    viewMan_->beginMenu(owner_, point, kEditMenuId);
    viewMan_->addMenuItem(0, command, "none");
    viewMan_->buildGraphicsMenu(0, command);
    viewMan_->showMenu();
    onTimer();
    return false;
}

bool AM_View_EditMenus::openParameterMenu(const float* point)
{
    AM_PortRecord* port = owner_ != nullptr ? owner_->getPort(slot_) : nullptr;
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (port == nullptr || port->descriptor == nullptr || host == nullptr) {
        return false;
    }
    const int32_t current =
        port->parameter != nullptr ? static_cast<int32_t>(port->parameter->index) : -1;
    // The module whose parameters are offered: the module chosen for
    // assignments, else the first.
    int32_t module = AM_ViewControl::getAssignModule();
    if (host->getModuleInfoByIndex(module) == nullptr) {
        module = 0;
    }
    viewMan_->beginMenu(owner_, point, kEditMenuId);
    char title[k_moduleLongNameBytes + 16];
    const AM_ModuleRecord* shownModule = host->getModuleInfoByIndex(module);
    char moduleName[k_moduleLongNameBytes + 1];
    AM_copyBoundedText(moduleName, sizeof moduleName,
                       shownModule != nullptr ? shownModule->longName : "", k_moduleLongNameBytes);
    std::snprintf(title, sizeof title, "Module: %s", moduleName);
    const uint32_t modules = viewMan_->addSubMenu(0, title);
    const int32_t moduleCount = host->getNumModules();
    for (int32_t i = 0; i < moduleCount; ++i) {
        const AM_ModuleRecord* record = host->getModuleInfoByIndex(i);
        if (record == nullptr) {
            continue;
        }
        AM_copyBoundedText(moduleName, sizeof moduleName, record->longName, k_moduleLongNameBytes);
        viewMan_->addMenuItem(modules, AM_menuCommand(static_cast<uint32_t>(i), kModuleCode),
                              moduleName, 0, i == module ? kMenuChecked : kMenuCheckable);
    }
    const int32_t parameterCount = host->getNumParameters();
    const uint32_t command = AM_menuCommand(static_cast<uint32_t>(slot_), kParameterCode);
    for (int32_t i = 0; i < parameterCount; ++i) {
        AM_ParamInfo* parameter = host->getParameterInfo(i);
        if (parameter == nullptr || parameter->moduleIndex != module) {
            continue;
        }
        bool accepted = false;
        for (int32_t t = 0; t < port->descriptor->typeCount && !accepted; ++t) {
            accepted = port->descriptor->types[t] == parameter->type;
        }
        if (!accepted) {
            continue;
        }
        char name[k_longNameBytes + 1];
        AM_copyBoundedText(name, sizeof name, parameter->longName, k_longNameBytes - 1);
        viewMan_->addMenuItem(0, command, name, 0,
                              static_cast<int32_t>(parameter->index) == current ? kMenuChecked
                                                                                : kMenuCheckable,
                              parameter);
    }
    viewMan_->showMenu();
    onTimer();
    return false;
}

void AM_View_EditMenus::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (mode_ != kVariable || point == nullptr) {
        return;
    }
    const float d = std::trunc((dragPoint_[1] - point[1]) * kDragScale);
    if (d == 0.0f || !std::isfinite(d)) {
        return;
    }
    setValue(int64_t(value_) + static_cast<int64_t>(std::clamp(d, -1e9f, 1e9f)));
    dragPoint_[0] = point[0];
    dragPoint_[1] = point[1];
    storeValue();
}

void AM_View_EditMenus::onMouseWheel(float steps)
{
    if (mode_ != kVariable || !std::isfinite(steps)) {
        return;
    }
    setValue(int64_t(value_) + static_cast<int64_t>(std::clamp(steps, -1e9f, 1e9f)));
    storeValue();
}

void AM_View_EditMenus::onTimer()
{
    if (!isVisible()) {
        return;
    }
    switch (mode_) {
    case kVariable:
        if (variable_ != nullptr && *variable_ != value_) {
            value_ = *variable_;
            redraw();
        }
        break;
    case kColour:
    case kGraphic:
    case kParameter: {
        const void* item = boundItem();
        if (item != lastBound_) {
            lastBound_ = item;
            updateBoundName();
            redraw();
        }
        break;
    }
    case kText: {
        char now[kShownBytes];
        const size_t limit = text_ != nullptr ? std::min<size_t>(kShownTextChars,
                                                                 static_cast<size_t>(textCapacity_) - 1)
                                              : 0;
        AM_copyBoundedText(now, sizeof now, text_, limit);
        if (std::strcmp(now, shown_) != 0) {
            updateBoundName();
            redraw();
        }
        break;
    }
    default:
        break;
    }
}

bool AM_View_EditMenus::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                          const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kEditMenuId && code == kMenuCodeOwnCommand && sub == kToggleIterate) {
        iterate_ = iterate_ != 0 ? 0 : 1;
        return true;
    }
    if (menuId == kRunMenuId && code == kMenuCodeValueChoice) {
        if (mode_ == kVariable) {
            // Item k names the value minimum + k.
            setValue(int64_t(minimum_) + int64_t(sub));
            storeValue();
        }
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

// --- Drawing and script.

const char* AM_View_EditMenus::displayText()
{
    if (const char* name = valueName()) {
        return name;
    }
    if (mode_ == kVariable) {
        std::snprintf(number_, sizeof number_, "%d", int(value_));
        return number_;
    }
    return shown_;
}

void AM_View_EditMenus::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    AM_drawTextBox(context, bounds_, getColour(kBackground), getColour(kBorder));
    AM_setTextColour(context, getColour(kTextColour));
    AM_Rect box = bounds_;
    box.y += textVOffset_;
    char text[kNameBytes > kShownBytes ? kNameBytes : kShownBytes];
    AM_copyBoundedText(text, sizeof text, displayText(), sizeof text - 1);
    AM_drawAlignedText(context, text, box, hAlign_, vAlign_, textSize_);
}

void AM_View_EditMenus::copyProperties(AM_ViewControl* clone)
{
    AM_ViewControl::copyProperties(clone);
    if (auto* field = dynamic_cast<AM_View_EditMenus*>(clone)) {
        field->iterate_ = iterate_;
        field->hAlign_ = hAlign_;
        field->vAlign_ = vAlign_;
        field->textSize_ = textSize_;
        field->textVOffset_ = textVOffset_;
    }
}

void AM_View_EditMenus::writeProperties(std::string* script)
{
    AM_ViewControl::writeProperties(script);
    if (script != nullptr && iterate_ != 0) {
        AM_ScriptWriter(*script).property(getName(), kIterateKey, 1, "yes");
    }
}

void AM_View_EditMenus::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name != nullptr && std::strcmp(name, kIterateKey) == 0) {
        iterate_ = 1;
    }
}
