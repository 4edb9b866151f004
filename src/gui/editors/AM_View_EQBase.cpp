#include "gui/editors/AM_View_EQBase.h"

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_MenuTable.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kSetTypes[] = {k_kindFloat};
constexpr uint32_t kMeterTypes[] = {k_meter};
constexpr uint32_t kModeTypes[] = {k_kindInteger};

constexpr uint32_t kSecondary = 2;
constexpr uint32_t kAlt = 8;

enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kValue = 2, kMeter = 3 };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Value", "Meter"};

constexpr float kFrequencyLimit = 100.0f;
constexpr float kWidthLimit = 100.0f;

constexpr const char* kModeTexts[] = {"EQ", "Peaks", "Filter", "Bandpasses", "panned BPs"};

using PortTable = std::array<AM_PortDescriptor, AM_View_EQBase::kMaxPorts>;

// The ports of a view of `bands` bands.
PortTable makePorts(int bands)
{
    PortTable table{};
    int32_t count = 0;
    auto add = [&](const char* name, const uint32_t* types) {
        AM_PortDescriptor& d = table[size_t(count)];
        d.index = uint32_t(count);
        std::snprintf(d.name, sizeof d.name, "%s", name);
        d.typeCount = 1;
        d.types = types;
        ++count;
    };
    for (int pass = 0; pass < 2; ++pass) {
        const char* suffix = pass == 0 ? "" : " M";
        const uint32_t* types = pass == 0 ? kSetTypes : kMeterTypes;
        char name[AM_PortDescriptor::kNameBytes];
        const char* kinds[] = {"Freq", "Gain"};
        for (const char* kind : kinds) {
            for (int b = 0; b < bands; ++b) {
                if (b == 0)
                    std::snprintf(name, sizeof name, "%s LowShelf%s", kind, suffix);
                else if (b == bands - 1)
                    std::snprintf(name, sizeof name, "%s HiShelf%s", kind, suffix);
                else
                    std::snprintf(name, sizeof name, "%s Mid%d%s", kind, b, suffix);
                add(name, types);
            }
        }
        for (int b = 0; b < bands; ++b) {
            if (b == 0)
                std::snprintf(name, sizeof name, "S/Q Low%s", suffix);
            else if (b == bands - 1)
                std::snprintf(name, sizeof name, "S/Q High%s", suffix);
            else
                std::snprintf(name, sizeof name, "Q Mid%d%s", b, suffix);
            add(name, types);
        }
        std::snprintf(name, sizeof name, "Output Gain%s", suffix);
        add(name, types);
    }
    add("EQ Mode", kModeTypes);
    return table;
}

const AM_PortDescriptor* portsFor(int bands)
{
    static const PortTable four = makePorts(4);
    static const PortTable six = makePorts(6);
    return bands == 4 ? four.data() : six.data();
}

float clampFinite(float v, float lo, float hi)
{
    if (!std::isfinite(v))
        return v > 0 ? hi : (v < 0 ? lo : 0.0f);
    return std::clamp(v, lo, hi);
}

// The clipboards of the two classes: every set-value port in order.
float gClipboard4[3 * 4 + 1] = {};
float gClipboard6[3 * 6 + 1] = {};

} // namespace

AM_View_EQBase::AM_View_EQBase(AM_ViewMan* viewMan, const AM_Rect* bounds, int bands,
                               const char* typeName, const char (*graphicNames)[kGuiNameBytes],
                               const float* initialValues)
    : AM_ViewControl(viewMan, bounds), bands_(bands == 4 ? 4 : 6), typeName_(typeName)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "%s %u", typeName, unsigned(getId()));
    setName(name);
    initControl(0, modePort() + 1, portsFor(bands_), 0, nullptr, 4, kColourNames, bands_ + 2,
                graphicNames, true);
    std::copy(initialValues, initialValues + 2 * setPortCount(), values_);
}

const char* AM_View_EQBase::getTypeName() const
{
    return typeName_;
}

float* AM_View_EQBase::clipboard() const
{
    return bands_ == 4 ? gClipboard4 : gClipboard6;
}

void AM_View_EQBase::resetClipboards()
{
    std::fill(std::begin(gClipboard4), std::end(gClipboard4), 0.0f);
    std::fill(std::begin(gClipboard6), std::end(gClipboard6), 0.0f);
}

float AM_View_EQBase::value(int32_t port) const
{
    return port >= 0 && port < 2 * setPortCount() ? values_[port] : 0.0f;
}

const void* AM_View_EQBase::getValuePointer(int32_t port)
{
    return port >= 0 && port < setPortCount() ? &values_[port] : nullptr;
}

void AM_View_EQBase::setParameterValue(int32_t i, const void* value)
{
    if (value != nullptr && i >= 0 && i <= modePort()) {
        float v = 0.0f;
        std::memcpy(&v, value, sizeof v);
        if (!std::isfinite(v))
            v = 0.0f;
        if (i < 2 * setPortCount()) {
            values_[i] = v;
            if (i < setPortCount())
                dirty_ = 1;
        } else {
            // Rounded; far beyond any mode it is drawn as "EQ" anyway.
            const int rounded = int(std::trunc(std::clamp(v + 0.5f, -1000.0f, 1000.0f)));
            if (rounded != mode_)
                dirty_ = 1;
            mode_ = rounded;
        }
    }
    AM_ViewControl::setParameterValue(i, value);
}

void AM_View_EQBase::boundsChanged()
{
    dirty_ = 1;
    AM_ViewControl::boundsChanged();
}

// --- Builders.

void AM_View_EQBase::addPeak(AM_EQPoint* points, int n, float f, float amount, float q)
{
    ::addPeak(points, n, f, amount, q);
}

void AM_View_EQBase::addLowShelf(AM_EQPoint* points, int n, float f, float amount, float q)
{
    ::addLowShelf(points, n, f, amount, q);
}

void AM_View_EQBase::addHighShelf(AM_EQPoint* points, int n, float f, float amount, float q)
{
    ::addHighShelf(points, n, f, amount, q);
}

void AM_View_EQBase::addLowPass(AM_EQPoint* points, int n, float f, float amount, float q)
{
    ::addLowPass(points, n, f, amount, q);
}

void AM_View_EQBase::addHighPass(AM_EQPoint* points, int n, float f, float amount, float q)
{
    ::addHighPass(points, n, f, amount, q);
}

void AM_View_EQBase::addBandPass(AM_EQPoint* points, int n, float f, float amount, float q)
{
    ::addBandPass(points, n, f, amount, q);
}

void AM_View_EQBase::buildCurve(AM_EQPoint* points, bool current)
{
    const int offset = current ? setPortCount() : 0;
    const float outputGain = values_[offset + outputGainPort()];
    float baseline = bounds_.y + bounds_.h - kEQFilterBaselineInset;
    if (!bottomBaseline()) {
        baseline = bounds_.y + (bounds_.h - 1.0f) / 2.0f;
        if (current)
            baseline -= kEQPixelsPerGain * outputGain;
    }
    for (int i = 0; i < kEQPoints; ++i) {
        points[i].x = bounds_.x + leftMargin_ + kEQStep * float(i);
        points[i].y = baseline;
    }
    AM_EQShape shapes[kEQMaxBands];
    eqBandShapes(mode_, bands_, shapes);
    for (int b = 0; b < bands_; ++b) {
        float gain = values_[offset + gainPort(b)];
        if (current && bottomBaseline())
            gain += outputGain;
        const float f = values_[offset + frequencyPort(b)];
        const float amount = kEQPixelsPerGain * gain;
        const float q = values_[offset + widthPort(b)];
        switch (shapes[b]) {
        case kEQPeak:
            addPeak(points, kEQPoints, f, amount, q);
            break;
        case kEQLowShelf:
            addLowShelf(points, kEQPoints, f, amount, q);
            break;
        case kEQHighShelf:
            addHighShelf(points, kEQPoints, f, amount, q);
            break;
        case kEQLowPass:
            addLowPass(points, kEQPoints, f, amount, q);
            break;
        case kEQHighPass:
            addHighPass(points, kEQPoints, f, amount, q);
            break;
        case kEQBandPass:
            addBandPass(points, kEQPoints, f, amount, q);
            break;
        case kEQNone:
            break;
        }
    }
}

// --- Geometry.

float AM_View_EQBase::centreY() const
{
    return bounds_.y + (bounds_.h - 1.0f) / 2.0f;
}

bool AM_View_EQBase::handleRect(int handle, AM_Rect* rect) const
{
    if (handle < 0 || handle > bands_)
        return false;
    AM_Graphic* graphic = getGraphic(handle + 1);
    if (graphic == nullptr)
        return false;
    const float w = graphic->getWidth();
    const float h = graphic->getHeight();
    if (handle < bands_) {
        rect->x = bounds_.x + leftMargin_ + kEQStep * values_[frequencyPort(handle)] - w / 2;
        rect->y = centreY() - h / 2 - kEQPixelsPerGain * values_[gainPort(handle)];
    } else {
        const float g = std::clamp(values_[outputGainPort()], -kGainHandleLimit, kGainHandleLimit);
        rect->x = bounds_.x + bounds_.w - w;
        rect->y = centreY() - h / 2 - kEQPixelsPerGain * g;
    }
    rect->w = w;
    rect->h = h;
    return true;
}

int AM_View_EQBase::handleAt(const float* point) const
{
    for (int handle = 0; handle <= bands_; ++handle) {
        AM_Rect r{};
        if (handleRect(handle, &r) && point[0] >= r.x && point[0] <= r.x + r.w &&
            point[1] >= r.y && point[1] <= r.y + r.h)
            return handle;
    }
    return -1;
}

// --- Gestures.

bool AM_View_EQBase::onMouseDown(const float* point, uint32_t buttons)
{
    grabbed_ = -1;
    if ((buttons & kAlt) != 0) {
        // The engine's current values become the settings.
        for (int32_t p = 0; p < setPortCount(); ++p) {
            const float current = values_[currentPort(p)];
            setValueFromUser(p, &current);
        }
        return true;
    }
    rightButton_ = (buttons & kSecondary) != 0 ? 1 : 0;
    lastY_ = point[1];
    const int hit = handleAt(point);
    if (hit >= 0) {
        grabbed_ = hit;
        return true;
    }
    if (rightButton_ != 0)
        openMenu(point);
    return true;
}

void AM_View_EQBase::dragTo(const float* point)
{
    if (grabbed_ < 0 || grabbed_ > bands_)
        return;
    if (grabbed_ == bands_) {
        const float dy = point[1] - lastY_;
        if (dy == 0.0f)
            return;
        lastY_ = point[1];
        const float gain = clampFinite(values_[outputGainPort()] - dy * 0.5f, -kOutputGainLimit,
                                       kOutputGainLimit);
        setValueFromUser(outputGainPort(), &gain);
        return;
    }
    const int band = grabbed_;
    if (rightButton_ != 0) {
        const float dy = point[1] - lastY_;
        if (dy == 0.0f)
            return;
        lastY_ = point[1];
        const float width = clampFinite(values_[widthPort(band)] - dy, 0.0f, kWidthLimit);
        setValueFromUser(widthPort(band), &width);
        return;
    }
    // The inverse of the handle's placement: its centre follows the pointer.
    const float frequency =
        clampFinite((point[0] - (bounds_.x + leftMargin_)) / kEQStep, 0.0f, kFrequencyLimit);
    setValueFromUser(frequencyPort(band), &frequency);
    const float gain =
        clampFinite((centreY() - point[1]) / kEQPixelsPerGain, -kGainLimit, kGainLimit);
    setValueFromUser(gainPort(band), &gain);
}

void AM_View_EQBase::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    dragTo(point);
}

void AM_View_EQBase::onMouseUp(const float* point, uint32_t buttons)
{
    (void)buttons;
    dragTo(point);
    grabbed_ = -1;
}

void AM_View_EQBase::onTimer()
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host == nullptr)
        return;
    for (int32_t p = setPortCount(); p < 2 * setPortCount(); ++p) {
        const AM_PortRecord* port = getPort(p);
        if (port == nullptr || port->parameter == nullptr)
            continue;
        const void* current = host->getParameterValue(int32_t(port->parameter->index));
        if (current == nullptr)
            continue;
        float v = 0.0f;
        std::memcpy(&v, current, sizeof v);
        // Only a change is shown: an unchanged engine costs no redraw.
        if (std::memcmp(&v, &values_[p], sizeof v) != 0)
            setParameterValue(p, &v);
    }
}

// --- Menu.

void AM_View_EQBase::openMenu(const float* point)
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
    add("paste", kPaste);
    separator();
    add("clear", kClear);
    const AM_PortRecord* mode = getPort(modePort());
    if (mode != nullptr && mode->parameter != nullptr) {
        separator();
        for (int k = 0; k < modeItems(); ++k)
            add(kModeTexts[k], kFirstMode + uint32_t(k));
    }
    // The chosen item comes back through handleMenuCommand.
    viewMan_->showMenu();
}

bool AM_View_EQBase::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                       const AM_MenuItem* item)
{
    if (!valid || item == nullptr || AM_menuCode(item->command) != kMenuCodeOwnCommand ||
        (menuId != kRunMenuId && menuId != kEditMenuId))
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    if (menuId == kEditMenuId)
        return true;
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (sub >= kFirstMode && sub <= kLastMode) {
        const float mode = float(sub - kFirstMode);
        setValueFromUser(modePort(), &mode);
    } else if (sub == kCopy) {
        std::copy(values_, values_ + setPortCount(), clipboard());
    } else if (sub == kPaste) {
        const float* board = clipboard();
        for (int32_t p = 0; p < setPortCount(); ++p) {
            const float v = board[p];
            setValueFromUser(p, &v);
        }
    } else if (sub == kClear) {
        for (int32_t p = 0; p < setPortCount(); ++p) {
            const AM_PortRecord* port = getPort(p);
            if (port == nullptr || port->parameter == nullptr || port->parameter->kind() >= k_meter)
                continue;
            const float v = port->parameter->defaultValue;
            setValueFromUser(p, &v);
        }
    }
    return true;
}

// --- Drawing.

void AM_View_EQBase::drawCurve(AM_Context* context, const AM_EQPoint* points)
{
    float line[2 * kEQPoints];
    for (int i = 0; i < kEQPoints; ++i) {
        line[2 * i] = points[i].x;
        line[2 * i + 1] = points[i].y;
    }
    context->drawPolyline(line, kEQPoints, 1.0f, false);
}

void AM_View_EQBase::draw(AM_Context* context)
{
    if (context == nullptr)
        return;
    context->pushClip();
    context->intersectClip(&bounds_);
    if (AM_Graphic* background = getGraphic(0))
        background->draw(context, &bounds_, 1.0f);
    if (AM_Colour* colour = getColour(kBackground)) {
        context->setColourFromObject(colour);
        context->fillRect(&bounds_);
    }
    if (AM_Colour* colour = getColour(kBorder)) {
        context->setColourFromObject(colour);
        const float frame[8] = {bounds_.x + 0.5f,           bounds_.y + 0.5f,
                                bounds_.x + bounds_.w - 0.5f, bounds_.y + 0.5f,
                                bounds_.x + bounds_.w - 0.5f, bounds_.y + bounds_.h - 0.5f,
                                bounds_.x + 0.5f,           bounds_.y + bounds_.h - 0.5f};
        context->drawPolyline(frame, 4, 1.0f, true);
    }
    if (AM_Colour* colour = getColour(kMeter)) {
        AM_EQPoint current[kEQPoints];
        buildCurve(current, true);
        context->setColourFromObject(colour);
        drawCurve(context, current);
    }
    if (AM_Colour* colour = getColour(kValue)) {
        if (dirty_ != 0) {
            buildCurve(setCurve_, false);
            dirty_ = 0;
        }
        context->setColourFromObject(colour);
        drawCurve(context, setCurve_);
    }
    for (int handle = 0; handle <= bands_; ++handle) {
        AM_Rect r{};
        if (handleRect(handle, &r))
            getGraphic(handle + 1)->draw(context, &r, 1.0f);
    }
    context->popClip();
}
