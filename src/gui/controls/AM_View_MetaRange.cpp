#include "gui/controls/AM_View_MetaRange.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_ControlMenu.h"
#include "gui/controls/AM_ControlValues.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ControlTypes.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kTypeName = "MetaRange";

constexpr uint32_t kOffsetTypes[] = {k_kindFloat};
constexpr uint32_t kTargetTypes[] = {k_kindAssignment};
const AM_PortDescriptor kPorts[] = {
    {0, "Upper", 1, kOffsetTypes}, {1, "Lower", 1, kOffsetTypes}, {2, "Param", 1, kTargetTypes}};

enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kValue = 2, kMetaLine = 3 };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Value", "MetaLine"};
enum GraphicSlot : int32_t { kRangeBackground = 0, kUniPolar = 3 };
constexpr char kGraphicNames[][kGuiNameBytes] = {"MetaRangeBackground", "MetaRangeUpper",
                                                 "MetaRangeLower", "MetaUniPolar", "MetaBiPolar"};
constexpr int32_t kGraphicCount = 5;
constexpr int32_t kColourCount = 4;

constexpr const char* kMetaModule = "PCore";
// The pad axes that drive metas 1 to 8.
constexpr const char* kMetaSources[] = {"X_1", "Y_1", "X_2", "Y_2", "X_3", "Y_3", "X_4", "Y_4"};
constexpr int32_t kMetaCount = 8;
constexpr int32_t kSlotCount = 8;
constexpr uint32_t kEntryId = 1;
constexpr int32_t kPresetCount = 3;

constexpr float kMargin = 3.0f;
constexpr float kTravelReduction = 7.0f;
constexpr float kHalfHandle = 3.5f;
constexpr float kLineWidth = 0.8f;
// The meta line reaches half the travel for a full meta value of 100.
constexpr float kMetaLineScale = 0.005f;

// The drawn look, for a control without colours and graphics.
constexpr uint32_t kEdgeColour = 0x121418FF;
constexpr uint32_t kBodyColour = 0x22252BFF;
constexpr uint32_t kCentreColour = 0x80848CFF;
constexpr uint32_t kHandleColour = 0xF4F4F4FF;
constexpr uint32_t kMetaColour = 0x6FB7D9FF;
// The target strip when its graphic slot is empty.
constexpr uint32_t kStripColour = 0x3B4048FF;
constexpr uint32_t kStripEdgeColour = 0x16181CFF;
constexpr uint32_t kStripFillColour = 0xE9A23BFF;
constexpr uint32_t kTickColour = 0x80848CFF;
constexpr int kTicks = 10;

int32_t g_presetCounter = 0;

// The number of a short name "ML<n>", or -1.
int32_t slotNumberOf(const char* shortName)
{
    char text[k_shortNameBytes + 1] = {};
    std::memcpy(text, shortName, strnlen(shortName, k_shortNameBytes));
    if (std::strncmp(text, "ML", 2) != 0) {
        return -1;
    }
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text + 2, &end, 10);
    if (end == text + 2 || errno != 0 || n < 0 || n > INT32_MAX) {
        return -1;
    }
    return static_cast<int32_t>(n);
}

} // namespace

AM_View_MetaRange::AM_View_MetaRange(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "MetaRange %u", unsigned(getId()));
    setName(name);
    initControl(kControlHasTimerBit, 3, kPorts, 0, nullptr, kColourCount, kColourNames,
                kGraphicCount, kGraphicNames, true);
}

AM_View_MetaRange::~AM_View_MetaRange() = default;

AM_ViewControl* AM_View_MetaRange::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* range = new AM_View_MetaRange(viewMan, bounds);
    range->setFactory(&AM_View_MetaRange::create);
    return range;
}

const char* AM_View_MetaRange::getTypeName() const
{
    return kTypeName;
}

int32_t AM_View_MetaRange::getPresetCounter()
{
    return g_presetCounter;
}

void AM_View_MetaRange::resetProcessState()
{
    g_presetCounter = 0;
}

float AM_View_MetaRange::readEngine(const AM_ParamInfo* parameter, float fallback) const
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host == nullptr || parameter == nullptr) {
        return fallback;
    }
    return AM_readFloat(host->getParameterValue(static_cast<int32_t>(parameter->index)), fallback);
}

void AM_View_MetaRange::writeEngine(const AM_ParamInfo* parameter, float value)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host == nullptr || parameter == nullptr) {
        return;
    }
    const int32_t index = static_cast<int32_t>(parameter->index);
    host->setParameterValue(index, &value);
    host->parameterChanged(index, &value, false);
}

void AM_View_MetaRange::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (parameter != nullptr && i == kUpperPort) {
        upperMinimum_ = parameter->min;
        upperMaximum_ = parameter->max;
        upperDefault_ = parameter->defaultValue;
        metaSource_ = nullptr;
        const int32_t n = slotNumberOf(parameter->shortName);
        const int32_t meta = n >= 0 ? n / 10 : 0;
        AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
        if (meta >= 1 && meta <= kMetaCount && host != nullptr) {
            metaSource_ = host->findParameter(kMetaModule, kMetaSources[meta - 1]);
            metaValue_ = readEngine(metaSource_, 0.0f);
        }
    } else if (parameter != nullptr && i == kLowerPort) {
        lowerMinimum_ = parameter->min;
        lowerMaximum_ = parameter->max;
        lowerDefault_ = parameter->defaultValue;
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_MetaRange::show(int32_t i, float value)
{
    AM_ViewControl::setParameterValue(i, &value);
}

void AM_View_MetaRange::clearTarget()
{
    target_ = nullptr;
    bipolar_ = 0;
    upperMinimum_ = lowerMinimum_ = -100.0f;
    upperMaximum_ = lowerMaximum_ = 100.0f;
    upperValue_ = lowerValue_ = 0.0f;
}

void AM_View_MetaRange::takeTarget(float index)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    // An index that no parameter can have leaves no target.
    if (host == nullptr || !(index < static_cast<float>(INT32_MAX))) {
        target_ = nullptr;
        return;
    }
    target_ = host->getParameterInfo(static_cast<int32_t>(index));
    if (target_ == nullptr) {
        return;
    }
    const float r = std::fabs(target_->max - target_->min);
    bipolar_ = target_->max == -target_->min ? 1 : 0;
    // The offsets' ranges are this control's own: the descriptors of the
    // bound parameters are shared with the engine and stay as they are.
    upperMinimum_ = lowerMinimum_ = -r;
    upperMaximum_ = lowerMaximum_ = r;
    upperDefault_ = lowerDefault_ = 0.0f;
    upperValue_ = AM_within(upperValue_, -r, r);
    lowerValue_ = AM_within(lowerValue_, -r, r);
    targetValue_ = readEngine(target_, targetValue_);
    show(kUpperPort, upperValue_);
    show(kLowerPort, lowerValue_);
}

void AM_View_MetaRange::setParameterValue(int32_t i, const void* value)
{
    const float v = AM_readFloat(value, 0.0f);
    if (i == kUpperPort) {
        upperValue_ = v;
    } else if (i == kLowerPort) {
        lowerValue_ = v;
    } else if (i == kParamPort) {
        if (!(v >= 0.0f)) {
            clearTarget();
            show(kUpperPort, upperValue_);
            show(kLowerPort, lowerValue_);
        } else {
            takeTarget(std::trunc(v));
        }
    }
    AM_ViewControl::setParameterValue(i, value);
}

void AM_View_MetaRange::onTimer()
{
    if (!isVisible()) {
        return;
    }
    bool changed = false;
    if (target_ != nullptr) {
        const float v = readEngine(target_, targetValue_);
        if (v != targetValue_) {
            targetValue_ = v;
            changed = true;
        }
    }
    if (metaSource_ != nullptr) {
        const float v = readEngine(metaSource_, metaValue_);
        if (v != metaValue_) {
            metaValue_ = v;
            changed = true;
        }
    }
    if (changed) {
        redraw();
    }
}

float AM_View_MetaRange::upperHandleX() const
{
    return bounds_.x + kHalfHandle +
           (bounds_.w - kTravelReduction) *
               AM_fractionOf(upperValue_, upperMinimum_, upperMaximum_);
}

float AM_View_MetaRange::lowerHandleX() const
{
    return bounds_.x + kHalfHandle +
           (bounds_.w - kTravelReduction) *
               AM_fractionOf(lowerValue_, lowerMinimum_, lowerMaximum_);
}

float AM_View_MetaRange::stripWidth() const
{
    return std::max(0.0f, bounds_.w - kTravelReduction);
}

AM_Rect AM_View_MetaRange::targetRect() const
{
    if (target_ == nullptr) {
        return {bounds_.x, bounds_.y, 0, 0};
    }
    float gw = stripWidth();
    float gh = std::round(bounds_.h / 3);
    if (const AM_Graphic* graphic = getGraphic(kUniPolar + bipolar_)) {
        gw = graphic->getWidth();
        gh = graphic->getHeight();
    }
    const float f = AM_fractionOf(targetValue_, target_->min, target_->max);
    return {bounds_.x + bounds_.w / 2 - gw * f, bounds_.y + (bounds_.h - gh) / 2, gw, gh};
}

float AM_View_MetaRange::metaLineOffset() const
{
    float e = 0.0f;
    if (metaValue_ >= 0.0f) {
        e = upperMaximum_ != 0.0f ? metaValue_ * upperValue_ / upperMaximum_ : 0.0f;
    } else {
        e = lowerMinimum_ != 0.0f ? metaValue_ / lowerMinimum_ * lowerValue_ : 0.0f;
    }
    const float offset = (bounds_.w - kTravelReduction) * e * kMetaLineScale;
    return std::isfinite(offset) ? offset : 0.0f;
}

void AM_View_MetaRange::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    bool anySlot = false;
    for (int32_t k = 0; k < kColourCount; ++k) {
        anySlot = anySlot || getColour(k) != nullptr;
    }
    for (int32_t k = 0; k < kGraphicCount; ++k) {
        anySlot = anySlot || getGraphic(k) != nullptr;
    }
    if (!anySlot) {
        drawGenerated(context);
        return;
    }
    const AM_Rect& b = bounds_;
    if (AM_Colour* fill = getColour(kBackground)) {
        context->setColourFromObject(fill);
        context->fillRect(&b);
    }
    if (AM_Graphic* background = getGraphic(kRangeBackground)) {
        background->draw(context, &b, 1.0f);
    }
    if (target_ != nullptr) {
        const AM_Rect place = targetRect();
        if (AM_Graphic* graphic = getGraphic(kUniPolar + bipolar_)) {
            graphic->draw(context, &place, 1.0f);
        } else {
            drawStrip(context, place);
        }
    }
    const float cx = b.x + b.w / 2;
    const float cy = b.y + b.h / 2;
    AM_Colour* line = getColour(kMetaLine);
    if (target_ != nullptr && metaSource_ != nullptr && line != nullptr) {
        context->setColourFromObject(line);
        const float from[2] = {cx, cy};
        const float to[2] = {cx + metaLineOffset(), cy};
        context->drawLine(from, to, kLineWidth);
    }
    if (AM_Colour* border = getColour(kBorder)) {
        context->setColourFromObject(border);
        const float x0 = b.x + 0.5f;
        const float y0 = b.y + 0.5f;
        const float x1 = x0 + b.w - 1;
        const float y1 = y0 + b.h - 1;
        const float frame[] = {x0, y0, x1, y0, x1, y1, x0, y1};
        context->drawPolyline(frame, 4, kLineWidth, true);
        const float top[2] = {cx, b.y + 0.5f};
        const float bottom[2] = {cx, b.y + b.h - 0.5f};
        context->drawLine(top, bottom, kLineWidth);
    }
    if (AM_Colour* value = getColour(kValue)) {
        context->setColourFromObject(value);
        const float ux = upperHandleX();
        const float lx = lowerHandleX();
        const float upper[] = {ux - kHalfHandle, b.y, ux, b.y + b.h / 2, ux + kHalfHandle, b.y};
        const float lower[] = {lx + kHalfHandle, b.y + b.h,        lx,
                               b.y + b.h / 2,    lx - kHalfHandle, b.y + b.h};
        context->fillPolygon(upper, 3);
        context->fillPolygon(lower, 3);
    }
}

void AM_View_MetaRange::drawStrip(AM_Context* context, const AM_Rect& strip)
{
    if (strip.w <= 0 || strip.h <= 0 || target_ == nullptr) {
        return;
    }
    context->pushClip();
    context->intersectClip(&bounds_);
    context->setColourPacked(kStripEdgeColour);
    context->fillRect(&strip);
    const AM_Rect inside{strip.x + 1, strip.y + 1, std::max(0.0f, strip.w - 2),
                         std::max(0.0f, strip.h - 2)};
    context->setColourPacked(kStripColour);
    context->fillRect(&inside);
    // The part of the strip left of the centre line is the target's value:
    // from the low end, or from zero for a target around zero.
    const float centre = bounds_.x + bounds_.w / 2;
    const float from = bipolar_ != 0 ? strip.x + strip.w / 2 : inside.x;
    const float left = std::min(from, centre);
    const float right = std::max(from, centre);
    const AM_Rect level{left, inside.y, std::max(0.0f, right - left), inside.h};
    context->setColourPacked(kStripFillColour);
    context->fillRect(&level);
    context->setColourPacked(kTickColour);
    for (int k = 0; k <= kTicks; ++k) {
        const float x = std::round(strip.x + strip.w * k / kTicks) + 0.5f;
        const bool major = k == 0 || k == kTicks || 2 * k == kTicks;
        const float t0[2] = {x, inside.y + inside.h};
        const float t1[2] = {x, inside.y + inside.h - (major ? inside.h / 2 : inside.h / 4)};
        context->drawLine(t0, t1, 1.0f);
    }
    context->popClip();
}

void AM_View_MetaRange::drawGenerated(AM_Context* context)
{
    const AM_Rect& b = bounds_;
    if (b.w < kTravelReduction || b.h < kTravelReduction) {
        return;
    }
    context->setColourPacked(kEdgeColour);
    context->fillRect(&b);
    const AM_Rect body{b.x + 1, b.y + 1, b.w - 2, b.h - 2};
    context->setColourPacked(kBodyColour);
    context->fillRect(&body);
    if (target_ != nullptr) {
        drawStrip(context, targetRect());
    }
    const float cx = b.x + b.w / 2;
    const float cy = b.y + b.h / 2;
    context->setColourPacked(kCentreColour);
    const float top[2] = {cx, b.y + 1};
    const float bottom[2] = {cx, b.y + b.h - 1};
    context->drawLine(top, bottom, 1.0f);
    if (target_ != nullptr && metaSource_ != nullptr) {
        context->setColourPacked(kMetaColour);
        const float from[2] = {cx, cy};
        const float to[2] = {cx + metaLineOffset(), cy};
        context->drawLine(from, to, 2.0f);
    }
    context->setColourPacked(kHandleColour);
    const float ux = upperHandleX();
    const float lx = lowerHandleX();
    const float upper[] = {ux - kHalfHandle, b.y, ux, b.y + b.h / 2, ux + kHalfHandle, b.y};
    const float lower[] = {lx + kHalfHandle, b.y + b.h,        lx,
                           b.y + b.h / 2,    lx - kHalfHandle, b.y + b.h};
    context->fillPolygon(upper, 3);
    context->fillPolygon(lower, 3);
}

bool AM_View_MetaRange::onMouseDown(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr) {
        return false;
    }
    pressPoint_[0] = point[0];
    pressPoint_[1] = point[1];
    const float ux = upperHandleX() - point[0];
    const float uy = bounds_.y - point[1];
    const float lx = lowerHandleX() - point[0];
    const float ly = bounds_.y + bounds_.h - point[1];
    const float upper = ux * ux + uy * uy;
    const float lower = lx * lx + ly * ly;
    if (std::min(upper, lower) < kGrabDistanceSquared) {
        dragMode_ = upper <= lower ? kDragUpper : kDragLower;
    }
    if (target_ != nullptr) {
        const AM_Rect strip = targetRect();
        if (point[0] >= strip.x && point[0] < strip.x + strip.w && point[1] >= strip.y &&
            point[1] < strip.y + strip.h) {
            dragMode_ = kDragTarget;
            dragStartValue_ = targetValue_;
        }
    }
    return true;
}

void AM_View_MetaRange::userSets(int32_t i, float value)
{
    setValueFromUser(i, &value);
}

void AM_View_MetaRange::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[0])) {
        return;
    }
    const float travel = bounds_.w - kTravelReduction;
    if (!(travel > 0.0f)) {
        return;
    }
    const float f = std::clamp((point[0] - (bounds_.x + kMargin)) / travel, 0.0f, 1.0f);
    switch (dragMode_) {
    case kDragUpper: {
        const float v = upperMinimum_ + f * (upperMaximum_ - upperMinimum_);
        if (v != upperValue_) {
            userSets(kUpperPort, v);
        }
        break;
    }
    case kDragLower: {
        const float v = lowerMinimum_ + f * (lowerMaximum_ - lowerMinimum_);
        if (v != lowerValue_) {
            userSets(kLowerPort, v);
        }
        break;
    }
    case kDragTarget:
        if (target_ != nullptr && point[0] != pressPoint_[0]) {
            const float range = target_->max - target_->min;
            const float v =
                AM_within(dragStartValue_ - range / travel * (point[0] - pressPoint_[0]),
                          target_->min, target_->max);
            if (v != targetValue_) {
                writeEngine(target_, v);
                targetValue_ = v;
                redraw();
            }
        }
        break;
    default:
        break;
    }
}

void AM_View_MetaRange::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    if ((state_ & kStateEditMode) == 0) {
        int32_t preset = 0;
        if (target_ != nullptr) {
            preset = g_presetCounter;
            g_presetCounter = (g_presetCounter + 1) % kPresetCount;
        }
        if (preset == 0) {
            userSets(kUpperPort, upperDefault_);
            userSets(kLowerPort, lowerDefault_);
        } else {
            const float low = target_->min - targetValue_;
            const float high = target_->max - targetValue_;
            userSets(kUpperPort, preset == 1 ? low : high);
            userSets(kLowerPort, preset == 1 ? high : low);
        }
    }
    if (viewMan_ != nullptr) {
        entry_[0] = '\0';
        viewMan_->beginTextEntry(this, kEntryId, entry_, kEntryBytes, nullptr);
    }
}

bool AM_View_MetaRange::bindSlot(int32_t n)
{
    const int32_t meta = n / 10;
    const int32_t slot = n % 10;
    if (meta < 1 || meta > kMetaCount || slot < 1 || slot > kSlotCount) {
        return false;
    }
    static const char* const kPortNames[] = {"Upper", "Lower", "Param"};
    static const char* const kPatterns[] = {"ML%d%d", "MR%d%d", "MT%d%d"};
    bool all = true;
    for (int k = 0; k < 3; ++k) {
        char name[16];
        AM_STD::sprintn(name, sizeof name, kPatterns[k], meta, slot);
        all = connectParameter(kPortNames[k], kMetaModule, name, kGenericValueToString) && all;
    }
    return all;
}

void AM_View_MetaRange::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    if (message == kCtlMsgRename && (state_ & kStateEditMode) != 0 && !isRenamePending() &&
        ptr != nullptr) {
        char text[kEntryBytes] = {};
        const char* entered = static_cast<const char*>(ptr);
        std::memcpy(text, entered, strnlen(entered, kEntryBytes - 1));
        char* end = nullptr;
        errno = 0;
        const long n = std::strtol(text, &end, 10);
        if (end != text && errno == 0 && n >= 0 && n <= INT32_MAX) {
            bindSlot(static_cast<int32_t>(n));
        }
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

bool AM_View_MetaRange::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                          const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}
