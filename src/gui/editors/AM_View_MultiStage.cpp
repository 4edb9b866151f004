#include "gui/editors/AM_View_MultiStage.h"

#include "foundation/AM_STD.h"
#include "gui/editors/AM_BlockPort.h"
#include "gui/editors/AM_SegmentCurve.h"
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

constexpr const char* kTypeName = "MultiStage";

constexpr uint32_t kEnvelopeTypes[] = {0x504};
constexpr uint32_t kPhaseTypes[] = {k_meter};
const AM_PortDescriptor kPorts[] = {
    {0, "MSEG1", 1, kEnvelopeTypes},  {1, "MSEG2", 1, kEnvelopeTypes},
    {2, "MSEG3", 1, kEnvelopeTypes},  {3, "MSEG4", 1, kEnvelopeTypes},
    {4, "Phase1", 1, kPhaseTypes},    {5, "Phase2", 1, kPhaseTypes},
    {6, "Phase3", 1, kPhaseTypes},    {7, "Phase4", 1, kPhaseTypes}};

enum ColourSlot : int32_t {
    kBackground = 0,
    kBorder = 1,
    kDot = 2,
    kLineColour = 3,
    kText = 4,
    kSelectDot = 5,
    kGrid = 6,
    kSelectLoop = 7,
    kLoopRegion = 8,
    kShadeEnv = 9,
    kLoopPoint = 10,
    kPhaseLine = 11,
    kOffLine = 12,
};
constexpr char kColourNames[][kGuiNameBytes] = {
    "Background", "Border",     "Dot",      "Line",      "Text",      "SelectDot", "Grid",
    "SelectLoop", "LoopRegion", "ShadeEnv", "LoopPoint", "PhaseLine", "OffLine"};
enum GraphicSlot : int32_t { kBackgroundGraphic = 0, kFirstModeGraphic = 1 };
constexpr char kGraphicNames[][kGuiNameBytes] = {"Background", "EnvDrag0", "EnvDrag1",
                                                 "EnvDrag2", "MultiEnv"};

// The activity message: data is a port name, argument the flag.
constexpr uint32_t kMsgActivity = 15;

constexpr uint32_t kShift = 1;
constexpr uint32_t kRight = 2;
constexpr uint32_t kControl = 4;
constexpr uint32_t kAlt = 8;

constexpr float kLoopGrabDistance = 8.0f;
constexpr float kLoopHandleShift = 3.0f;
constexpr float kPaintReach = 6.0f;
constexpr float kZoomPerPixel = 0.25f;
constexpr float kBendPerPixel = 0.01f;
constexpr float kCoarseStep = 0.1f;
constexpr float kFineStep = 0.02f;
constexpr int kCurvePieces = 20;
constexpr int kMaxGridLabels = 24;
constexpr float kGridFont = 9.0f;
constexpr float kLabelSpacing = 18.0f;
// Without mode graphics the strip shows drawn buttons of this size.
constexpr float kButtonWidth = 30.0f;
constexpr float kButtonHeight = 11.0f;
constexpr const char* kButtonTexts[] = {"move", "shift", "paint"};

constexpr int kUnitSnaps[] = {0, 3, 4, 6, 8};
constexpr const char* kUnitSnapTexts[] = {"Unit snap off", "Unit snap 3", "Unit snap 4",
                                          "Unit snap 6", "Unit snap 8"};
constexpr int kValueSnaps[] = {0, 12, 24, 36, 48, 15};
constexpr const char* kValueSnapTexts[] = {"Value snap off", "Value snap 12", "Value snap 24",
                                           "Value snap 36",  "Value snap 48", "Value snap 15"};
constexpr const char* kPointerTexts[] = {"Pointer off", "Pointer coarse", "Pointer fine"};

AM_EnvelopeBlock& clipboard()
{
    static AM_EnvelopeBlock board;
    return board;
}
bool& clipboardFlag()
{
    static bool filled = false;
    return filled;
}

void frame(AM_Context* context, const AM_Rect& r, float width)
{
    const float corners[8] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
    context->drawPolyline(corners, 4, width, true);
}

void line(AM_Context* context, float x0, float y0, float x1, float y1, float width)
{
    const float p0[2] = {x0, y0};
    const float p1[2] = {x1, y1};
    context->drawLine(p0, p1, width);
}

} // namespace

AM_View_MultiStage::AM_View_MultiStage(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "MultiStage %u", unsigned(getId()));
    setName(name);
    initControl(0, 8, kPorts, 0, nullptr, 13, kColourNames, 5, kGraphicNames, true);
}

AM_View_MultiStage::~AM_View_MultiStage() = default;

AM_ViewControl* AM_View_MultiStage::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* editor = new AM_View_MultiStage(viewMan, bounds);
    editor->setFactory(&AM_View_MultiStage::create);
    return editor;
}

const char* AM_View_MultiStage::getTypeName() const
{
    return kTypeName;
}

bool AM_View_MultiStage::clipboardFilled()
{
    return clipboardFlag();
}

void AM_View_MultiStage::resetClipboard()
{
    clipboard().setDefault();
    clipboardFlag() = false;
}

const AM_EnvelopeBlock& AM_View_MultiStage::getEnvelope(int i) const
{
    return envelopes_[std::clamp(i, 0, kEnvelopes - 1)];
}

AM_EnvelopeGraph AM_View_MultiStage::graph() const
{
    return AM_EnvelopeGraph::layout(bounds_, requestedWidth_, requestedOffset_);
}

AM_Rect AM_View_MultiStage::modeButton(int i) const
{
    return i >= 0 && i < 3 ? buttons_[i] : AM_Rect{};
}

bool AM_View_MultiStage::envelopeBound(int i) const
{
    const AM_PortRecord* port = const_cast<AM_View_MultiStage*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

// --- Ports, layers and messages.

void AM_View_MultiStage::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (i >= kFirstEnvelopePort && i < kFirstEnvelopePort + kEnvelopes && parameter != nullptr) {
        bool lowerBound = false;
        for (int k = 0; k < i; ++k) {
            lowerBound = lowerBound || envelopeBound(k);
        }
        if (!lowerBound) {
            current_ = i;
        }
    }
    AM_ViewControl::setPortParameter(i, parameter);
    unpackEditSettings();
}

void AM_View_MultiStage::setParameterValue(int32_t i, const void* value)
{
    if (i >= kFirstPhasePort) {
        // The phases are read on the timer.
        return;
    }
    if (i < 0 || value == nullptr || !envelopeBound(i)) {
        AM_STD::printv("AM_View_MultiStage::setParameterValue ( int inNumPort, void* inValue ) "
                       "value NULL\n");
        return;
    }
    AM_ViewControl::setParameterValue(i, value);
    AM_EnvelopeBlock& envelope = envelopes_[i];
    if (value != envelope.data()) {
        const size_t size = std::min(AM_portBlockSize(this, i), AM_EnvelopeBlock::kBytes);
        // The echo of a block this editor sent changes nothing.
        if (std::memcmp(value, envelope.data(), size) != 0) {
            envelope.assign(value, size);
        }
    }
    unpackEditSettings();
}

void AM_View_MultiStage::setVisible(bool visible, uint32_t layers, bool withSiblings)
{
    AM_ViewControl::setVisible(visible, layers, withSiblings);
    if ((getLayerMask() & layers) == 0) {
        return;
    }
    int envelope = 0;
    if (visible) {
        envelope = -1;
        for (int k = 0; k < kEnvelopes && envelope < 0; ++k) {
            if ((layers & (1u << k)) != 0) {
                envelope = k;
            }
        }
        if (envelope < 0) {
            return;
        }
    }
    if (envelopeBound(envelope)) {
        makeCurrent(envelope);
    }
}

void AM_View_MultiStage::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                        void* ptr)
{
    if (message == kMsgActivity && ptr != nullptr) {
        const char* name = static_cast<const char*>(ptr);
        for (int k = 0; k < kEnvelopes; ++k) {
            if (envelopeBound(k) &&
                std::strncmp(name, kPorts[k].name, AM_PortDescriptor::kNameBytes) == 0) {
                const bool on = arg != 0;
                if (active_[k] != on) {
                    active_[k] = on;
                    redraw();
                }
            }
        }
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_View_MultiStage::makeCurrent(int i)
{
    if (i < 0 || i >= kEnvelopes) {
        return;
    }
    current_ = i;
    selected_ = -1;
    bendSegment_ = -1;
    lastPhase_ = -1.0f;
    unpackEditSettings();
    redraw();
}

void AM_View_MultiStage::unpackEditSettings()
{
    dragMode_ = block().dragMode();
    unitSnap_ = block().unitSnap();
    valueSnap_ = block().valueSnap();
}

void AM_View_MultiStage::packEditSettings()
{
    block().setEditSettings(dragMode_, unitSnap_, valueSnap_);
    send();
}

void AM_View_MultiStage::send()
{
    AM_sendBlock(this, kFirstEnvelopePort + current_, block().data(), AM_EnvelopeBlock::kBytes);
}

// --- Range.

void AM_View_MultiStage::limitRange()
{
    if (!std::isfinite(requestedWidth_)) {
        requestedWidth_ = AM_EnvelopeGraph::kInitialWidth;
    }
    if (!std::isfinite(requestedOffset_)) {
        requestedOffset_ = 0.0f;
    }
    requestedWidth_ = std::clamp(requestedWidth_, kMinWidth, kMaxWidth);
    requestedOffset_ = std::clamp(requestedOffset_, 0.0f, kMaxWidth - requestedWidth_);
}

void AM_View_MultiStage::followPoint(float time)
{
    const AM_EnvelopeGraph g = graph();
    if (time > g.offset + g.width) {
        requestedOffset_ += time - g.width - g.offset;
    } else if (time < g.offset) {
        requestedOffset_ += time - g.offset;
    } else {
        return;
    }
    limitRange();
}

// --- Mouse.

bool AM_View_MultiStage::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    const AM_EnvelopeGraph g = graph();
    const float px = point[0];
    const float py = point[1];
    press_[0] = px;
    press_[1] = py;
    dragKind_ = kNoDrag;
    bendMoved_ = false;
    if (g.inModeStrip(py)) {
        for (int i = 0; i < 3; ++i) {
            const AM_Rect& b = buttons_[i];
            if (b.w > 0 && px >= b.x && px <= b.x + b.w && py >= b.y && py <= b.y + b.h) {
                if (i != dragMode_) {
                    dragMode_ = i;
                    packEditSettings();
                    redraw();
                }
                return false;
            }
        }
    }
    AM_EnvelopeBlock& env = block();
    if (g.inLoopStrip(py)) {
        const float startX = g.xOf(env.point(env.loopStart()).time);
        const float endX = g.xOf(env.point(env.loopEnd()).time);
        if (std::fabs(px - (startX - kLoopHandleShift)) <= kLoopGrabDistance) {
            dragKind_ = env.loopStart() == env.loopEnd() && px > startX ? kDragLoopEnd
                                                                          : kDragLoopStart;
        } else if (std::fabs(px - (endX + kLoopHandleShift)) <= kLoopGrabDistance) {
            dragKind_ = kDragLoopEnd;
        }
        redraw();
        return true;
    }
    const int hit = g.findPointAt(env, px, py, grab_);
    if (hit < 0) {
        selected_ = -1;
        if ((buttons & kAlt) != 0 && env.numSegments() < AM_EnvelopeBlock::kMaxSegments) {
            if (env.insertPoint(g.timeAt(px), g.levelAt(py)) >= 0) {
                send();
            }
            redraw();
            return false;
        }
        const int segment = g.findSegmentAt(env, px, py);
        if (segment >= 0) {
            dragKind_ = kDragBend;
            bendSegment_ = segment;
            AM_EnvelopeBlock::Point start = env.point(segment);
            if (std::fabs(start.swing) < std::fabs(start.bow)) {
                start.swing = 0.0f;
            } else {
                start.bow = 0.0f;
            }
            env.setBend(segment, start.swing, start.bow);
            swing_ = start.swing;
            bow_ = start.bow;
            controlAtPress_ = (buttons & kControl) != 0;
            redraw();
            return true;
        }
        if ((buttons & kRight) != 0) {
            openBackgroundMenu(point);
            return false;
        }
        dragKind_ = kDragZoom;
        return true;
    }
    selected_ = hit;
    if ((buttons & kRight) != 0) {
        openPointMenu(point);
        return false;
    }
    if ((buttons & kAlt) != 0) {
        selected_ = -1;
        if (env.numSegments() >= 2 && env.removePoint(hit)) {
            send();
        }
        dragKind_ = kDragErase;
        redraw();
        return true;
    }
    shiftAtPress_ = (buttons & kShift) != 0;
    const bool paint = dragMode_ == 2;
    const bool swap = (buttons & kControl) != 0;
    dragKind_ = paint != swap ? kDragPaint : kDragMove;
    redraw();
    return true;
}

void AM_View_MultiStage::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || dragKind_ == kNoDrag) {
        return;
    }
    const AM_EnvelopeGraph g = graph();
    AM_EnvelopeBlock& env = block();
    const float px = point[0];
    const float py = point[1];
    const float dx = press_[0] - px;
    const float dy = press_[1] - py;
    switch (dragKind_) {
    case kDragMove: {
        if (!env.validPoint(selected_) || g.graph.w <= 0.0f || g.graph.h <= 0.0f) {
            return;
        }
        const float time = g.timeAt(px + grab_[0]);
        const float level = std::clamp(g.levelAt(py + grab_[1]), 0.0f, 1.0f);
        const AM_EnvelopeBlock::Point before = env.point(selected_);
        if (!std::isfinite(time) || (time == before.time && level == before.level)) {
            return;
        }
        followPoint(time);
        if (env.movePoint(selected_, time, level, dragMode_, !shiftAtPress_)) {
            send();
        }
        redraw();
        return;
    }
    case kDragZoom: {
        if (g.graph.w <= 0.0f) {
            return;
        }
        const float step = std::trunc(dy * kZoomPerPixel) * kZoomPerPixel;
        if (step != 0.0f) {
            const float before = requestedWidth_;
            requestedWidth_ = std::clamp(requestedWidth_ + step, kMinWidth, kMaxWidth);
            const float used = requestedWidth_ - before;
            requestedOffset_ += (g.graph.x - px) / g.graph.w * used;
            press_[1] = py;
        }
        requestedOffset_ += requestedWidth_ / g.graph.w * dx;
        press_[0] = px;
        limitRange();
        redraw();
        return;
    }
    case kDragBend: {
        press_[0] = px;
        press_[1] = py;
        swing_ = std::clamp(swing_ + dx * kBendPerPixel, -1.0f, 1.0f);
        bow_ = std::clamp(bow_ + dy * kBendPerPixel, -1.0f, 1.0f);
        if (controlAtPress_) {
            for (int s = 0; s < env.numSegments(); ++s) {
                env.setBend(s, swing_, bow_);
            }
        } else {
            env.setBend(bendSegment_, swing_, bow_);
        }
        send();
        bendMoved_ = true;
        return;
    }
    case kDragPaint: {
        int target = -1;
        for (int p = 0; p <= env.numSegments(); ++p) {
            if (std::fabs(g.xOf(env.point(p).time) - px) <= kPaintReach) {
                target = p;
            }
        }
        if (target >= 0 && env.setLevel(target, std::clamp(g.levelAt(py), 0.0f, 1.0f))) {
            send();
        }
        return;
    }
    case kDragErase: {
        const int hit = g.findPointAt(env, px, py, nullptr);
        if (hit > 0 && env.numSegments() > 1 && env.removePoint(hit)) {
            send();
            redraw();
        }
        return;
    }
    case kDragLoopStart:
    case kDragLoopEnd:
        dragLoopHandle(point, dragKind_ == kDragLoopStart);
        return;
    default:
        return;
    }
}

void AM_View_MultiStage::dragLoopHandle(const float* point, bool start)
{
    const AM_EnvelopeGraph g = graph();
    AM_EnvelopeBlock& env = block();
    const float t = g.timeAt(point[0]);
    const bool right = point[0] > press_[0];
    const bool left = point[0] < press_[0];
    bool changed = false;
    if (start && right) {
        for (int k = env.loopEnd(); k > env.loopStart(); --k) {
            if (env.point(k).time < t) {
                changed = env.setLoopStart(k);
                break;
            }
        }
    } else if (start && left) {
        for (int k = 0; k < env.loopStart(); ++k) {
            if (env.point(k).time > t) {
                changed = env.setLoopStart(k);
                break;
            }
        }
    } else if (right) {
        for (int k = env.numSegments(); k > env.loopEnd(); --k) {
            if (env.point(k).time < t) {
                changed = env.setLoopEnd(k);
                break;
            }
        }
    } else if (left) {
        for (int k = env.loopStart(); k < env.loopEnd(); ++k) {
            if (env.point(k).time > t) {
                changed = env.setLoopEnd(k);
                break;
            }
        }
    }
    if (changed) {
        send();
    }
    press_[0] = point[0];
    press_[1] = point[1];
    redraw();
}

void AM_View_MultiStage::onMouseUp(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    const int kind = dragKind_;
    selected_ = -1;
    if (kind == kDragBend && !bendMoved_) {
        AM_EnvelopeBlock& env = block();
        if (controlAtPress_) {
            for (int s = 0; s < env.numSegments(); ++s) {
                env.setBend(s, 0.0f, 0.0f);
            }
        } else {
            env.setBend(bendSegment_, 0.0f, 0.0f);
        }
    }
    if (kind != kNoDrag) {
        send();
    }
    dragKind_ = kNoDrag;
    bendSegment_ = -1;
    redraw();
}

void AM_View_MultiStage::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    const AM_EnvelopeBlock& env = block();
    const float last = env.point(env.numSegments()).time;
    float whole = std::trunc(last + 0.5f);
    if (whole < last) {
        whole += 1.0f;
    }
    requestedWidth_ = std::max(whole, 4.0f);
    requestedOffset_ = 0.0f;
    limitRange();
    redraw();
}

void AM_View_MultiStage::onMouseWheel(float steps)
{
    (void)steps;
}

void AM_View_MultiStage::onTimer()
{
    if (!isVisible() || pointerMode_ == kPointerOff) {
        return;
    }
    const AM_PortRecord* port = getPort(kFirstPhasePort + current_);
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (port == nullptr || port->parameter == nullptr || host == nullptr) {
        return;
    }
    const void* value = host->getParameterValue(int32_t(port->parameter->index));
    if (value == nullptr) {
        return;
    }
    float phase = 0.0f;
    std::memcpy(&phase, value, sizeof phase);
    if (!std::isfinite(phase)) {
        return;
    }
    const float step = pointerMode_ == kPointerFine ? kFineStep : kCoarseStep;
    if (std::fabs(phase - lastPhase_) > step) {
        lastPhase_ = phase;
        redraw();
    }
}

// --- Menus.

void AM_View_MultiStage::openBackgroundMenu(const float* point)
{
    if (viewMan_ == nullptr) {
        return;
    }
    const AM_EnvelopeBlock& env = block();
    viewMan_->beginMenu(this, point, kRunMenuId);
    auto add = [this](const char* text, uint32_t sub, int32_t value = 0, uint32_t flags = 0) {
        viewMan_->addMenuItem(0, AM_menuCommand(sub, kMenuCodeOwnCommand), text, value, flags);
    };
    auto separator = [this]() {
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    };
    auto choice = [&](const char* text, uint32_t sub, int32_t value, int32_t current) {
        add(text, sub, value, value == current ? kMenuChecked : kMenuCheckable);
    };
    add("copy", kCopy);
    if (clipboardFilled()) {
        add("paste", kPaste);
    }
    separator();
    add("half size", kHalfSize);
    if (env.point(env.numSegments()).time <= 64.0f) {
        add("double size", kDoubleSize);
    }
    add("upside down", kUpsideDown);
    separator();
    for (size_t k = 0; k < std::size(kUnitSnaps); ++k) {
        choice(kUnitSnapTexts[k], kUnitSnap, kUnitSnaps[k], unitSnap_);
    }
    separator();
    for (size_t k = 0; k < std::size(kValueSnaps); ++k) {
        choice(kValueSnapTexts[k], kValueSnap, kValueSnaps[k], valueSnap_);
    }
    separator();
    if (unitSnap_ != 0 || valueSnap_ != 0) {
        add("quantize to snap", kQuantize);
    }
    add("unit spacing", kUnitSpacing);
    add("even spacing", kEvenSpacing);
    separator();
    for (int k = 0; k < 3; ++k) {
        choice(kPointerTexts[k], kPointer, k, pointerMode_);
    }
    viewMan_->showMenu();
}

void AM_View_MultiStage::openPointMenu(const float* point)
{
    if (viewMan_ == nullptr) {
        return;
    }
    const AM_EnvelopeBlock& env = block();
    viewMan_->beginMenu(this, point, kRunMenuId);
    auto add = [this](const char* text, uint32_t sub) {
        viewMan_->addMenuItem(0, AM_menuCommand(sub, kMenuCodeOwnCommand), text);
    };
    if (env.numSegments() > 1 && selected_ != 0) {
        add("remove point", kRemovePoint);
    }
    if (selected_ < env.loopEnd()) {
        add("loop start", kSetLoopStart);
    }
    if (selected_ > env.loopStart()) {
        add("loop end", kSetLoopEnd);
    }
    viewMan_->showMenu();
}

bool AM_View_MultiStage::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                           const AM_MenuItem* item)
{
    if (valid && item != nullptr && menuId == kRunMenuId &&
        AM_menuCode(item->command) == kMenuCodeOwnCommand) {
        applyCommand(AM_menuSubIndex(item->command), item->value);
    }
    AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    return valid && item != nullptr && menuId == kRunMenuId &&
           AM_menuCode(item->command) == kMenuCodeOwnCommand;
}

void AM_View_MultiStage::applyCommand(uint32_t sub, int32_t value)
{
    AM_EnvelopeBlock& env = block();
    switch (sub) {
    case kCopy:
        clipboard() = env;
        clipboardFlag() = true;
        return;
    case kPaste:
        if (!clipboardFilled()) {
            return;
        }
        env = clipboard();
        unpackEditSettings();
        send();
        break;
    case kHalfSize:
        env.halfSize();
        send();
        break;
    case kDoubleSize:
        env.doubleSize();
        send();
        break;
    case kUpsideDown:
        env.upsideDown();
        send();
        break;
    case kQuantize:
        env.quantize();
        send();
        break;
    case kUnitSpacing:
        env.unitSpacing();
        send();
        break;
    case kEvenSpacing:
        if (env.evenSpacing()) {
            send();
        }
        break;
    case kUnitSnap:
        unitSnap_ = std::clamp(int(value), 0, 127);
        packEditSettings();
        break;
    case kValueSnap:
        valueSnap_ = std::clamp(int(value), 0, 127);
        packEditSettings();
        break;
    case kPointer:
        pointerMode_ = std::clamp(int(value), int(kPointerOff), int(kPointerFine));
        lastPhase_ = -1.0f;
        break;
    case kRemovePoint:
    case kSetLoopStart:
    case kSetLoopEnd:
        if (sub == kRemovePoint) {
            env.removePoint(selected_);
        } else if (sub == kSetLoopStart) {
            env.setLoopStart(selected_);
        } else {
            env.setLoopEnd(selected_);
        }
        selected_ = -1;
        send();
        break;
    default:
        return;
    }
    redraw();
}

// --- Drawing.

void AM_View_MultiStage::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    const AM_EnvelopeGraph g = graph();
    context->pushClip();
    context->intersectClip(&bounds_);
    // The buttons go over the background, so that all three show.
    drawStrips(context, g);
    drawButtons(context, false);
    if (AM_Colour* border = getColour(kBorder)) {
        context->setColourFromObject(border);
        frame(context, AM_Rect{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1, bounds_.h - 1},
              0.8f);
    }
    drawButtons(context, true);
    if (AM_Graphic* graphic = getGraphic(kBackgroundGraphic)) {
        graphic->draw(context, &bounds_, 0.0f);
    }
    drawTimeGrid(context, g);
    // Curves and handles stay between the strips' edges.
    const AM_Rect area{g.graph.x - 3.0f, bounds_.y, g.graph.w + 6.0f, bounds_.h};
    context->pushClip();
    context->intersectClip(&area);
    for (int e = 0; e < kEnvelopes; ++e) {
        if (e != current_ && envelopeBound(e) && active_[e]) {
            drawEnvelope(context, g, e, false);
        }
    }
    drawEnvelope(context, g, current_, true);
    drawHandles(context, g);
    context->popClip();
    context->popClip();
}

void AM_View_MultiStage::drawButtons(AM_Context* context, bool current)
{
    for (int i = 0; i < 3; ++i) {
        if ((i == dragMode_) != current) {
            continue;
        }
        if (AM_Graphic* graphic = getGraphic(kFirstModeGraphic + i)) {
            const float w = graphic->getWidth();
            const float h = graphic->getHeight();
            buttons_[i] = AM_Rect{bounds_.x + 10 + float(i) * w, bounds_.y + bounds_.h - h - 3, w, h};
            graphic->draw(context, &buttons_[i], current ? 1.0f : 0.0f);
            continue;
        }
        // Without graphics: a small labelled button per mode.
        buttons_[i] = AM_Rect{bounds_.x + 10 + float(i) * (kButtonWidth + 2),
                              bounds_.y + bounds_.h - kButtonHeight - 3, kButtonWidth,
                              kButtonHeight};
        AM_Colour* ink = getColour(current ? kSelectDot : kGrid);
        if (ink == nullptr) {
            continue;
        }
        context->setColourFromObject(ink);
        const AM_Rect& b = buttons_[i];
        frame(context, AM_Rect{b.x + 0.5f, b.y + 0.5f, b.w - 1, b.h - 1}, 1.0f);
        if (AM_Colour* text = getColour(current ? kSelectDot : kText)) {
            context->setColourFromObject(text);
            context->setFontSize(kGridFont);
            context->drawText(kButtonTexts[i], &b, 1, true);
        }
    }
}

void AM_View_MultiStage::drawStrips(AM_Context* context, const AM_EnvelopeGraph& g)
{
    AM_Colour* background = getColour(kBackground);
    if (background != nullptr) {
        AM_Colour* loop = getColour(kLoopRegion);
        const AM_Rect strip{bounds_.x, bounds_.y, bounds_.w, AM_EnvelopeGraph::kLoopStripHeight};
        if (loop == nullptr) {
            context->setColourFromObject(background);
            context->fillRect(&bounds_);
        } else {
            const bool grabbed = dragKind_ == kDragLoopStart || dragKind_ == kDragLoopEnd;
            if (grabbed && getColour(kSelectLoop) != nullptr) {
                loop = getColour(kSelectLoop);
            }
            const AM_EnvelopeBlock& env = envelopes_[current_];
            const float startX = g.xOf(env.point(env.loopStart()).time);
            const float endX = g.xOf(env.point(env.loopEnd()).time);
            context->setColourFromObject(background);
            context->fillRect(&strip);
            if (env.loopStart() == env.loopEnd()) {
                if (startX >= strip.x - 8 && startX <= strip.x + strip.w + 8) {
                    const float triangle[6] = {startX - 8, strip.y + 2, startX, strip.y + 11,
                                               startX + 8, strip.y + 2};
                    context->setColourFromObject(loop);
                    context->fillPolygon(triangle, 3);
                }
            } else {
                const float left = std::clamp(startX, strip.x, strip.x + strip.w);
                float right = std::clamp(endX, strip.x, strip.x + strip.w);
                if (right - left < 2.0f) {
                    right = std::min(left + 2.0f, strip.x + strip.w);
                }
                const AM_Rect region{std::min(left, right - 2.0f), strip.y,
                                     std::max(right - left, 2.0f), strip.h};
                context->setColourFromObject(loop);
                context->fillRect(&region);
            }
            const AM_Rect rest{bounds_.x, bounds_.y + strip.h, bounds_.w, bounds_.h - strip.h};
            context->setColourFromObject(background);
            context->fillRect(&rest);
        }
        if (AM_Colour* grid = getColour(kGrid)) {
            context->setColourFromObject(grid);
            line(context, bounds_.x + 1.5f, bounds_.y + 11.5f, bounds_.x + bounds_.w - 0.5f,
                 bounds_.y + 11.5f, 0.5f);
            line(context, bounds_.x + 1.5f, bounds_.y + bounds_.h - 15.5f,
                 bounds_.x + bounds_.w - 0.5f, bounds_.y + bounds_.h - 15.5f, 0.5f);
        }
    }
    AM_Colour* phase = getColour(kPhaseLine);
    if (pointerMode_ != kPointerOff && phase != nullptr && lastPhase_ >= 0.0f) {
        const float x = std::trunc(g.xOf(lastPhase_)) + 0.5f;
        context->setColourFromObject(phase);
        line(context, x, g.graph.y + 1.5f, x, g.graph.y + g.graph.h - 3.0f, 1.0f);
    }
}

void AM_View_MultiStage::drawTimeGrid(AM_Context* context, const AM_EnvelopeGraph& g)
{
    AM_Colour* grid = getColour(kGrid);
    AM_Colour* text = getColour(kText);
    if (grid == nullptr && text == nullptr) {
        return;
    }
    // Labels double their step while there would be more than 24, or while
    // two would run into each other.
    const float perUnit = g.width > 0.0f ? g.graph.w / g.width : 0.0f;
    int step = 1;
    for (int units = int(g.width);
         step < 128 && (units / step > kMaxGridLabels || float(step) * perUnit < kLabelSpacing);
         step *= 2) {
    }
    context->setFontSize(kGridFont);
    const int first = int(std::max(g.offset, 0.0f));
    const int last = int(std::min(g.offset + g.width, AM_EnvelopeBlock::kMaxTime));
    const float top = g.graph.y;
    const float bottom = g.graph.y + g.graph.h;
    for (int u = first; u <= last; ++u) {
        const float x = std::trunc(g.xOf(float(u))) + 0.5f;
        if (x < g.graph.x || x > g.graph.x + g.graph.w) {
            continue;
        }
        const bool labelled = u % step == 0;
        if (grid != nullptr) {
            context->setColourFromObject(grid);
            line(context, x, bottom, x, labelled ? top - 12.0f : top, 0.5f);
        }
        if (labelled && text != nullptr && x < g.graph.x + g.graph.w - 16.0f) {
            char label[16];
            std::snprintf(label, sizeof label, "%d", u + 1);
            const AM_Rect box{x + 3.5f, top - 12.0f, 32.0f, 12.0f};
            context->setColourFromObject(text);
            context->drawText(label, &box, 0, true);
        }
    }
}

void AM_View_MultiStage::drawEnvelope(AM_Context* context, const AM_EnvelopeGraph& g, int e,
                                      bool current)
{
    const AM_EnvelopeBlock& env = envelopes_[e];
    int segments = env.numSegments();
    if (segments > AM_EnvelopeBlock::kMaxSegments) {
        if (!current) {
            AM_STD::printv("env[ %d ].numSegments %d\n", e, segments);
            return;
        }
        AM_STD::printv("oh - env[ %d ].numSegments %d\n", e, segments);
        segments = 4;
    }
    AM_Colour* colour = nullptr;
    if (current) {
        colour = getColour(kLineColour);
        if (!active_[e] && getColour(kOffLine) != nullptr) {
            colour = getColour(kOffLine);
        }
    } else {
        colour = getColour(kShadeEnv);
    }
    AM_Colour* bent = getColour(kSelectDot);
    float points[2 * (kCurvePieces + 1)];
    for (int s = 0; s < segments; ++s) {
        const AM_EnvelopeBlock::Point a = env.point(s);
        const AM_EnvelopeBlock::Point b = env.point(s + 1);
        const float x0 = g.xOf(a.time);
        const float x1 = g.xOf(b.time);
        if (!(x1 > g.graph.x && x0 < g.graph.x + g.graph.w)) {
            continue;
        }
        AM_Colour* ink = current && s == bendSegment_ && bent != nullptr ? bent : colour;
        if (ink == nullptr) {
            continue;
        }
        const AM_SegmentCurve curve =
            buildSegmentCurve(x0, g.yOf(a.level), a.swing, a.bow, x1, g.yOf(b.level));
        points[0] = x0;
        points[1] = g.yOf(a.level);
        for (int k = 1; k <= kCurvePieces; ++k) {
            const AM_CurvePoint p = curve.at(float(k) / float(kCurvePieces));
            points[2 * k] = p.x;
            points[2 * k + 1] = p.y;
        }
        context->setColourFromObject(ink);
        context->drawPolyline(points, kCurvePieces + 1, 1.0f, false);
    }
}

void AM_View_MultiStage::drawHandles(AM_Context* context, const AM_EnvelopeGraph& g)
{
    const AM_EnvelopeBlock& env = envelopes_[current_];
    for (int p = 0; p <= env.numSegments(); ++p) {
        const AM_EnvelopeBlock::Point point = env.point(p);
        const AM_Rect box{g.xOf(point.time) - 2.0f, g.yOf(point.level) - 2.0f, 5.0f, 5.0f};
        if (box.x + box.w < g.graph.x || box.x > g.graph.x + g.graph.w ||
            box.y + box.h < g.graph.y || box.y > g.graph.y + g.graph.h) {
            continue;
        }
        AM_Colour* colour = getColour(kDot);
        if (p == selected_) {
            colour = getColour(kSelectDot);
        } else if (p == env.loopStart() || p == env.loopEnd()) {
            colour = getColour(kLoopPoint);
        }
        if (colour != nullptr) {
            context->setColourFromObject(colour);
            context->fillRect(&box);
        }
    }
}
