#include "gui/controls/AM_View_Display.h"

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
#include "presets/AM_ValueNameAt.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "Display";
constexpr const char* kIterateKey = "iterate";
constexpr const char* kClientPaneKey = "clientpane";
constexpr uint32_t kValueTypes[] = {k_kindInteger, k_kindAssignment};
constexpr uint32_t kMeterTypes[] = {k_meter};
const AM_PortDescriptor kPorts[] = {{0, "integer", 2, kValueTypes}, {1, "meter", 1, kMeterTypes}};
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Text"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"DisplayBackground", "DisplayValue"};
enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kTextColour = 2 };
enum GraphicSlot : int32_t { kBackgroundGraphic = 0, kValueGraphic = 1 };
constexpr uint32_t kRightButton = 2;
constexpr uint32_t kHiddenParameter = 0x100;
constexpr uint32_t kModuleListed = 0x100;
constexpr int32_t kMaxNames = 65536;

float readFloat(const void* value)
{
    float v = 0.0f;
    if (value != nullptr) {
        std::memcpy(&v, value, sizeof v);
    }
    return v;
}

// A whole number of a float, held to the int32 range (NaN gives 0).
int64_t whole(float v)
{
    if (!std::isfinite(v)) {
        return 0;
    }
    return static_cast<int64_t>(std::clamp(std::trunc(v), -2147483648.0f, 2147483520.0f));
}

// Whether `control` is `node` or below it, or one of its following siblings
// or below them.
bool inTree(AM_ViewControl* node, const void* control)
{
    for (; node != nullptr; node = node->getNextControl()) {
        if (node == control || inTree(node->getFirstChildControl(), control)) {
            return true;
        }
    }
    return false;
}

} // namespace

AM_View_Display::AM_View_Display(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Display %u", unsigned(getId()));
    setName(name);
    acceptsWheel_ = 1;
    initControl(0, 2, kPorts, 0, nullptr, 3, kColourNames, 2, kGraphicNames, false);
}

AM_View_Display::~AM_View_Display() = default;

AM_ViewControl* AM_View_Display::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* display = new AM_View_Display(viewMan, bounds);
    display->setFactory(&AM_View_Display::create);
    return display;
}

const char* AM_View_Display::getTypeName() const
{
    return kTypeName;
}

bool AM_View_Display::portBound(int32_t i) const
{
    const AM_PortRecord* port = const_cast<AM_View_Display*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

int64_t AM_View_Display::valueType() const
{
    const AM_PortRecord* port = const_cast<AM_View_Display*>(this)->getPort(kValuePort);
    return port != nullptr && port->parameter != nullptr ? int64_t(port->parameter->type) : -1;
}

void AM_View_Display::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (i == kValuePort) {
        names_.reset();
        nameCount_ = 0;
        if (parameter != nullptr && parameter->type == k_kindInteger) {
            minimum_ = parameter->min;
            maximum_ = parameter->max;
            default_ = parameter->defaultValue;
            const float span = std::trunc(maximum_ - minimum_);
            AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
            if (std::isfinite(span) && span >= 0 && span < float(kMaxNames)) {
                nameCount_ = static_cast<int32_t>(span) + 1;
                names_ = std::make_unique<char[][kNameBytes]>(static_cast<size_t>(nameCount_));
                for (int32_t k = 0; k < nameCount_; ++k) {
                    char text[256] = {};
                    const float v = minimum_ + static_cast<float>(k);
                    if (host != nullptr) {
                        host->getParameterDisplay(static_cast<int32_t>(parameter->index), &v, text);
                    }
                    text[sizeof text - 1] = '\0';
                    AM_copyBoundedText(names_[k], kNameBytes, text, kNameBytes - 1);
                }
            } else {
                AM_STD::printv("%s: list parameter %s has no usable range\n", getName(),
                               parameter->shortName);
            }
        }
    } else if (i == kMeterPort && parameter != nullptr) {
        meterMinimum_ = parameter->min;
        meterMaximum_ = parameter->max;
        meterValue_ = 0.0f;
        setTimer(true);
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_Display::setParameterValue(int32_t i, const void* value)
{
    value_ = readFloat(value);
    AM_ViewControl::setParameterValue(i, value);
    paneFollowsValue();
}

void AM_View_Display::setValueFromUser(int32_t i, const void* value)
{
    AM_ViewControl::setValueFromUser(i, value);
    if (portBound(kValuePort)) {
        fillInfoLine(readFloat(value));
    }
}

void AM_View_Display::fillInfoLine(float value)
{
    const AM_PortRecord* port = getPort(kValuePort);
    AM_InfoLine* line = viewMan_ != nullptr ? viewMan_->getInfoLine(0) : nullptr;
    if (port == nullptr || port->parameter == nullptr || line == nullptr) {
        return;
    }
    const AM_ParamInfo* parameter = port->parameter;
    AM_View_Interface* host = viewMan_->getInterface();
    line->subject = host != nullptr ? host->getModuleInfoByIndex(parameter->moduleIndex) : nullptr;
    AM_copyBoundedText(line->title, sizeof line->title, parameter->longName,
                       sizeof line->title - 1);
    const char* name = AM_valueNameAt(names_.get(), nameCount_, value, parameter->min);
    if (name != nullptr) {
        AM_copyBoundedText(line->text, sizeof line->text, name, sizeof line->text - 1);
    } else {
        std::snprintf(line->text, sizeof line->text, "%d", int(whole(value)));
    }
    viewMan_->showInfoLine(0, true);
}

void AM_View_Display::userSets(float value)
{
    setValueFromUser(kValuePort, &value);
}

void AM_View_Display::setClientPane(AM_ViewControl* pane)
{
    clientPane_ = pane != this ? pane : nullptr;
}

void AM_View_Display::paneShowsLayer(int64_t layer)
{
    if (clientPane_ == nullptr) {
        return;
    }
    if (layer >= 0 && layer < clientPane_->getNumLayers() && layer != clientPane_->getCurrentLayer()) {
        clientPane_->selectLayer(static_cast<int32_t>(layer));
    }
}

void AM_View_Display::paneFollowsValue()
{
    paneShowsLayer(whole(value_ - minimum_ + 0.5f));
}

void AM_View_Display::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    if (message == kCtlMsgGoingAway && sender != nullptr && sender == clientPane_) {
        clientPane_ = nullptr;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

// --- Input.

void AM_View_Display::iterateStep()
{
    float v = std::trunc(value_) + 1.0f;
    if (v > maximum_) {
        v = minimum_;
    }
    userSets(v);
}

void AM_View_Display::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    if (iterate_ != 0 && valueType() == k_kindInteger) {
        iterateStep();
    }
}

bool AM_View_Display::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    const int64_t type = valueType();
    if ((buttons & kRightButton) != 0) {
        if (type == k_kindInteger) {
            openValueMenu(point, true);
        }
        return false;
    }
    if (type == k_kindInteger) {
        if (iterate_ != 0) {
            iterateStep();
            return true;
        }
        openValueMenu(point, false);
        return false;
    }
    if (type == k_kindAssignment) {
        openSelectorMenu(point);
    }
    return false;
}

uint32_t AM_View_Display::addValueMenuItems()
{
    if (!portBound(kValuePort) || !names_ || viewMan_ == nullptr) {
        return 0;
    }
    uint32_t checked = 0;
    const int64_t current = whole(value_);
    const int64_t first = whole(minimum_);
    for (int32_t k = 0; k < nameCount_; ++k) {
        const bool isCurrent = first + k == current;
        const uint32_t index = viewMan_->addMenuItem(
            0, AM_menuCommand(static_cast<uint32_t>(k), kMenuCodeValueChoice), names_[k], 0,
            isCurrent ? kMenuChecked : kMenuCheckable);
        if (isCurrent) {
            checked = index;
        }
    }
    return checked;
}

void AM_View_Display::openValueMenu(const float* point, bool withLearn)
{
    if (viewMan_ == nullptr) {
        return;
    }
    viewMan_->beginMenu(this, point, kRunMenuId);
    if (!withLearn || iterate_ != 0) {
        const uint32_t checked = addValueMenuItems();
        // The learn menu opens on the current value.
        if (withLearn) {
            viewMan_->setMenuInitialItem(checked);
        }
    }
    if (withLearn) {
        if (iterate_ != 0) {
            viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        }
        viewMan_->addMenuItem(0, AM_menuCommand(kMenuSubMidiLearn, kMenuCodeOwnCommand),
                              "MidiLearn");
        viewMan_->addMenuItem(0, AM_menuCommand(kMenuSubMidiUnlearn, kMenuCodeOwnCommand),
                              "MidiUnLearn");
    }
    viewMan_->showMenu();
}

void AM_View_Display::openSelectorMenu(const float* point)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host == nullptr) {
        return;
    }
    viewMan_->beginMenu(this, point, kRunMenuId);
    const int64_t current = whole(value_);
    viewMan_->addMenuItem(0, AM_menuCommand(kNoneSub, kMenuCodeValueChoice), "none", 0,
                          current == -1 ? kMenuChecked : kMenuCheckable);
    // The group numbers in use: a counter that rises by one for every module
    // whose group number exceeds it.
    const int32_t moduleCount = host->getNumModules();
    int32_t highest = -1;
    for (int32_t m = 0; m < moduleCount; ++m) {
        const AM_ModuleRecord* module = host->getModuleInfoByIndex(m);
        if (module != nullptr && int32_t(uint32_t(module->group) & 0xFF) > highest) {
            ++highest;
        }
    }
    const int32_t parameterCount = host->getNumParameters();
    for (int32_t g = 0; g <= highest; ++g) {
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        // Runs of parameters of one module share a submenu. The run starts
        // at module 0, whose parameters are not offered as targets.
        int32_t runModule = 0;
        uint32_t subMenu = AM_MenuTable::kNoSubMenu;
        for (int32_t i = 0; i < parameterCount && i < int32_t(kNoneSub); ++i) {
            AM_ParamInfo* parameter = host->getParameterInfo(i);
            if (parameter == nullptr || parameter->type != k_kindFloat ||
                (parameter->flags & kHiddenParameter) != 0) {
                continue;
            }
            const AM_ModuleRecord* module = host->getModuleInfoByIndex(parameter->moduleIndex);
            if (module == nullptr) {
                continue;
            }
            const auto flags = static_cast<uint32_t>(module->group);
            if ((flags & kModuleListed) == 0 || int32_t(flags & 0xFF) != g) {
                continue;
            }
            if (parameter->moduleIndex != runModule) {
                runModule = parameter->moduleIndex;
                char title[k_moduleLongNameBytes + 1];
                AM_copyBoundedText(title, sizeof title, module->longName, k_moduleLongNameBytes);
                subMenu = viewMan_->addSubMenu(0, title);
            }
            if (subMenu == AM_MenuTable::kNoSubMenu) {
                continue;
            }
            char name[k_longNameBytes + 1];
            AM_copyBoundedText(name, sizeof name, parameter->longName, k_longNameBytes - 1);
            viewMan_->addMenuItem(subMenu,
                                  AM_menuCommand(static_cast<uint32_t>(i), kMenuCodeValueChoice),
                                  name, 0, i == current ? kMenuChecked : kMenuCheckable, parameter);
        }
    }
    viewMan_->showMenu();
}

void AM_View_Display::onMouseDrag(const float* point, uint32_t buttons)
{
    AM_ViewControl* parent = getParentControl();
    if (iterate_ == 0 || point == nullptr || parent == nullptr) {
        return;
    }
    AM_ViewControl* under = parent->getControlInPoint(point, buttons);
    if (under == nullptr || under == this || under->getParentControl() != parent) {
        return;
    }
    const AM_Rect other = under->getBounds();
    if (other.w == bounds_.w && other.h == bounds_.h) {
        under->setValueFromUser(kValuePort, &value_);
    }
}

void AM_View_Display::onMouseWheel(float steps)
{
    if (valueType() != k_kindInteger || !std::isfinite(steps)) {
        return;
    }
    const float step = std::trunc(std::clamp(steps, -1.0f, 1.0f));
    const float v = std::clamp(std::trunc(value_) + step, std::trunc(minimum_), std::trunc(maximum_));
    if (v != value_) {
        userSets(v);
    }
}

void AM_View_Display::onTimer()
{
    if (!isVisible() || !portBound(kMeterPort) || viewMan_ == nullptr ||
        viewMan_->getInterface() == nullptr) {
        return;
    }
    const AM_PortRecord* port = getPort(kMeterPort);
    const void* value = viewMan_->getInterface()->getParameterValue(
        static_cast<int32_t>(port->parameter->index) + port->indexOffset);
    if (value == nullptr) {
        return;
    }
    const float v = readFloat(value);
    if (v != meterValue_) {
        meterValue_ = v;
        redraw();
    }
}

bool AM_View_Display::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                        const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kRunMenuId && code == kMenuCodeOwnCommand &&
        (sub == kMenuSubMidiLearn || sub == kMenuSubMidiUnlearn)) {
        if (portBound(kValuePort)) {
            midiLearn(kValuePort);
            if (sub == kMenuSubMidiUnlearn) {
                midiLearn(kValuePort);
            }
        }
        AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
        return true;
    }
    if (menuId == kRunMenuId && code == kMenuCodeValueChoice) {
        const auto s = static_cast<int16_t>(static_cast<uint16_t>(sub));
        float v = static_cast<float>(s);
        if (valueType() == k_kindInteger) {
            // Item k of a list names the value minimum + k.
            v = static_cast<float>(sub) + minimum_;
        }
        if (v != value_) {
            userSets(v);
        }
        paneShowsLayer(valueType() == k_kindInteger ? int64_t(sub) : int64_t(s));
        return true;
    }
    if (menuId == kEditMenuId && code == kMenuCodeOwnCommand && sub == kToggleIterate) {
        iterate_ = iterate_ != 0 ? 0 : 1;
        return true;
    }
    if (menuId == kEditMenuId && code == kMenuCodeAttachControl) {
        // Only a control of the tree is taken: the item may be older than
        // the control it names.
        AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
        setClientPane(item->userData != nullptr && inTree(top, item->userData)
                          ? static_cast<AM_ViewControl*>(item->userData)
                          : nullptr);
        redraw();
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_Display::buildEditMenu(const float* point, bool open, uint32_t extra)
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
        const uint32_t panes = viewMan_->addSubMenu(0, "Attach Pane");
        AM_ViewControl* top = viewMan_->getTopControl();
        if (panes != AM_MenuTable::kNoSubMenu && top != nullptr) {
            top->sendMessage(kGuiControlBit, kCtlMsgLayerMenu, panes, clientPane_);
        }
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        viewMan_->addMenuItem(0, AM_menuCommand(kToggleIterate, kMenuCodeOwnCommand), kIterateKey,
                              0, iterate_ != 0 ? kMenuChecked : kMenuCheckable);
    }
    if (open) {
        viewMan_->showMenu();
    }
}

// --- Drawing and script.

const char* AM_View_Display::displayText()
{
    if (names_) {
        return AM_valueNameAt(names_.get(), nameCount_, value_, minimum_);
    }
    if (valueType() != k_kindAssignment) {
        return nullptr;
    }
    const int64_t index = whole(value_);
    if (index == -1) {
        return "none";
    }
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const AM_ParamInfo* parameter =
        host != nullptr ? host->getParameterInfo(static_cast<int32_t>(index)) : nullptr;
    const AM_ModuleRecord* module =
        parameter != nullptr ? host->getModuleInfoByIndex(parameter->moduleIndex) : nullptr;
    if (module == nullptr) {
        return nullptr;
    }
    char moduleName[k_moduleLongNameBytes + 1];
    AM_copyBoundedText(moduleName, sizeof moduleName, module->longName, k_moduleLongNameBytes);
    char parameterName[k_longNameBytes + 1];
    AM_copyBoundedText(parameterName, sizeof parameterName, parameter->longName,
                       k_longNameBytes - 1);
    std::snprintf(text_, sizeof text_, "%s: %s", moduleName, parameterName);
    return text_;
}

void AM_View_Display::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    context->setFontSize(textSize_);
    if (AM_Graphic* background = getGraphic(kBackgroundGraphic)) {
        background->draw(context, &bounds_, 1.0f);
    }
    AM_drawTextBox(context, bounds_, getColour(kBackground), getColour(kBorder));
    if (AM_Graphic* graphic = getGraphic(kValueGraphic)) {
        float p = 0.0f;
        if (portBound(kMeterPort)) {
            const float range = meterMaximum_ - meterMinimum_;
            p = range != 0.0f ? (meterValue_ - meterMinimum_) / range : 0.0f;
        } else {
            const float range = maximum_ - minimum_;
            p = range != 0.0f ? (value_ - minimum_) / range : 0.0f;
        }
        graphic->draw(context, &bounds_, std::isfinite(p) ? p : 0.0f);
        return;
    }
    const char* text = displayText();
    if (text == nullptr) {
        return;
    }
    AM_setTextColour(context, getColour(kTextColour));
    AM_Rect box = bounds_;
    box.y += textVOffset_;
    AM_drawAlignedText(context, text, box, hAlign_, vAlign_, textSize_);
}

void AM_View_Display::copyProperties(AM_ViewControl* clone)
{
    AM_ViewControl::copyProperties(clone);
    if (auto* display = dynamic_cast<AM_View_Display*>(clone)) {
        display->iterate_ = iterate_;
        display->hAlign_ = hAlign_;
        display->vAlign_ = vAlign_;
        display->textSize_ = textSize_;
        display->textVOffset_ = textVOffset_;
    }
}

void AM_View_Display::writeProperties(std::string* script)
{
    AM_ViewControl::writeProperties(script);
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    if (clientPane_ != nullptr) {
        writer.property(getName(), kClientPaneKey, 1, clientPane_->getName());
    }
    if (iterate_ != 0) {
        writer.property(getName(), kIterateKey, 1, "yes");
    }
}

void AM_View_Display::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr) {
        return;
    }
    if (std::strcmp(name, kIterateKey) == 0) {
        iterate_ = 1;
        return;
    }
    if (std::strcmp(name, kClientPaneKey) != 0 || value == nullptr) {
        return;
    }
    AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
    AM_GuiObject* found = top != nullptr ? top->findByName(value) : nullptr;
    auto* pane = dynamic_cast<AM_ViewControl*>(found);
    if (pane == nullptr) {
        AM_STD::printv("WOOOPS... %s wants clientpane %s, but it doesn't exist...\n", getName(),
                       value);
        return;
    }
    setClientPane(pane);
    if (portBound(kValuePort)) {
        paneFollowsValue();
    }
}
