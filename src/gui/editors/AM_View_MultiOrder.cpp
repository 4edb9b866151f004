#include "gui/editors/AM_View_MultiOrder.h"

#include "foundation/AM_STD.h"
#include "gui/editors/AM_View_Multipoint.h"
#include "gui/editors/AM_WaveRender.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlLookup.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "MultiOrder";
constexpr const char* kEditorTypeName = "MultiPoint";
constexpr const char* kLinkKey = "clientmultipoint";

constexpr uint32_t kCurveTypes[] = {0x204};
constexpr uint32_t kClusterTypes[] = {0x304};
constexpr uint32_t kSelectTypes[] = {k_kindFloat};
constexpr uint32_t kModeTypes[] = {k_kindInteger};
const AM_PortDescriptor kPorts[] = {{0, "Curve", 1, kCurveTypes},
                                    {1, "Cluster", 1, kClusterTypes},
                                    {2, "Select", 1, kSelectTypes},
                                    {3, "Mode", 1, kModeTypes}};

enum ColourSlot : int32_t {
    kBackground = 0,
    kBorder = 1,
    kDot = 2,
    kLine = 3,
    kText = 4,
    kSelectBorder = 5,
    kTweenBorder = 6,
};
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border",       "Dot",        "Line",
                                                "Text",       "SelectBorder", "TweenBorder"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"Background"};

// The linked editor tells which step it shows.
constexpr uint32_t kMsgShowStep = 25;

constexpr uint32_t kRight = 2;
constexpr uint32_t kControl = 4;
constexpr uint32_t kAlt = 8;

constexpr float kGlideShare = 0.4f;
constexpr float kGlideNear = 0.01f;
constexpr float kGlideCreep = 0.005f;
constexpr float kThumbCentre = 0.5f;
constexpr float kThumbScale = 0.4f;

// Colours the view manager names, used where a slot is empty; and what to
// use when it has none of that name.
struct DefaultColour {
    const char* name;
    uint32_t rgba;
};
constexpr DefaultColour kDefaultFill{"trans black", 0x00000080};
constexpr DefaultColour kDefaultFrame{"grey", 0x808080FF};
constexpr DefaultColour kDefaultCurrent{"orange", 0xFF8800FF};
constexpr DefaultColour kDefaultRange{"yellow", 0xFFFF00FF};

} // namespace

AM_View_MultiOrder::AM_View_MultiOrder(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "MultiOrder %u", unsigned(getId()));
    setName(name);
    initControl(0, 4, kPorts, 0, nullptr, 7, kColourNames, 1, kGraphicNames, true);
    for (int i = 0; i < kSteps; ++i) {
        Step& s = steps_[i];
        s.target = float(i) / float(kSteps);
        s.rect = bounds_;
        std::fill(std::begin(s.thumb), std::end(s.thumb), kThumbCentre);
    }
}

AM_View_MultiOrder::~AM_View_MultiOrder()
{
    if (linked_ != nullptr) {
        linked_->setLinkedView(nullptr);
        linked_ = nullptr;
    }
}

AM_ViewControl* AM_View_MultiOrder::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* view = new AM_View_MultiOrder(viewMan, bounds);
    view->setFactory(&AM_View_MultiOrder::create);
    return view;
}

const char* AM_View_MultiOrder::getTypeName() const
{
    return kTypeName;
}

void AM_View_MultiOrder::setParameterValue(int32_t i, const void* value)
{
    (void)i;
    (void)value;
}

bool AM_View_MultiOrder::isRefreshPending(int step) const
{
    return validStep(step) && steps_[step].refresh;
}

float AM_View_MultiOrder::getShownPosition(int step) const
{
    return validStep(step) ? steps_[step].shown : 0.0f;
}

float AM_View_MultiOrder::getTargetPosition(int step) const
{
    return validStep(step) ? steps_[step].target : 0.0f;
}

AM_Rect AM_View_MultiOrder::getStepRect(int step) const
{
    return validStep(step) ? steps_[step].rect : AM_Rect{};
}

float AM_View_MultiOrder::getThumbnail(int step, int k) const
{
    return validStep(step) && k >= 0 && k < kThumbPoints ? steps_[step].thumb[k] : 0.0f;
}

// --- Links and messages.

void AM_View_MultiOrder::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                        void* ptr)
{
    if (message == kMsgShowStep && linked_ != nullptr && sender == linked_ &&
        validStep(int(arg))) {
        current_ = shownStep_ = int(arg);
        redraw();
    }
    if (message == kCtlMsgGoingAway && linked_ != nullptr && sender == linked_) {
        linked_ = nullptr;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_View_MultiOrder::linkEditor(AM_View_Multipoint* editor)
{
    if (linked_ != nullptr) {
        linked_->setLinkedView(nullptr);
    }
    linked_ = editor;
    for (int i = 0; i < kSteps; ++i) {
        markWaveChanged(i);
    }
    if (linked_ != nullptr) {
        linked_->setLinkedView(this);
    }
    redraw();
}

void AM_View_MultiOrder::markWaveChanged(int step)
{
    if (validStep(step) && !steps_[step].refresh) {
        steps_[step].refresh = true;
        ++pending_;
    }
}

void AM_View_MultiOrder::setCurrentStep(int step)
{
    if (!validStep(step)) {
        return;
    }
    current_ = shownStep_ = step;
    redraw();
}

// --- Geometry.

void AM_View_MultiOrder::updateStepGeometry(int step)
{
    if (!validStep(step)) {
        return;
    }
    Step& s = steps_[step];
    s.rect = AM_Rect{bounds_.x + 3.5f + (bounds_.w - 6.0f) * s.shown, bounds_.y + 0.5f,
                     (bounds_.w - 36.0f) / float(kSteps), bounds_.h - 1.0f};
}

void AM_View_MultiOrder::boundsChanged()
{
    for (int i = 0; i < kSteps; ++i) {
        updateStepGeometry(i);
    }
}

void AM_View_MultiOrder::resetTargets()
{
    for (int i = 0; i < kSteps; ++i) {
        steps_[i].target = float(i) / float(kSteps);
    }
}

void AM_View_MultiOrder::setVisible(bool visible, uint32_t layers, bool withSiblings)
{
    for (int i = 0; i < kSteps; ++i) {
        steps_[i].shown = kStartPosition;
        steps_[i].target = float(i) / float(kSteps);
        if (steps_[i].refresh) {
            steps_[i].refresh = false;
            --pending_;
        }
        markWaveChanged(i);
        updateStepGeometry(i);
    }
    AM_ViewControl::setVisible(visible, layers, withSiblings);
}

int AM_View_MultiOrder::stepAt(const float* point) const
{
    if (point == nullptr) {
        return -1;
    }
    for (int i = 0; i < kSteps; ++i) {
        const AM_Rect& r = steps_[i].rect;
        if (point[0] >= r.x && point[0] <= r.x + r.w && point[1] >= r.y && point[1] <= r.y + r.h) {
            return i;
        }
    }
    return -1;
}

int AM_View_MultiOrder::dragStepAt(float x) const
{
    for (int i = 0; i < kSteps; ++i) {
        const AM_Rect& r = steps_[i].rect;
        if (x > r.x && x < r.x + r.w) {
            return i;
        }
    }
    return current_;
}

// --- Timer.

void AM_View_MultiOrder::onTimer()
{
    bool moved = false;
    for (int i = 0; i < kSteps; ++i) {
        Step& s = steps_[i];
        if (s.shown == s.target) {
            continue;
        }
        const float d = s.target - s.shown;
        if (std::fabs(d) > kGlideNear) {
            s.shown += kGlideShare * d;
        } else if (std::fabs(d) < kGlideCreep) {
            s.shown = s.target;
        } else {
            s.shown += d > 0.0f ? kGlideCreep : -kGlideCreep;
        }
        updateStepGeometry(i);
        moved = true;
    }
    if (dragMode_ == kNoDrag && shownStep_ != current_) {
        --countdown_;
        if (countdown_ < 1) {
            const int distance = std::abs(current_ - shownStep_);
            shownStep_ += current_ > shownStep_ ? 1 : -1;
            countdown_ = (1 - (-3 / distance)) / 2;
            redraw();
        }
    }
    if (pending_ > 0 && linked_ != nullptr) {
        for (int i = 0; i < kSteps; ++i) {
            if (!steps_[i].refresh) {
                continue;
            }
            const float* peaks = linked_->getWavePeaks(i, kThumbPoints, sharedWaveTable());
            for (int k = 0; k < kThumbPoints && peaks != nullptr; ++k) {
                steps_[i].thumb[k] = kThumbCentre - kThumbScale * peaks[k];
            }
            steps_[i].refresh = false;
            --pending_;
            redraw();
            break;
        }
    }
    if (moved) {
        redraw();
    }
}

// --- Mouse.

bool AM_View_MultiOrder::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    pointer_[0] = point[0];
    pointer_[1] = point[1];
    const int hit = stepAt(point);
    if ((buttons & kRight) != 0) {
        menuStep_ = hit;
        if (hit >= 0 && hit != current_) {
            openStepMenu(point);
            return false;
        }
    }
    if ((buttons & kControl) != 0 && (buttons & kAlt) != 0) {
        if (linked_ != nullptr && hit >= 0) {
            linked_->copyWave(current_, hit);
            markWaveChanged(hit);
        }
        return false;
    }
    dragMode_ = kNoDrag;
    shownStep_ = current_;
    if (hit >= 0) {
        current_ = hit;
        if (linked_ != nullptr) {
            linked_->selectWave(hit);
        }
        redraw();
    }
    if ((buttons & kAlt) != 0) {
        dragMode_ = kRange;
        return true;
    }
    shownStep_ = current_;
    if ((buttons & kControl) != 0) {
        dragMode_ = kReorder;
        steps_[current_].target = steps_[current_].shown;
    }
    return true;
}

void AM_View_MultiOrder::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[0]) || !std::isfinite(point[1])) {
        return;
    }
    if (dragMode_ == kReorder) {
        Step& s = steps_[current_];
        const float left = bounds_.x;
        const float right = bounds_.x + bounds_.w - s.rect.w;
        s.rect.x = std::clamp(s.rect.x + point[0] - pointer_[0], left, std::max(left, right));
        const float centre = s.rect.x + s.rect.w / 2.0f - bounds_.x;
        const float slot = bounds_.w > 0.0f ? centre / bounds_.w * float(kSteps) : float(current_);
        insertSlot_ = std::isfinite(slot)
                          ? int(std::clamp(slot, 0.0f, float(kSteps - 1)))
                          : current_;
        int k = 0;
        for (int i = 0; i < kSteps; ++i) {
            if (i == current_) {
                continue;
            }
            if (k == insertSlot_) {
                ++k;
            }
            steps_[i].target = float(k) / float(kSteps);
            ++k;
        }
        redraw();
    } else {
        const int step = dragStepAt(point[0]);
        if (step != current_) {
            current_ = step;
            if (dragMode_ != kRange) {
                shownStep_ = step;
            }
            if (linked_ != nullptr) {
                linked_->selectWave(step);
            }
            redraw();
        }
    }
    pointer_[0] = point[0];
    pointer_[1] = point[1];
}

void AM_View_MultiOrder::onMouseUp(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    if (dragMode_ == kReorder) {
        const int from = current_;
        const int to = insertSlot_;
        const Step dragged = steps_[from];
        if (from < to) {
            for (int i = from; i < to; ++i) {
                std::copy(std::begin(steps_[i + 1].thumb), std::end(steps_[i + 1].thumb),
                          steps_[i].thumb);
                steps_[i].shown = steps_[i + 1].shown;
            }
        } else {
            for (int i = from; i > to; --i) {
                std::copy(std::begin(steps_[i - 1].thumb), std::end(steps_[i - 1].thumb),
                          steps_[i].thumb);
                steps_[i].shown = steps_[i - 1].shown;
            }
        }
        std::copy(std::begin(dragged.thumb), std::end(dragged.thumb), steps_[to].thumb);
        if (linked_ != nullptr) {
            linked_->moveWave(from, to);
            linked_->selectWave(to);
        }
        current_ = shownStep_ = to;
        steps_[to].shown =
            bounds_.w > 0.0f ? (dragged.rect.x - bounds_.x) / bounds_.w : float(to) / kSteps;
        resetTargets();
        boundsChanged();
        redraw();
    } else if (dragMode_ == kRange) {
        countdown_ = 2;
        if (linked_ != nullptr) {
            linked_->interpolateWaves(shownStep_, current_);
        }
        for (int i = std::min(shownStep_, current_) + 1; i < std::max(shownStep_, current_); ++i) {
            markWaveChanged(i);
        }
    }
    dragMode_ = kNoDrag;
}

void AM_View_MultiOrder::onMouseWheel(float steps)
{
    (void)steps;
}

// --- Menus.

void AM_View_MultiOrder::openStepMenu(const float* point)
{
    if (viewMan_ == nullptr) {
        return;
    }
    viewMan_->beginMenu(this, point, kRunMenuId);
    viewMan_->addMenuItem(0, AM_menuCommand(kMorph, kMenuCodeOwnCommand), "morph");
    viewMan_->addMenuItem(0, AM_menuCommand(kDuplicate, kMenuCodeOwnCommand), "duplicate");
    viewMan_->addMenuItem(0, AM_menuCommand(kExchange, kMenuCodeOwnCommand), "exchange");
    // The chosen item comes back through handleMenuCommand.
    viewMan_->showMenu();
}

void AM_View_MultiOrder::morphTo(int other)
{
    countdown_ = 2;
    shownStep_ = other;
    if (linked_ != nullptr) {
        linked_->interpolateWaves(other, current_);
    }
    for (int i = std::min(other, current_) + 1; i < std::max(other, current_); ++i) {
        markWaveChanged(i);
    }
    redraw();
}

bool AM_View_MultiOrder::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                           const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kRunMenuId && code == kMenuCodeOwnCommand && validStep(menuStep_) &&
        sub >= kMorph && sub <= kExchange) {
        switch (sub) {
        case kMorph:
            morphTo(menuStep_);
            break;
        case kDuplicate:
            if (linked_ != nullptr) {
                linked_->copyWave(current_, menuStep_);
            }
            markWaveChanged(menuStep_);
            redraw();
            break;
        default:
            if (linked_ != nullptr) {
                linked_->moveWave(current_, menuStep_);
            }
            // Every wave between the two moved by one place.
            for (int i = std::min(current_, menuStep_); i <= std::max(current_, menuStep_); ++i) {
                markWaveChanged(i);
            }
            redraw();
            break;
        }
        return true;
    }
    if (menuId == kEditMenuId && code == kMenuCodeAttachControl) {
        // Only a multipoint editor that is still one of the GUI's controls.
        AM_ViewControl* chosen = viewMan_ != nullptr
                                     ? AM_controlAtAddress(viewMan_->getTopControl(), item->userData)
                                     : nullptr;
        auto* editor = dynamic_cast<AM_View_Multipoint*>(chosen);
        if (item->userData == nullptr || editor != nullptr) {
            linkEditor(editor);
            return true;
        }
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_MultiOrder::buildEditMenu(const float* point, bool open, uint32_t extra)
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
    const uint32_t subMenu = viewMan_->addSubMenu(0, "Attach MultiPoint");
    AM_TypeMenuRequest request{};
    std::strncpy(request.typeName, kEditorTypeName, sizeof request.typeName - 1);
    request.chosen = linked_;
    sendMessage(kGuiControlBit, kCtlMsgTypeMenu, subMenu, &request);
    if (open) {
        viewMan_->showMenu();
    }
}

// --- Script.

void AM_View_MultiOrder::writeProperties(std::string* script)
{
    AM_ViewControl::writeProperties(script);
    if (script != nullptr && linked_ != nullptr) {
        AM_ScriptWriter(*script).property(getName(), kLinkKey, 1, linked_->getName());
    }
}

void AM_View_MultiOrder::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr || std::strcmp(name, kLinkKey) != 0) {
        return;
    }
    AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
    AM_GuiObject* found = top != nullptr ? top->findByName(value) : nullptr;
    auto* editor = dynamic_cast<AM_View_Multipoint*>(found);
    if (editor == nullptr) {
        AM_STD::printv("WOOOPS... %s wants clientpane %s, but it doesn't exist...\n", getName(),
                       value);
        return;
    }
    linkEditor(editor);
}

// --- Drawing.

void AM_View_MultiOrder::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    if (AM_Graphic* graphic = getGraphic(0)) {
        graphic->draw(context, &bounds_, 0.0f);
    }
    // A slot's colour, else the view manager's named colour, else the
    // colour that name stands for.
    auto pick = [this, context](int32_t slot, const DefaultColour& fallback) {
        if (AM_Colour* colour = getColour(slot)) {
            context->setColourFromObject(colour);
        } else if (AM_Colour* named =
                       viewMan_ != nullptr ? viewMan_->getColour(fallback.name) : nullptr) {
            context->setColourFromObject(named);
        } else {
            context->setColourPacked(fallback.rgba);
        }
    };
    const int low = std::min(shownStep_, current_);
    const int high = std::max(shownStep_, current_);
    auto drawStep = [&](int i) {
        const Step& s = steps_[i];
        pick(kBackground, kDefaultFill);
        context->fillRect(&s.rect);
        if (i == current_) {
            pick(kSelectBorder, kDefaultCurrent);
        } else if (i >= low && i <= high) {
            pick(kTweenBorder, kDefaultRange);
        } else {
            pick(kBorder, kDefaultFrame);
        }
        const float corners[8] = {s.rect.x,  s.rect.y,  s.rect.x + s.rect.w, s.rect.y,
                                  s.rect.x + s.rect.w, s.rect.y + s.rect.h, s.rect.x,
                                  s.rect.y + s.rect.h};
        context->drawPolyline(corners, 4, 1.0f, true);
        float line[2 * kThumbPoints];
        const float step = (s.rect.w - 2.0f) / float(kThumbPoints - 1);
        for (int k = 0; k < kThumbPoints; ++k) {
            line[2 * k] = s.rect.x + 1.0f + step * float(k);
            line[2 * k + 1] = s.rect.y + 1.0f + (s.rect.h - 2.0f) * s.thumb[k];
        }
        context->drawPolyline(line, kThumbPoints, 0.5f, false);
    };
    for (int i = 0; i < kSteps; ++i) {
        if (i != current_) {
            drawStep(i);
        }
    }
    drawStep(current_);
}
