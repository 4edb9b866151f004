#include "gui/controls/AM_View_FaderBox.h"

#include "gui/controls/AM_View_Slider.h"
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

namespace {

constexpr const char* kTypeName = "FaderBox16";

constexpr uint32_t kStepTypes[] = {k_meter};
constexpr uint32_t kValueTypes[] = {k_kindFloat, k_kindXYAxis};

// Port 0 and one port per fader, "Value 1" .. "Value 16".
struct PortTable {
    AM_PortDescriptor ports[AM_View_FaderBox::kMaxFaders + 1] = {};
    PortTable()
    {
        ports[0] = {0, "Hilite Step", 1, kStepTypes};
        for (uint32_t k = 1; k <= uint32_t(AM_View_FaderBox::kMaxFaders); ++k) {
            ports[k].index = k;
            std::snprintf(ports[k].name, sizeof ports[k].name, "Value %u", unsigned(k));
            ports[k].typeCount = 2;
            ports[k].types = kValueTypes;
        }
    }
};
const PortTable& portTable()
{
    static const PortTable table;
    return table;
}

enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kValueColour = 2, kHilite = 3 };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Value", "Hilite"};
enum GraphicSlot : int32_t { kSliderBackground = 0, kSliderValue = 1, kSliderHandle = 2 };
constexpr char kGraphicNames[][kGuiNameBytes] = {"SliderBackground", "SliderValue",
                                                 "SliderHandle"};

constexpr uint32_t kRightButton = 2;

constexpr const char* kVertical = "vertical";

// The drawn box: dark cells with amber bars, the highlighted step lit.
constexpr uint32_t kEdgeColour = 0x121418FF;
constexpr uint32_t kBodyColour = 0x22252BFF;
constexpr uint32_t kCellColour = 0x0E1013FF;
constexpr uint32_t kCellHiliteColour = 0x3A3F48FF;
constexpr uint32_t kBarColour = 0xC98A2EFF;
constexpr uint32_t kBarHiliteColour = 0xFFC861FF;
constexpr uint32_t kTopColour = 0xF4E2B8FF;

} // namespace

AM_View_FaderBox::AM_View_FaderBox(AM_ViewMan* viewMan, const AM_Rect* bounds, int32_t faderCount)
    : AM_ViewControl(viewMan, bounds)
    , faderCount_(std::clamp(faderCount, int32_t(1), kMaxFaders))
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "FaderBox %u", unsigned(getId()));
    setName(name);
    std::fill(std::begin(maximum_), std::end(maximum_), 1.0f);
    initControl(0, faderCount_ + 1, portTable().ports, 0, nullptr, 4, kColourNames, 3,
                kGraphicNames, true);
}

AM_View_FaderBox::~AM_View_FaderBox() = default;

AM_ViewControl* AM_View_FaderBox::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* box = new AM_View_FaderBox(viewMan, bounds, kMaxFaders);
    box->setFactory(&AM_View_FaderBox::create);
    return box;
}

const char* AM_View_FaderBox::getTypeName() const
{
    return kTypeName;
}

bool AM_View_FaderBox::portBound(int32_t i) const
{
    const AM_PortRecord* port = const_cast<AM_View_FaderBox*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

float AM_View_FaderBox::getFaderValue(int32_t k) const
{
    return k >= 0 && k < faderCount_ ? value_[k] : 0.0f;
}

void AM_View_FaderBox::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (parameter != nullptr && i >= 1 && i <= faderCount_) {
        minimum_[i - 1] = parameter->min;
        maximum_[i - 1] = parameter->max;
        default_[i - 1] = parameter->defaultValue;
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

const void* AM_View_FaderBox::getValuePointer(int32_t port)
{
    (void)port;
    return value_;
}

void AM_View_FaderBox::setParameterValue(int32_t i, const void* value)
{
    if (value != nullptr && i >= 1 && i <= faderCount_) {
        std::memcpy(&value_[i - 1], value, sizeof(float));
    }
    AM_ViewControl::setParameterValue(i, value);
}

AM_Rect AM_View_FaderBox::cellRect(int32_t k) const
{
    const float n = static_cast<float>(faderCount_);
    if (vertical_ != 0) {
        const float column = (bounds_.w - 2) / n;
        return {bounds_.x + 1 + 0.5f + column * static_cast<float>(k), bounds_.y + 1, column - 1,
                bounds_.h - 2};
    }
    const float row = (bounds_.h - 2) / n;
    return {bounds_.x + 1, bounds_.y + 1 + 0.5f + row * static_cast<float>(k), bounds_.w - 2,
            row - 1};
}

int32_t AM_View_FaderBox::faderAt(const float* point) const
{
    if (point == nullptr) {
        return -1;
    }
    for (int32_t k = 0; k < faderCount_; ++k) {
        const AM_Rect cell = cellRect(k);
        const float c = vertical_ != 0 ? point[0] : point[1];
        const float start = vertical_ != 0 ? cell.x : cell.y;
        const float size = vertical_ != 0 ? cell.w : cell.h;
        if (c >= start && c < start + size) {
            return k;
        }
    }
    return -1;
}

bool AM_View_FaderBox::onMouseDown(const float* point, uint32_t buttons)
{
    if ((buttons & kRightButton) == 0) {
        onMouseDrag(point, buttons);
        return true;
    }
    if (portBound(kHiliteStepPort)) {
        midiLearn(kHiliteStepPort);
    }
    return false;
}

void AM_View_FaderBox::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    const int32_t k = faderAt(point);
    if (k < 0) {
        return;
    }
    const float span = vertical_ != 0 ? bounds_.h - 2 : bounds_.w - 2;
    if (!(span > 0.0f)) {
        return;
    }
    const float f = vertical_ != 0 ? 1.0f - (point[1] - (bounds_.y + 1)) / span
                                   : (point[0] - (bounds_.x + 1)) / span;
    const float v = minimum_[k] + (maximum_[k] - minimum_[k]) * std::clamp(f, 0.0f, 1.0f);
    lastValue_ = v;
    if (v != value_[k]) {
        setValueFromUser(k + 1, &v);
    }
}

void AM_View_FaderBox::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
}

void AM_View_FaderBox::onTimer()
{
    const AM_PortRecord* port = getPort(kHiliteStepPort);
    if (port == nullptr || port->parameter == nullptr || viewMan_ == nullptr ||
        viewMan_->getInterface() == nullptr) {
        return;
    }
    const void* value =
        viewMan_->getInterface()->getParameterValue(static_cast<int32_t>(port->parameter->index));
    if (value == nullptr) {
        return;
    }
    float v = 0.0f;
    std::memcpy(&v, value, sizeof v);
    // A position that is not a number, or beyond what a step counter
    // holds, highlights nothing.
    const int32_t step = std::isfinite(v) && std::fabs(v) < 2147483520.0f
                             ? static_cast<int32_t>(std::trunc(v)) % faderCount_
                             : -1;
    if (step != highlightedStep_) {
        highlightedStep_ = step;
        setParameterValue(kHiliteStepPort, &v);
    }
}

bool AM_View_FaderBox::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                         const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    if (menuId == kEditMenuId && AM_menuCode(item->command) == kMenuCodeOwnCommand) {
        if (AM_menuSubIndex(item->command) == kToggleVertical) {
            vertical_ = vertical_ != 0 ? 0 : 1;
            redraw();
        }
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_FaderBox::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_buildClassEditMenu(this, point, open, extra, buildEditItems());
}

AM_ControlMenu AM_View_FaderBox::buildEditItems() const
{
    AM_ControlMenu menu;
    AM_addMenuSeparator(&menu);
    menu.push_back({kVertical, AM_controlCommand(kToggleVertical), true, vertical_ != 0});
    return menu;
}

float AM_View_FaderBox::position(int32_t k) const
{
    const float r = maximum_[k] - minimum_[k];
    if (!(r != 0.0f) || !std::isfinite(r)) {
        return 0.0f;
    }
    return (value_[k] - minimum_[k]) / r;
}

void AM_View_FaderBox::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    const bool vertical = vertical_ != 0;
    AM_Graphic* background = getGraphic(kSliderBackground);
    AM_Graphic* valueGraphic = getGraphic(kSliderValue);
    AM_Graphic* handle = getGraphic(kSliderHandle);
    AM_Colour* fill = getColour(kBackground);
    AM_Colour* border = getColour(kBorder);
    AM_Colour* bar = getColour(kValueColour);
    AM_Colour* hilite = getColour(kHilite);
    if (background == nullptr && valueGraphic == nullptr && handle == nullptr && fill == nullptr &&
        border == nullptr && bar == nullptr && hilite == nullptr) {
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
    for (int32_t k = 0; k < faderCount_; ++k) {
        const AM_Rect cell = cellRect(k);
        const float p = position(k);
        if (valueGraphic != nullptr) {
            valueGraphic->draw(context, &cell, p);
        }
        const bool lit = k == highlightedStep_ && hilite != nullptr;
        if (AM_Colour* colour = lit ? hilite : bar) {
            const AM_Rect inner{cell.x + 1, cell.y + 1, cell.w - 2, cell.h - 2};
            AM_Rect place = AM_View_Slider::valueBar(inner, value_[k], minimum_[k],
                                                     maximum_[k] - minimum_[k], vertical);
            if (vertical && k == highlightedStep_ && place.h < 1.0f) {
                // The lit step shows even at zero: one unit about the bar's end.
                const float end = value_[k] > 0 ? place.y : place.y + place.h;
                place.y = end - 0.5f;
                place.h = 1.0f;
            }
            context->setColourFromObject(colour);
            context->fillRect(&place);
        }
        if (handle != nullptr) {
            const float length = AM_View_Slider::handleLength(handle, cell, vertical);
            const AM_Rect at = AM_View_Slider::handleRect(cell, length, p, vertical);
            handle->draw(context, &at, p);
        }
    }
}

void AM_View_FaderBox::drawGenerated(AM_Context* context)
{
    const bool vertical = vertical_ != 0;
    context->setColourPacked(kEdgeColour);
    context->fillRect(&bounds_);
    const AM_Rect body{bounds_.x + 1, bounds_.y + 1, std::max(0.0f, bounds_.w - 2),
                       std::max(0.0f, bounds_.h - 2)};
    context->setColourPacked(kBodyColour);
    context->fillRect(&body);
    for (int32_t k = 0; k < faderCount_; ++k) {
        const bool lit = k == highlightedStep_;
        const AM_Rect cell = cellRect(k);
        context->setColourPacked(lit ? kCellHiliteColour : kCellColour);
        context->fillRect(&cell);
        const AM_Rect inner{cell.x + 1, cell.y + 1, std::max(0.0f, cell.w - 2),
                            std::max(0.0f, cell.h - 2)};
        const AM_Rect place = AM_View_Slider::valueBar(inner, value_[k], minimum_[k],
                                                       maximum_[k] - minimum_[k], vertical);
        context->setColourPacked(lit ? kBarHiliteColour : kBarColour);
        context->fillRect(&place);
        // A light edge marks each fader's value, also at zero.
        const float p = std::clamp(position(k), 0.0f, 1.0f);
        const AM_Rect top = vertical
                                ? AM_Rect{inner.x, std::min(inner.y + (1 - p) * inner.h,
                                                            inner.y + inner.h - 1.5f),
                                          inner.w, 1.5f}
                                : AM_Rect{std::min(inner.x + p * inner.w, inner.x + inner.w - 1.5f),
                                          inner.y, 1.5f, inner.h};
        context->setColourPacked(kTopColour);
        context->fillRect(&top);
    }
}

void AM_View_FaderBox::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    AM_View_Slider::writeDirection(script, getName(), vertical_ != 0);
}

void AM_View_FaderBox::setProperty(const char* name, int32_t id, const char* value)
{
    AM_View_Slider::readDirection(name, value, &vertical_);
    AM_ViewControl::setProperty(name, id, value);
}
