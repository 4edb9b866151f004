// Input routing of the view manager: mouse, wheel, drag and drop and keys
// go to the control under the pointer in run mode, or work on the selection
// in edit mode; the keys of the GUI editor; focus and selection.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ViewMan.h"
#include "platform/Trace.h"

#include <cmath>

namespace {

// Modifier bits of the editor window.
constexpr uint32_t kShift = 1;
constexpr uint32_t kRightButton = 2;
constexpr uint32_t kControl = 4;
constexpr uint32_t kAlt = 8;

// The press gate: a gate of 0 refuses presses; above this it is lowered.
constexpr int32_t kPressGateCeiling = 25;

// The message that toggles the editing grid (sent from the root view).
constexpr uint32_t kMsgToggleGrid = 41;
// Controls bind the editor's inspector and tools.
constexpr uint32_t kMsgBindEditor = 48;

// Keys.
constexpr uint32_t kKeyBackspace = 8;
constexpr uint32_t kKeyTab = 9;
constexpr uint32_t kKeyEscape = 27;
constexpr uint32_t kKeyLeft = 28;
constexpr uint32_t kKeyRight = 29;
constexpr uint32_t kKeyUp = 30;
constexpr uint32_t kKeyDown = 31;

bool inside(const AM_Rect& r, const float* point)
{
    return point[0] >= r.x && point[0] <= r.x + r.w && point[1] >= r.y && point[1] <= r.y + r.h;
}

bool isEditModeControl(const AM_ViewControl* control)
{
    return (control->getState() & kStateEditMode) != 0;
}

void setStateBit(AM_ViewControl* control, uint32_t bit, bool on)
{
    const uint32_t state = control->getState();
    control->setState(on ? (state | bit) : (state & ~bit));
}

void redraw(AM_ViewControl* control)
{
    control->redraw();
}

// The next control in tree order after `control`: its first child, else
// its next sibling, else the next sibling of the nearest ancestor that has
// one.
AM_ViewControl* nextInTree(AM_ViewControl* control)
{
    if (AM_ViewControl* child = control->getFirstChildControl()) {
        return child;
    }
    for (AM_ViewControl* c = control; c != nullptr; c = c->getParentControl()) {
        if (AM_ViewControl* next = c->getNextControl()) {
            return next;
        }
    }
    return nullptr;
}

} // namespace

void AM_ViewMan::toGuiUnits(float x, float y, float* point) const
{
    point[0] = x;
    point[1] = y;
    if (zoom_ != 1.0f) {
        point[0] = x * inverseZoom_;
        point[1] = y * inverseZoom_;
    }
}

AM_ViewControl* AM_ViewMan::controlAt(const float* point)
{
    AM_ViewControl* top = topControl_;
    if (top == nullptr) {
        return nullptr;
    }
    return top->getControlInPoint(point, 0);
}

bool AM_ViewMan::insideInputBlock(const float* point) const
{
    return inputBlockRect_.w > 0.0f && inside(inputBlockRect_, point);
}

void AM_ViewMan::endWheelGesture()
{
    AM_ViewControl* control = wheelControl_;
    wheelControl_ = nullptr;
    wheelHoldCount_ = 0;
    if (control != nullptr) {
        control->endWheel();
    }
}

void AM_ViewMan::setWheelControl(AM_ViewControl* control, int32_t holdTicks)
{
    wheelControl_ = control;
    wheelHoldCount_ = control != nullptr ? holdTicks : 0;
}

bool AM_ViewMan::handleMouseDown(float x, float y, uint32_t buttons)
{
    float point[2];
    toGuiUnits(x, y, point);
    if (wheelControl_ != nullptr) {
        endWheelGesture();
    }
    if (insideInputBlock(point)) {
        return false;
    }
    if (pendingScript_ >= 0) {
        AM_STD::printv("omg... handleMouseDown during timed setup");
        return false;
    }
    if (scriptLoading_ != 0) {
        AM_STD::printv("omg... handleMouseDown during absolutelyNoDrawing");
        return false;
    }
    pressTracked_ = 0;
    paintSelection_ = 0;
    if (pressGate_ == 0) {
        return false;
    }
    if (pressGate_ > kPressGateCeiling) {
        pressGate_ = kPressGateCeiling;
    }
    if (closeUndoOnPress_ != 0) {
        closeUndo();
    }
    activeControl_ = controlAt(point);
    if (activeControl_ == nullptr) {
        return false;
    }

    const bool runMode = !isEditModeControl(activeControl_) || (buttons & kRightButton) != 0;
    if (!runMode) {
        AM_ViewControl* control = activeControl_;
        const bool wasFocused = (control->getState() & kStateSelected) != 0;
        const bool inSelection =
            wasFocused || (control->getState() & kStateInsideSelected) != 0;
        if ((buttons & kShift) != 0) {
            if (control == rootView_) {
                return false;
            }
            setStateBit(control, kStateSelected, !wasFocused);
            redraw(control);
            recomputeSelection();
            if (!wasFocused) {
                control->fillInspector();
            }
            paintSelects_ = wasFocused ? 0 : 1;
            paintSelection_ = 1;
            return true;
        }
        if (inSelection) {
            // A press inside a selected control moves the selected one.
            while ((control->getState() & kStateInsideSelected) != 0 &&
                   control->getParentControl() != nullptr) {
                control = control->getParentControl();
            }
            activeControl_ = control;
        } else {
            selectOnly(control == rootView_ ? nullptr : control);
        }
        if ((buttons & kControl) != 0 && focusedControl_ != nullptr) {
            cloneSelection((buttons & kAlt) != 0);
        } else if (!inSelection && selectOnPress_ != 0 && control != rootView_) {
            paintSelects_ = 1;
            paintSelection_ = 1;
            return true;
        }
    }
    AM_ViewControl* target = activeControl_;
    pressTracked_ = target != nullptr && target->handleMouseDown(point, buttons, 0) ? 1 : 0;
    return pressTracked_ != 0;
}

bool AM_ViewMan::handleMouseDrag(float x, float y, uint32_t buttons)
{
    float point[2];
    toGuiUnits(x, y, point);
    if (paintSelection_ != 0) {
        AM_ViewControl* control = controlAt(point);
        if (control == nullptr || control == activeControl_ || activeControl_ == nullptr ||
            control->getParentControl() != activeControl_->getParentControl()) {
            return false;
        }
        const bool selected = (control->getState() & kStateSelected) != 0;
        if (selected == (paintSelects_ != 0)) {
            return false;
        }
        setStateBit(control, kStateSelected, paintSelects_ != 0);
        redraw(control);
        recomputeSelection();
        return true;
    }
    if (pressTracked_ != 0) {
        if (AM_ViewControl* target = activeControl_) {
            return target->handleMouseDrag(point, buttons, 0);
        }
    }
    return false;
}

bool AM_ViewMan::handleMouseUp(float x, float y, uint32_t buttons)
{
    if (pressTracked_ == 0) {
        paintSelection_ = 0;
        AM_STD::printv("MouseUp Without Tracking\n");
        return false;
    }
    float point[2];
    toGuiUnits(x, y, point);
    bool handled = false;
    if (AM_ViewControl* target = activeControl_) {
        handled = target->handleMouseUp(point, buttons, 0);
    }
    closeUndo();
    pressTracked_ = 0;
    return handled;
}

bool AM_ViewMan::handleDoubleClick(float x, float y, uint32_t buttons)
{
    if (pendingScript_ >= 0 || scriptLoading_ != 0) {
        return false;
    }
    float point[2];
    toGuiUnits(x, y, point);
    AM_ViewControl* control = controlAt(point);
    if (control == nullptr) {
        return false;
    }
    control->onDoubleClick(point, buttons);
    return true;
}

bool AM_ViewMan::handleMouseWheel(float x, float y, float delta, uint32_t buttons)
{
    (void)buttons;
    float point[2];
    toGuiUnits(x, y, point);
    if (insideInputBlock(point) || pendingScript_ >= 0 || scriptLoading_ != 0 ||
        !std::isfinite(delta)) {
        return false;
    }
    const float steps = std::trunc(delta);
    if (wheelControl_ != nullptr) {
        AM_ViewControl* wheel = wheelControl_;
        if (wheel != nullptr && inside(wheel->getBounds(), point)) {
            wheel->onMouseWheel(steps);
            if (wheel->acceptsMouseWheel()) {
                wheelHoldCount_ = kWheelHoldTicks;
            }
            return true;
        }
        endWheelGesture();
    }
    AM_ViewControl* control = controlAt(point);
    if (control == nullptr) {
        return false;
    }
    control->beginWheel();
    control->onMouseWheel(steps);
    if (control->acceptsMouseWheel()) {
        setWheelControl(control, kWheelHoldTicks);
    } else {
        // A control that does not keep the gesture closes what it opened.
        control->endWheel();
    }
    return true;
}

bool AM_ViewMan::handleDragOver(float x, float y, uint32_t modifiers, uint32_t state)
{
    if (state == kDragStateLeft) {
        // The drag left the window or was cancelled: whoever it was over
        // hears so, wherever the pointer was last.
        if (AM_ViewControl* left = activeControl_) {
            activeControl_ = nullptr;
            left->onDragLeave();
        }
        return false;
    }
    if (pendingScript_ >= 0 || scriptLoading_ != 0) {
        return false;
    }
    float point[2];
    toGuiUnits(x, y, point);
    AM_ViewControl* control = controlAt(point);
    if (control != activeControl_ && activeControl_ != nullptr) {
        if (AM_ViewControl* left = activeControl_) {
            left->onDragLeave();
        }
    }
    activeControl_ = control;
    AM_ViewControl* over = control;
    if (over == nullptr) {
        return false;
    }
    over->onDragOver(point, modifiers, state);
    return true;
}

bool AM_ViewMan::handleDrop(float x, float y, uint32_t modifiers, uint32_t kind,
                            uint32_t length, const char* text)
{
    dropOutcome_ = kDropRefused;
    if (pendingScript_ >= 0 || scriptLoading_ != 0) {
        return false;
    }
    float point[2];
    toGuiUnits(x, y, point);
    AM_ViewControl* control = controlAt(point);
    if (control == nullptr) {
        return false;
    }
    // The key flags travel with the drop: Control copies, anything else moves.
    control->dropData(point, modifiers, kind, length, text);
    control->onDragLeave();
    return true;
}

// --- Focus and selection.

AM_ViewControl* AM_ViewMan::getFocusedControl()
{
    return focusedControl_;
}

bool AM_ViewMan::hasMultiSelection()
{
    AM_ViewControl* focused = focusedControl_;
    return focused != nullptr && focused->getNextSelected() != nullptr;
}

void AM_ViewMan::setFocus(AM_ViewControl* control, bool on)
{
    if (control != nullptr) {
        if (!isEditModeControl(control) || control == rootView_) {
            return;
        }
        setStateBit(control, kStateSelected, on);
        redraw(control);
    }
    recomputeSelection();
}

// The selection lives below the root view (below the top control before
// there is a root view).
AM_ViewControl* AM_ViewMan::selectionScope()
{
    if (rootView_ != nullptr) {
        return rootView_->getFirstChildControl();
    }
    return topControl_;
}

void AM_ViewMan::selectOnly(AM_ViewControl* control)
{
    if (control != nullptr && (control == rootView_ || !isEditModeControl(control))) {
        control = nullptr;
    }
    AM_SelectionTail tail;
    if (AM_ViewControl* scope = selectionScope()) {
        scope->updateSelection(&tail, control, false, true);
    }
    focusedControl_ = tail.head;
}

void AM_ViewMan::recomputeSelection()
{
    if (rootView_ != nullptr) {
        // The root view never counts as selected.
        setStateBit(rootView_, kStateSelected, false);
    }
    AM_SelectionTail tail;
    if (AM_ViewControl* scope = selectionScope()) {
        scope->updateSelection(&tail, nullptr, false, false);
    }
    focusedControl_ = tail.head;
}

// --- Keys.

bool AM_ViewMan::togglePane(const char* name, bool* shown)
{
    AM_ViewControl* pane = nullptr;
    if (topControl_ != nullptr) {
        if (AM_ViewControl* first = topControl_->getFirstChildControl()) {
            pane = dynamic_cast<AM_ViewControl*>(first->findByName(name));
        }
    }
    if (pane == nullptr) {
        return false;
    }
    const bool on = !pane->isVisible();
    pane->setVisible(on, kAllLayers, false);
    redraw(pane);
    *shown = on;
    return true;
}

bool AM_ViewMan::handleEditorKey(uint32_t key, uint32_t extra)
{
    bool shown = false;
    AM_ViewControl* focused = focusedControl_;
    switch (key) {
    case kKeyBackspace:
        if (focused != nullptr) {
            if (closeUndoOnPress_ != 0) {
                closeUndo();
            }
            focused->deleteControl();
            focusedControl_ = nullptr;
            recomputeSelection();
        }
        return true;
    case kKeyTab: {
        if (focused == nullptr || hasMultiSelection()) {
            return true;
        }
        AM_ViewControl* next = nextInTree(focused);
        while (next != nullptr && !next->isVisible()) {
            next = nextInTree(next);
        }
        if (next == nullptr || next == rootView_ || !isEditModeControl(next)) {
            return true;
        }
        setStateBit(focused, kStateSelected, false);
        redraw(focused);
        setFocus(next, true);
        next->fillInspector();
        return true;
    }
    case kKeyEscape:
        setEditMode(!isEditMode());
        return true;
    case kKeyLeft:
    case kKeyRight:
    case kKeyUp:
    case kKeyDown: {
        if (focused == nullptr) {
            return true;
        }
        const float dx = key == kKeyLeft ? -1.0f : key == kKeyRight ? 1.0f : 0.0f;
        const float dy = key == kKeyUp ? -1.0f : key == kKeyDown ? 1.0f : 0.0f;
        if (closeUndoOnPress_ == 0) {
            focused->addUndo("move", AM_ViewControl::kUndoMove, false, false);
        }
        focused->moveBy(dx, dy, false, true);
        return true;
    }
    case 'c':
        if (!togglePane("editColourLabPane", &shown)) {
            platform::standardOutput("no colourlab detected!\n");
        }
        return true;
    case 'f':
        selectOnPress_ = selectOnPress_ != 0 ? 0 : 1;
        return true;
    case 'g':
        if (rootView_ != nullptr) {
            rootView_->receiveMessage(this, kMsgToggleGrid, 0, nullptr);
        }
        return true;
    case 'h':
        selectionOption_ = selectionOption_ != 0 ? 0 : 1;
        return true;
    case 'i':
        if (togglePane("*i*Inspector", &shown) && shown) {
            sendMessage(0, kMsgBindEditor, 0, nullptr);
        }
        return true;
    case 'l':
        return true;
    case 's':
        togglePane("editShapeLabPane", &shown);
        return true;
    case 'x':
        if (!togglePane("*i*XFormTools", &shown)) {
            AM_STD::printv("no XForms tool available");
        } else if (shown) {
            sendMessage(0, kMsgBindEditor, 0, nullptr);
        }
        return true;
    default:
        break;
    }
    AM_ViewControl* active = activeControl_;
    (void)extra;
    return active != nullptr && active->onKeyDown(key, 0);
}

bool AM_ViewMan::handleKey(uint32_t key, uint32_t modifiers, uint32_t extra)
{
    if (inputBlockRect_.w > 0.0f) {
        return false;
    }
    if (pressTracked_ != 0) {
        platform::standardOutput("no key events while mousing please!\n");
        return false;
    }
    if (pendingScript_ >= 0 || scriptLoading_ != 0) {
        return false;
    }
    if ((modifiers & kAlt) != 0) {
        if (key == 'r') {
            redo();
            return true;
        }
        if (key == 'u') {
            undo();
            return true;
        }
    }
    if (!isGuiEditing()) {
        AM_ViewControl* active = activeControl_;
        return active != nullptr && active->onKeyDown(key, modifiers);
    }
    bool handled = false;
    if (modifiers == 0) {
        handled = handleEditorKey(key, extra);
        if (key == 'f') {
            return true;
        }
    }
    if (closeUndoOnPress_ == 0) {
        closeUndo();
    }
    if (dirty_ != 0) {
        repaint(nullptr);
    }
    return handled;
}
