#pragma once
// The base of every view control: a named node of the GUI tree (through
// AM_GuiObject) with bounds in absolute GUI coordinates, layers and a layer
// mask, visibility, edit-mode state bits, named colour and graphic slots,
// ports bound to engine parameters and listener entries that follow other
// controls' ports, the selection chain, the timer and display chains, and
// the hooks through which the GUI script creates, configures and writes
// controls.
//
// Construction is two-step: (view manager, bounds) names the control
// "Control %d" with its object id and sets mask bit 0x1000 and edit-mode
// state; then the class's constructor calls initControl with its mask bits,
// its port, listener, colour and graphic tables and its timer wish.
//
// Ports: a port is a named, typed socket of the class (a static table of
// AM_PortDescriptor rows); binding it to a parameter makes the control show
// the parameter's value whenever it changes and lets a user gesture write
// the parameter, bracketed by the host's begin/end edit and recorded as one
// undo group per gesture. A listener entry follows a port of another
// control: when that port shows a new value, its control broadcasts message
// 32 and this one gets listenerValueChanged. The interface keeps at most four
// ports per parameter: a fifth binding is refused (trace line) and the port
// keeps its old binding.
//
// A node deletes its first child and its following siblings: unlink a
// control before deleting it alone. A control that goes away unbinds its
// ports, stops following, announces its end (message 18) so that no other
// control keeps a link to it, and leaves every place of the view manager.
//
// Points are two floats (x, y) in GUI units; buttons: 1 Shift, 2 right
// button, 4 Control, 8 Alt.
//
// GUI thread only.

#include "gui/graphics/AM_GuiObject.h"
#include "gui/graphics/AM_Rect.h"
#include "gui/views/AM_MenuTable.h"
#include "presets/AM_PortRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class AM_Colour;
class AM_Context;
class AM_Graphic;
class AM_Object;
class AM_ViewMan;
class AM_ViewControl;
struct AM_ControlTypeRecord;
struct AM_ParamInfo;

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

// The state a drag over the window carries to onDragOver: the drag moves
// over the window, or it left the window (or was cancelled).
constexpr uint32_t kDragStateOver = 1;
constexpr uint32_t kDragStateLeft = 0xFFFFFFFFu;

// What became of a drop, as the control that took it tells the view manager
// (setDropOutcome): nothing taken, taken as a copy, taken by moving what it
// names, or taken to be done on a later tick (told again then).
constexpr uint32_t kDropRefused = 0;
constexpr uint32_t kDropCopied = 1;
constexpr uint32_t kDropMoved = 2;
constexpr uint32_t kDropPending = 3;

// The selection chain while the selection walk builds it: its first and
// its last control.
struct AM_SelectionTail {
    AM_ViewControl* head = nullptr;
    AM_ViewControl* last = nullptr;
};

// A field of an owner edited by an inspector field control (a menu, a
// switch, a number or text field of the editor's own GUI).
struct AM_InspectorField {
    enum Kind : uint32_t { kInt32 = 0, kUInt32 = 1, kText = 2 };
    // The object that owns the field; it redraws when the field changes.
    AM_Object* owner = nullptr;
    const char* label = nullptr;
    void* field = nullptr;
    Kind kind = kInt32;
    // The size of a text field, terminator included.
    uint32_t textBytes = 0;
    // Texts of the values minimum.. (null: numbers are shown).
    const char* const* valueTexts = nullptr;
    int32_t minimum = 0;
    int32_t maximum = 0;
    // The message the field control sends the owner after a change (0:
    // none), with argument 0 and the field as data.
    uint32_t changedMessage = 0;
};

// Whether a name can be written into a quoted script value and read back as
// it is: no quote, '=' or control character (tab, line breaks).
bool AM_isWritableScriptName(const char* name);

class AM_ViewControl : public AM_GuiObject, public AM_PortOwner, public AM_MenuCommandTarget {
public:
    // Name "Control %d" (object id), mask | 0x1000, layer mask all ones,
    // state 0x10000; bounds copied (an empty rectangle when null).
    AM_ViewControl(AM_ViewMan* viewMan, const AM_Rect* bounds);
    // Unbinds every port, stops following other ports, tells every object
    // that it goes away (message 18) and leaves the view manager's places;
    // then, as every GUI object, deletes its subtree and following siblings.
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

    // An item of the menu that this control opened was chosen (or nothing
    // was); the base uses none and answers false.
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;

    // Draws the control (nothing here).
    virtual void draw(AM_Context* context);

    // When the layer mask shares a bit with `layers`: a control that hides
    // redraws its area first and loses its selected bit; the visibility is
    // stored and given to the whole subtree (all layers). With
    // `withSiblings`, the following siblings are treated alike. Redraws.
    virtual void setVisible(bool visible, uint32_t layers, bool withSiblings);
    // setVisible (without siblings) of each following sibling in turn: the
    // sibling half of setVisible, for the classes that override it.
    void setSiblingsVisible(bool visible, uint32_t layers);
    // Containers that show some layers: each child on one of `layers` gets
    // setVisible (visible, layers), each child only on other layers
    // setVisible (false, ~layers); one call per child, so nested containers
    // cost one visit per control.
    void showChildrenOnLayers(uint32_t layers, bool visible);
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
    // following siblings; redraws.
    virtual void setEditMode(bool on);
    virtual void setState(uint32_t state) { state_ = state; }
    virtual uint32_t getState() const { return state_; }

    // --- Ports.

    // Binds port i to the parameter (null unbinds). The parameter's whole
    // type word must be one the port accepts. Unless it is a meter (type
    // word 3), the port is registered with the interface. The value-to-
    // string object is kept when it accepts the parameter, else continuous
    // parameters take "generic"; the current value is shown, and the first
    // bound port names the control's label.
    virtual void setPortParameter(int32_t i, const AM_ParamInfo* parameter);
    // Rebinds every bound port to the parameter of the same short name in
    // module moduleIndex, when that module has one; then the children (and,
    // with withSiblings, the following siblings).
    virtual void reconnectPorts(int32_t moduleIndex, bool withSiblings);
    virtual int32_t getNumPorts() const;
    // Descriptor of port i (i must be below getNumPorts).
    virtual const AM_PortDescriptor* getPortDescriptor(int32_t i) const;
    // The port record of that name, or null.
    virtual AM_PortRecord* findPort(const char* portName);
    // Port record i; null when i is out of range.
    virtual AM_PortRecord* getPort(int32_t i);
    virtual void changePortListenerCount(int32_t i, bool increment);
    // The control's value storage for a port; null here.
    virtual const void* getValuePointer(int32_t port);
    // Shows a new value on port i: message 32 to the controls when the port
    // has listeners, then a redraw. Classes store and draw the value and call
    // this.
    void setParameterValue(int32_t i, const void* value) override;
    // A value made by a user gesture: sent to the parameter, then shown.
    virtual void setValueFromUser(int32_t i, const void* value);
    // Writes the value to port i's parameter (nothing when unbound) and
    // fills info line 0 when the port has a value-to-string object.
    virtual void sendValueToParameter(int32_t i, const void* value);
    // Starts MIDI learn for port i's parameter.
    virtual void midiLearn(int32_t i);
    // Binds port portName to the parameter of that module (the PARAMETER
    // line); with valueString, the view manager's value-to-string object of
    // that name when it accepts the parameter. False, with a trace line,
    // when the port or the parameter does not exist.
    virtual bool connectParameter(const char* portName, const char* module, const char* parameter,
                                  const char* valueString);

    // --- Listeners.

    virtual int32_t getNumListeners() const;
    // Descriptor of listener i (i must be below getNumListeners).
    virtual const AM_ListenerDescriptor* getListenerDescriptor(int32_t i) const;
    // The listener index of that name, or -1.
    virtual int32_t findListener(const char* portName);
    // Entry i follows the port (null: nothing); the listener counts of the
    // old and the new port follow. False when i is out of range.
    virtual bool setListener(int32_t i, AM_PortRecord* port);
    // The port that entry i follows (null when none or out of range).
    AM_PortRecord* getListener(int32_t i) const;
    // A followed port shows a new value: nothing here.
    virtual void listenerValueChanged(int32_t i, const void* value);

    // --- Gestures.

    // The class's own press, drag and release. onMouseDown answers whether
    // the control keeps the press (false here).
    virtual bool onMouseDown(const float* point, uint32_t buttons);
    virtual void onMouseDrag(const float* point, uint32_t buttons);
    virtual void onMouseUp(const float* point, uint32_t buttons);
    // Run-mode press: opens the host's edit and an undo step per bound port,
    // then asks onMouseDown; a press the control does not keep is closed at
    // once (false).
    virtual bool handleMouseDown(const float* point, uint32_t buttons, uint32_t extra);
    virtual bool handleMouseDrag(const float* point, uint32_t buttons, uint32_t extra);
    // Release: onMouseUp, the host's end edit per bound port and the undo
    // group closed.
    virtual bool handleMouseUp(const float* point, uint32_t buttons, uint32_t extra);
    // The wheel gesture: like a press when no press is in progress and the
    // control takes the wheel.
    virtual void beginWheel();
    virtual void endWheel();
    virtual bool acceptsMouseWheel() const { return acceptsWheel_ != 0; }
    bool isMouseDown() const { return mouseDown_ != 0; }
    bool isWheelActive() const { return wheelActive_ != 0; }

    // --- Further input of the classes (nothing here unless said).

    virtual void onDoubleClick(const float* point, uint32_t buttons);
    // Hands the wheel steps to the parent (nothing without one).
    virtual void onMouseWheel(float steps);
    // A drag moves over the control: the point, the key flags (1 Shift,
    // 4 Control, 8 Alt) and the drag state (kDragStateOver).
    virtual void onDragOver(const float* point, uint32_t modifiers, uint32_t state);
    // The drag went to another control, left the window, or was dropped.
    virtual void onDragLeave();
    virtual void onDrop(const float* point, const char* data);
    // A drop with its key flags (1 Shift, 4 Control, 8 Alt), its kind (1: a
    // patch list) and the length of its text; the view manager's drop path.
    // Here the point and the text go to onDrop.
    virtual void dropData(const float* point, uint32_t keyFlags, uint32_t kind, uint32_t length,
                          const char* data);
    // The text to drag from the control; null: nothing to drag.
    virtual const char* getDragData();
    // Whether the control took the key (false here).
    virtual bool onKeyDown(uint32_t key, uint32_t modifiers);

    // --- Layers of containers (nothing here).

    virtual void selectLayer(int32_t layer);
    virtual const char* getLayerName(int32_t layer);
    virtual void addLayer(const char* name);

    // Copies the class's own settings to a clone (nothing here).
    virtual void copyProperties(AM_ViewControl* clone);

    // --- Editing in edit mode (state 0x10000).

    // The edit-mode halves of handleMouseDown, handleMouseDrag and
    // handleMouseUp, which call them while the control is in edit mode.
    // Press: the right button opens the edit menu (false); otherwise the
    // control (0x800000: also its onMouseDown) shows its bounds on info line
    // 1 and, unless locked, starts a resize on a handle (a "resize" undo
    // step) or a move ("move"), answering true. Drag: moves or resizes the
    // focused control with its selection, snapped to the grid. Release:
    // ends the move or resize.
    virtual bool handleEditMouseDown(const float* point, uint32_t buttons, uint32_t extra);
    virtual bool handleEditMouseDrag(const float* point, uint32_t buttons, uint32_t extra);
    virtual bool handleEditMouseUp(const float* point, uint32_t buttons, uint32_t extra);
    // The control's menu: with `open` the view manager's menu (edit menu
    // id) is begun at the point with the control's name as first item and
    // shown at the end. Outside edit mode nothing else is added; in edit
    // mode the items of the control (create, parameters, listeners,
    // graphics, colours, layers, size to fit, order, lock, rename, select
    // children). Classes add their own items and call this.
    virtual void buildEditMenu(const float* point, bool open, uint32_t extra);
    // An "assign to" submenu under `subMenu` per bound port whose parameter
    // can be a modulation target, one item per meta parameter.
    virtual void buildAssignMenu(uint32_t subMenu);
    // The selection walk over this control, its subtree and its following
    // siblings: with clearFirst every selected bit is cleared first; `focus`
    // becomes selected and fills the inspector; controls below a selected
    // one are marked 0x200000; the outermost selected controls are linked
    // into the selection chain through the tail.
    virtual void updateSelection(AM_SelectionTail* tail, AM_ViewControl* focus,
                                 bool insideSelected, bool clearFirst);
    // A copy of this control (the class's factory, same size, offset by
    // (dx, dy)) added to newParent (null: this control's parent), with its
    // subtree, colours, graphics, state and bindings after the view
    // manager's cloning mode; with withSiblings the following siblings are
    // cloned into the same parent, and the rest of the selection is cloned
    // too. The copy takes the selection. Null when the control has no
    // factory.
    virtual AM_ViewControl* clone(bool withSiblings, AM_ViewControl* newParent, float dx, float dy);
    // The copy of clone without the rest of the selection.
    AM_ViewControl* cloneOne(bool withSiblings, AM_ViewControl* newParent, float dx, float dy);
    // Records the deletion of this control and of the rest of the selection
    // as one undo step each ("delete control"); they go when the view
    // manager closes the undo group.
    virtual void deleteControl();
    // Points the rows of the editor's inspector at this control's colours,
    // graphics, parameters, properties and name.
    virtual void fillInspector();
    // An inspector row (a control of the editor's own GUI) shows slot `slot`
    // of the subject control (null: nothing). Nothing here; the classes that
    // serve as rows implement it.
    virtual void setInspectorSubject(AM_ViewControl* subject, int32_t slot);
    // An inspector field control edits a field of an owner (see
    // AM_InspectorField); false when the class edits no fields (here).
    virtual bool bindField(const struct AM_InspectorField& field);
    // The root view's grid: the offset that snaps the point to the grid, and
    // true when it snaps. The base never snaps.
    virtual bool snapToGrid(const float* point, float* offset);

    // The module the "Parameters" menu offers when it offers one module
    // (process-wide).
    static int32_t getAssignModule();
    static void setAssignModule(int32_t module);
    // The handle of the edit frame under the point (0 top-left, 1 top, 2
    // top-right, 3 right, 4 bottom-right, 5 bottom, 6 bottom-left, 7 left),
    // or -1 for none.
    int32_t hitHandle(const float* point) const;
    // Drag bits of a handle (0 for none).
    static uint32_t handleDragBits(int32_t handle);
    // The longest name the rename prompt takes, with its terminator.
    static constexpr uint32_t kRenameBytes = 32;

    // --- Label and drawing.

    // A "Label" control from the view manager, named after this control,
    // added as a child over all layers and aligned to this control by the
    // code in the upper byte of alignMode; it is drawn in edit mode.
    virtual void addNameLabel(uint32_t alignMode);

    // The name label (the first child of a control that is not a container)
    // takes the text (message 8).
    virtual void setLabelText(const char* text);
    // Marks a label as another control's name label (labels only; nothing
    // here).
    virtual void setParentLabel(bool on) { (void)on; }
    // Asks for a repaint of the control's area (nothing when hidden).
    virtual void redraw();
    // The bounds, or (accumulate) their union with rect and the following
    // siblings; in edit mode the children are included.
    virtual void getUnionBounds(AM_Rect* rect, bool accumulate);

    // --- Colour and graphic slots. A slot index past the end gives null.

    virtual const char* getGraphicName(int32_t slot) const;
    virtual AM_Graphic* getGraphic(int32_t slot) const;
    virtual const char* getColourName(int32_t slot) const;
    virtual AM_Colour* getColour(int32_t slot) const;
    int32_t getGraphicCount() const { return static_cast<int32_t>(graphics_.size()); }
    int32_t getColourCount() const { return static_cast<int32_t>(colours_.size()); }
    // A selected control hands the change to the whole selection by slot
    // name; otherwise the slot takes the graphic (loaded), the control
    // redraws and, when the view manager's selection option holds, its clones
    // follow (message 23).
    virtual void setGraphic(AM_Graphic* graphic, int32_t slot);
    // Every slot of that name takes the graphic; then the next selected
    // control does the same.
    virtual void setGraphicByName(AM_Graphic* graphic, const char* slotName);
    // The same for colours (message 24, nothing loaded).
    virtual void setColour(AM_Colour* colour, int32_t slot);
    virtual void setColourByName(AM_Colour* colour, const char* slotName);
    // The slots of that name of this control alone take the graphic / the
    // colour.
    void setOwnGraphicByName(AM_Graphic* graphic, const char* slotName);
    void setOwnColourByName(AM_Colour* colour, const char* slotName);

    // --- Geometry. Each operation redraws the old and the new area when
    // the control is visible and calls boundsChanged.

    // Adds (dx, dy) to the origin of this control and its subtree; with
    // withSiblings the following siblings move too, with withSelection the
    // rest of the selection.
    virtual void moveBy(float dx, float dy, bool withSiblings, bool withSelection);
    virtual void moveTo(const float* point, bool withSelection);
    // Moves each edge outward by its delta; width and height stay at least
    // kMinimumSide. Clones follow (message 22) when the selection option
    // holds.
    virtual void growBy(float dLeft, float dTop, float dRight, float dBottom, bool withSelection);
    // Scales width and height, and the children about this control's origin.
    virtual void scaleBy(float fx, float fy, bool withSiblings, bool withSelection);
    // Aligns the bounds to the point by an alignment code (AM_Rect.h).
    virtual void alignTo(const float* point, int32_t mode, bool withSelection);
    // Called after every change of the bounds; nothing here.
    virtual void boundsChanged();

    // --- Visibility, modes and the selection.

    // Sets or clears the disposed bit on this control and its subtree, and
    // on the following siblings when withSiblings.
    virtual void setDisposeFlag(bool disposed, bool withSiblings);
    bool isDisposed() const { return (state_ & kStateDisposed) != 0; }
    virtual AM_ViewControl* getNextSelected() const { return nextSelected_; }
    void setNextSelected(AM_ViewControl* next) { nextSelected_ = next; }
    // Trace line "selected: %s" for this control and the rest of the
    // selection.
    virtual void printSelection();
    // Hands this control and then the rest of the selection to the visitor.
    virtual void visitSelection(AM_Object* visitor, uint32_t message, uint32_t arg, void* data);

    // --- Undo of edit-mode gestures.

    // Kinds of addUndo: a resize, a move, a deletion.
    enum UndoKind : int32_t { kUndoResize = 0, kUndoMove = 1, kUndoDelete = 4 };
    // Adds this control's step of that kind to the view manager's open
    // group (other kinds add nothing); with withChildren the subtree, with
    // withSiblings the following siblings, and then the rest of the
    // selection, so one call records the whole selection.
    virtual void addUndo(const char* name, int32_t kind, bool withChildren, bool withSiblings);
    // This control's step of that kind (with withChildren, also its
    // subtree's), nothing more.
    void addStep(const char* name, int32_t kind, bool withChildren);

    // --- Timer.

    // Joins or leaves the timer chain (mask bit 0x40000); the view manager
    // rebuilds the chain on its next tick.
    virtual void setTimer(bool on);
    // Ticks this control and the rest of its chain. A chain that runs into
    // a control whose tick is still running stops there ("circular timer!").
    void runTimerChain();

    // --- Painting and hit tests.

    // Paints this control and its following siblings where they meet the
    // clip: draw, the edit frame, the children, the overlay.
    void paintTree(AM_Context* context, const AM_Rect* clip);
    // The edit-mode frame and, for a selected control, its handles.
    virtual void drawEditFrame(AM_Context* context);
    virtual void drawOverlay(AM_Context* context);
    virtual void drawTopLayer(AM_Context* context, const AM_Rect* clip);
    // The control under the point among this control, its following
    // siblings and their subtrees: a sibling that claims the point (the
    // first such), else the last painted that is hit; null for none.
    virtual AM_ViewControl* getControlInPoint(const float* point, uint32_t flags);
    // Whether the control takes the point ahead of the siblings painted
    // after it (false here).
    virtual bool claimsPoint(const float* point) const;
    // The control under the point in this control's subtree (this one or a
    // child's); null for none.
    virtual AM_ViewControl* getControlInSubtree(const float* point, uint32_t flags);
    // The deepest control whose area meets the rectangle; earlier siblings
    // win.
    virtual AM_ViewControl* getControlInRect(const AM_Rect* rect, uint32_t flags);

    // --- Renaming in edit mode.

    // The name entry for this control starts: message 43 applies its text.
    void beginRename() { renamePending_ = true; }
    bool isRenamePending() const { return renamePending_; }
    // Takes the new name when it is 3 to 31 characters, a script line can
    // hold it and no other control of the tree has it; otherwise the old
    // name stays (trace line). True when the control has the name after.
    bool renameTo(const char* newName);

    // The messages every control answers (codes 14 to 70), then those of
    // AM_GuiObject.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;

    // The least width and height growBy leaves.
    static constexpr float kMinimumSide = 6.0f;
    // The shortest and longest names a rename takes.
    static constexpr size_t kMinimumNameLength = 3;
    static constexpr size_t kMaximumNameLength = kGuiNameBytes - 1;

    // Writing the GUI script. writeControlTree: this control's CONTROL block,
    // then the first child's tree and the next sibling's tree (pass 1).
    // writePropertyTree: the same with the PROPERTY and LISTENER lines
    // (pass 2). The text is appended to `script`; nothing when it is null.
    virtual void writeControlTree(std::string* script);
    // The CONTROL line, then a PROPERTY line per colour and graphic slot
    // ("none" for an empty one) and a PARAMETER line per bound port.
    virtual void writeControl(std::string* script);
    virtual void writePropertyTree(std::string* script);
    // The prototype line, then a LISTENER line per connected listener entry.
    virtual void writeProperties(std::string* script);
    // Applies one PROPERTY line. The base keys: "prototype" (a control of
    // the tree by name), "colours" and "graphics" (slot id takes the named
    // resource; "none" or an unknown name empties it). Neither redraws nor
    // tells the clones. Ids outside the slots are ignored with a trace line;
    // other names are ignored.
    virtual void setProperty(const char* name, int32_t id, const char* value);

    // The factory that built the control (null when built otherwise).
    void setFactory(AM_ControlFactory factory) { factory_ = factory; }
    AM_ControlFactory getFactory() const { return factory_; }
    // The control whose bounds, graphics and colours this one follows (null:
    // none). A prototype that follows this control itself, directly or
    // through others, or whose chain of prototypes is kMaxPrototypeChain
    // long already, is refused with a trace line (false), so the clone
    // notifications always end.
    virtual bool setPrototype(AM_ViewControl* prototype);
    virtual AM_ViewControl* getPrototype() const { return prototype_; }
    // The longest chain of prototypes a control may follow: each link is
    // one more nested notification when the first prototype changes.
    static constexpr int32_t kMaxPrototypeChain = 256;

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
    uint8_t isContainer_ = 0;
    uint32_t state_ = kStateEditMode;
    AM_ControlFactory factory_ = nullptr;
    AM_ViewControl* prototype_ = nullptr;
    // The timer walk that ticked the control last (runTimerChain).
    uint64_t timerWalk_ = 0;
    // Pointer position and buttons of the last mouse-down.
    float downPoint_[2] = {0.0f, 0.0f};
    uint32_t downButtons_ = 0;
    // The bounds at the start of an edit-mode move or resize.
    AM_Rect savedBounds_{};

    // The second step of construction: ORs the class's mask bits (and
    // 0x40000 with the timer wish), builds the colour and graphic slots of
    // the class's name tables (kGuiNameBytes each; a slot starts with the
    // view manager's resource named "default" + the slot name, or null), and
    // the port records (owner: this control) and listener entries (empty) of
    // its port and listener tables.
    void initControl(uint32_t maskBits, int32_t portCount, const AM_PortDescriptor* ports,
                     int32_t listenerCount, const AM_ListenerDescriptor* listeners,
                     int32_t colourCount, const char (*colourNames)[kGuiNameBytes],
                     int32_t graphicCount, const char (*graphicNames)[kGuiNameBytes], bool timer);
    // The port and listener half of initControl.
    void initPorts(int32_t portCount, const AM_PortDescriptor* ports, int32_t listenerCount,
                   const AM_ListenerDescriptor* listeners);
    // Whether the port accepts the parameter's whole type word.
    static bool acceptsType(const AM_PortDescriptor* descriptor, uint32_t type);
    // Builds the colour and graphic slots of the class's name tables (names
    // of kGuiNameBytes bytes each); each slot starts with the view
    // manager's resource named "default" + the slot name, or null.
    void initSlots(int32_t colourCount, const char (*colourNames)[kGuiNameBytes],
                   int32_t graphicCount, const char (*graphicNames)[kGuiNameBytes]);
    // The tree walks without redraws.
    void setDisposeFlagTree(bool disposed);

private:
    // Opens (begin) or closes the host's edit of every bound port; opening
    // also adds an undo step named `undoName` for each recorded kind.
    void bracketBoundPorts(bool begin, const char* undoName);
    // The port records' owner as a control (null for a port of another kind
    // of owner).
    static AM_ViewControl* ownerOf(const AM_PortRecord* port);
    bool ownsPort(const AM_PortRecord* port) const;

    // Whether a graphic / colour slot holds the object.
    bool holdsGraphic(const void* graphic) const;
    bool holdsColour(const void* colour) const;
    // Messages 26, 28, 29: an item for this control in the submenu, checked
    // when `chosen` is this control.
    void addSelfToMenu(uint32_t subMenu, const void* chosen);
    // Message 30: the colour into the colour choice menu of a slot.
    void addColourChoice(AM_Object* sender, const void* request);
    // Message 31: the ports that the sender's listener could follow.
    void offerPorts(AM_Object* sender, uint32_t listener, const void* subMenu);
    // Message 44: every port bound at baseIndex + its offset moves to
    // baseIndex + offset.
    void moveIndexOffset(int32_t baseIndex, int32_t offset);
    // The colour, graphic and PARAMETER lines after the CONTROL line; the
    // LISTENER lines after the prototype line.
    void writeSlotAndParameterLines(std::string* script);
    void writeListenerLines(std::string* script);
    // Redraws of the geometry operations.
    void redrawIfVisible();
    // Parts of the edit menu.
    void addCreateMenu();
    void addParametersMenu();
    // Items for the parameters of a module that the port accepts.
    void addParameterItems(uint32_t subMenu, int32_t port, int32_t module);
    void addSlotMenus();
    void addLayerMenus();
    // Commands of the edit and run menus.
    void createChild(const AM_ControlTypeRecord* type, const float* point);
    void beginRenameEntry();
    void changeOrder(bool toFront);
    void toggleLayerBit(uint32_t n);
    void sizeToFit(const AM_Graphic* graphic);
    void assignMeta(uint32_t command);
    // Info line 1: "Bounds" and the control's place and size.
    void showBoundsInfo();
    // The control an edit-mode gesture moves or resizes with its selection:
    // the view manager's focused control (this one when none is).
    AM_ViewControl* editTarget();
    // Broadcasts to the clones when the view manager's selection option
    // holds.
    void tellClones(uint32_t message, uint32_t arg, void* data);
    // Hands each control of the rest of the selection chain to change, one
    // after the other (a long selection does not deepen the stack). With
    // onlyWhileSelected, the walk starts only at a selected control and each
    // control passes it on only while it is selected itself.
    template <typename Change> void forRestOfSelection(bool onlyWhileSelected, Change change)
    {
        if (onlyWhileSelected && (state_ & kStateSelected) == 0) {
            return;
        }
        for (AM_ViewControl* c = nextSelected_; c != nullptr && c != this; c = c->nextSelected_) {
            change(c);
            if (onlyWhileSelected && (c->state_ & kStateSelected) == 0) {
                break;
            }
        }
    }

    std::vector<AM_PortRecord> ports_;
    const char (*graphicNames_)[kGuiNameBytes] = nullptr;
    const char (*colourNames_)[kGuiNameBytes] = nullptr;
    std::vector<AM_Graphic*> graphics_;
    std::vector<AM_Colour*> colours_;
    AM_ViewControl* nextSelected_ = nullptr;
    std::vector<AM_PortRecord*> listeners_;
    const AM_ListenerDescriptor* listenerDescriptors_ = nullptr;
    // beginWheel opened the host's edit (endWheel closes only what it
    // opened).
    bool wheelBracketOpen_ = false;
    bool renamePending_ = false;
    // Set while the control tells its clones of a change, so that a change
    // coming back to it through them is not passed on again.
    bool tellingClones_ = false;
    // The word set by the edit menu's "reserved" command.
    uint32_t reservedWord_ = 0;
    // The name being edited by the rename prompt or the inspector.
    char renameText_[kRenameBytes] = {};
};
