#pragma once
// The base of every view control: a named node of the GUI tree (through
// AM_GuiObject) with bounds in absolute GUI coordinates, a layer mask, a
// visibility flag, edit-mode state bits and the hooks through which the GUI
// script creates, configures and writes controls.
//
// Construction: (view manager, bounds); the control takes the name
// "Control %d" with its object id, mask bit 0x1000 and edit-mode state. A
// control class adds its own mask bits (0x40000 for a timer, 0x400000 when
// it shows values) in its constructor.
//
// GUI thread only.

#include "gui/graphics/AM_GuiObject.h"
#include "gui/graphics/AM_Rect.h"

#include <cstdint>
#include <string>

class AM_ViewMan;
class AM_ViewControl;
struct AM_ControlTypeRecord;
struct AM_PortRecord;

// The factory of a control type: a new control of the class for the view
// manager and the rectangle.
using AM_ControlFactory = AM_ViewControl* (*)(AM_ViewMan* viewMan, const AM_Rect* bounds);

// Mask bits of controls (besides kGuiControlBit).
enum AM_ViewControlBits : uint32_t {
    kControlHasTimerBit = 0x40000,
    kControlShowsValuesBit = 0x400000,
};

// State bits of controls.
enum AM_ViewControlState : uint32_t {
    kStateMoving = 0x1,
    kStateResizeLeft = 0x2,
    kStateResizeTop = 0x4,
    kStateResizeRight = 0x8,
    kStateResizeBottom = 0x10,
    kStateEditMode = 0x10000,
    kStateLocked = 0x20000,
    kStateNoResizeHandles = 0x80000,
    kStateSelected = 0x100000,
    kStateInsideSelected = 0x200000,
    kStateRootView = 0x400000,
    kStateOwnEditMouseDown = 0x800000,
    kStateDisposed = 0x1000000,
};

constexpr uint32_t kAllLayers = 0xFFFFFFFFu;

// Whether a name can be written into a quoted script value and read back as
// it is: no quote, '=' or control character (tab, line breaks).
bool AM_isWritableScriptName(const char* name);

class AM_ViewControl : public AM_GuiObject {
public:
    // Name "Control %d" (object id), mask | 0x1000, layer mask all ones,
    // state 0x10000; bounds copied (an empty rectangle when null).
    AM_ViewControl(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_ViewControl() override;

    // A name that a script line cannot hold (a quote, tab, '=' or line
    // break) is refused with a trace line; otherwise as AM_GuiObject.
    void setName(const char* name) override;

    // The registry type name of the class (null for the base).
    virtual const char* getTypeName() const;

    // Whether the control is in the timer chain (mask bit 0x40000).
    virtual bool hasTimer() const;
    // One timer tick (nothing here).
    virtual void onTimer();

    // Draws the control (nothing here).
    virtual void draw(class AM_Context* context);

    // When the layer mask shares a bit with `layers`: stores the visibility
    // and gives it to the whole subtree (all layers); with `withSiblings`,
    // the following siblings are treated alike.
    virtual void setVisible(bool visible, uint32_t layers, bool withSiblings);
    virtual bool isVisible() const { return visible_; }

    // Adds (dx, dy) to the origin of this control, its subtree and (with
    // `withSiblings`) the following siblings and theirs.
    virtual void offsetBy(float dx, float dy, bool withSiblings);
    // Appends the child as last child; with `offset`, its subtree is moved
    // by this control's origin (a child given relative to its parent). Sets
    // the child's layer mask, registers it with the view manager and makes
    // it visible or hidden like this control.
    virtual void addControl(AM_ViewControl* child, uint32_t layerMask, bool offset);

    virtual void setLayerMask(uint32_t mask) { layerMask_ = mask; }
    virtual uint32_t getLayerMask() const { return layerMask_; }
    virtual bool isContainer() const { return isContainer_; }
    virtual uint8_t getNumLayers() const { return numLayers_; }
    virtual uint8_t getCurrentLayer() const { return currentLayer_; }

    // The bounds in absolute GUI coordinates.
    virtual AM_Rect getBounds() const { return bounds_; }
    // The origin relative to the parent's (absolute without a parent).
    virtual float getRelativeX() const;
    virtual float getRelativeY() const;

    // Sets or clears the edit-mode bit on this control, its subtree and its
    // following siblings.
    virtual void setEditMode(bool on);
    virtual void setState(uint32_t state) { state_ = state; }
    virtual uint32_t getState() const { return state_; }

    // Ports and listeners of the control class: none in the base.
    virtual int32_t getNumPorts() const { return 0; }
    // The port of that name, or null.
    virtual AM_PortRecord* findPort(const char* portName);
    // The listener index of that port name, or -1.
    virtual int32_t findListener(const char* portName);
    // Connects listener `index` to another control's port; false when the
    // control has no such listener.
    virtual bool setListener(int32_t index, AM_PortRecord* port);
    // Binds port `portName` to a module's parameter; false when the control
    // has no such port.
    virtual bool connectParameter(const char* portName, const char* module, const char* parameter,
                                  const char* valueString);

    // Writing the GUI script. writeControlTree: this control's CONTROL block,
    // then the first child's tree and the next sibling's tree (pass 1).
    // writePropertyTree: the same with the PROPERTY and LISTENER lines
    // (pass 2). The text is appended to `script`; nothing when it is null.
    virtual void writeControlTree(std::string* script);
    virtual void writeControl(std::string* script);
    virtual void writePropertyTree(std::string* script);
    virtual void writeProperties(std::string* script);
    // Applies one PROPERTY line of the script (nothing in the base for an
    // unknown name).
    virtual void setProperty(const char* name, int32_t id, const char* value);

    // The factory that built the control (null when built otherwise).
    void setFactory(AM_ControlFactory factory) { factory_ = factory; }
    AM_ControlFactory getFactory() const { return factory_; }
    virtual void setPrototype(AM_ViewControl* prototype) { prototype_ = prototype; }
    virtual AM_ViewControl* getPrototype() const { return prototype_; }

    AM_ViewMan* getViewMan() const { return viewMan_; }
    AM_ViewControl* getParentControl() const;
    AM_ViewControl* getFirstChildControl() const;
    AM_ViewControl* getNextControl() const;

    // Links of the view manager's chains.
    AM_ViewControl* nextInTimerChain = nullptr;
    AM_ViewControl* nextInDisplayChain = nullptr;

protected:
    // Adds mask bits of the class (kControlHasTimerBit, ...).
    void addMaskBits(uint32_t bits) { mask_ |= bits; }

    AM_ViewMan* viewMan_;
    AM_Rect bounds_;
    uint32_t layerMask_ = kAllLayers;
    uint8_t numLayers_ = 0;
    uint8_t currentLayer_ = 0;
    uint8_t mouseDown_ = 0;
    uint8_t wheelActive_ = 0;
    uint8_t acceptsWheel_ = 0;
    uint8_t visible_ = 0;
    uint8_t timerGuard_ = 0;
    uint8_t isContainer_ = 0;
    uint32_t state_ = kStateEditMode;
    AM_ControlFactory factory_ = nullptr;
    AM_ViewControl* prototype_ = nullptr;
};
