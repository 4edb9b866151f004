#include "gui/editors/AM_View_Multipoint.h"

#include "foundation/AM_STD.h"
#include "gui/editors/AM_BlockPort.h"
#include "gui/editors/AM_WaveGraph.h"
#include "gui/editors/AM_WaveRender.h"
#include "gui/editors/AM_WaveSegment.h"
#include "gui/editors/AM_WaveStepView.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "MultiPoint";

constexpr uint32_t kCurveTypes[] = {0x204};
constexpr uint32_t kWavetableTypes[] = {0x404};
constexpr uint32_t kSelectTypes[] = {k_kindFloat};
constexpr uint32_t kModeTypes[] = {k_kindInteger};
const AM_PortDescriptor kPorts[] = {{0, "Curve", 1, kCurveTypes},
                                    {1, "Wavetables", 1, kWavetableTypes},
                                    {2, "Select", 1, kSelectTypes},
                                    {3, "Mode", 1, kModeTypes}};

enum ColourSlot : int32_t {
    kBackground = 0,
    kBorder = 1,
    kDot = 2,
    kLine = 3,
    kText = 4,
    kSelectDot = 5,
    kMorphCurve = 6,
};
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border",    "Dot",       "Line",
                                                "Text",       "SelectDot", "MorphCurve"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"Background"};

// Mouse buttons and modifiers.
constexpr uint32_t kShift = 1;
constexpr uint32_t kRight = 2;
constexpr uint32_t kControl = 4;
constexpr uint32_t kAlt = 8;

constexpr uint32_t kSeparator = kMenuSeparator;

constexpr float kBendPerPixel = 0.01f;
constexpr float kWaveTextSize = 32.0f;
// Pieces of a segment of the morph curve.
constexpr int kMorphPieces = 10;

// The clipboard of every instance.
struct Clipboard {
    uint8_t points[AM_WavesetBlock::kBytes];
    uint8_t values[AM_WaveValueBlock::kBytes];
    bool filled;
};
Clipboard& clipboard()
{
    static Clipboard board{};
    return board;
}

float readFloat(const void* value)
{
    float v = 0.0f;
    std::memcpy(&v, value, sizeof v);
    return std::isfinite(v) ? v : 0.0f;
}

int modeOf(float value)
{
    // Whole numbers far outside the range read as mode 0.
    if (!(value > -1e6f && value < 1e6f)) {
        return 0;
    }
    switch (static_cast<int>(value + 0.1f)) {
    case 1:
        return 1;
    case 2:
    case 3:
        return 2;
    default:
        return 0;
    }
}

} // namespace

AM_View_Multipoint::AM_View_Multipoint(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Multipoint %u", unsigned(getId()));
    setName(name);
    initControl(0, 4, kPorts, 0, nullptr, 7, kColourNames, 1, kGraphicNames, false);
}

AM_View_Multipoint::~AM_View_Multipoint() = default;

AM_ViewControl* AM_View_Multipoint::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* editor = new AM_View_Multipoint(viewMan, bounds);
    editor->setFactory(&AM_View_Multipoint::create);
    return editor;
}

const char* AM_View_Multipoint::getTypeName() const
{
    return kTypeName;
}

bool AM_View_Multipoint::clipboardFilled()
{
    return clipboard().filled;
}

void AM_View_Multipoint::resetClipboard()
{
    std::memset(&clipboard(), 0, sizeof(Clipboard));
}

// --- Values from the engine.

int AM_View_Multipoint::followedWave() const
{
    const float w = std::trunc(selectPosition_ + 0.5f);
    return static_cast<int>(std::clamp(w, 0.0f, float(kWaves - 1)));
}

void AM_View_Multipoint::setParameterValue(int32_t i, const void* value)
{
    const AM_PortRecord* port = getPort(i);
    const bool bound = port != nullptr && port->parameter != nullptr;
    if (value == nullptr || ((i == kCurvePort || i == kValuesPort) && !bound)) {
        AM_STD::printv("AM_View_Multipoint::setParameterValue ( int inNumPort, void* inValue ) "
                       "value NULL\n");
        return;
    }
    switch (i) {
    case kCurvePort:
        AM_ViewControl::setParameterValue(i, value);
        // The echo of a block this editor sent changes nothing.
        if (value != points_.data()) {
            const size_t size = std::min(AM_portBlockSize(this, i), AM_WavesetBlock::kBytes);
            if (std::memcmp(value, points_.data(), size) != 0) {
                points_.assign(value, size);
                markAllWaves();
            }
        }
        break;
    case kValuesPort:
        AM_ViewControl::setParameterValue(i, value);
        if (value != values_.data()) {
            // A size other than the block's is reported by the block; no
            // more than the block holds is copied.
            const size_t size = AM_portBlockSize(this, i);
            if (size != AM_WaveValueBlock::kBytes) {
                AM_STD::printv("oops... Wavevalues size is %d\n", int(size));
            }
            const size_t copied = std::min(size, AM_WaveValueBlock::kBytes);
            if (std::memcmp(value, values_.data(), copied) != 0) {
                values_.assign(value, copied);
                markAllWaves();
            }
        }
        break;
    case kSelectPort:
        AM_ViewControl::setParameterValue(i, value);
        if (bound) {
            selectPosition_ = readFloat(value) - port->parameter->min;
            if (!std::isfinite(selectPosition_)) {
                selectPosition_ = 0.0f;
            }
            if (followSelect_ == kFollowing) {
                const int wave = followedWave();
                if (wave != currentWave_) {
                    currentWave_ = wave;
                    if (linked_ != nullptr) {
                        linked_->setCurrentStep(wave);
                    }
                }
            }
        }
        redraw();
        break;
    case kModePort: {
        AM_ViewControl::setParameterValue(i, value);
        const int mode = modeOf(readFloat(value));
        if (mode != mode_) {
            mode_ = mode;
            markAllWaves();
            redraw();
        }
        break;
    }
    default:
        AM_ViewControl::setParameterValue(i, value);
        break;
    }
}

void AM_View_Multipoint::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                        void* ptr)
{
    if (message == kCtlMsgGoingAway && linked_ != nullptr &&
        dynamic_cast<AM_Object*>(linked_) == sender) {
        linked_ = nullptr;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

// --- Sending and the linked view.

void AM_View_Multipoint::sendPoints()
{
    AM_sendBlock(this, kCurvePort, points_.data(), AM_WavesetBlock::kBytes);
}

void AM_View_Multipoint::sendValues()
{
    AM_sendBlock(this, kValuesPort, values_.data(), AM_WaveValueBlock::kBytes);
}

void AM_View_Multipoint::markWave(int wave)
{
    if (linked_ != nullptr) {
        linked_->markWaveChanged(wave);
    }
}

void AM_View_Multipoint::markAllWaves()
{
    for (int w = 0; w < kWaves; ++w) {
        markWave(w);
    }
}

void AM_View_Multipoint::selectWave(int w)
{
    if (!AM_WavesetBlock::validWave(w)) {
        return;
    }
    currentWave_ = w;
    const AM_PortRecord* port = getPort(kSelectPort);
    if (followSelect_ == kFollowing && port != nullptr && port->parameter != nullptr) {
        const float value = float(w) + port->parameter->min;
        setValueFromUser(kSelectPort, &value);
    }
    redraw();
}

void AM_View_Multipoint::moveWave(int from, int to)
{
    if (!AM_WavesetBlock::validWave(from) || !AM_WavesetBlock::validWave(to)) {
        return;
    }
    if (mode_ == kWaveValues) {
        values_.moveWave(from, to);
        sendValues();
    } else {
        points_.moveWave(from, to);
        sendPoints();
    }
}

void AM_View_Multipoint::copyWave(int from, int to)
{
    if (!AM_WavesetBlock::validWave(from) || !AM_WavesetBlock::validWave(to)) {
        return;
    }
    // Values copy onto lower waves as well as higher ones, as points do.
    if (mode_ == kWaveValues) {
        values_.copyWave(from, to);
        sendValues();
    } else {
        points_.copyWave(from, to);
        sendPoints();
    }
}

void AM_View_Multipoint::interpolateWaves(int a, int b)
{
    if (!AM_WavesetBlock::validWave(a) || !AM_WavesetBlock::validWave(b) ||
        std::abs(a - b) < 2) {
        return;
    }
    if (mode_ == kWaveValues) {
        values_.interpolateWaves(a, b);
        sendValues();
    } else {
        points_.interpolateWaves(a, b);
        sendPoints();
    }
}

void AM_View_Multipoint::setLinkedView(AM_WaveStepView* view)
{
    linked_ = view;
    if (linked_ != nullptr) {
        linked_->setCurrentStep(currentWave_);
    }
}

float* AM_View_Multipoint::getWavePeaks(int wave, int count, float* table) const
{
    if (table == nullptr) {
        return nullptr;
    }
    return ::getWavePeaks(points_, values_, wave, mode_, count, table);
}

void AM_View_Multipoint::renderWave(int wave, float* table) const
{
    if (table != nullptr) {
        ::renderWave(points_, values_, wave, mode_, table);
    }
}

// --- Selection.

bool AM_View_Multipoint::isSelected(int point) const
{
    return point >= 0 && point < AM_WavesetBlock::kMaxPoints && selection_[size_t(point)] != 0;
}

int AM_View_Multipoint::selectedCount() const
{
    int count = 0;
    for (int p = 0; p < points_.pointCount(); ++p) {
        count += selection_[size_t(p)] != 0 ? 1 : 0;
    }
    return count;
}

void AM_View_Multipoint::clearSelection()
{
    selection_.fill(0);
}

// --- Mouse.

bool AM_View_Multipoint::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    dragKind_ = 0;
    dragPoint_ = -1;
    pointDrag_ = false;
    valueDrag_ = false;
    rubberBand_ = false;
    if (mode_ == kWaveValues) {
        return valueMouseDown(point, buttons);
    }
    return pointMouseDown(point, buttons);
}

bool AM_View_Multipoint::pointMouseDown(const float* point, uint32_t buttons)
{
    const AM_WaveGraph graph = AM_WaveGraph::fromBounds(bounds_);
    const int hit = graph.findPointAt(points_, currentWave_, point[0], point[1]);
    if ((buttons & kRight) != 0) {
        if ((buttons & kAlt) != 0 && hit > 0 && points_.pointCount() > AM_WavesetBlock::kMinPoints) {
            removePointAt(hit);
            return false;
        }
        if ((buttons & kAlt) != 0 && hit < 0 &&
            points_.pointCount() < AM_WavesetBlock::kMaxPoints) {
            insertPointAt(graph.positionAt(point[0]), graph.levelAt(point[1]));
            return false;
        }
        openContextMenu(point, hit);
        return false;
    }
    press_[0] = point[0];
    press_[1] = point[1];
    if (hit >= 0) {
        if ((buttons & kShift) != 0) {
            selection_[size_t(hit)] = selection_[size_t(hit)] != 0 ? 0 : 1;
            redraw();
            return false;
        }
        if (selection_[size_t(hit)] == 0) {
            clearSelection();
            selection_[size_t(hit)] = 1;
        }
        dragPoint_ = hit;
        dragKind_ = ((buttons & kControl) != 0 ? kBendIn : 0) | ((buttons & kAlt) != 0 ? kBendOut : 0);
        pointDrag_ = true;
        limitPointer();
        redraw();
        return true;
    }
    if ((buttons & kShift) == 0) {
        clearSelection();
    }
    rubberBand_ = true;
    band_ = AM_Rect{point[0], point[1], 0.0f, 0.0f};
    redraw();
    return true;
}

void AM_View_Multipoint::limitPointer()
{
    const AM_WaveGraph graph = AM_WaveGraph::fromBounds(bounds_);
    float minX = 1.0f, maxX = 0.0f, minY = 1.0f, maxY = -1.0f;
    bool any = false;
    for (int p = 0; p < points_.pointCount(); ++p) {
        if (selection_[size_t(p)] == 0) {
            continue;
        }
        any = true;
        if (p > 0) {
            minX = std::min(minX, points_.x(currentWave_, p));
            maxX = std::max(maxX, points_.x(currentWave_, p));
        }
        minY = std::min(minY, points_.y(currentWave_, p));
        maxY = std::max(maxY, points_.y(currentWave_, p));
    }
    if (!any) {
        minY = maxY = 0.0f;
    }
    if (minX > maxX) {
        // Only point 0, which keeps its place in the cycle.
        minX = 1.0f;
        maxX = 0.0f;
    }
    const AM_Rect& r = graph.rect;
    const float left = press_[0] - r.w * minX;
    const float right = press_[0] + r.w * (1.0f - maxX);
    const float top = press_[1] - r.h / 2.0f * (minY + 1.0f);
    const float bottom = press_[1] + r.h / 2.0f * (1.0f - maxY);
    band_ = AM_Rect{left, top, right - left, bottom - top};
}

bool AM_View_Multipoint::valueMouseDown(const float* point, uint32_t buttons)
{
    if ((buttons & kRight) != 0) {
        openContextMenu(point, -1);
        return false;
    }
    const AM_Rect r = AM_WaveGraph::fromBounds(bounds_).rect;
    if (point[0] < r.x || point[0] > r.x + r.w || point[1] < r.y || point[1] > r.y + r.h) {
        return true;
    }
    dragKind_ = (buttons & kAlt) != 0 ? kStrokeErase : (buttons & kControl) != 0 ? kStrokeLine : kStrokeFreehand;
    const int sample = AM_WaveValueBlock::sampleAt(point[0], r.x, r.w, 127.0f);
    valueDrag_ = true;
    lastSample_ = -1;
    if (sample < 0) {
        return true;
    }
    const float value = dragKind_ == kStrokeErase ? 0.0f : AM_WaveValueBlock::valueAt(point[1], r.y, r.h);
    values_.setValue(currentWave_, sample, value);
    lastSample_ = sample;
    sendValues();
    return true;
}

void AM_View_Multipoint::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr) {
        return;
    }
    if (valueDrag_) {
        valueDrag(point);
    } else if (rubberBand_ || pointDrag_) {
        pointDrag(point);
    }
}

void AM_View_Multipoint::pointDrag(const float* point)
{
    if (rubberBand_) {
        band_.x = std::min(press_[0], point[0]) - 1.0f;
        band_.y = std::min(press_[1], point[1]) - 1.0f;
        band_.w = std::fabs(point[0] - press_[0]) + 2.0f;
        band_.h = std::fabs(point[1] - press_[1]) + 2.0f;
        redraw();
        return;
    }
    if (dragKind_ != 0) {
        const float delta = (press_[1] - point[1]) * kBendPerPixel;
        press_[1] = point[1];
        if (delta != 0.0f) {
            points_.bendPoints(currentWave_, dragKind_, delta, selection_);
            sendPoints();
        }
        return;
    }
    const AM_Rect r = AM_WaveGraph::fromBounds(bounds_).rect;
    if (r.w <= 0.0f || r.h <= 0.0f) {
        return;
    }
    const float px = std::clamp(point[0], band_.x, std::max(band_.x, band_.x + band_.w));
    const float py = std::clamp(point[1], band_.y, std::max(band_.y, band_.y + band_.h));
    const float dx = (px - press_[0]) / r.w;
    const float dy = 2.0f * (py - press_[1]) / r.h;
    if (dx == 0.0f && dy == 0.0f) {
        return;
    }
    points_.movePoints(currentWave_, dx, dy, selection_);
    press_[0] = px;
    press_[1] = py;
    sendPoints();
}

void AM_View_Multipoint::valueDrag(const float* point)
{
    const AM_Rect r = AM_WaveGraph::fromBounds(bounds_).rect;
    const int sample = AM_WaveValueBlock::sampleAt(point[0], r.x, r.w, 128.0f);
    if (sample < 0) {
        return;
    }
    const float value = dragKind_ == kStrokeErase ? 0.0f : AM_WaveValueBlock::valueAt(point[1], r.y, r.h);
    values_.setValue(currentWave_, sample, value);
    if (lastSample_ >= 0 && std::abs(sample - lastSample_) >= 2) {
        values_.fillLine(currentWave_, lastSample_, sample);
    }
    if (dragKind_ != kStrokeLine || lastSample_ < 0) {
        lastSample_ = sample;
    }
    sendValues();
}

void AM_View_Multipoint::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
    if (rubberBand_ && mode_ != kWaveValues) {
        const AM_WaveGraph graph = AM_WaveGraph::fromBounds(bounds_);
        for (int p = 0; p <= points_.pointCount(); ++p) {
            float centre[2];
            graph.handleCentre(points_, currentWave_, p, mode_, centre);
            const bool inside = centre[0] >= band_.x && centre[0] <= band_.x + band_.w &&
                                centre[1] >= band_.y && centre[1] <= band_.y + band_.h;
            // The closing handle stands for point 0.
            const int index = p == points_.pointCount() ? 0 : p;
            if (inside) {
                selection_[size_t(index)] = 1;
            }
        }
    } else if (pointDrag_ || valueDrag_) {
        markWave(currentWave_);
    }
    rubberBand_ = false;
    pointDrag_ = false;
    valueDrag_ = false;
    dragKind_ = 0;
    dragPoint_ = -1;
    lastSample_ = -1;
    redraw();
}

void AM_View_Multipoint::onMouseWheel(float steps)
{
    (void)steps;
}

// --- Menu and commands.

void AM_View_Multipoint::openContextMenu(const float* point, int hitPoint)
{
    if (viewMan_ == nullptr) {
        return;
    }
    const AM_WaveGraph graph = AM_WaveGraph::fromBounds(bounds_);
    menuPoint_ = hitPoint;
    menuPosition_[0] = graph.positionAt(point[0]);
    menuPosition_[1] = graph.levelAt(point[1]);
    viewMan_->beginMenu(this, point, kRunMenuId);
    auto add = [this](const char* text, uint32_t sub) {
        viewMan_->addMenuItem(0, AM_menuCommand(sub, kMenuCodeOwnCommand), text);
    };
    auto separator = [this]() { viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kSeparator); };
    if (mode_ == kWaveValues) {
        add("blur", kBlur);
        add("sharpen", kSharpen);
        add("maximize", kMaximize);
        separator();
        add("copy waveset", kCopyWaveset);
        if (clipboardFilled()) {
            add("Paste waveset", kPasteWaveset);
        }
    } else {
        const int count = points_.pointCount();
        // Point 0 (and the closing point, which is point 0 at the right
        // edge) stays at the left edge of every wave: it is never removed,
        // so it offers no removal.
        if (hitPoint > 0 && count > AM_WavesetBlock::kMinPoints) {
            add("remove point", kRemovePoint);
            separator();
        } else if (hitPoint < 0 && count < AM_WavesetBlock::kMaxPoints) {
            add("insert point", kInsertPoint);
            separator();
        }
        const int selected = selectedCount();
        add(selected > 0 ? "smooth selected" : "all smooth", kSmooth);
        add(selected > 0 ? "linear selected" : "all linear", kLinear);
        add(selected > 0 ? "peaks selected" : "all peaks", kPeaks);
        separator();
        add("distribute all", kDistribute);
        add(selected >= 3 ? "line up selected" : "clear", kLineUpOrClear);
        separator();
        add("copy waveset", kCopyWaveset);
        if (clipboardFilled()) {
            add("paste waveset", kPasteWaveset);
        }
    }
    // Which wave to show: the one "Select" names, or a wave of its own.
    separator();
    const uint32_t waves = viewMan_->addSubMenu(0, "show wave");
    viewMan_->addMenuItem(waves, AM_menuCommand(kFollowSelect, kMenuCodeOwnCommand),
                          "follow Select", 0,
                          followSelect_ == kFollowing ? kMenuChecked : kMenuCheckable);
    for (int w = 0; w < kWaves; ++w) {
        char text[16];
        std::snprintf(text, sizeof text, "Wave %d", w + 1);
        viewMan_->addMenuItem(waves, AM_menuCommand(uint32_t(w), kMenuCodeOwnCommand), text, 0,
                              followSelect_ == w ? kMenuChecked : kMenuCheckable);
    }
    // The chosen item comes back through handleMenuCommand.
    viewMan_->showMenu();
}

bool AM_View_Multipoint::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                           const AM_MenuItem* item)
{
    if (!valid || item == nullptr || menuId != kRunMenuId ||
        AM_menuCode(item->command) != kMenuCodeOwnCommand) {
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (sub < uint32_t(kWaves)) {
        followSelect_ = int(sub);
        currentWave_ = int(sub);
        if (linked_ != nullptr) {
            linked_->setCurrentStep(currentWave_);
        }
        redraw();
        AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
        return true;
    }
    if (sub == kFollowSelect) {
        followSelect_ = kFollowing;
        currentWave_ = followedWave();
        if (linked_ != nullptr) {
            linked_->setCurrentStep(currentWave_);
        }
        redraw();
        AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
        return true;
    }
    applyCommand(sub);
    return true;
}

void AM_View_Multipoint::insertPointAt(float x, float y)
{
    const int index = points_.insertPoint(x, y, currentWave_, mode_);
    if (index < 0) {
        return;
    }
    clearSelection();
    selection_[size_t(index)] = 1;
    sendPoints();
    markAllWaves();
    redraw();
}

void AM_View_Multipoint::removePointAt(int point)
{
    if (!points_.validPoint(point)) {
        return;
    }
    selection_[size_t(point)] = 0;
    if (!points_.removePoint(point, currentWave_, &selection_)) {
        return;
    }
    markAllWaves();
    sendPoints();
    redraw();
}

void AM_View_Multipoint::applyCommand(uint32_t sub)
{
    switch (sub) {
    case kCopyWaveset:
        points_.copyTo(clipboard().points);
        values_.copyTo(clipboard().values);
        clipboard().filled = true;
        return;
    case kPasteWaveset:
        if (!clipboardFilled()) {
            return;
        }
        points_.assign(clipboard().points, AM_WavesetBlock::kBytes);
        values_.assign(clipboard().values, AM_WaveValueBlock::kBytes);
        sendPoints();
        sendValues();
        clearSelection();
        markAllWaves();
        break;
    case kInsertPoint:
        insertPointAt(menuPosition_[0], menuPosition_[1]);
        return;
    case kRemovePoint:
        if (points_.pointCount() > AM_WavesetBlock::kMinPoints) {
            removePointAt(menuPoint_);
        }
        return;
    case kSmooth:
    case kLinear:
    case kPeaks: {
        const float weight = sub == kSmooth   ? AM_WavesetBlock::kWeightSmooth
                             : sub == kLinear ? AM_WavesetBlock::kWeightLinear
                                              : AM_WavesetBlock::kWeightPeak;
        points_.setWeights(currentWave_, weight, selectedCount() > 0 ? &selection_ : nullptr);
        sendPoints();
        markWave(currentWave_);
        break;
    }
    case kDistribute:
        points_.distribute(currentWave_);
        sendPoints();
        markWave(currentWave_);
        break;
    case kLineUpOrClear:
        if (selectedCount() >= 3) {
            if (!points_.lineUp(currentWave_, selection_)) {
                return;
            }
        } else {
            points_.flatten(currentWave_);
        }
        sendPoints();
        markWave(currentWave_);
        break;
    case kBlur:
        values_.blur(currentWave_);
        sendValues();
        markWave(currentWave_);
        break;
    case kSharpen:
        values_.sharpen(currentWave_);
        sendValues();
        markWave(currentWave_);
        break;
    case kMaximize:
        values_.maximize(currentWave_);
        sendValues();
        markWave(currentWave_);
        break;
    default:
        // The rest of the class's sub-indices are taken and do nothing.
        return;
    }
    redraw();
}

// --- Drawing.

void AM_View_Multipoint::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    context->pushClip();
    context->intersectClip(&bounds_);
    const AM_WaveGraph graph = AM_WaveGraph::fromBounds(bounds_);
    if (AM_Colour* background = getColour(kBackground)) {
        context->setColourFromObject(background);
        context->fillRect(&bounds_);
    }
    if (AM_Colour* border = getColour(kBorder)) {
        context->setColourFromObject(border);
        const AM_Rect frame{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1, bounds_.h - 1};
        const float corners[8] = {frame.x,           frame.y,           frame.x + frame.w,
                                  frame.y,           frame.x + frame.w, frame.y + frame.h,
                                  frame.x,           frame.y + frame.h};
        context->drawPolyline(corners, 4, 0.8f, true);
    }
    if (AM_Graphic* graphic = getGraphic(0)) {
        graphic->draw(context, &bounds_, 0.0f);
    }
    if (AM_Colour* text = getColour(kText)) {
        char label[32];
        std::snprintf(label, sizeof label, "Wave %d", currentWave_ + 1);
        context->setColourFromObject(text);
        context->setFontSize(kWaveTextSize);
        context->drawText(label, &graph.rect, 1, true);
    }
    if (mode_ == kWaveValues) {
        drawValues(context);
    } else {
        drawPoints(context);
    }
    if (rubberBand_) {
        if (AM_Colour* select = getColour(kSelectDot)) {
            context->setColourFromObject(select);
            const float corners[8] = {band_.x,           band_.y,           band_.x + band_.w,
                                      band_.y,           band_.x + band_.w, band_.y + band_.h,
                                      band_.x,           band_.y + band_.h};
            context->drawPolyline(corners, 4, 1.0f, true);
        }
    }
    context->popClip();
}

void AM_View_Multipoint::drawPoints(AM_Context* context)
{
    const AM_WaveGraph graph = AM_WaveGraph::fromBounds(bounds_);
    const int count = points_.pointCount();
    float line[2 * 26];
    if (AM_Colour* morph = getColour(kMorphCurve)) {
        const float position = std::clamp(selectPosition_, 0.0f, float(kWaves - 1));
        const int from = static_cast<int>(position);
        const int to = (from + 1) % kWaves;
        const float fraction = position - float(from);
        context->setColourFromObject(morph);
        for (int p = 0; p < count; ++p) {
            const AM_WaveSegment s =
                AM_WaveSegment::blend(waveSegment(points_, from, p, mode_),
                                      waveSegment(points_, to, p, mode_), fraction);
            line[0] = graph.xOf(s.x0);
            line[1] = graph.yOf(s.y0);
            for (int k = 1; k <= kMorphPieces; ++k) {
                const float t = float(k) / float(kMorphPieces);
                line[2 * k] = graph.xOf(s.x0 + (s.x1 - s.x0) * t);
                line[2 * k + 1] = graph.yOf(s.level(t));
            }
            context->drawPolyline(line, kMorphPieces + 1, 1.0f, false);
        }
    }
    if (AM_Colour* colour = getColour(kLine)) {
        context->setColourFromObject(colour);
        for (int p = 0; p < count; ++p) {
            const AM_WaveSegment s = waveSegment(points_, currentWave_, p, mode_);
            const int pieces = AM_WaveGraph::segmentPieces(graph.xOf(s.x1) - graph.xOf(s.x0));
            line[0] = graph.xOf(s.x0);
            line[1] = graph.yOf(s.y0);
            for (int k = 1; k <= pieces; ++k) {
                const float t = float(k) / float(pieces);
                line[2 * k] = graph.xOf(s.x0 + (s.x1 - s.x0) * t);
                line[2 * k + 1] = graph.yOf(s.level(t));
            }
            context->drawPolyline(line, pieces + 1, 1.0f, false);
        }
    }
    AM_Colour* dot = getColour(kDot);
    AM_Colour* selected = getColour(kSelectDot);
    for (int p = 0; p <= count; ++p) {
        const int flag = p == count ? 0 : p;
        AM_Colour* colour = selection_[size_t(flag)] != 0 ? selected : dot;
        if (colour == nullptr) {
            continue;
        }
        float centre[2];
        graph.handleCentre(points_, currentWave_, p, mode_, centre);
        const AM_Rect box{centre[0] - kWaveHandleOffset, centre[1] - kWaveHandleOffset,
                          kWaveHandleSize, kWaveHandleSize};
        context->setColourFromObject(colour);
        context->fillRect(&box);
    }
}

void AM_View_Multipoint::drawValues(AM_Context* context)
{
    const AM_Rect r = AM_WaveGraph::fromBounds(bounds_).rect;
    constexpr int kValues = AM_WaveValueBlock::kValues;
    const float step = r.w / float(kValues - 1);
    const float centre = r.y + r.h / 2.0f;
    if (AM_Colour* morph = getColour(kMorphCurve)) {
        const float position = std::clamp(selectPosition_, 0.0f, float(kWaves - 1));
        const int from = static_cast<int>(position);
        const int to = std::min(from + 1, kWaves - 1);
        const float fraction = position - float(from);
        float line[2 * kValues];
        for (int i = 0; i < kValues; ++i) {
            const float a = values_.value(from, i);
            const float v = a + (values_.value(to, i) - a) * fraction;
            line[2 * i] = r.x + 0.5f + step * float(i);
            line[2 * i + 1] = centre + 0.5f - v * r.h / 2.0f;
        }
        context->setColourFromObject(morph);
        context->drawPolyline(line, kValues, 1.0f, false);
    }
    if (AM_Colour* colour = getColour(kLine)) {
        context->setColourFromObject(colour);
        for (int i = 0; i < kValues; ++i) {
            const float x = r.x + 0.5f + step * float(i);
            const float bar[4] = {x, centre, x, centre - values_.value(currentWave_, i) * r.h / 2.0f};
            context->drawLine(bar, bar + 2, 1.0f);
        }
    }
}
