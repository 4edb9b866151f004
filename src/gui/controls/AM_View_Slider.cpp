#include "gui/controls/AM_View_Slider.h"

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "Slider";

constexpr uint32_t kValueTypes[] = {k_kindFloat, k_kindXYAxis};
constexpr uint32_t kFeedbackTypes[] = {k_meter};
const AM_PortDescriptor kPorts[] = {{0, "Slider Value", 2, kValueTypes},
                                    {1, "Feedback", 1, kFeedbackTypes}};

enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kValueColour = 2 };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Value"};
enum GraphicSlot : int32_t { kSliderBackground = 0, kSliderValue = 1, kSliderHandle = 2 };
constexpr char kGraphicNames[][kGuiNameBytes] = {"SliderBackground", "SliderValue",
                                                 "SliderHandle"};

constexpr uint32_t kShift = 1;
constexpr uint32_t kRightButton = 2;

constexpr const char* kDirectionKey = "direction";
constexpr const char* kVertical = "vertical";
constexpr const char* kHorizontal = "horizontal";

// The drawn slider: a dark body with a groove, an amber value bar and a
// light handle cap.
constexpr uint32_t kBodyColour = 0x22252BFF;
constexpr uint32_t kEdgeColour = 0x121418FF;
constexpr uint32_t kGrooveColour = 0x0B0C0EFF;
constexpr uint32_t kBarColour = 0xE9A23BFF;
constexpr uint32_t kFeedbackColour = 0x6FB7D9FF;
constexpr uint32_t kCapColour = 0x5C636EFF;
constexpr uint32_t kCapEdgeColour = 0x16181CFF;
constexpr uint32_t kCapLineColour = 0xF4F4F4FF;

AM_Rect intersect(const AM_Rect& a, const AM_Rect& b)
{
    const float x0 = std::max(a.x, b.x);
    const float y0 = std::max(a.y, b.y);
    const float x1 = std::min(a.x + a.w, b.x + b.w);
    const float y1 = std::min(a.y + a.h, b.y + b.h);
    return {x0, y0, std::max(0.0f, x1 - x0), std::max(0.0f, y1 - y0)};
}

} // namespace

AM_View_Slider::AM_View_Slider(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Slider %u", unsigned(getId()));
    setName(name);
    acceptsWheel_ = 1;
    initControl(0, 2, kPorts, 0, nullptr, 3, kColourNames, 3, kGraphicNames, false);
}

AM_View_Slider::~AM_View_Slider() = default;

AM_ViewControl* AM_View_Slider::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* slider = new AM_View_Slider(viewMan, bounds);
    slider->setFactory(&AM_View_Slider::create);
    return slider;
}

const char* AM_View_Slider::getTypeName() const
{
    return kTypeName;
}

bool AM_View_Slider::portBound(int32_t i) const
{
    const AM_PortRecord* port = const_cast<AM_View_Slider*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

void AM_View_Slider::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (parameter != nullptr && i == kValuePort) {
        minimum_ = parameter->min;
        maximum_ = parameter->max;
        default_ = parameter->defaultValue;
    } else if (parameter != nullptr && i == kFeedbackPort) {
        setTimer(true);
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

const void* AM_View_Slider::getValuePointer(int32_t port)
{
    (void)port;
    return &value_;
}

void AM_View_Slider::setParameterValue(int32_t i, const void* value)
{
    if (value != nullptr) {
        // The feedback port shows an engine output: it never becomes the
        // slider's own value.
        std::memcpy(i == kFeedbackPort ? &feedback_ : &value_, value, sizeof(float));
    }
    AM_ViewControl::setParameterValue(i, value);
}

void AM_View_Slider::userSets(float value)
{
    setValueFromUser(kValuePort, &value);
}

void AM_View_Slider::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    userSets(default_);
}

bool AM_View_Slider::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    if ((buttons & kRightButton) != 0 && portBound(kValuePort)) {
        AM_ControlMenu menu;
        menu.push_back({"MidiLearn", AM_controlCommand(kMenuSubMidiLearn), false, false});
        menu.push_back({"MidiUnLearn", AM_controlCommand(kMenuSubMidiUnlearn), false, false});
        return AM_openControlMenu(viewMan_, this, point, kControlRunMenu, menu);
    }
    fine_ = (buttons & kShift) != 0 ? 1 : 0;
    if (vertical_ != 0) {
        relativeDrag_ = 1;
    }
    if (relativeDrag_ != 0) {
        dragStart_ = value_;
        mouseDownPoint_[0] = point[0];
        mouseDownPoint_[1] = point[1];
    } else {
        onMouseDrag(point, buttons);
    }
    sendValueToParameter(kValuePort, &value_);
    return true;
}

void AM_View_Slider::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr) {
        return;
    }
    const float half = std::floor(handleLength_ * 0.5f);
    const float tx = bounds_.x + 1 + half;
    const float ty = bounds_.y + 1 + half;
    const float tw = bounds_.w - 2 - handleLength_;
    const float th = bounds_.h - 2 - handleLength_;
    const float r = maximum_ - minimum_;
    if (relativeDrag_ != 0) {
        float d = vertical_ != 0 ? mouseDownPoint_[1] - point[1] : point[0] - mouseDownPoint_[0];
        if (fine_ != 0) {
            d *= 0.01f;
        }
        if (r < 50) {
            d *= 0.01f;
        }
        if (!(r * 1.5f > th)) {
            d *= 0.5f;
        }
        userSets(std::clamp(dragStart_ + d, minimum_, maximum_));
        return;
    }
    // A track of no length has no point to jump to.
    const float length = vertical_ != 0 ? th : tw;
    if (!(length > 0.0f)) {
        return;
    }
    const float f = vertical_ != 0 ? 1.0f - (point[1] - ty) / th : (point[0] - tx) / tw;
    const float v = std::clamp(f, 0.0f, 1.0f) * r + minimum_;
    if (v != value_) {
        userSets(v);
    }
}

void AM_View_Slider::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
}

void AM_View_Slider::onMouseWheel(float steps)
{
    if (mouseDown_ != 0) {
        return;
    }
    relativeDrag_ = 1;
    dragStart_ = value_;
    mouseDownPoint_[0] = std::trunc(bounds_.x + bounds_.w / 2);
    mouseDownPoint_[1] = std::trunc(bounds_.y + bounds_.h / 2);
    const float to[2] = {mouseDownPoint_[0] + steps, mouseDownPoint_[1] - steps};
    onMouseDrag(to, 0);
}

void AM_View_Slider::onTimer()
{
    const AM_PortRecord* port = getPort(kFeedbackPort);
    if (!isVisible() || port == nullptr || port->parameter == nullptr || viewMan_ == nullptr ||
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
    if (v != feedback_) {
        feedback_ = v;
        redraw();
    }
}

bool AM_View_Slider::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                       const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kRunMenuId && code == kMenuCodeOwnCommand) {
        if (sub == kMenuSubMidiLearn || sub == kMenuSubMidiUnlearn) {
            if (portBound(kValuePort)) {
                midiLearn(kValuePort);
                if (sub == kMenuSubMidiUnlearn) {
                    midiLearn(kValuePort);
                }
            }
            AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
        }
        return true;
    }
    if (menuId == kEditMenuId && code == kMenuCodeOwnCommand) {
        if (sub == kToggleVertical) {
            vertical_ = vertical_ != 0 ? 0 : 1;
            redraw();
        }
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_Slider::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_buildClassEditMenu(this, point, open, extra, buildEditItems());
}

AM_ControlMenu AM_View_Slider::buildEditItems() const
{
    AM_ControlMenu menu;
    AM_addMenuSeparator(&menu);
    menu.push_back({kVertical, AM_controlCommand(kToggleVertical), true, vertical_ != 0});
    return menu;
}

AM_Rect AM_View_Slider::valueBar(const AM_Rect& inner, float v, float m, float r, bool vertical)
{
    if (!(r != 0.0f) || !std::isfinite(r) || !std::isfinite(v) || !std::isfinite(m)) {
        return {inner.x, inner.y, 0.0f, 0.0f};
    }
    AM_Rect bar{};
    if (vertical) {
        const float zero = inner.y + inner.h + (m / r) * inner.h;
        const float height = inner.h * std::fabs(v / r);
        bar = v > 0 ? AM_Rect{inner.x, zero - height, inner.w, height}
                    : AM_Rect{inner.x, zero, inner.w, height};
    } else {
        const float zero = inner.x - (m / r) * inner.w;
        const float width = inner.w * std::fabs(v / r);
        bar = v >= 0 ? AM_Rect{zero, inner.y, width, inner.h}
                     : AM_Rect{zero - width, inner.y, width, inner.h};
    }
    // A range that does not hold zero puts the zero point outside: only the
    // part inside is drawn.
    return intersect(bar, inner);
}

float AM_View_Slider::handleLength(const AM_Graphic* handle, const AM_Rect& area, bool vertical)
{
    if (handle == nullptr) {
        return 0.0f;
    }
    const float gw = handle->getWidth();
    const float gh = handle->getHeight();
    if (vertical) {
        return gw > 0 ? gh * (area.w / gw) : 0.0f;
    }
    return gh > 0 ? gw * (area.h / gh) : 0.0f;
}

AM_Rect AM_View_Slider::handleRect(const AM_Rect& area, float length, float p, bool vertical)
{
    if (vertical) {
        return {area.x, area.y + (area.h - length) * (1.0f - p), area.w, length};
    }
    return {area.x + (area.w - length) * p, area.y, length, area.h};
}

float AM_View_Slider::position() const
{
    const float r = maximum_ - minimum_;
    if (!(r != 0.0f) || !std::isfinite(r)) {
        return 0.0f;
    }
    return (value_ - minimum_) / r;
}

void AM_View_Slider::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    const float p = position();
    const bool vertical = vertical_ != 0;
    AM_Graphic* background = getGraphic(kSliderBackground);
    AM_Graphic* valueGraphic = getGraphic(kSliderValue);
    AM_Graphic* handle = getGraphic(kSliderHandle);
    AM_Colour* fill = getColour(kBackground);
    AM_Colour* border = getColour(kBorder);
    AM_Colour* bar = getColour(kValueColour);
    if (background == nullptr && valueGraphic == nullptr && handle == nullptr && fill == nullptr &&
        border == nullptr && bar == nullptr) {
        handleLength_ = 0.0f;
        drawGenerated(context, p);
        return;
    }
    if (background != nullptr) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (handle != nullptr) {
        handleLength_ = handleLength(handle, bounds_, vertical);
        const AM_Rect place = handleRect(bounds_, handleLength_, p, vertical);
        handle->draw(context, &place, p);
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
    if (valueGraphic != nullptr) {
        valueGraphic->draw(context, &bounds_, p);
    }
    if (bar != nullptr) {
        const AM_Rect inner{bounds_.x + 1, bounds_.y + 1, bounds_.w - 2, bounds_.h - 2};
        const AM_PortRecord* feedback = getPort(kFeedbackPort);
        const AM_Rect place =
            feedback != nullptr && feedback->parameter != nullptr
                ? valueBar(inner, feedback_, feedback->parameter->min,
                           feedback->parameter->max - feedback->parameter->min, vertical)
                : valueBar(inner, value_, minimum_, maximum_ - minimum_, vertical);
        context->setColourFromObject(bar);
        context->fillRect(&place);
    }
}

void AM_View_Slider::drawGenerated(AM_Context* context, float p)
{
    const bool vertical = vertical_ != 0;
    const AM_Rect& b = bounds_;
    context->setColourPacked(kEdgeColour);
    context->fillRect(&b);
    const AM_Rect body{b.x + 1, b.y + 1, std::max(0.0f, b.w - 2), std::max(0.0f, b.h - 2)};
    context->setColourPacked(kBodyColour);
    context->fillRect(&body);
    // The groove runs along the middle of the body, a third of its width.
    const float across = vertical ? body.w : body.h;
    const float groove = std::max(2.0f, std::round(across / 3.0f));
    const AM_Rect track = vertical ? AM_Rect{body.x + std::round((body.w - groove) / 2), body.y + 2,
                                             groove, std::max(0.0f, body.h - 4)}
                                   : AM_Rect{body.x + 2, body.y + std::round((body.h - groove) / 2),
                                             std::max(0.0f, body.w - 4), groove};
    context->setColourPacked(kGrooveColour);
    context->fillRect(&track);
    const AM_PortRecord* feedback = getPort(kFeedbackPort);
    const bool showsFeedback = feedback != nullptr && feedback->parameter != nullptr;
    const AM_Rect level =
        showsFeedback ? valueBar(track, feedback_, feedback->parameter->min,
                                 feedback->parameter->max - feedback->parameter->min, vertical)
                      : valueBar(track, value_, minimum_, maximum_ - minimum_, vertical);
    context->setColourPacked(showsFeedback ? kFeedbackColour : kBarColour);
    context->fillRect(&level);
    // The cap sits where a click would put the value: on the body's track.
    const float q = std::clamp(p, 0.0f, 1.0f);
    const float capLength = std::max(6.0f, std::round(across * 0.45f));
    const float centre = vertical ? body.y + (1.0f - q) * body.h : body.x + q * body.w;
    const float start = std::clamp(centre - capLength / 2, vertical ? b.y : b.x,
                                   (vertical ? b.y + b.h : b.x + b.w) - capLength);
    const AM_Rect cap = vertical ? AM_Rect{b.x, start, b.w, capLength}
                                 : AM_Rect{start, b.y, capLength, b.h};
    context->setColourPacked(kCapEdgeColour);
    context->fillRect(&cap);
    const AM_Rect capFace{cap.x + 1, cap.y + 1, std::max(0.0f, cap.w - 2),
                          std::max(0.0f, cap.h - 2)};
    context->setColourPacked(kCapColour);
    context->fillRect(&capFace);
    const float line = std::floor(std::clamp(centre, start + 1.0f, start + capLength - 2.0f)) + 0.5f;
    const float from[2] = {vertical ? capFace.x + 1 : line, vertical ? line : capFace.y + 1};
    const float to[2] = {vertical ? capFace.x + capFace.w - 1 : line,
                         vertical ? line : capFace.y + capFace.h - 1};
    context->setColourPacked(kCapLineColour);
    context->drawLine(from, to, 1.0f);
}

void AM_View_Slider::copyProperties(AM_ViewControl* clone)
{
    AM_ViewControl::copyProperties(clone);
    if (auto* slider = dynamic_cast<AM_View_Slider*>(clone)) {
        slider->vertical_ = vertical_;
    }
}

void AM_View_Slider::writeDirection(std::string* script, const char* control, bool vertical)
{
    if (script != nullptr) {
        AM_ScriptWriter(*script).property(control, kDirectionKey, 0,
                                          vertical ? kVertical : kHorizontal);
    }
}

bool AM_View_Slider::readDirection(const char* name, const char* value, uint8_t* vertical)
{
    if (name == nullptr || value == nullptr || std::strcmp(name, kDirectionKey) != 0) {
        return false;
    }
    *vertical = std::strcmp(value, kVertical) == 0 ? 1 : 0;
    return true;
}

void AM_View_Slider::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    writeDirection(script, getName(), vertical_ != 0);
}

void AM_View_Slider::setProperty(const char* name, int32_t id, const char* value)
{
    readDirection(name, value, &vertical_);
    AM_ViewControl::setProperty(name, id, value);
}
