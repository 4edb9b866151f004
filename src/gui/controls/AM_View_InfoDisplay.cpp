#include "gui/controls/AM_View_InfoDisplay.h"

#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "gui/controls/AM_ControlText.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_ValueNameAt.h"
#include "presets/AM_View_Interface.h"
#include "presets/folders/PresetListItem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kTypeName = "InfoDisplay";
constexpr const char* kMaskKey = "infodisplaytype";
constexpr const char* kChannelKey = "channel";
constexpr const char* kCoreModule = "PCore";
constexpr const char* kVersionParameter = "Vers";
constexpr uint32_t kValueTypes[] = {k_kindInteger, k_kindAssignment};
const AM_PortDescriptor kPorts[] = {{0, "integer", 2, kValueTypes}};
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Text"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"Background"};
enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kTextColour = 2 };
constexpr uint32_t kRightButton = 2;
constexpr int32_t kMaxNames = 65536;
constexpr float kTextSize = 9.0f;

constexpr const char* kLayouts[] = {"auto/surround", "multichannel", "stereo 1+2", "stereo 3+4",
                                    "stereo 5+6",    "stereo 7+8",   "mono",       "stereo-surround",
                                    "mono-surround"};
constexpr const char* kSurroundOutputs[] = {"all channels", "no lfe", "dry c + lfe"};

float readFloat(const void* value)
{
    float v = 0.0f;
    if (value != nullptr) {
        std::memcpy(&v, value, sizeof v);
    }
    return v;
}

int32_t whole(float v)
{
    if (!std::isfinite(v)) {
        return 0;
    }
    return static_cast<int32_t>(std::clamp(std::trunc(v), -2147483648.0f, 2147483520.0f));
}

uint32_t checkFlags(bool on)
{
    return on ? uint32_t(kMenuChecked) : uint32_t(kMenuCheckable);
}

} // namespace

AM_View_InfoDisplay::AM_View_InfoDisplay(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "InfoDisplay %u", unsigned(getId()));
    setName(name);
    initControl(kControlShowsValuesBit, 1, kPorts, 0, nullptr, 3, kColourNames, 1, kGraphicNames,
                true);
}

AM_View_InfoDisplay::~AM_View_InfoDisplay() = default;

AM_ViewControl* AM_View_InfoDisplay::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* display = new AM_View_InfoDisplay(viewMan, bounds);
    display->setFactory(&AM_View_InfoDisplay::create);
    return display;
}

const char* AM_View_InfoDisplay::getTypeName() const
{
    return kTypeName;
}

bool AM_View_InfoDisplay::portBound() const
{
    const AM_PortRecord* port = const_cast<AM_View_InfoDisplay*>(this)->getPort(0);
    return port != nullptr && port->parameter != nullptr;
}

const char* AM_View_InfoDisplay::getModeName(int32_t k) const
{
    return names_ && k >= 0 && k < nameCount_ ? names_[k] : nullptr;
}

void AM_View_InfoDisplay::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (i == 0 && parameter != nullptr && parameter->type == k_kindInteger) {
        names_.reset();
        nameCount_ = 0;
        minimum_ = parameter->min;
        topValue_ = whole(parameter->max);
        const float span = std::trunc(parameter->max - parameter->min);
        AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
        if (std::isfinite(span) && span >= 0 && span < float(kMaxNames)) {
            nameCount_ = static_cast<int32_t>(span) + 1;
            names_ = std::make_unique<char[][kNameBytes]>(static_cast<size_t>(nameCount_));
            for (int32_t k = 0; k < nameCount_; ++k) {
                char text[256] = {};
                const float v = parameter->min + static_cast<float>(k);
                if (host != nullptr) {
                    host->getParameterDisplay(static_cast<int32_t>(parameter->index), &v, text);
                }
                text[sizeof text - 1] = '\0';
                char shown[kNameBytes];
                AM_copyBoundedText(shown, sizeof shown, text, kNameBytes - 1);
                char line[kNameBytes + 32];
                std::snprintf(line, sizeof line,
                              k + 1 < nameCount_ ? "%s mode" : "%s mode (native)", shown);
                AM_copyBoundedText(names_[k], kNameBytes, line, kNameBytes - 1);
            }
        }
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_InfoDisplay::setVisible(bool visible, uint32_t layers, bool withSiblings)
{
    const bool wasVisible = isVisible();
    AM_ViewControl::setVisible(visible, layers, withSiblings);
    if (!visible || wasVisible || !isVisible() || portBound() || viewMan_ == nullptr ||
        viewMan_->getPluginInfo() == nullptr || viewMan_->getInterface() == nullptr) {
        return;
    }
    if (const AM_ParamInfo* version =
            viewMan_->getInterface()->findParameter(kCoreModule, kVersionParameter)) {
        setPortParameter(0, version);
        AM_STD::printv("Version Info is up!\n");
    }
}

void AM_View_InfoDisplay::passOn(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    if (nextInDisplayChain != nullptr && nextInDisplayChain != this) {
        nextInDisplayChain->receiveMessage(sender, message, arg, ptr);
    }
}

void AM_View_InfoDisplay::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                         void* ptr)
{
    if (message == kMsgInfoLine) {
        if ((mask_ & (1u << (arg % 32))) != 0) {
            currentLine_ = static_cast<int32_t>(arg);
            countdown_ = kInfoLineTicks;
            redraw();
        }
        passOn(sender, message, arg, ptr);
        return;
    }
    if (message == kMsgPresetName) {
        // The sender's text is copied: it need not outlive the message.
        AM_copyBoundedText(presetName_, sizeof presetName_, static_cast<const char*>(ptr),
                           kPresetNameBytes - 1);
        countdown_ = 0;
        redraw();
        passOn(sender, message, arg, ptr);
        pollValue();
        return;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_View_InfoDisplay::pollValue()
{
    if (!isVisible() || !portBound() || viewMan_ == nullptr || viewMan_->getInterface() == nullptr) {
        return;
    }
    const AM_PortRecord* port = getPort(0);
    const void* value = viewMan_->getInterface()->getParameterValue(
        static_cast<int32_t>(port->parameter->index) + port->indexOffset);
    if (value != nullptr) {
        currentValue_ = whole(readFloat(value));
    }
}

void AM_View_InfoDisplay::onTimer()
{
    if (countdown_ > 0) {
        --countdown_;
        if (countdown_ == 0) {
            redraw();
        }
    }
    --pollCountdown_;
    if (pollCountdown_ < 0) {
        if (portBound()) {
            const int32_t before = currentValue_;
            pollValue();
            if (currentValue_ != before) {
                redraw();
            }
        }
        pollCountdown_ = kPollTicks;
    }
}

void AM_View_InfoDisplay::onMouseWheel(float steps)
{
    (void)steps;
}

bool AM_View_InfoDisplay::claimsPoint(const float* point) const
{
    return point != nullptr && (state_ & kStateEditMode) == 0 && isVisible() && channelMode_ != 0 &&
           point[0] >= bounds_.x && point[0] <= bounds_.x + bounds_.w && point[1] >= bounds_.y &&
           point[1] <= bounds_.y + bounds_.h + 12;
}

void AM_View_InfoDisplay::addChannelItems()
{
    AM_View_Interface* host = viewMan_->getInterface();
    const AM_ParamInfo* layout = host->findParameter(kCoreModule, "ChLay");
    const int32_t c = layout != nullptr ? whole(readFloat(host->getParameterValue(
                                              static_cast<int32_t>(layout->index))))
                                        : -1;
    for (int32_t k = 0; k < int32_t(std::size(kLayouts)); ++k) {
        viewMan_->addMenuItem(0, AM_menuCommand(kChannelLayout + uint32_t(k), kMenuCodeOwnCommand),
                              kLayouts[k], 0, checkFlags(k == c));
    }
    const AM_ParamInfo* surround = host->findParameter(kCoreModule, "SurrO");
    if (surround == nullptr) {
        return;
    }
    const int32_t s =
        whole(readFloat(host->getParameterValue(static_cast<int32_t>(surround->index))));
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    for (int32_t k = 0; k < int32_t(std::size(kSurroundOutputs)); ++k) {
        viewMan_->addMenuItem(0, AM_menuCommand(kSurroundOutput + uint32_t(k), kMenuCodeOwnCommand),
                              kSurroundOutputs[k], 0, checkFlags(k == s));
    }
}

bool AM_View_InfoDisplay::onMouseDown(const float* point, uint32_t buttons)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if ((state_ & kStateEditMode) != 0 || point == nullptr || host == nullptr) {
        return false;
    }
    const bool right = (buttons & kRightButton) != 0;
    const bool bound = portBound();
    PresetListItem* items = host->getPresetItems(nullptr);
    if (right && bound) {
        items = nullptr;
    }
    if (items == nullptr && channelMode_ == 0 && !bound) {
        return false;
    }
    viewMan_->beginMenu(this, point, kRunMenuId);
    bool added = false;
    uint32_t currentPreset = 0;
    if (channelMode_ != 0 && right) {
        addChannelItems();
        added = true;
    } else if (items != nullptr) {
        const char* currentName = host->getCurrentPresetName(nullptr);
        const char* currentExtension = host->getCurrentPresetExtension(nullptr);
        for (PresetListItem* item = items; item != nullptr; item = item->next()) {
            const bool current = currentName != nullptr && currentExtension != nullptr &&
                                 std::strcmp(item->name(), currentName) == 0 &&
                                 std::strcmp(item->extension(), currentExtension) == 0;
            const uint32_t index = viewMan_->addMenuItem(
                0, AM_menuCommand(kLoadPreset, kMenuCodeOwnCommand), item->name(), 0,
                checkFlags(current), item);
            if (current && currentPreset == 0) {
                currentPreset = index;
            }
            added = true;
        }
    }
    if (!(right && bound)) {
        // The preset menu opens on the current preset.
        viewMan_->setMenuInitialItem(currentPreset);
    } else {
        if (added) {
            viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        }
        pollValue();
        const int32_t first = whole(minimum_);
        for (int32_t k = 0; k < nameCount_; ++k) {
            viewMan_->addMenuItem(
                0, AM_menuCommand(static_cast<uint32_t>(k), kMenuCodeValueChoice), names_[k], 0,
                checkFlags(first + k == currentValue_));
        }
    }
    viewMan_->showMenu();
    return false;
}

void AM_View_InfoDisplay::setCoreParameter(const char* name, float value)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const AM_ParamInfo* parameter = host != nullptr ? host->findParameter(kCoreModule, name) : nullptr;
    if (parameter != nullptr) {
        host->setParameterValue(static_cast<int32_t>(parameter->index), &value);
    }
}

bool AM_View_InfoDisplay::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                            const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kRunMenuId && code == kMenuCodeOwnCommand) {
        AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
        if (sub == kLoadPreset && host != nullptr && item->userData != nullptr) {
            host->loadPreset(static_cast<PresetListItem*>(item->userData), nullptr);
        } else if (sub >= kChannelLayout && sub < kChannelLayout + 10) {
            setCoreParameter("ChLay", float(sub - kChannelLayout));
        } else if (sub >= kSurroundOutput && sub < kSurroundOutput + 10) {
            setCoreParameter("SurrO", float(sub - kSurroundOutput));
        }
        return true;
    }
    if (menuId == kRunMenuId && code == kMenuCodeValueChoice) {
        const float v = static_cast<float>(sub) + minimum_;
        setValueFromUser(0, &v);
        pollCountdown_ = std::min(pollCountdown_, 10);
        return true;
    }
    if (menuId == kEditMenuId && code == kMenuCodeOwnCommand) {
        if (sub < kToggleChannel) {
            mask_ ^= sub;
            return true;
        }
        if (sub == kToggleChannel) {
            channelMode_ = channelMode_ != 0 ? 0 : 1;
            return true;
        }
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_InfoDisplay::buildEditMenu(const float* point, bool open, uint32_t extra)
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
    viewMan_->addMenuItem(0, AM_menuCommand(1, kMenuCodeOwnCommand), "parameter info", 0,
                          checkFlags((mask_ & 1) != 0));
    viewMan_->addMenuItem(0, AM_menuCommand(2, kMenuCodeOwnCommand), "edit info", 0,
                          checkFlags((mask_ & 2) != 0));
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    viewMan_->addMenuItem(0, AM_menuCommand(kToggleChannel, kMenuCodeOwnCommand), "channel info", 0,
                          checkFlags(channelMode_ != 0));
    if (open) {
        viewMan_->showMenu();
    }
}

void AM_View_InfoDisplay::drawInfoLine(AM_Context* context, const AM_Rect& box)
{
    const AM_InfoLine* line = viewMan_ != nullptr ? viewMan_->getInfoLine(currentLine_) : nullptr;
    if (line == nullptr) {
        return;
    }
    char first[k_moduleLongNameBytes + 1] = {};
    if (currentLine_ == 0 && line->subject != nullptr) {
        const auto* module = static_cast<const AM_ModuleRecord*>(line->subject);
        AM_copyBoundedText(first, sizeof first, module->longName, k_moduleLongNameBytes);
    } else if (currentLine_ == 1 && line->subject != nullptr) {
        const auto* control = static_cast<const AM_GuiObject*>(line->subject);
        AM_copyBoundedText(first, sizeof first, control->getName(), sizeof first - 1);
    }
    char title[AM_InfoLine::kTitleBytes + 1];
    AM_copyBoundedText(title, sizeof title, line->title, AM_InfoLine::kTitleBytes);
    char text[AM_InfoLine::kTextBytes + 1];
    AM_copyBoundedText(text, sizeof text, line->text, AM_InfoLine::kTextBytes);
    AM_drawAlignedText(context, first, box, 0, 0, kTextSize);
    AM_Rect lower = box;
    lower.y += 12;
    AM_drawAlignedText(context, title, lower, 0, 0, kTextSize);
    if (std::strlen(text) < 14) {
        lower.y -= 13;
        AM_drawAlignedText(context, text, lower, 2, 0, 20.0f);
    } else {
        AM_drawAlignedText(context, text, lower, 2, 0, kTextSize);
    }
}

void AM_View_InfoDisplay::drawIdle(AM_Context* context, const AM_Rect& box)
{
    if (topValue_ >= 1 && currentValue_ < topValue_) {
        if (const char* name = AM_valueNameAt(names_.get(), nameCount_, float(currentValue_),
                                              minimum_)) {
            char mode[kNameBytes];
            AM_copyBoundedText(mode, sizeof mode, name, kNameBytes - 1);
            if (char* space = std::strchr(mode + (mode[0] != '\0' ? 1 : 0), ' ')) {
                *space = '\0';
            }
            const AM_Colour* ink = getColour(kTextColour);
            const float alpha = ink != nullptr ? ink->a : 1.0f;
            context->setColour(ink != nullptr ? ink->r : 0, ink != nullptr ? ink->g : 0,
                               ink != nullptr ? ink->b : 0, alpha * 0.1f);
            AM_drawAlignedText(context, mode, box, 2, 0, 20.0f);
            AM_setTextColour(context, ink);
        }
    }
    if (presetName_[0] == '\0' || std::strcmp(presetName_, "initialize") == 0) {
        return;
    }
    const size_t length = std::strlen(presetName_);
    AM_Rect centre = box;
    float size = 20.0f;
    if (length < 16) {
        centre.y -= 4;
    } else if (length < 27) {
        size = 14.0f;
        centre.y -= 2;
    } else {
        size = 10.0f;
        centre.y -= 2;
    }
    AM_drawAlignedText(context, presetName_, centre, 1, 1, size);
}

void AM_View_InfoDisplay::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    context->pushClip();
    context->intersectClip(&bounds_);
    if (AM_Graphic* background = getGraphic(0)) {
        background->draw(context, &bounds_, 1.0f);
    }
    AM_drawTextBox(context, bounds_, getColour(kBackground), getColour(kBorder));
    const AM_Rect box{bounds_.x + 2, bounds_.y + 1, bounds_.w - 4, bounds_.h};
    AM_setTextColour(context, getColour(kTextColour));
    context->setFontSize(kTextSize);
    if (countdown_ > 0) {
        drawInfoLine(context, box);
    } else {
        drawIdle(context, box);
    }
    context->popClip();
}

void AM_View_InfoDisplay::writeProperties(std::string* script)
{
    AM_ViewControl::writeProperties(script);
    if (script == nullptr) {
        return;
    }
    char mask[16];
    std::snprintf(mask, sizeof mask, "%X", unsigned(mask_));
    AM_ScriptWriter writer(*script);
    writer.property(getName(), kMaskKey, 0, mask);
    if (channelMode_ != 0) {
        writer.property(getName(), kChannelKey, 0, "YES");
    }
}

void AM_View_InfoDisplay::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr) {
        return;
    }
    if (std::strcmp(name, kMaskKey) == 0 && value != nullptr) {
        char* end = nullptr;
        const unsigned long mask = std::strtoul(value, &end, 16);
        if (end != value && mask <= 0xFFFFFFFFul) {
            mask_ = static_cast<uint32_t>(mask);
        } else {
            AM_STD::printv("%s: infodisplaytype '%s' is not a hexadecimal mask\n", getName(), value);
        }
    } else if (std::strcmp(name, kChannelKey) == 0) {
        channelMode_ = 1;
    }
}
