// The pane's mouse handling, menus and drawing.

#include "gui/controls/AM_View_Pane.h"

#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

const AM_View_Pane::ZoomSize AM_View_Pane::kZoom[kZoomSizes] = {
    {"cute", 0.5f},  {"tiny", 2.0f / 3.0f}, {"small", 0.75f},    {"normal", 1.0f},
    {"large", 1.5f}, {"huge", 2.0f},        {"cinematic", 2.5f},
};

namespace {

enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kBackHighlight = 2 };

// Strips of a rack member's top and bottom edge that move it.
constexpr float kRackStrip = 7.0f;

// The drag of a movable pane: the press point and the bounds at the press.
struct DragScratch {
    float x = 0.0f;
    float y = 0.0f;
    AM_Rect bounds{};
};
DragScratch gDrag;

bool rightButton(uint32_t buttons)
{
    return (buttons & 2u) != 0;
}

// An outline through the corners of a rectangle, rounded by radius.
std::vector<float> roundedOutline(const AM_Rect& r, float radius)
{
    radius = std::fmax(0.0f, std::fmin(radius, std::fmin(r.w, r.h) * 0.5f));
    constexpr int kSteps = 6;
    constexpr float kQuarter = 1.5707963f;
    const float corners[4][3] = {
        {r.x + r.w - radius, r.y + radius, -kQuarter},        // top right, from the top
        {r.x + r.w - radius, r.y + r.h - radius, 0.0f},       // bottom right
        {r.x + radius, r.y + r.h - radius, kQuarter},         // bottom left
        {r.x + radius, r.y + radius, 2.0f * kQuarter},        // top left
    };
    std::vector<float> points;
    for (const auto& c : corners) {
        for (int s = 0; s <= kSteps; ++s) {
            const float a = c[2] + kQuarter * float(s) / float(kSteps);
            points.push_back(c[0] + radius * std::cos(a));
            points.push_back(c[1] + radius * std::sin(a));
        }
    }
    return points;
}

void frame(AM_Context* context, const AM_Rect& r, float width)
{
    const float points[] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
    context->drawPolyline(points, 4, width, true);
}

} // namespace

void AM_View_Pane::resetDragScratch()
{
    gDrag = DragScratch{};
}

// --- Mouse.

void AM_View_Pane::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    if ((state_ & kStateEditMode) == 0 || viewMan_ == nullptr) {
        return;
    }
    std::snprintf(nameEntry_, sizeof nameEntry_, "%s", getName());
    beginRename();
    viewMan_->beginTextEntry(this, kRenameEntryId, nameEntry_, 0, nullptr);
}

AM_ViewControl* AM_View_Pane::previousVisibleSibling() const
{
    for (AM_GuiObject* o = getPrevious(); o != nullptr; o = o->getPrevious()) {
        auto* c = dynamic_cast<AM_ViewControl*>(o);
        if (c != nullptr && c->isVisible()) {
            return c;
        }
    }
    return nullptr;
}

AM_ViewControl* AM_View_Pane::nextVisibleSibling() const
{
    for (AM_GuiObject* o = getNext(); o != nullptr; o = o->getNext()) {
        auto* c = dynamic_cast<AM_ViewControl*>(o);
        if (c != nullptr && c->isVisible()) {
            return c;
        }
    }
    return nullptr;
}

bool AM_View_Pane::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    if (rightButton(buttons)) {
        showRunMenu(point);
        return false;
    }
    if (movable_) {
        gDrag.x = point[0];
        gDrag.y = point[1];
        gDrag.bounds = bounds_;
        moveToLast();
        redraw();
        return true;
    }
    if (rackMember_) {
        const float d = point[1] - bounds_.y;
        if (d < kRackStrip) {
            if (AM_ViewControl* before = previousVisibleSibling()) {
                insertBefore(before);
                redraw();
            }
            return false;
        }
        if (d - bounds_.h > -kRackStrip) {
            if (AM_ViewControl* after = nextVisibleSibling()) {
                insertAfter(after);
                redraw();
            }
            return false;
        }
    }
    AM_ViewControl* parent = getParentControl();
    forwardingMouse_ = parent != nullptr && parent->onMouseDown(point, buttons);
    return forwardingMouse_;
}

void AM_View_Pane::onMouseDrag(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return;
    }
    if (forwardingMouse_) {
        if (AM_ViewControl* parent = getParentControl()) {
            parent->onMouseDrag(point, buttons);
        }
        return;
    }
    if (!movable_) {
        return;
    }
    float x = gDrag.bounds.x + std::floor(point[0] - gDrag.x + 0.5f);
    float y = gDrag.bounds.y + std::floor(point[1] - gDrag.y + 0.5f);
    if (AM_ViewControl* parent = getParentControl()) {
        const AM_Rect outer = parent->getBounds();
        x = std::fmax(x, outer.x);
        y = std::fmax(y, outer.y);
        x = std::fmin(x, outer.x + outer.w - bounds_.w);
        y = std::fmin(y, outer.y + outer.h - bounds_.h);
    }
    if (x != bounds_.x || y != bounds_.y) {
        moveBy(x - bounds_.x, y - bounds_.y, false, false);
    }
}

void AM_View_Pane::onMouseUp(const float* point, uint32_t buttons)
{
    if (forwardingMouse_) {
        forwardingMouse_ = false;
        if (AM_ViewControl* parent = getParentControl()) {
            parent->onMouseUp(point, buttons);
        }
    }
}

// --- Menus.

void AM_View_Pane::showRunMenu(const float* point)
{
    if (viewMan_ == nullptr) {
        return;
    }
    viewMan_->beginMenu(this, point, kRunMenuId);
    const std::vector<AM_ScriptRecord>& scripts = viewMan_->getScripts();
    if (scripts.size() >= 2) {
        for (size_t i = 0; i < scripts.size(); ++i) {
            viewMan_->addMenuItem(0, AM_menuCommand(uint32_t(i), kScriptCode),
                                  scripts[i].name.c_str());
        }
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        viewMan_->addMenuItem(0, AM_menuCommand(kMakeDefaultIndex, kScriptCode), "make default");
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    }
    AM_ViewControl* root = viewMan_->getRootView();
    if (root == nullptr) {
        root = viewMan_->getTopControl();
    }
    const AM_Rect size = root != nullptr ? root->getBounds() : bounds_;
    const float zoom = viewMan_->getZoom();
    for (int32_t k = 1; k <= kZoomSizes; ++k) {
        const ZoomSize& z = kZoom[k - 1];
        char text[64];
        std::snprintf(text, sizeof text, "%s - %d x %d", z.name, int(size.w * z.factor),
                      int(size.h * z.factor));
        viewMan_->addMenuItem(0, AM_menuCommand(uint32_t(k), kZoomCode), text, 0,
                              zoom == z.factor ? uint32_t(kMenuChecked)
                                               : uint32_t(kMenuCheckable));
    }
    viewMan_->showMenu();
}

void AM_View_Pane::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    if (viewMan_ == nullptr) {
        return;
    }
    if (open) {
        viewMan_->beginMenu(this, point, kEditMenuId);
        viewMan_->addMenuItem(0, 0, getName());
    }
    AM_ViewControl::buildEditMenu(point, false, extra);
    if (viewMan_->isEditMode()) {
        if (viewMan_->getFocusedControl() != nullptr) {
            viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
            const uint32_t selection = viewMan_->addSubMenu(0, "Selection");
            viewMan_->addMenuItem(selection, AM_menuCommand(kCmdEmbed, kMenuCodeOwnCommand),
                                  "embed to Layer");
        }
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        char rename[64];
        std::snprintf(rename, sizeof rename, "rename %s", layerNames_[currentLayer_]);
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdRenameLayer, kMenuCodeOwnCommand), rename);
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        const auto check = [](bool on) { return on ? uint32_t(kMenuChecked) : uint32_t(kMenuCheckable); };
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdMovable, kMenuCodeOwnCommand), "movable", 0,
                              check(movable_));
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdHideOnInit, kMenuCodeOwnCommand), "hideOnInit",
                              0, check(hideOnInit_));
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdRackMember, kMenuCodeOwnCommand), "RackMember",
                              0, check(rackMember_));
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdCollapsible, kMenuCodeOwnCommand),
                              "collapsible", 0, check(collapsible_));
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdSaveToFile, kMenuCodeOwnCommand),
                              "save to file");
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdEditScript, kMenuCodeOwnCommand),
                              "edit script");
    }
    if (open) {
        viewMan_->showMenu();
    }
}

bool AM_View_Pane::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                     const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kEditMenuId && handleEditCommand(code, sub, item)) {
        return true;
    }
    if (menuId == kRunMenuId && handleRunCommand(code, sub)) {
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

bool AM_View_Pane::handleEditCommand(uint32_t code, uint32_t sub, const AM_MenuItem* item)
{
    (void)item;
    if (code == kAssignModuleCode && rackMember_) {
        reassignRackMember(sub);
        return true;
    }
    if (code != kMenuCodeOwnCommand || viewMan_ == nullptr) {
        return false;
    }
    switch (sub) {
    case kCmdMovable:
        movable_ = !movable_;
        return true;
    case kCmdEmbed:
        if (AM_ViewControl* focused = viewMan_->getFocusedControl()) {
            focused->visitSelection(this, kPaneMsgEmbed, 1u << currentLayer_, nullptr);
        }
        return true;
    case kCmdHideOnInit:
        hideOnInit_ = !hideOnInit_;
        return true;
    case kCmdRenameLayer:
        std::memcpy(renameBackup_, layerNames_[currentLayer_], kLayerNameBytes);
        viewMan_->beginTextEntry(this, kRenameEntryId, layerNames_[currentLayer_],
                                 kLayerNameBytes, layerNames_[currentLayer_]);
        return true;
    case kCmdRackMember:
        rackMember_ = !rackMember_;
        return true;
    case kCmdCollapsible:
        if (collapsible_) {
            collapsible_ = false;
            setTimer(false);
        } else {
            makeCollapsible();
        }
        return true;
    case kCmdSaveToFile:
        viewMan_->saveControlScript(this);
        return true;
    case kCmdEditScript:
        // The script editor is not part of this GUI: nothing to open.
        return true;
    default:
        return false;
    }
}

bool AM_View_Pane::handleRunCommand(uint32_t code, uint32_t sub)
{
    if (viewMan_ == nullptr) {
        return false;
    }
    AM_View_Interface* host = viewMan_->getInterface();
    if (code == kZoomCode && sub >= 1 && sub <= uint32_t(kZoomSizes)) {
        if (const AM_ParamInfo* scale =
                host != nullptr ? host->findParameter("PCore", "GScale") : nullptr) {
            const float value = float(int32_t(sub) - 4);
            host->setParameterValue(int32_t(scale->index), &value);
        }
        viewMan_->setZoom(kZoom[sub - 1].factor);
        return true;
    }
    if (code == kScriptCode) {
        if (sub == kMakeDefaultIndex) {
            viewMan_->makeDefault();
            return true;
        }
        viewMan_->setScriptIndex(int32_t(sub));
        const AM_ScriptRecord* script = viewMan_->getScript(int32_t(sub));
        const AM_ParamInfo* file =
            host != nullptr ? host->findParameter("PCore", "GFile") : nullptr;
        if (script != nullptr && file != nullptr && file->kind() == k_kindData && file->max >= 1) {
            std::vector<char> text(size_t(file->max), '\0');
            std::snprintf(text.data(), text.size(), "%s", script->name.c_str());
            host->setParameterValue(int32_t(file->index), text.data());
        }
        return true;
    }
    return false;
}

void AM_View_Pane::reassignRackMember(uint32_t moduleIndex)
{
    AM_STD::printv("reassigning Rackmember!\n");
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const AM_ModuleRecord* module =
        host != nullptr ? host->getModuleInfoByIndex(int32_t(moduleIndex)) : nullptr;
    if (module == nullptr) {
        return;
    }
    char name[kLayerNameBytes] = {};
    std::memcpy(name, module->shortName, std::min(sizeof name - 1, sizeof module->shortName));
    AM_STD::printv("setting first layer name to %s\n", name);
    setLayerName(0, name);
    if (AM_ViewControl* parent = getParentControl()) {
        AM_STD::printv("asking parent to set us straight from %X\n", unsigned(layerMask_));
        parent->receiveMessage(this, kPaneMsgRackMemberUnit, 0, name);
        AM_STD::printv("to %X\n", unsigned(layerMask_));
    }
}

// --- Drawing.

void AM_View_Pane::draw(AM_Context* context)
{
    if (context == nullptr || collapsed_) {
        return;
    }
    AM_Colour* background = getColour(kBackground);
    AM_Colour* border = getColour(kBorder);
    AM_Colour* highlight = getColour(kBackHighlight);
    const bool highlighted = highlight != nullptr && highlightLayer_ < kNoHighlight;
    AM_Colour* fill = highlighted && highlightRadius_ == 0 ? highlight : background;
    if (fill != nullptr) {
        context->setColourFromObject(fill);
        context->fillRect(&bounds_);
    }
    if (AM_Graphic* layer = getGraphic(currentLayer_)) {
        layer->draw(context, &bounds_, 1.0f);
    } else {
        if (currentLayer_ != 0) {
            if (AM_Graphic* base = getGraphic(0)) {
                base->draw(context, &bounds_, 1.0f);
            }
        }
        if (border != nullptr) {
            context->setColourFromObject(border);
            frame(context, AM_Rect{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1, bounds_.h - 1},
                  0.8f);
        }
    }
    if (highlighted && highlightRadius_ > 0) {
        const AM_Rect r{bounds_.x + 1, bounds_.y + 1, bounds_.w - 2, bounds_.h - 2};
        const std::vector<float> outline = roundedOutline(r, float(highlightRadius_));
        context->setColourFromObject(highlight);
        context->drawPolyline(outline.data(), int(outline.size() / 2), 2.0f, true);
    }
}

void AM_View_Pane::drawEditFrame(AM_Context* context)
{
    AM_ViewControl::drawEditFrame(context);
    if (context == nullptr || (state_ & kStateEditMode) == 0) {
        return;
    }
    char caption[80];
    std::snprintf(caption, sizeof caption, "%s - Layer %d", getName(), int(currentLayer_) + 1);
    context->setFontSize(12.0f);
    context->setColour(0.0f, 0.0f, 0.4f, 0.2f);
    context->drawText(caption, &bounds_, 1, false);
}
