#include "gui/controls/AM_View_PresetSaver.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_View_Label.h"
#include "gui/controls/AM_View_PresetManager.h"
#include "gui/controls/AM_View_PresetSelector.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"
#include "presets/folders/PresetListItem.h"
#include "presets/library/ModulePresetList.h"
#include "presets/library/PresetLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "PresetSaver";

constexpr uint32_t kTextTypes[] = {k_typeTextData};
constexpr uint32_t kFormatTypes[] = {k_kindInteger};
const AM_PortDescriptor kPorts[] = {{0, "MPreset", 1, kTextTypes}, {1, "Format", 1, kFormatTypes}};
constexpr int32_t kPresetPort = 0;
constexpr int32_t kFormatPort = 1;

enum ColourSlot : int32_t { kBackground = 0, kBorder, kText, kBackgroundHilite, kTextHilite, kColourSlots };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Text", "BackgroundHilite",
                                                "TextHilite"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"PresetSaverBackground", "PresetSaverForeGround"};

constexpr const char* kClientPaneKey = "clientpane";
constexpr const char* kQuickSaveFailedTitle = "Preset not saved";

constexpr uint32_t kShift = 1;
constexpr uint32_t kRight = 2;
constexpr uint32_t kControl = 4;
constexpr uint32_t kAlt = 8;
// The largest parameter text a value buffer is made for.
constexpr float kMaxTextCapacity = float(1 << 20);

bool inTree(AM_ViewControl* node, const void* control)
{
    for (; node != nullptr; node = node->getNextControl()) {
        if (node == control || inTree(node->getFirstChildControl(), control)) {
            return true;
        }
    }
    return false;
}

void frame(AM_Context* context, const AM_Rect& r)
{
    const float points[] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
    context->drawPolyline(points, 4, 1.0f, true);
}

} // namespace

AM_View_PresetSaver::AM_View_PresetSaver(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "PresetSaver %u", unsigned(getId()));
    setName(name);
    initControl(0, 2, kPorts, 0, nullptr, kColourSlots, kColourNames, 2, kGraphicNames, false);
}

AM_View_PresetSaver::~AM_View_PresetSaver() = default;

AM_ViewControl* AM_View_PresetSaver::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* view = new AM_View_PresetSaver(viewMan, bounds);
    view->setFactory(&AM_View_PresetSaver::create);
    return view;
}

const char* AM_View_PresetSaver::getTypeName() const
{
    return kTypeName;
}

const AM_ParamInfo* AM_View_PresetSaver::boundParameter()
{
    AM_PortRecord* port = getPort(kPresetPort);
    return port != nullptr ? port->parameter : nullptr;
}

std::string AM_View_PresetSaver::listKey()
{
    const AM_ParamInfo* parameter = boundParameter();
    if (parameter == nullptr) {
        return {};
    }
    return isTuning_ ? presetListName_ : std::string(parameter->longName);
}

std::vector<char> AM_View_PresetSaver::textValue(AM_ViewControl* control, int32_t port,
                                                 const char* text)
{
    size_t bytes = kTextBytes;
    AM_PortRecord* record = control != nullptr ? control->getPort(port) : nullptr;
    if (record != nullptr && record->parameter != nullptr) {
        const float capacity = record->parameter->max;
        if (std::isfinite(capacity) && capacity > 0.0f) {
            bytes = std::max(bytes, size_t(std::min(capacity, kMaxTextCapacity)) + 1);
        }
    }
    std::vector<char> value(bytes, '\0');
    if (text != nullptr) {
        std::strncpy(value.data(), text, bytes - 1);
    }
    return value;
}

void AM_View_PresetSaver::showPresetName(const char* name)
{
    const std::vector<char> value = textValue(this, kPresetPort, name);
    setValueFromUser(kPresetPort, value.data());
}

void AM_View_PresetSaver::setClientPane(AM_ViewControl* pane)
{
    clientPane_ = pane != this ? pane : nullptr;
    redraw();
}

// --- Messages and ports.

void AM_View_PresetSaver::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                         void* ptr)
{
    if (message == kCtlMsgGoingAway && sender != nullptr && clientPane_ != nullptr &&
        sender == static_cast<AM_Object*>(clientPane_)) {
        clientPane_ = nullptr;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_View_PresetSaver::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (i == kPresetPort && parameter != nullptr) {
        presetListName_ = parameter->longName;
        isTuning_ = std::strcmp(parameter->longName, kTuningParameter) == 0;
        if (host != nullptr && isTuning_) {
            const char* list = host->addTuningPresetList(parameter);
            if (list != nullptr && std::strcmp(list, PresetLibrary::kNotApplicable) != 0) {
                presetListName_ = list;
            } else {
                // The list exists already (another button made it): its name
                // is found the way it was made.
                const AM_ModuleRecord* module = host->getModuleInfoByIndex(parameter->moduleIndex);
                char name[ModulePresetList::kMaxModuleNameBytes + 1];
                std::snprintf(name, sizeof name, "%s Tuning", module != nullptr ? module->longName : "");
                presetListName_ = normalizeModuleName(name);
            }
        } else if (host != nullptr) {
            host->addModulePresetList(presetListName_.c_str(), 2);
        }
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_PresetSaver::setParameterValue(int32_t i, const void* value)
{
    if (i == kPresetPort && value != nullptr) {
        // A parameter's text need not end within its capacity.
        const AM_ParamInfo* parameter = boundParameter();
        size_t limit = kTextBytes - 1;
        if (parameter != nullptr && std::isfinite(parameter->max) && parameter->max >= 0.0f) {
            limit = std::min(limit, size_t(std::min(parameter->max, kMaxTextCapacity)));
        }
        const auto* text = static_cast<const char*>(value);
        if (text != displayText_) {
            const size_t length = strnlen(text, limit);
            std::memcpy(displayText_, text, length);
            displayText_[length] = '\0';
        }
        redraw();
    } else if (i == kFormatPort && value != nullptr) {
        float number = 0.0f;
        std::memcpy(&number, value, sizeof number);
        format_ = std::isfinite(number) ? static_cast<int32_t>(std::clamp(number, -1.0e9f, 1.0e9f))
                                        : 0;
        if (AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr) {
            host->setNativeFormat(static_cast<uint32_t>(format_));
        }
    }
    AM_ViewControl::setParameterValue(i, value);
}

// --- Mouse.

void AM_View_PresetSaver::onDoubleClick(const float* point, uint32_t buttons)
{
    onMouseDown(point, buttons);
}

void AM_View_PresetSaver::mainListClick(uint32_t buttons)
{
    if ((buttons & kAlt) == 0) {
        viewMan_->presetSaveDialog(nullptr, nullptr, nullptr);
        return;
    }
    AM_View_Interface* host = viewMan_->getInterface();
    if (host == nullptr) {
        return;
    }
    // Saved over without asking, then stepped on. A save that did not
    // happen is shown, and the preset stays, edits and all.
    char name[kTextBytes] = {};
    const char* current = host->getCurrentPresetName(nullptr);
    std::snprintf(name, sizeof name, "%s", current != nullptr ? current : "");
    const PresetSaveResult result = host->savePreset(name, nullptr, true);
    if (const char* failure = presetSaveFailureText(result)) {
        viewMan_->showAlert(kQuickSaveFailedTitle, failure);
        return;
    }
    if (result == PresetSaveResult::kCancelled) {
        return;
    }
    if ((buttons & kControl) != 0) {
        host->previousPreset(nullptr);
    } else if ((buttons & kShift) != 0) {
        host->nextPreset(nullptr);
    }
}

bool AM_View_PresetSaver::pointBrowser(const std::string& key)
{
    AM_ViewControl* top = viewMan_->getTopControl();
    const auto find = [top](const char* name) {
        return top != nullptr ? dynamic_cast<AM_ViewControl*>(top->findByName(name)) : nullptr;
    };
    if (auto* folders = dynamic_cast<AM_View_PresetManager*>(find(kFoldersName))) {
        folders->setPresetList(key.c_str());
    }
    bool wasOurs = false;
    if (auto* list = dynamic_cast<AM_View_PresetSelector*>(find(kListName))) {
        wasOurs = list->getOwnerSaver() == this;
        list->setPresetListName(key.c_str());
        list->setOwnerSaver(this);
        list->redraw();
    }
    if (auto* label = dynamic_cast<AM_View_Label*>(find(kTypeLabelName))) {
        label->setText(key.c_str());
    }
    return wasOurs;
}

void AM_View_PresetSaver::showPresetMenu(const float* point)
{
    const AM_ParamInfo* parameter = boundParameter();
    AM_View_Interface* host = viewMan_->getInterface();
    viewMan_->beginMenu(this, point, kRunMenuId);
    char text[kTextBytes + 16];
    std::snprintf(text, sizeof text, "save %s settings", parameter->longName);
    viewMan_->addMenuItem(0, AM_menuCommand(kCmdSave, kMenuCodeOwnCommand), text);
    PresetListItem* items = host != nullptr ? host->getPresetItems(listKey().c_str()) : nullptr;
    if (items != nullptr) {
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        for (PresetListItem* item = items; item != nullptr; item = item->next()) {
            viewMan_->addMenuItem(0, AM_menuCommand(kCmdLoad, kMenuCodeOwnCommand), item->name(), 0,
                                  0, item);
        }
    }
    viewMan_->showMenu();
}

bool AM_View_PresetSaver::onMouseDown(const float* point, uint32_t buttons)
{
    if (viewMan_ == nullptr) {
        return false;
    }
    if (boundParameter() == nullptr) {
        mainListClick(buttons);
        return false;
    }
    if ((buttons & kRight) != 0) {
        showPresetMenu(point);
        return false;
    }
    const bool wasOurs = pointBrowser(listKey());
    if (clientPane_ != nullptr) {
        if (!clientPane_->isVisible()) {
            clientPane_->setVisible(true, kAllLayers, false);
        } else if (wasOurs) {
            clientPane_->setVisible(false, kAllLayers, false);
        }
    }
    return false;
}

// --- Menus.

bool AM_View_PresetSaver::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                            const AM_MenuItem* item)
{
    if (!valid || item == nullptr || viewMan_ == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    const AM_ParamInfo* parameter = boundParameter();
    if (menuId == kRunMenuId && code == kMenuCodeOwnCommand) {
        if (sub == kCmdSave) {
            if (parameter != nullptr) {
                viewMan_->presetSaveDialog(parameter->longName, nullptr, nullptr);
            }
            return true;
        }
        if (sub == kCmdLoad) {
            AM_View_Interface* host = viewMan_->getInterface();
            auto* preset = static_cast<PresetListItem*>(item->userData);
            ModulePresetList* list =
                host != nullptr ? host->getModulePresetList(listKey().c_str()) : nullptr;
            // Only an item that is still listed.
            if (list != nullptr && preset != nullptr && list->ownsItem(preset)) {
                char name[kTextBytes];
                std::snprintf(name, sizeof name, "%s", preset->name());
                host->loadPreset(preset, listKey().c_str());
                showPresetName(name);
            }
            return true;
        }
    }
    if (menuId == kEditMenuId && code == kMenuCodeAttachControl) {
        AM_STD::printv("adding clientPane to %s\n", getName());
        AM_ViewControl* top = viewMan_->getTopControl();
        setClientPane(item->userData != nullptr && inTree(top, item->userData)
                          ? static_cast<AM_ViewControl*>(item->userData)
                          : nullptr);
        AM_STD::printv("done adding clientPane to %s\n", getName());
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_PresetSaver::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    if (viewMan_ == nullptr) {
        return;
    }
    if (open) {
        viewMan_->beginMenu(this, point, kEditMenuId);
        viewMan_->addMenuItem(0, 0, getName());
    }
    AM_ViewControl::buildEditMenu(point, false, extra);
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    const uint32_t panes = viewMan_->addSubMenu(0, "Attach Pane");
    // Every container offers itself as the pane, the current one checked.
    if (panes != AM_MenuTable::kNoSubMenu) {
        sendMessage(kGuiControlBit, kCtlMsgContainerMenu, panes, clientPane_);
    }
    if (open) {
        viewMan_->showMenu();
    }
}

// --- Drawing.

void AM_View_PresetSaver::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    if (AM_Graphic* background = getGraphic(0)) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (AM_Colour* fill = getColour(kBackground)) {
        context->setColourFromObject(fill);
        context->fillRect(&bounds_);
    }
    if (AM_Colour* border = getColour(kBorder)) {
        context->setColourFromObject(border);
        frame(context, AM_Rect{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1, bounds_.h - 1});
    }
    AM_Colour* text = getColour(kText);
    if (text != nullptr && boundParameter() != nullptr) {
        context->setColourFromObject(text);
        context->setFontSize(textSize_);
        const AM_Rect box{bounds_.x, bounds_.y + textVOffset_, bounds_.w, bounds_.h};
        context->drawText(context->fitText(displayText_, box.w), &box, textAlignment_,
                          textVAlignment_ == 1);
    }
}

// --- The script.

void AM_View_PresetSaver::writeProperties(std::string* script)
{
    AM_ViewControl::writeProperties(script);
    if (script == nullptr || clientPane_ == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    writer.property(getName(), kClientPaneKey, 1, clientPane_->getName());
}

void AM_View_PresetSaver::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr || std::strcmp(name, kClientPaneKey) != 0) {
        return;
    }
    AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
    auto* pane = top != nullptr ? dynamic_cast<AM_ViewControl*>(top->findByName(value)) : nullptr;
    clientPane_ = pane != this ? pane : nullptr;
}
