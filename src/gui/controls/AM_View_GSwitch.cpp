#include "gui/controls/AM_View_GSwitch.h"

#include "gui/controls/AM_ControlMenu.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kTypeName = "GSwitch";

constexpr uint32_t kFileTypes[] = {k_typeTextData};
constexpr uint32_t kScaleTypes[] = {k_kindInteger};
const AM_PortDescriptor kPorts[] = {{0, "File", 1, kFileTypes}, {1, "Scale", 1, kScaleTypes}};

enum ColourSlot : int32_t { kBackground = 0, kBorder = 1 };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"GSwitchBackground"};

struct SizeStep {
    const char* name;
    float factor;
};
constexpr SizeStep kSizes[AM_View_GSwitch::kSizeCount] = {
    {"cute", 0.5f},  {"tiny", 0.6666667f}, {"small", 0.75f},    {"normal", 1.0f},
    {"large", 1.5f}, {"huge", 2.0f},       {"cinematic", 2.5f},
};
// The scale parameter's value of size step i is i - kNormalStep.
constexpr int32_t kNormalStep = 4;

constexpr uint32_t kEditOwnCommand = 1;

// The drawn switch: a dark face with a light frame and three menu lines.
constexpr uint32_t kEdgeColour = 0x121418FF;
constexpr uint32_t kFaceColour = 0x3A3F48FF;
constexpr uint32_t kLineColour = 0xE6E6E6FF;

} // namespace

AM_View_GSwitch::AM_View_GSwitch(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "GSwitch %u", unsigned(getId()));
    setName(name);
    initControl(0, 2, kPorts, 0, nullptr, 2, kColourNames, 1, kGraphicNames, false);
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host != nullptr) {
        if (const AM_ParamInfo* file = host->findParameter("PCore", "GFile")) {
            setPortParameter(kFilePort, file);
        }
        if (const AM_ParamInfo* scale = host->findParameter("PCore", "GScale")) {
            setPortParameter(kScalePort, scale);
        }
    }
}

AM_View_GSwitch::~AM_View_GSwitch() = default;

AM_ViewControl* AM_View_GSwitch::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* control = new AM_View_GSwitch(viewMan, bounds);
    control->setFactory(&AM_View_GSwitch::create);
    return control;
}

const char* AM_View_GSwitch::getTypeName() const
{
    return kTypeName;
}

const char* AM_View_GSwitch::sizeName(int32_t i)
{
    return i >= 1 && i <= kSizeCount ? kSizes[i - 1].name : nullptr;
}

float AM_View_GSwitch::sizeFactor(int32_t i)
{
    return i >= 1 && i <= kSizeCount ? kSizes[i - 1].factor : 0.0f;
}

int32_t AM_View_GSwitch::sizeOfZoom(float zoom)
{
    for (int32_t i = 1; i <= kSizeCount; ++i) {
        if (std::fabs(zoom - kSizes[i - 1].factor) < kZoomTolerance) {
            return i;
        }
    }
    return 0;
}

const char* AM_View_GSwitch::getSizeText(int32_t i) const
{
    return i >= 1 && i <= kSizeCount ? sizeTexts_[i - 1] : nullptr;
}

bool AM_View_GSwitch::onMouseDown(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || viewMan_ == nullptr) {
        return false;
    }
    viewMan_->beginMenu(this, point, kRunMenuId);
    int32_t scripts = 0;
    while (const AM_ScriptRecord* record = viewMan_->getScript(scripts)) {
        viewMan_->addMenuItem(0, AM_menuCommand(static_cast<uint32_t>(scripts), kScriptCode),
                              record->name.c_str());
        ++scripts;
    }
    if (scripts > 0) {
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        viewMan_->addMenuItem(0, AM_menuCommand(kMakeDefault, kScriptCode), "make default");
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    }
    float w = 0.0f;
    float h = 0.0f;
    if (AM_ViewControl* top = viewMan_->getTopControl()) {
        const AM_Rect b = top->getBounds();
        w = b.w;
        h = b.h;
    }
    const int32_t current = sizeOfZoom(viewMan_->getZoom());
    for (int32_t i = 1; i <= kSizeCount; ++i) {
        const float factor = kSizes[i - 1].factor;
        std::snprintf(sizeTexts_[i - 1], kItemTextBytes, "%s - %d x %d", kSizes[i - 1].name,
                      static_cast<int>(std::trunc(factor * w)),
                      static_cast<int>(std::trunc(factor * h)));
        viewMan_->addMenuItem(0, AM_menuCommand(static_cast<uint32_t>(i), kMenuCodeOwnCommand),
                              sizeTexts_[i - 1], 0, i == current ? kMenuChecked : kMenuCheckable);
    }
    return viewMan_->showMenu();
}

void AM_View_GSwitch::onMouseWheel(float steps)
{
    (void)steps;
}

void AM_View_GSwitch::sendScriptName(const char* name)
{
    const AM_PortRecord* port = getPort(kFilePort);
    if (port == nullptr || port->parameter == nullptr || name == nullptr) {
        return;
    }
    // The whole block goes to the parameter: the name is copied into one of
    // its size, cut to fit with its terminator.
    const float size = port->parameter->max;
    const size_t bytes =
        size >= 1.0f && std::isfinite(size) ? static_cast<size_t>(std::min(size, 65536.0f)) : 1;
    std::vector<char> block(bytes, '\0');
    std::memcpy(block.data(), name, std::min(std::strlen(name), bytes - 1));
    setValueFromUser(kFilePort, block.data());
}

bool AM_View_GSwitch::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                        const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kRunMenuId && code == kMenuCodeOwnCommand) {
        const auto step = static_cast<int32_t>(sub);
        if (step < 1 || step > kSizeCount || viewMan_ == nullptr) {
            return false;
        }
        const float scale = static_cast<float>(step - kNormalStep);
        setValueFromUser(kScalePort, &scale);
        viewMan_->setZoom(kSizes[step - 1].factor);
        return true;
    }
    if (menuId == kRunMenuId && code == kScriptCode && viewMan_ != nullptr) {
        if (sub == kMakeDefault) {
            viewMan_->makeDefault();
            return true;
        }
        const auto index = static_cast<int32_t>(sub);
        viewMan_->setScriptIndex(index);
        if (const AM_ScriptRecord* record = viewMan_->getScript(index)) {
            sendScriptName(record->name.c_str());
        }
        return true;
    }
    if (menuId == kEditMenuId && ((code == kMenuCodeOwnCommand && sub == kEditOwnCommand) ||
                                  code == kMenuCodeAttachControl)) {
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_GSwitch::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_buildClassEditMenu(this, point, open, extra, {});
}

void AM_View_GSwitch::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    AM_Graphic* background = getGraphic(0);
    AM_Colour* fill = getColour(kBackground);
    AM_Colour* border = getColour(kBorder);
    if (background == nullptr && fill == nullptr && border == nullptr) {
        drawGenerated(context);
        return;
    }
    if (background != nullptr) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (fill != nullptr) {
        context->setColourFromObject(fill);
        context->fillRect(&bounds_);
    }
    if (border != nullptr) {
        context->setColourFromObject(border);
        const AM_Rect frame{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1, bounds_.h - 1};
        context->frameRect(&frame);
    }
}

void AM_View_GSwitch::drawGenerated(AM_Context* context)
{
    context->setColourPacked(kEdgeColour);
    context->fillRect(&bounds_);
    const AM_Rect face{bounds_.x + 1, bounds_.y + 1, std::max(0.0f, bounds_.w - 2),
                       std::max(0.0f, bounds_.h - 2)};
    context->setColourPacked(kFaceColour);
    context->fillRect(&face);
    // Three short lines: the sign of a menu.
    const float inset = std::max(2.0f, std::round(face.w * 0.22f));
    const float step = std::max(2.0f, std::floor(face.h / 4.0f));
    const float middle = std::floor(face.y + face.h / 2.0f) + 0.5f;
    context->setColourPacked(kLineColour);
    for (int line = -1; line <= 1; ++line) {
        const float y = middle + static_cast<float>(line) * step;
        const float from[2] = {face.x + inset, y};
        const float to[2] = {face.x + face.w - inset, y};
        context->drawLine(from, to, 1.0f);
    }
}
