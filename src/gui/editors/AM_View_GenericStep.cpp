#include "gui/editors/AM_View_GenericStep.h"

#include "foundation/AM_STD.h"
#include "gui/editors/AM_BlockPort.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_MenuTable.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kStepTypes[] = {0x104};
constexpr uint32_t kMeterTypes[] = {k_meter};
constexpr uint32_t kIntTypes[] = {k_kindInteger};
const AM_PortDescriptor kPorts[] = {{0, "Steps", 1, kStepTypes},   {1, "Meter", 1, kMeterTypes},
                                    {2, "NumSteps", 1, kIntTypes}, {3, "StepMode", 1, kIntTypes},
                                    {4, "WaveMode", 1, kMeterTypes}, {5, "WaveVal", 1, kMeterTypes}};

enum ColourSlot : int32_t { kBackground = 0, kBorder, kDot, kLine, kText, kSelectDot, kMeterColour };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border",    "Dot",  "Line",
                                                "Text",       "SelectDot", "Meter"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"Background"};

constexpr int kCountTable[AM_View_GenericStep::kCountTableSize] = {
    2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 24, 32, 48, 64, 96, 128};
constexpr const char* kCountTexts[AM_View_GenericStep::kCountTableSize] = {
    "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "16", "24", "32", "48", "64", "96", "128"};
constexpr int kQuantize[] = {4, 6, 8, 12, 16, 24};

constexpr uint32_t kSecondary = 2;
constexpr uint32_t kAlt = 8;

uint32_t gRandomA = 0;
uint32_t gRandomB = 0;
float gClipboard[AM_View_GenericStep::kMaxSteps] = {};
bool gClipboardFilled = false;

float limit(float v)
{
    return std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
}

int toInt(float v, int lo, int hi)
{
    if (!std::isfinite(v))
        return lo;
    return int(std::trunc(std::clamp(v, float(lo), float(hi))));
}

} // namespace

void AM_View_GenericStep::resetProcessState()
{
    gRandomA = 0;
    gRandomB = 0;
    std::fill(std::begin(gClipboard), std::end(gClipboard), 0.0f);
    gClipboardFilled = false;
}

float AM_View_GenericStep::nextRandom()
{
    gRandomA += 0x3336A4C3u;
    gRandomB = (gRandomB ^ 0x8C52Fu) + gRandomA;
    const uint32_t bits = (127u << 23) | (gRandomB & 0x7FFFFFu);
    float u = 0;
    std::memcpy(&u, &bits, sizeof u);
    return u - 1.0f;
}

int AM_View_GenericStep::countFromTable(int index)
{
    return kCountTable[std::clamp(index, 0, kCountTableSize - 1)];
}

AM_View_GenericStep::AM_View_GenericStep(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "GenericStep %u", unsigned(getId()));
    setName(name);
    initControl(0, 6, kPorts, 0, nullptr, 7, kColourNames, 1, kGraphicNames, true);
    for (float& s : steps_)
        s = 2.0f * nextRandom() - 1.0f;
    refreshArea();
}

AM_ViewControl* AM_View_GenericStep::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* view = new AM_View_GenericStep(viewMan, bounds);
    view->setFactory(&AM_View_GenericStep::create);
    return view;
}

const char* AM_View_GenericStep::getTypeName() const
{
    return "GenericStep";
}

void AM_View_GenericStep::refreshArea()
{
    area_ = AM_Rect{bounds_.x + 5, bounds_.y + 5, bounds_.w - 10, bounds_.h - 10};
}

float AM_View_GenericStep::width()
{
    stepWidth_ = std::trunc(area_.w / float(std::max(count_, 1)));
    return stepWidth_;
}

bool AM_View_GenericStep::bound(int32_t port)
{
    const AM_PortRecord* record = getPort(port);
    return record != nullptr && record->parameter != nullptr;
}

const float* AM_View_GenericStep::currentValue(int32_t port)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host == nullptr || !bound(port))
        return nullptr;
    return static_cast<const float*>(
        host->getParameterValue(int32_t(getPort(port)->parameter->index)));
}

void AM_View_GenericStep::setCount(int count)
{
    count_ = std::clamp(count, 1, kMaxSteps);
}

void AM_View_GenericStep::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (i == kSteps && parameter != nullptr && table_ == 0 && std::isfinite(parameter->max))
        setCount(toInt(parameter->max, 0, 1 << 20) / 4);
    if (i == kNumSteps) {
        table_ = parameter != nullptr && parameter->max > 16.0f && parameter->max < 32.0f ? 1 : 0;
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_GenericStep::setParameterValue(int32_t i, const void* value)
{
    if (value != nullptr && i == kSteps && value != steps_) {
        const AM_PortRecord* port = getPort(kSteps);
        // Never more than the view holds, whatever the block declares.
        int bytes = kBlockBytes;
        if (port != nullptr && port->parameter != nullptr)
            bytes = std::min(toInt(port->parameter->max, 0, kBlockBytes), kBlockBytes);
        const int copied = bytes / 4;
        std::memcpy(steps_, value, size_t(copied) * 4);
        for (int s = 0; s < copied; ++s)
            steps_[s] = limit(steps_[s]);
    } else if (value != nullptr && (i == kNumSteps || i == kStepMode)) {
        float v = 0;
        std::memcpy(&v, value, sizeof v);
        if (i == kNumSteps) {
            const int old = count_;
            setCount(table_ != 0 ? countFromTable(toInt(v, 0, kCountTableSize - 1))
                                 : toInt(v, 1, kMaxSteps));
            if (old != count_)
                redraw();
        } else {
            const int old = mode_;
            mode_ = toInt(v, -1000, 1000);
            if (old != mode_)
                redraw();
        }
    }
    AM_ViewControl::setParameterValue(i, value);
}

void AM_View_GenericStep::sendValueToParameter(int32_t i, const void* value)
{
    if (i != kSteps) {
        AM_ViewControl::sendValueToParameter(i, value);
        return;
    }
    const AM_PortRecord* port = getPort(kSteps);
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (port == nullptr || port->parameter == nullptr || host == nullptr || value == nullptr)
        return;
    host->setParameterValue(int32_t(port->parameter->index), value);
    AM_InfoLine* line = viewMan_->getInfoLine(0);
    if (line == nullptr)
        return;
    const int s = std::clamp(infoStep_, 0, count_ - 1);
    line->subject = host->getModuleInfoByIndex(port->parameter->moduleIndex);
    AM_STD::sprintn(line->title, sizeof line->title, "%s", "Step Value");
    AM_STD::sprintn(line->text, sizeof line->text, "#%d=%.2f", s + 1, double(steps_[s] * 100.0f));
    viewMan_->showInfoLine(0, true);
}

void AM_View_GenericStep::sendSteps()
{
    AM_sendBlock(this, kSteps, steps_, sizeof steps_);
}

// --- Geometry.

void AM_View_GenericStep::stepToPoint(int step, float* x, float* y)
{
    const float w = width();
    const float v = step >= 0 && step < kMaxSteps ? steps_[step] : 0.0f;
    *x = float(step) * w + area_.x;
    *y = area_.y + area_.h / 2 - (area_.h / 2) * v;
}

void AM_View_GenericStep::pointToStep(float x, float y, int* step, float* value)
{
    const float w = width();
    const float s = w > 0 ? (x - area_.x) / w : -1.0f;
    *step = std::isfinite(s) ? int(std::trunc(std::clamp(s, -1e6f, 1e6f))) : -1;
    const float half = area_.h / 2;
    *value = half > 0 ? ((area_.y + half) - y) / half : 0.0f;
    if (!std::isfinite(*value))
        *value = 0.0f;
}

// --- Gestures.

bool AM_View_GenericStep::onMouseDown(const float* point, uint32_t buttons)
{
    if (showSteps_ == 0 || !bound(kSteps))
        return false;
    refreshArea();
    if ((buttons & kSecondary) != 0) {
        openMenu(point);
        return true;
    }
    locked_ = -1;
    pointer_[0] = point[0];
    pointer_[1] = point[1];
    float x = point[0];
    if (mode_ == 1)
        x += width() / 2;
    pointToStep(x, point[1], &previousStep_, &previousValue_);
    altDrag_ = (buttons & kAlt) != 0 ? 1 : 0;
    if (altDrag_ != 0)
        previousValue_ = 0.0f;
    if (mode_ == 2) {
        if (stepWidth_ < 6) {
            if (std::abs(previousStep_ - playingStep_) <= 5 &&
                std::fabs(previousValue_ - steps_[std::clamp(playingStep_, 0, kMaxSteps - 1)]) <= 0.5f)
                locked_ = playingStep_;
        } else if (previousStep_ == playingStep_) {
            locked_ = playingStep_;
        }
        if (locked_ >= 0)
            previousStep_ = locked_;
    }
    if (previousStep_ >= 0 && previousStep_ < count_) {
        const float v = limit(previousValue_);
        infoStep_ = previousStep_;
        if (v != steps_[previousStep_]) {
            steps_[previousStep_] = v;
            sendSteps();
        }
    }
    return true;
}

void AM_View_GenericStep::dragTo(const float* point)
{
    float x = point[0];
    if (mode_ == 1)
        x += width() / 2;
    int current = 0;
    float value = 0;
    pointToStep(x, point[1], &current, &value);
    if (altDrag_ != 0)
        value = 0.0f;
    if (locked_ >= 0)
        current = locked_;
    const int lo = std::min(previousStep_, current);
    const int hi = std::max(previousStep_, current);
    for (int s = std::max(lo, 0); s <= std::min(hi, count_ - 1); ++s) {
        float v = value;
        if (hi != lo)
            v = previousValue_ +
                (value - previousValue_) * float(s - previousStep_) / float(current - previousStep_);
        steps_[s] = limit(v);
    }
    infoStep_ = current;
    previousStep_ = current;
    previousValue_ = value;
    sendSteps();
}

void AM_View_GenericStep::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (showSteps_ != 0 && bound(kSteps))
        dragTo(point);
}

void AM_View_GenericStep::onMouseUp(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (showSteps_ != 0 && bound(kSteps))
        dragTo(point);
    locked_ = -1;
}

void AM_View_GenericStep::onTimer()
{
    if (!isVisible())
        return;
    const uint32_t old = showSteps_;
    if (const float* mode = currentValue(kWaveMode))
        showSteps_ = std::isfinite(*mode) && std::trunc(*mode) != 0.0f ? 1 : 0;
    else if (!bound(kWaveMode))
        showSteps_ = 1;
    if (old != showSteps_)
        redraw();
    const float* meter = currentValue(kMeter);
    if (showSteps_ != 0) {
        if (meter != nullptr) {
            float v = *meter;
            const AM_ParamInfo* p = getPort(kMeter)->parameter;
            if (!std::isfinite(v) || v > p->max)
                v = p->min;
            playingValue_ = v;
            const int oldStep = playingStep_;
            playingStep_ = toInt(v, -1, kMaxSteps);
            if (oldStep != playingStep_)
                redraw();
        }
        if (bound(kSteps))
            return;
    }
    if (meter != nullptr) {
        if (std::isfinite(*meter) && std::fabs(*meter - wavePosition_) > 0.002f) {
            wavePosition_ = *meter;
            redraw();
        }
        if (const float* wave = currentValue(kWaveValue))
            waveValue_ = std::isfinite(*wave) ? *wave : 0.0f;
    }
}

// --- Menu.

void AM_View_GenericStep::openMenu(const float* point)
{
    if (viewMan_ == nullptr)
        return;
    viewMan_->beginMenu(this, point, kRunMenuId);
    auto add = [this](const char* text, uint32_t sub) {
        viewMan_->addMenuItem(0, AM_menuCommand(sub, kMenuCodeOwnCommand), text);
    };
    auto separator = [this]() {
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    };
    add("copy", kCopy);
    if (gClipboardFilled)
        add("paste", kPaste);
    separator();
    add("randomize", kRandomize);
    add("soften", kSoften);
    add("normalize", kNormalize);
    add("straighten", kStraighten);
    add("reset", kReset);
    separator();
    for (int k = 0; k < 6; ++k) {
        char text[16];
        std::snprintf(text, sizeof text, "Quantize %d", kQuantize[k]);
        add(text, kFirstQuantize + uint32_t(k));
    }
    if (bound(kNumSteps) && table_ != 0) {
        separator();
        for (int k = 0; k < kCountTableSize; ++k)
            add(kCountTexts[k], kFirstCount + uint32_t(k));
    }
    // The chosen item comes back through handleMenuCommand.
    viewMan_->showMenu();
}

bool AM_View_GenericStep::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                            const AM_MenuItem* item)
{
    if (!valid || item == nullptr || AM_menuCode(item->command) != kMenuCodeOwnCommand ||
        (menuId != kRunMenuId && menuId != kEditMenuId))
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kEditMenuId) {
        if (sub == 1) {
            redraw();
            return true;
        }
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
    if (sub >= kFirstCount) {
        const float index = float(sub - kFirstCount);
        setValueFromUser(kNumSteps, &index);
        return true;
    }
    switch (sub) {
    case kCopy:
        for (int s = 0; s < kMaxSteps; ++s)
            gClipboard[s] = s < count_ ? steps_[s] : 0.0f;
        gClipboardFilled = true;
        break;
    case kPaste:
        std::copy(std::begin(gClipboard), std::end(gClipboard), steps_);
        break;
    case kRandomize:
        for (float& s : steps_)
            s = limit(s + nextRandom() - 0.5f);
        break;
    case kSoften: {
        float old[kMaxSteps];
        std::copy(std::begin(steps_), std::end(steps_), old);
        for (int s = 1; s < kMaxSteps - 1; ++s)
            steps_[s] = 0.2f * (old[s - 1] + old[s + 1]) + 0.6f * old[s];
        break;
    }
    case kNormalize: {
        float lo = 1.0f, hi = -1.0f;
        for (int s = 0; s < count_; ++s) {
            lo = std::min(lo, steps_[s]);
            hi = std::max(hi, steps_[s]);
        }
        if (lo < hi) {
            for (int s = 0; s < count_; ++s)
                steps_[s] = limit((steps_[s] - (hi + lo) / 2) * 2 / (hi - lo));
        }
        break;
    }
    case kStraighten:
        if (count_ >= 2) {
            const float first = steps_[0];
            const float rise = (steps_[count_ - 1] - first) / float(count_ - 1);
            for (int s = 0; s < count_; ++s)
                steps_[s] = first + float(s) * rise;
        }
        break;
    case kReset:
        std::fill(std::begin(steps_), std::end(steps_), 0.0f);
        break;
    default:
        if (sub >= kFirstQuantize && sub <= kLastQuantize) {
            const float q = float(kQuantize[sub - kFirstQuantize]);
            for (float& s : steps_)
                s = std::trunc((s + 1) * q + 0.5f) / q - 1;
            break;
        }
        return true;
    }
    if (sub != kCopy)
        sendSteps();
    return true;
}

// --- Drawing.

bool AM_View_GenericStep::pickColour(AM_Context* context, int32_t slot)
{
    AM_Colour* colour = getColour(slot);
    if (colour == nullptr)
        return false;
    context->setColourFromObject(colour);
    return true;
}

void AM_View_GenericStep::drawDot(AM_Context* context, float x, float y)
{
    const AM_Rect dot{std::trunc(x) - 1, std::trunc(y) - 1, 3, 3};
    for (int k = 0; k < 4; ++k)
        context->fillRect(&dot);
}

void AM_View_GenericStep::drawHoldSteps(AM_Context* context)
{
    const float centre = area_.y + area_.h / 2;
    float x = 0, y = 0;
    if (pickColour(context, kLine)) {
        float from[2] = {area_.x, centre};
        for (int s = 0; s < count_; ++s) {
            stepToPoint(s, &x, &y);
            const float up[2] = {from[0], y};
            context->drawLine(from, up, 1.0f);
            const float across[2] = {x + stepWidth_, y};
            context->drawLine(up, across, 1.0f);
            from[0] = across[0];
            from[1] = across[1];
        }
        const float back[2] = {from[0], centre};
        context->drawLine(from, back, 1.0f);
    }
    for (int s = 0; s < count_; ++s) {
        stepToPoint(s, &x, &y);
        if ((s == playingStep_ && pickColour(context, kMeterColour)) || pickColour(context, kDot))
            drawDot(context, x, y);
    }
}

void AM_View_GenericStep::drawLines(AM_Context* context)
{
    float x = 0, y = 0;
    if (pickColour(context, kLine)) {
        float from[2] = {0, 0};
        for (int s = 0; s < count_; ++s) {
            stepToPoint(s, &x, &y);
            const float to[2] = {x + 0.5f, y + 0.5f};
            if (s == 0) {
                from[0] = to[0];
                from[1] = to[1];
            }
            context->drawLine(from, to, 1.0f);
            from[0] = to[0];
            from[1] = to[1];
        }
        float x0 = 0, y0 = 0;
        stepToPoint(0, &x0, &y0);
        const float wrap[2] = {from[0] + stepWidth_, y0 + 0.5f};
        context->drawLine(from, wrap, 1.0f);
    }
    for (int s = 0; s < count_; ++s) {
        stepToPoint(s, &x, &y);
        if ((s == playingStep_ && pickColour(context, kMeterColour)) || pickColour(context, kDot))
            drawDot(context, x, y);
    }
}

void AM_View_GenericStep::drawBars(AM_Context* context)
{
    const float centre = area_.y + area_.h / 2;
    float x = 0, y = 0;
    if (getColour(kLine) != nullptr) {
        for (int s = 0; s < count_; ++s) {
            stepToPoint(s, &x, &y);
            if (!(s == playingStep_ && pickColour(context, kMeterColour)))
                pickColour(context, kLine);
            float lineWidth = 1.0f;
            float at = x + 0.5f;
            if (stepWidth_ >= 3) {
                lineWidth = std::floor(stepWidth_ - 1);
                at = std::floor(x + 0.5f) + lineWidth / 2;
            }
            const float a[2] = {at, centre};
            const float b[2] = {at, y};
            context->drawLine(a, b, lineWidth);
        }
    }
    for (int s = 0; s < count_; ++s) {
        stepToPoint(s, &x, &y);
        if ((s == playingStep_ && pickColour(context, kMeterColour)) || pickColour(context, kDot))
            drawDot(context, x, y);
    }
}

void AM_View_GenericStep::draw(AM_Context* context)
{
    if (context == nullptr)
        return;
    refreshArea();
    const AM_Rect& b = bounds_;
    if (pickColour(context, kBackground))
        context->fillRect(&b);
    if (pickColour(context, kBorder)) {
        const float frame[8] = {b.x + 0.5f,       b.y + 0.5f,       b.x + b.w - 0.5f,
                                b.y + 0.5f,       b.x + b.w - 0.5f, b.y + b.h - 0.5f,
                                b.x + 0.5f,       b.y + b.h - 0.5f};
        context->drawPolyline(frame, 4, 0.8f, true);
    }
    if (AM_Graphic* graphic = getGraphic(0))
        graphic->draw(context, &b, 1.0f);
    if (pickColour(context, kDot)) {
        const float y = b.y + 2.5f + (b.h - 5) / 2;
        const float p0[2] = {b.x + 2.5f, y};
        const float p1[2] = {b.x + b.w - 2.5f, y};
        context->drawLine(p0, p1, 0.5f);
    }
    if (showSteps_ != 0 && bound(kSteps)) {
        switch (mode_) {
        case 0:
            drawHoldSteps(context);
            break;
        case 1:
            drawLines(context);
            break;
        case 2:
            drawBars(context);
            break;
        default:
            AM_STD::printv("unknown step mode in generic Step view\n");
            break;
        }
        return;
    }
    AM_Colour* dot = getColour(kDot);
    if (dot == nullptr)
        return;
    float lo = -1.0f, hi = 1.0f;
    if (bound(kWaveValue)) {
        lo = getPort(kWaveValue)->parameter->min;
        hi = getPort(kWaveValue)->parameter->max;
    }
    const float range = hi - lo != 0.0f ? hi - lo : 1.0f;
    auto level = [&](float v) { return b.y + 2.5f + (hi - v) / range * (b.h - 5); };
    for (int k = kTrail - 1; k > 0; --k) {
        trailX_[k] = trailX_[k - 1];
        trailY_[k] = trailY_[k - 1];
    }
    trailX_[0] = b.x + 2.5f + (b.w - 5) * wavePosition_;
    trailY_[0] = level(waveValue_);
    const float zero = level(0.0f);
    float alpha = dot->a;
    for (int k = 1; k < kTrail; ++k) {
        alpha *= 0.7f;
        context->setColour(dot->r, dot->g, dot->b, alpha);
        const float p0[2] = {trailX_[k], zero};
        const float p1[2] = {trailX_[k], trailY_[k]};
        context->drawLine(p0, p1, 2.0f);
    }
    context->setColourFromObject(dot);
    const float p0[2] = {trailX_[0], zero};
    const float p1[2] = {trailX_[0], trailY_[0]};
    context->drawLine(p0, p1, 2.0f);
}
