#include "gui/controls/AM_View_Scale4.h"

#include "gui/controls/AM_ControlMenu.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_MenuTable.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "foundation/AM_STD.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kTypeName = "Scale4";

constexpr uint32_t kScaleTypes[] = {0x304};
constexpr uint32_t kMeterTypes[] = {k_meter};
const AM_PortDescriptor kPorts[] = {{0, "Scale", 1, kScaleTypes}, {1, "Meter", 1, kMeterTypes}};

enum ColourSlot : int32_t {
    kBackground = 0,
    kBorder = 1,
    kDot = 2,
    kLine = 3,
    kText = 4,
    kSelectDot = 5,
    kMeterColour = 6,
};
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Dot",  "Line",
                                                "Text",       "SelectDot", "Meter"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"Background"};

constexpr float kLineWidth = 0.8f;
constexpr float kDotSide = 5.0f;
constexpr int32_t kTop = 127;
// Key curve: keys 20..110 span the plot's width; a dragged key is held to
// 21..109.
constexpr int32_t kLowestKey = 21;
constexpr int32_t kHighestKey = 109;
constexpr float kDrawnKeyOffset = 20.0f;
constexpr float kDrawnKeySpan = 90.0f;

constexpr const char* kNoteNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                        "F#", "G",  "G#", "A",  "A#", "B"};

// The drawn look: a dark panel with a faint grid, an amber curve and light
// dots.
constexpr uint32_t kPanelColour = 0x1E2126FF;
constexpr uint32_t kPanelEdgeColour = 0x0E1013FF;
constexpr uint32_t kGridColour = 0x343A42FF;
constexpr uint32_t kCurveColour = 0xE9A23BFF;
constexpr uint32_t kDotColour = 0xF2F2F2FF;
constexpr uint32_t kSelectedColour = 0x6FB7D9FF;
constexpr uint32_t kMeterLineColour = 0x6FB7D980;

// The nearest whole step of a value, held to lo..hi; a value that is not
// a number gives the end it points to (lo for NaN).
int32_t roundHeld(float value, int32_t lo, int32_t hi)
{
    if (!std::isfinite(value)) {
        return value > 0.0f ? hi : lo;
    }
    const float held = std::clamp(value, float(lo) - 1.0f, float(hi) + 1.0f);
    return std::clamp(int32_t(std::lround(held)), lo, hi);
}

// The byte size of the parameter bound to a port; 0 when unbound or not a
// usable size.
size_t boundBlockSize(const AM_PortRecord* port)
{
    if (port == nullptr || port->parameter == nullptr) {
        return 0;
    }
    const float size = port->parameter->max;
    constexpr float kLargest = 1 << 24;
    if (!std::isfinite(size) || size < 1.0f) {
        return 0;
    }
    return size_t(std::min(size, kLargest));
}

} // namespace

AM_View_Scale4::AM_View_Scale4(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Scale4 %u", unsigned(getId()));
    setName(name);
    initControl(0, 2, kPorts, 0, nullptr, 7, kColourNames, 1, kGraphicNames, false);
    updatePlotRect();
}

AM_View_Scale4::~AM_View_Scale4() = default;

AM_ViewControl* AM_View_Scale4::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* scale = new AM_View_Scale4(viewMan, bounds);
    scale->setFactory(&AM_View_Scale4::create);
    return scale;
}

const char* AM_View_Scale4::getTypeName() const
{
    return kTypeName;
}

int32_t AM_View_Scale4::pointOf(uint32_t word, int32_t i)
{
    if (i < 0 || i >= kPoints) {
        return 0;
    }
    return int32_t((word >> ((3 - i) * 8)) & 0x7F);
}

uint32_t AM_View_Scale4::withPoint(uint32_t word, int32_t i, int32_t value)
{
    if (i < 0 || i >= kPoints) {
        return word;
    }
    const int shift = (3 - i) * 8;
    const uint32_t byte = uint32_t(std::clamp(value, 0, kTop)) << shift;
    return (word & ~(0xFFu << shift)) | byte;
}

int32_t AM_View_Scale4::inputAt(int32_t i) const
{
    return pointOf(block_[velocityMode_ != 0 ? kVelocityIn : kKeyIn], i);
}

int32_t AM_View_Scale4::outputAt(int32_t i) const
{
    return pointOf(block_[velocityMode_ != 0 ? kVelocityOut : kKeyOut], i);
}

void AM_View_Scale4::setVelocityMode(bool on)
{
    velocityMode_ = on ? 1 : 0;
    selected_ = -1;
    redraw();
}

void AM_View_Scale4::setParameterValue(int32_t i, const void* value)
{
    if (value == nullptr) {
        return;
    }
    if (i == kScalePort) {
        if (value != block_) {
            // Never more than the block holds, nor more than the parameter
            // gives (an unbound port: the block's size).
            const size_t given = boundBlockSize(getPort(kScalePort));
            const size_t bytes = given == 0 ? kBlockBytes : std::min<size_t>(given, kBlockBytes);
            std::memcpy(block_, value, bytes);
            for (uint32_t& word : block_) {
                word &= kWordMask;
            }
        }
    } else if (i == kMeterPort) {
        float v = 0.0f;
        std::memcpy(&v, value, sizeof v);
        meter_ = std::isfinite(v) ? v : 0.0f;
    }
    AM_ViewControl::setParameterValue(i, value);
}

const void* AM_View_Scale4::getValuePointer(int32_t port)
{
    return port == kMeterPort ? static_cast<const void*>(&meter_)
                              : static_cast<const void*>(block_);
}

void AM_View_Scale4::sendValueToParameter(int32_t i, const void* value)
{
    if (i != kScalePort) {
        AM_ViewControl::sendValueToParameter(i, value);
        return;
    }
    const AM_PortRecord* port = getPort(kScalePort);
    const size_t size = boundBlockSize(port);
    if (value != nullptr && size > kBlockBytes && viewMan_ != nullptr &&
        viewMan_->getInterface() != nullptr) {
        // A larger parameter keeps its bytes past the block: nothing is
        // read past the block's end.
        std::vector<uint8_t> staged(size, 0);
        if (const void* current =
                viewMan_->getInterface()->getParameterValue(int32_t(port->parameter->index))) {
            std::memcpy(staged.data(), current, size);
        }
        std::memcpy(staged.data(), value, kBlockBytes);
        AM_ViewControl::sendValueToParameter(i, staged.data());
    } else {
        AM_ViewControl::sendValueToParameter(i, value);
    }
    fillInfoLine();
}

void AM_View_Scale4::fillInfoLine()
{
    if (viewMan_ == nullptr) {
        return;
    }
    AM_InfoLine* line = viewMan_->getInfoLine(0);
    if (line == nullptr) {
        return;
    }
    const AM_PortRecord* port = getPort(kScalePort);
    AM_View_Interface* host = viewMan_->getInterface();
    line->subject = port != nullptr && port->parameter != nullptr && host != nullptr
                        ? host->getModuleInfoByIndex(port->parameter->moduleIndex)
                        : nullptr;
    if (velocityMode_ != 0) {
        AM_STD::sprintn(line->title, sizeof line->title, "%s", "Velocity Scale");
        AM_STD::sprintn(line->text, sizeof line->text, "Vel%d -> %d", int(inValue_),
                        int(outValue_));
    } else {
        const int32_t key = std::clamp(inValue_, 0, kTop);
        AM_STD::sprintn(line->title, sizeof line->title, "%s", "Key Scale");
        AM_STD::sprintn(line->text, sizeof line->text, "%s%d -> %d", kNoteNames[key % 12],
                        int(key / 12 - 3), int(outValue_));
    }
    viewMan_->showInfoLine(0, true);
}

void AM_View_Scale4::updatePlotRect()
{
    plotRect_ = {bounds_.x + kPlotInset, bounds_.y + kPlotInset,
                 std::max(0.0f, bounds_.w - 2 * kPlotInset),
                 std::max(0.0f, bounds_.h - 2 * kPlotInset)};
}

void AM_View_Scale4::boundsChanged()
{
    AM_ViewControl::boundsChanged();
    updatePlotRect();
}

void AM_View_Scale4::velocityPointToScreen(uint32_t inWord, uint32_t outWord, int32_t i,
                                           float* x, float* y) const
{
    const float v = float(pointOf(inWord, i));
    const float o = float(pointOf(outWord, i));
    *x = plotRect_.x + v / float(kTop) * plotRect_.w;
    *y = plotRect_.y + (1.0f - o / float(kTop)) * plotRect_.h;
}

void AM_View_Scale4::keyPointToScreen(uint32_t inWord, uint32_t outWord, int32_t i, float* x,
                                      float* y) const
{
    const float k = float(pointOf(inWord, i));
    const float o = float(pointOf(outWord, i));
    *x = plotRect_.x + std::clamp(k - kDrawnKeyOffset, 0.0f, kDrawnKeySpan) / kDrawnKeySpan *
                           plotRect_.w;
    *y = plotRect_.y + (1.0f - o / float(kTop)) * plotRect_.h;
}

void AM_View_Scale4::pointToScreen(int32_t i, float* x, float* y) const
{
    if (velocityMode_ != 0) {
        velocityPointToScreen(block_[kVelocityIn], block_[kVelocityOut], i, x, y);
    } else {
        keyPointToScreen(block_[kKeyIn], block_[kKeyOut], i, x, y);
    }
}

bool AM_View_Scale4::onMouseDown(const float* point, uint32_t buttons)
{
    (void)buttons;
    updatePlotRect();
    downPoint_[0] = point[0];
    downPoint_[1] = point[1];
    selected_ = -1;
    float best = kPickDistanceSquared;
    for (int32_t i = 0; i < kPoints; ++i) {
        float x = 0.0f;
        float y = 0.0f;
        pointToScreen(i, &x, &y);
        const float d = (x - point[0]) * (x - point[0]) + (y - point[1]) * (y - point[1]);
        if (d <= best) {
            best = d;
            selected_ = i;
        }
    }
    if (selected_ < 0) {
        return false;
    }
    pointToScreen(selected_, &anchor_[0], &anchor_[1]);
    outValue_ = outputAt(selected_);
    inValue_ = inputAt(selected_);
    sendValueToParameter(kScalePort, block_);
    redraw();
    return true;
}

void AM_View_Scale4::placeSelected()
{
    const bool velocity = velocityMode_ != 0;
    const int32_t inWord = velocity ? kVelocityIn : kKeyIn;
    const int32_t outWord = velocity ? kVelocityOut : kKeyOut;
    const float fx = plotRect_.w > 0.0f ? (anchor_[0] - plotRect_.x) / plotRect_.w : 0.0f;
    const float fy = plotRect_.h > 0.0f ? (anchor_[1] - plotRect_.y) / plotRect_.h : 0.0f;
    // The inverse of the drawn place, to the nearest step: a point pressed
    // and let go where it is keeps its values.
    const int32_t in = velocity ? roundHeld(fx * float(kTop), 0, kTop)
                                : roundHeld(kDrawnKeyOffset + fx * kDrawnKeySpan, kLowestKey,
                                            kHighestKey);
    const int32_t out = kTop - roundHeld(fy * float(kTop), 0, kTop);

    int32_t s = selected_;
    block_[inWord] = withPoint(block_[inWord], s, in);
    block_[outWord] = withPoint(block_[outWord], s, out);
    const auto swap = [&](int32_t a, int32_t b) {
        for (const int32_t w : {inWord, outWord}) {
            const int32_t pa = pointOf(block_[w], a);
            const int32_t pb = pointOf(block_[w], b);
            block_[w] = withPoint(withPoint(block_[w], a, pb), b, pa);
        }
    };
    // Past a neighbour the two change places; the selection follows.
    while (s + 1 < kPoints && pointOf(block_[inWord], s + 1) < in) {
        swap(s, s + 1);
        ++s;
    }
    while (s > 0 && pointOf(block_[inWord], s - 1) > in) {
        swap(s, s - 1);
        --s;
    }
    selected_ = s;
    inValue_ = in;
    outValue_ = out;
}

void AM_View_Scale4::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (selected_ < 0 || selected_ >= kPoints) {
        return;
    }
    if (!std::isfinite(point[0]) || !std::isfinite(point[1])) {
        return;
    }
    anchor_[0] += point[0] - downPoint_[0];
    anchor_[1] += point[1] - downPoint_[1];
    downPoint_[0] = point[0];
    downPoint_[1] = point[1];
    placeSelected();
    setValueFromUser(kScalePort, block_);
}

void AM_View_Scale4::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
    selected_ = -1;
    redraw();
}

void AM_View_Scale4::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    updatePlotRect();
    AM_Graphic* background = getGraphic(0);
    bool anySlot = background != nullptr;
    for (int32_t slot = kBackground; slot <= kMeterColour; ++slot) {
        anySlot = anySlot || getColour(slot) != nullptr;
    }
    if (!anySlot) {
        drawGenerated(context);
        return;
    }
    if (const AM_Colour* c = getColour(kBackground)) {
        context->setColourFromObject(c);
        context->fillRect(&bounds_);
    }
    if (const AM_Colour* c = getColour(kBorder)) {
        context->setColourFromObject(c);
        const float frame[10] = {bounds_.x + 0.5f,           bounds_.y + 0.5f,
                                 bounds_.x + bounds_.w - 0.5f, bounds_.y + 0.5f,
                                 bounds_.x + bounds_.w - 0.5f, bounds_.y + bounds_.h - 0.5f,
                                 bounds_.x + 0.5f,           bounds_.y + bounds_.h - 0.5f,
                                 bounds_.x + 0.5f,           bounds_.y + 0.5f};
        context->drawPolyline(frame, 5, kLineWidth, true);
    }
    if (background != nullptr) {
        context->drawGraphic(background, &bounds_);
    }
    float xs[kPoints];
    float ys[kPoints];
    for (int32_t i = 0; i < kPoints; ++i) {
        pointToScreen(i, &xs[i], &ys[i]);
    }
    if (const AM_Colour* c = getColour(kMeterColour)) {
        context->setColourFromObject(c);
        drawMeter(context, kLineWidth);
    }
    if (const AM_Colour* c = getColour(kLine)) {
        context->setColourFromObject(c);
        drawCurve(context, xs, ys, kLineWidth);
    }
    const AM_Colour* dot = getColour(kDot);
    for (int32_t i = 0; i < kPoints; ++i) {
        const AM_Colour* c = i == selected_ && getColour(kSelectDot) != nullptr
                                 ? getColour(kSelectDot)
                                 : dot;
        if (c == nullptr) {
            continue;
        }
        context->setColourFromObject(c);
        const AM_Rect square{std::trunc(xs[i]) - 2.0f, std::trunc(ys[i]) - 2.0f, kDotSide,
                             kDotSide};
        context->fillRect(&square);
    }
}

void AM_View_Scale4::drawMeter(AM_Context* context, float width) const
{
    const int32_t lo = velocityMode_ != 0 ? 0 : int32_t(kDrawnKeyOffset);
    const float span = velocityMode_ != 0 ? float(kTop) : kDrawnKeySpan;
    const float f = std::clamp((meter_ - float(lo)) / span, 0.0f, 1.0f);
    const float x = plotRect_.x + f * plotRect_.w;
    const float p0[2] = {x, plotRect_.y};
    const float p1[2] = {x, plotRect_.y + plotRect_.h};
    context->drawLine(p0, p1, width);
}

void AM_View_Scale4::drawCurve(AM_Context* context, const float* xs, const float* ys,
                               float width) const
{
    // Level from the plot's left edge to the first point, through the four,
    // and level again to the right edge.
    float line[2 * (kPoints + 2)];
    line[0] = plotRect_.x;
    line[1] = ys[0];
    for (int32_t i = 0; i < kPoints; ++i) {
        line[2 + 2 * i] = xs[i];
        line[3 + 2 * i] = ys[i];
    }
    line[2 * (kPoints + 1)] = plotRect_.x + plotRect_.w;
    line[2 * (kPoints + 1) + 1] = ys[kPoints - 1];
    context->drawPolyline(line, kPoints + 2, width, false);
}

void AM_View_Scale4::drawGenerated(AM_Context* context)
{
    context->setColourPacked(kPanelColour);
    context->fillRect(&bounds_);
    context->setColourPacked(kGridColour);
    for (int k = 1; k < 4; ++k) {
        const float gx = std::round(plotRect_.x + plotRect_.w * float(k) / 4.0f) + 0.5f;
        const float gy = std::round(plotRect_.y + plotRect_.h * float(k) / 4.0f) + 0.5f;
        const float v0[2] = {gx, plotRect_.y};
        const float v1[2] = {gx, plotRect_.y + plotRect_.h};
        const float h0[2] = {plotRect_.x, gy};
        const float h1[2] = {plotRect_.x + plotRect_.w, gy};
        context->drawLine(v0, v1, 1.0f);
        context->drawLine(h0, h1, 1.0f);
    }
    context->setColourPacked(kPanelEdgeColour);
    const AM_Rect edge{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1.0f, bounds_.h - 1.0f};
    context->frameRect(&edge);

    float xs[kPoints];
    float ys[kPoints];
    for (int32_t i = 0; i < kPoints; ++i) {
        pointToScreen(i, &xs[i], &ys[i]);
    }
    if (meter_ > 0.0f) {
        context->setColourPacked(kMeterLineColour);
        drawMeter(context, 1.0f);
    }
    context->setColourPacked(kCurveColour);
    drawCurve(context, xs, ys, 1.5f);
    for (int32_t i = 0; i < kPoints; ++i) {
        context->setColourPacked(i == selected_ ? kSelectedColour : kDotColour);
        const AM_Rect square{std::trunc(xs[i]) - 2.0f, std::trunc(ys[i]) - 2.0f, kDotSide,
                             kDotSide};
        context->fillRect(&square);
    }
}

void AM_View_Scale4::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_ControlMenu items;
    AM_addMenuSeparator(&items);
    AM_ControlMenuItem secondary;
    secondary.text = "secondary";
    secondary.command = AM_controlCommand(kSecondarySub);
    secondary.checkable = true;
    secondary.checked = velocityMode_ != 0;
    items.push_back(secondary);
    AM_buildClassEditMenu(this, point, open, extra, items);
}

bool AM_View_Scale4::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                       const AM_MenuItem* item)
{
    if (valid && item != nullptr && menuId == kEditMenuId &&
        AM_menuCode(item->command) == kMenuCodeOwnCommand &&
        AM_menuSubIndex(item->command) == kSecondarySub) {
        setVelocityMode(velocityMode_ == 0);
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_Scale4::copyProperties(AM_ViewControl* clone)
{
    if (auto* scale = dynamic_cast<AM_View_Scale4*>(clone)) {
        scale->velocityMode_ = velocityMode_;
    }
}

void AM_View_Scale4::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (velocityMode_ != 0 && script != nullptr) {
        AM_ScriptWriter(*script).property(getName(), kVelocityKey, 0, "YES");
    }
}

void AM_View_Scale4::setProperty(const char* name, int32_t id, const char* value)
{
    if (name != nullptr && std::strcmp(name, kVelocityKey) == 0) {
        velocityMode_ = value != nullptr && std::strcmp(value, "YES") == 0 ? 1 : 0;
    }
    AM_ViewControl::setProperty(name, id, value);
}
