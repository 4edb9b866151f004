#pragma once
// The centre of the GUI: one view manager per open editor. It owns the
// control tree (through the top control), the lists of colours, graphics and
// value-to-string objects, the control-type list, the GUI's object host, the
// script list, the preference lists and the path table. Controls reach each
// other and the engine only through it; its GUI-to-engine interface is the
// road to every parameter.
//
// Every view manager of one plug-in name shares one process-wide instance
// record (AM_InstanceRecord): the last one to go writes the UI preference
// file.
//
// GUI thread only.

#include "engine/module/AM_PluginInfo.h"
#include "gui/graphics/AM_GuiServices.h"
#include "gui/graphics/AM_Rect.h"
#include "gui/views/AM_ControlNameIndex.h"
#include "gui/views/AM_ControlTypes.h"
#include "gui/views/AM_MenuTable.h"
#include "gui/views/AM_NameIndex.h"
#include "gui/views/AM_Preferences.h"
#include "gui/views/AM_UndoList.h"
#include "gui/views/AM_ViewControl.h"
#include "params/object/AM_Object.h"
#include "presets/AM_ViewManServices.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AM_Colour;
class AM_Context;
class AM_File;
class AM_Graphic;
class AM_GuiObject;
class AM_InstanceRecord;
class AM_RootView;
class AM_ViewMan;
class AM_ObjectHost;
class AM_ValueToStringObject;
class AM_View_Interface;
struct AM_ScriptState;

// One entry of the script list: a script file and the theme it belongs to.
struct AM_ScriptRecord {
    std::string path;
    std::string name;
    uint32_t alternative = 0;
    uint32_t flags = 0;
};

// The editing tools' transform box: offsets, scales in percent, and the
// number of controls an array makes.
struct AM_EditTransform {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 100;
    int32_t h = 100;
    int32_t arrayCount = 8;
};

// Opens a web page in the user's browser; false when it could not.
using AM_UrlOpener = bool (*)(const char* url);

// Puts the built control classes into a view manager's type registry over
// the defaults (the editor hands in the standard controls' installer);
// answers the number of types replaced.
using AM_ControlInstaller = int (*)(AM_ViewMan* viewMan);

// Slots of the path table.
enum AM_PathSlot : int32_t {
    kPathScripts = 3,       // the scripts folder
    kPathImages = 4,        // the common images folder
    kPathFonts = 5,         // the font folder
    kPathCurrentScript = 6, // the script the GUI loads
    kPathEditorSetup = 7,   // the editor's own controls
    kPathSlots = 8,
};

class AM_ViewMan : public AM_Object, public AM_GuiServices, public AM_ViewManServices {
    // The GUI-script reader fills the lists and the reader state.
    friend class AM_ScriptReader;

public:
    static constexpr uint32_t kClassMask = 1024;
    static constexpr int32_t kObjectHostCapacity = 3072;
    static constexpr int32_t kTopLayerSlots = 128;
    static constexpr int32_t kDirtyRectSlots = 8;
    static constexpr int32_t kNumPathKinds = 7;
    static constexpr int32_t kPathKindBytes = 32;
    static constexpr int32_t kAuthorBytes = 128;
    // Messages of the view manager.
    static constexpr uint32_t kMsgModuleSelected = 49;
    static constexpr uint32_t kMsgInfoLine = 39;

    // Registers with the interface (its initialize). owner and window are
    // only stored.
    AM_ViewMan(AM_View_Interface* interface, void* owner, void* ownerWindow);
    // Releases the instance record (the last user writes the UI preference
    // file), then frees everything the view manager owns.
    ~AM_ViewMan() override;
    AM_ViewMan(const AM_ViewMan&) = delete;
    AM_ViewMan& operator=(const AM_ViewMan&) = delete;

    // --- Slot order of the operations.

    void setHost(AM_ObjectHost* host) override;
    void sendMessage(uint32_t mask, uint32_t message, uint32_t arg, void* ptr) override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;

    // Control-type registry.
    virtual void registerControlType(const AM_ControlTypeRecord* record, uint32_t objectSize);
    virtual AM_ControlTypeRecord* getControlTypes();
    virtual uint32_t getControlObjectSize(AM_ControlFactory factory);

    // Copies the plug-in info record (its maker, product folder and plug-in
    // name texts are what the view manager reads).
    virtual void setProcessDescription(const AM_PluginInfo* record);
    // The process-wide author text (empty until set).
    virtual const char* getAuthor();
    // Copies at most 127 bytes. A text that a script line cannot hold (a
    // quote, tab, '=' or line break) is refused with a trace line; false then.
    virtual bool setAuthor(const char* author);
    // Writes the UI preference file of the plug-in.
    virtual bool storeUIPreferences();
    // Reads the UI preference file of the plug-in.
    virtual bool loadDefaults();

    // Preferences: (type, property, id) keys with text values.
    virtual bool addPreference(const char* type, const char* property, const char* value,
                               uint32_t id, uint32_t scope);
    virtual const char* findPreference(const char* type, const char* property, uint32_t id);
    virtual int32_t getIntPreference(const char* type, const char* property, uint32_t id,
                                     int32_t defaultValue);
    virtual float getFloatPreference(const char* type, const char* property, uint32_t id,
                                     float defaultValue);
    virtual const char* getStringPreference(const char* type, const char* property, uint32_t id,
                                            const char* defaultValue);

    // Number of live view managers in the process.
    virtual uint32_t getNumViewManagers();
    // The instance record of the plug-in name (created on first use); null,
    // with a trace line, before setProcessDescription.
    virtual AM_InstanceRecord* getInstanceRecord();
    // Hands MIDI learn of a parameter to the interface.
    virtual void startMidiLearn(AM_ViewControl* control, const AM_ParamInfo* parameter,
                                float value);

    // Opening the GUI with the editor's bounds: counts the instance
    // record's user, adds the patch's preset list, takes the zoom, registers
    // the defaults (and the installer's controls), loads the common images,
    // registers the themes, builds the editor root pane and the root view,
    // loads the GUI (or, in GUI-editing mode, the editor set-up and the GUI
    // for editing), fits it and sizes the window. With null bounds (no
    // editor window: tests of parts of the view manager) it stops after the
    // themes and leaves the tree to the caller.
    virtual bool init(const AM_Rect* bounds);
    // Called by init right after registerDefaults.
    void setControlInstaller(AM_ControlInstaller installer) { controlInstaller_ = installer; }
    // The smallest editor (GUI units): an empty or missing GUI keeps it.
    static constexpr float kMinEditorWidth = 400.0f;
    static constexpr float kMinEditorHeight = 300.0f;
    // The largest GUI that fitting keeps (GUI units per side).
    static constexpr float kMaxEditorSide = 8192.0f;
    // Standard colours, the control types and the "generic" value-to-string.
    virtual void registerDefaults();

    // Input routing. Points arrive in window pixels and are divided by the
    // zoom; modifiers: 1 Shift, 2 right button, 4 Control, 8 Alt. Events
    // that arrive while a script loads or waits to load are dropped.
    virtual bool handleDoubleClick(float x, float y, uint32_t buttons);
    // True when a control took the press (run mode), or the press worked on
    // the selection (edit mode).
    virtual bool handleMouseDown(float x, float y, uint32_t buttons);
    virtual bool handleMouseDrag(float x, float y, uint32_t buttons);
    virtual bool handleMouseUp(float x, float y, uint32_t buttons);
    virtual bool handleMouseWheel(float x, float y, float delta, uint32_t buttons);
    // Drags text out of the GUI (kind 1: a patch list; length 0xFFFFFFFF:
    // up to the text's zero byte); returns when the drag is over. False.
    virtual bool startDragDrop(AM_ViewControl* source, uint32_t kind, uint32_t length,
                               const char* text);
    // The arguments after the point reach the control unchanged.
    virtual bool handleDragOver(float x, float y, uint32_t modifiers, uint32_t state);
    virtual bool handleDrop(float x, float y, uint32_t modifiers, uint32_t kind, uint32_t length,
                            const char* text);
    // What became of the last drop (kDropRefused until the control that
    // takes it says otherwise, kDropPending until it has done it).
    void setDropOutcome(uint32_t outcome) { dropOutcome_ = outcome; }
    uint32_t getDropOutcome() const { return dropOutcome_; }
    // The wheel gesture's control, alive for holdTicks timer ticks.
    static constexpr int32_t kWheelHoldTicks = 20;
    virtual void setWheelControl(AM_ViewControl* control, int32_t holdTicks = kWheelHoldTicks);

    // Timer tick and chains.
    virtual void onTimer();
    void requestParameterRefresh() override;
    void parametersRefreshed() override;
    virtual void updateTimerChain();
    virtual void invalidateTimerChain();
    // Keys: 27 Escape, 28-31 arrows, 8 Delete, characters as themselves.
    virtual bool handleKey(uint32_t key, uint32_t modifiers, uint32_t extra);

    // Makes `name` the current module, with message 49 to all controls.
    virtual void selectModule(const char* name);

    // Path table.
    virtual std::unique_ptr<AM_File> openPathFile(int32_t slot, bool write);
    virtual void setPath(int32_t slot, const char* text);
    virtual const char* getPath(int32_t slot);

    // Zoom of the GUI.
    virtual void setZoom(float zoom);
    virtual float getZoom();
    virtual AM_Context* getContext();

    // Objects.
    uint32_t newObjectId() override;
    virtual void registerControl(AM_ViewControl* control, AM_ViewControl* parent);
    virtual void addGraphic(AM_Graphic* graphic);
    virtual void addColour(AM_Colour* colour);
    virtual void addValueToString(AM_ValueToStringObject* object);
    // Adds (returns its index; kTopLayerSlots when the table is full) or
    // removes (returns -1) a control of the top layer.
    virtual int32_t setTopLayerControl(AM_ViewControl* control, bool add);
    virtual AM_Graphic* findGraphic(const char* name, uint32_t alternative);
    virtual AM_Graphic* getGraphic(const char* name);
    AM_Colour* getColour(const char* name) override;
    virtual AM_ValueToStringObject* getValueToString(const char* name);
    // A new control of the type named typeName (exact match); with null
    // bounds it takes the type's default size at (0, 0). Null when the type
    // is unknown.
    virtual AM_ViewControl* createControl(const char* typeName, const AM_Rect* bounds);

    // Repaint. Controls never draw on demand: they invalidate rectangles
    // (GUI units; null: the top control's bounds), which the view manager
    // keeps in at most kDirtyRectSlots merged slots until the next repaint.
    virtual void invalidateRect(const AM_Rect* rect);
    // Draws the tree into `rect` and copies it to the window; with null,
    // every dirty rectangle (the slots are freed). Nothing without a
    // drawing context.
    virtual void repaint(const AM_Rect* rect);
    virtual void repaintAll();
    // Limits invalidation to the rectangle (null: no limit).
    virtual void setClipRect(const AM_Rect* rect);
    // While the rectangle has a width, keys are not handled, presses and
    // wheel steps inside it are ignored and repaints leave it alone (null
    // clears it).
    virtual void setInputBlockRect(const AM_Rect* rect);

    // Popup menus (the table: AM_MenuTable.h). beginMenu starts the menu
    // of a control at a point (GUI units); items and submenus are added by
    // submenu index (0 the top level); showMenu shows it through the
    // platform (nothing here) and the chosen item reaches the control's
    // handleMenuCommand when the user has chosen, which may be on a later
    // idle call: the menu never holds the caller.
    virtual void beginMenu(AM_ViewControl* control, const float* point, uint32_t menuId);
    virtual uint32_t addMenuItem(uint32_t subMenu, uint32_t command, const char* text,
                                 int32_t value = 0, uint32_t flags = 0, void* userData = nullptr);
    virtual uint32_t addSubMenu(uint32_t parent, const char* text, int32_t value = 0);
    // The item (an index addMenuItem answered) the menu being built opens
    // on: under the pointer and highlighted. 0: none.
    void setMenuInitialItem(uint32_t index) { menuTable_.setInitialItem(index); }
    // Always false (the chosen command reaches the control directly).
    virtual bool showMenu();
    // The one text prompt: text is the text to start with; with textBytes
    // above 0 it is also the control's buffer that receives the accepted
    // text, cut to fit. Then the control gets message 43 with argument 0
    // and userData, or, without userData, the accepted text itself (valid
    // during the message). A prompt that is open is replaced. The platform
    // view manager shows it; here it is only remembered (false).
    virtual bool beginTextEntry(AM_ViewControl* control, uint32_t id, char* text,
                                uint32_t textBytes, void* userData, bool multiLine = false);
    // Delivers the prompt to its control (message 43) and forgets it.
    virtual void endTextEntry();
    // Selects the module of the preset to save in the interface; the
    // platform view manager then shows the dialog (true when it saved).
    virtual bool presetSaveDialog(const char* modulePath, const char* title, const char* name);
    int32_t askThreeWay(const char* name) override;
    // Tells the user of a failure (a save that did not happen): the trace
    // line "title: text" here; the editor's view manager also puts up its
    // notice over the window.
    virtual void showAlert(const char* title, const char* text);

    // Info lines.
    AM_InfoLine* getInfoLine(int32_t index) override;
    void showInfoLine(int32_t index, bool shown) override;
    void showInfoLine(int line, AM_GuiObject* subject, const char* title, const char* text,
                      bool shown) override;
    virtual void updateDisplayChain();
    virtual AM_ViewControl* getActiveControl();

    // Path kinds of graphics.
    virtual int32_t getNumPathKinds();
    virtual int32_t findPathKind(const char* name);
    virtual const char* getPathKindName(int32_t index);
    // One submenu per path kind 1 to 6 under subMenu, and an item (command,
    // the graphic as user data) per marked graphic under its kind's submenu.
    virtual void buildGraphicsMenu(uint32_t subMenu, uint32_t command);
    // Scans an images folder into graphics of the alternative (nothing here).
    virtual void loadImages(const char* folder, uint32_t alternative);
    // Lays out default controls for the parameters of a module in the
    // container.
    virtual void buildDefaultControls(AM_ViewControl* container, int32_t module);
    // The offset that snaps a point (GUI units) to the root view's grid;
    // false, with a zero offset, when nothing snaps (no root view, grid
    // hidden, the point not near a line).
    virtual bool snapToGrid(const float* point, float* offset);
    // The first control of the selection (edit mode).
    virtual AM_ViewControl* getFocusedControl();
    // Whether the selection holds more than the focused control.
    virtual bool hasMultiSelection();
    // Selects (on) or deselects an edit-mode control that is not the root
    // view; null only recomputes the selection.
    virtual void setFocus(AM_ViewControl* control, bool on);

    // The GUI script.
    virtual void parseScript(const char* text, int32_t length, bool editable);
    AM_ViewControl* getTopControl() override;
    virtual AM_ViewControl* getRootView();
    virtual bool loadScriptFile(const char* path, int32_t editable);
    virtual bool loadScriptByName(const char* name);
    virtual void addScript(const char* path, const char* name, uint32_t alternative,
                           uint32_t flags);
    virtual const AM_ScriptRecord* getScript(int32_t index);
    virtual void setScriptIndex(int32_t index);
    virtual bool loadScript(int32_t index);
    virtual bool makeDefault();
    virtual uint32_t getAlternative();
    // Registers every theme (a folder of the Themes folder holding
    // Scripts/<plug-in name>.txt) as a script record, alternatives 1, 2, ...
    // in listing order.
    virtual void setupFolders();
    // The zoom of a value of the patch's GUI scale: 0 keeps 1.0, otherwise
    // the step trunc(v) + 3 of the table, held to its ends.
    static float zoomForScale(float scale);
    virtual void newRootView();
    // Write the GUI script (the script opened for editing) and a control's
    // children (beside it, named after the control). A failed save keeps the
    // old file and shows the user why (showAlert, titled kSaveFailedTitle);
    // false then.
    virtual bool saveScript();
    virtual bool saveControlScript(AM_ViewControl* control);
    static constexpr const char* kSaveFailedTitle = "GUI script not saved";
    virtual void setVProperty(const char* name, int32_t id, const char* value);

    // Edit mode, cloning and undo.
    virtual bool getSelectionOption();
    virtual bool isCloning();
    virtual uint32_t getCloneMode();
    virtual void setCloneMode(uint32_t mode);
    bool isEditMode() const override;
    virtual void setEditMode(bool on);
    virtual void addUndo(AM_GuiObject* record);
    virtual void closeUndo();
    virtual void undo();
    virtual void redo();
    virtual void clearUndo();
    virtual void updateUndoButtons();
    // One item per action (label, command, the action row as user data).
    virtual void addActionMenuItems(uint32_t subMenu, uint32_t command);
    // Runs the action of a code (AM_ActionTable.h); address is the page for
    // '_web' (null: the product's site). False when nothing was done.
    virtual bool performAction(uint32_t code, const char* address = nullptr);
    void scheduleInterfaceRefresh(bool force) override;

    // --- Further services.

    const char* getProductName() override;
    void finishMidiLearn(const AM_ParamInfo* parameter, int32_t controller,
                         AM_PortOwner* control) override;

    // --- Accessors.

    AM_View_Interface* getInterface() const { return interface_; }
    AM_ObjectHost* getObjectHost() const { return objectHost_.get(); }
    const AM_PluginInfo* getPluginInfo() const { return hasPluginInfo_ ? &pluginInfo_ : nullptr; }
    // The plug-in name (the instance record's key); empty before
    // setProcessDescription.
    const char* getPluginName() const;
    AM_Graphic* getGraphics() const { return graphics_; }
    AM_Colour* getColours() const { return colours_; }
    AM_ValueToStringObject* getValueToStrings() const { return valueToStrings_; }
    const char* getModuleName() const { return moduleName_.c_str(); }
    // The view manager's own preferences (scope 2 and above).
    const AM_PreferenceList& getOwnPreferences() const { return preferences_; }
    uint32_t peekNextObjectId() const { return nextObjectId_; }
    // The numbers of controls, colours and graphics the view manager holds.
    int32_t getControlCount() const { return controlCount_; }
    int32_t getColourCount() const { return colourCount_; }
    int32_t getGraphicCount() const { return graphicCount_; }
    // Counts a control that is made (+1) or goes (-1).
    void countControl(int32_t change) { controlCount_ += change; }
    // The control names: a control joins with its first name, follows its
    // renames and leaves when it goes (AM_ViewControl does all three).
    AM_ControlNameIndex& controlNames() { return controlNames_; }
    // The control of that name that a walk of the tree from `from` finds
    // first (its subtree, its following siblings and theirs); null: none.
    AM_ViewControl* findControl(AM_ViewControl* from, const char* name) const
    {
        return controlNames_.find(from, name);
    }
    void setNextObjectId(uint32_t id) { nextObjectId_ = id; }
    bool isRefreshPending() const { return refreshPending_ != 0; }
    bool getRefreshFlag() const { return refreshFlag_ != 0; }
    bool isTimerChainDirty() const { return timerChainDirty_ != 0; }
    AM_ViewControl* getTimerChain() const { return timerChain_; }
    AM_ViewControl* getDisplayChain() const { return displayChain_; }
    AM_ViewControl* getTopLayerControl(int32_t index) const;
    const std::vector<AM_ScriptRecord>& getScripts() const { return scripts_; }
    const std::string& getLoadedScriptPath() const { return loadedScriptPath_; }
    const AM_UndoList& getUndoList() const { return undoList_; }
    void setRepaintAfterUndo(bool on) { repaintAfterUndo_ = on ? 1 : 0; }
    // Dirty-rectangle slot i (a slot with an area below 1 is free).
    AM_Rect getDirtyRect(int32_t index) const;
    bool isDirty() const { return dirty_ != 0; }
    int32_t getWheelHoldCount() const { return wheelHoldCount_; }
    AM_ViewControl* getWheelControl() const { return wheelControl_; }
    bool isScriptLoading() const { return scriptLoading_ != 0; }
    bool isPressTracked() const { return pressTracked_ != 0; }
    bool isPaintingSelection() const { return paintSelection_ != 0; }
    bool getSelectOnPress() const { return selectOnPress_ != 0; }
    // The plug-in's GUI-editing switch (the info record's option byte).
    bool isGuiEditing() const { return hasPluginInfo_ && pluginInfo_.optionByte != 0; }
    int32_t getPendingScript() const { return pendingScript_; }

    const AM_MenuTable& getMenuTable() const { return menuTable_; }
    // Whether a text prompt is open, and for which control.
    bool isTextEntryOpen() const { return textEntry_.open; }
    AM_ViewControl* getTextEntryControl() const { return textEntry_.control; }

    // The transform box and array count of the editing tools ('xfrm',
    // 'xarr'): offsets in GUI units, scales in percent.
    virtual AM_EditTransform getEditTransform();
    virtual void setEditTransform(const AM_EditTransform& transform);
    // How '_web' opens a page (null: the desktop's opener, platform/UrlOpener.h).
    void setUrlOpener(AM_UrlOpener opener) { urlOpener_ = opener; }

    // Takes a control that goes away out of every place the view manager
    // refers to it from: the timer and display chains, the top-layer table,
    // the active, wheel and top-control fields, the info lines' subjects and
    // the undo steps.
    void forgetControl(AM_ViewControl* control);

    // Process-wide state: the view manager count, the author text and the
    // instance records (tests; no view manager may be alive).
    static void resetProcessState();

protected:
    // The prompt that is open.
    struct TextEntry {
        bool open = false;
        AM_ViewControl* control = nullptr;
        uint32_t id = 0;
        char* buffer = nullptr;
        uint32_t bufferBytes = 0;
        void* userData = nullptr;
        bool multiLine = false;
    };

    // Hands a copy of item `index` of the menu table (or of a copy of it
    // taken when the menu was shown) to the control that opened the menu;
    // false when the index is not a choosable item, the control went away
    // or its handleMenuCommand did not use the item.
    bool deliverMenuCommand(uint32_t index);
    bool deliverMenuCommand(const AM_MenuTable& table, uint32_t index);
    // The menu being shown goes down without an answer (its control went
    // away); nothing is shown here.
    virtual void closeShownMenu();
    // The menu shown (copied when it was shown, so that menus begun
    // meanwhile leave it alone) while it is up.
    AM_MenuTable shownMenu_;
    // Forgets the open prompt without delivering it (the platform view
    // manager also closes its field).
    virtual void cancelTextEntry();
    // Copies the accepted text into the prompting control's buffer, cut to
    // fit, and delivers the prompt.
    void acceptTextEntry(const std::string& text);

    void setTopControl(AM_ViewControl* control) { topControl_ = control; }
    // Draws one rectangle of a repaint: the tree clipped to it, the top
    // layer, and the copy to the window.
    void paintArea(AM_Context* context, const AM_Rect& area);
    // Makes the name indexes of the colours and the graphics afresh.
    void rebuildResourceIndexes();
    // Takes the zoom from the patch's GUI scale parameter.
    void applyZoomScale();
    // Ticks the timer chain from its first control.
    void runTimerChain();
    // A point in window pixels in GUI units.
    void toGuiUnits(float x, float y, float* point) const;
    // The control under a point in GUI units (null for none).
    AM_ViewControl* controlAt(const float* point);
    bool insideInputBlock(const float* point) const;
    // Ends the wheel gesture in progress.
    void endWheelGesture();
    // Makes the control (null: none) the whole selection.
    void selectOnly(AM_ViewControl* control);
    // The first control of the tree part that holds the selection.
    AM_ViewControl* selectionScope();
    // Rebuilds the selection chain from the selected bits of the tree: the
    // outermost selected controls in tree order, the first of them focused,
    // the controls below them marked as inside a selected one.
    void recomputeSelection();
    // The keys of the GUI editor; *handled says whether the key acted.
    bool handleEditorKey(uint32_t key, uint32_t extra);
    // Shows or hides a pane of the editor below the top control; false when
    // there is none of that name. *shown: whether it is shown now.
    bool togglePane(const char* name, bool* shown);
    void setRootView(AM_ViewControl* rootView, AM_ViewControl* editRoot);
    // Fits the editor root pane, the root view and the top control to the
    // GUI below the root view, moved to the top control's origin; an empty
    // GUI keeps the smallest editor size. The dirty rectangles are cleared.
    // While the GUI is edited, nothing moves and the editor only grows to
    // cover `content` (growToCover).
    void fitToContent();
    void growToCover(const AM_Rect* content);
    // The root view as its class (null without one).
    AM_RootView* getRoot() const;
    // Clones the selection at the place of the focused control (the clone
    // takes the selection and becomes the active control); with
    // sameParameters the clones' ports bind to the same parameters. Null
    // when nothing was cloned.
    AM_ViewControl* cloneSelection(bool sameParameters);
    // 'xarr': continues the row from the focused control's prototype to it
    // with clones, up to the transform box's array count; false when there is
    // no focused control with a prototype.
    bool makeCloneArray();

    AM_View_Interface* interface_;
    void* owner_;
    void* ownerWindow_;
    AM_Graphic* graphics_ = nullptr;
    AM_Colour* colours_ = nullptr;
    // The last colour and graphic of the lists, and the lists by name: the
    // lists grow and are searched in constant time.
    AM_GuiObject* lastGraphic_ = nullptr;
    AM_GuiObject* lastColour_ = nullptr;
    AM_NameIndex graphicIndex_;
    AM_NameIndex colourIndex_;
    int32_t graphicCount_ = 0;
    int32_t colourCount_ = 0;
    // Controls of this view manager alive now, and their names.
    int32_t controlCount_ = 0;
    AM_ControlNameIndex controlNames_;
    // A script load put off rebuilding the display chain.
    uint8_t displayChainDirty_ = 0;
    AM_ValueToStringObject* valueToStrings_ = nullptr;
    AM_ViewControl* topControl_ = nullptr;
    AM_ViewControl* activeControl_ = nullptr;
    uint32_t dropOutcome_ = kDropRefused;
    AM_ViewControl* timerChain_ = nullptr;
    AM_ViewControl* wheelControl_ = nullptr;
    int32_t wheelHoldCount_ = 0;
    std::vector<AM_Rect> dirtyRects_;
    AM_Rect clipRect_{};
    AM_Rect inputBlockRect_{};
    uint8_t dirty_ = 0;
    uint8_t timerChainDirty_ = 0;
    float zoom_ = 1.0f;
    float inverseZoom_ = 1.0f;
    uint8_t refreshPending_ = 1;
    uint8_t refreshFlag_ = 0;
    std::unique_ptr<AM_ObjectHost> objectHost_;
    AM_ControlTypeList controlTypes_;
    std::string moduleName_;
    AM_InfoLine infoLines_[kInfoLines];
    AM_ViewControl* displayChain_ = nullptr;
    uint8_t scriptLoading_ = 0;
    uint8_t inTimerTick_ = 0;
    uint8_t editorSetupMode_ = 0;
    uint8_t editMode_ = 0;
    uint8_t selectionOption_ = 1;
    uint8_t selectOnPress_ = 1;
    uint8_t paintSelection_ = 0;
    uint8_t paintSelects_ = 1;
    uint8_t cloning_ = 0;
    uint8_t pressTracked_ = 0;
    uint8_t closeUndoOnPress_ = 0;
    int32_t pressGate_ = 1050;
    AM_ViewControl* focusedControl_ = nullptr;
    uint32_t cloneMode_ = 0;
    AM_ViewControl* rootView_ = nullptr;
    AM_ViewControl* editRoot_ = nullptr;
    std::unique_ptr<AM_ViewControl*[]> topLayerControls_;
    std::string paths_[kPathSlots];
    bool pathSet_[kPathSlots] = {};
    AM_UndoList undoList_;
    // Repaint the whole GUI after an undo or redo.
    uint8_t repaintAfterUndo_ = 0;
    uint32_t nextObjectId_ = 0;
    AM_PluginInfo pluginInfo_{};
    bool hasPluginInfo_ = false;
    std::vector<AM_ScriptRecord> scripts_;
    int32_t pendingScript_ = -1;
    uint32_t alternative_ = 0;
    std::string loadedScriptPath_;
    AM_PreferenceList preferences_;
    // The GUI-script reader's cursors, kept between parseScript calls.
    std::unique_ptr<AM_ScriptState> scriptState;
    // The instance record this view manager counted itself into (init).
    AM_InstanceRecord* countedRecord_ = nullptr;
    AM_MenuTable menuTable_;
    TextEntry textEntry_;
    // The accepted text of the prompt being delivered.
    std::string textEntryResult_;
    AM_EditTransform editTransform_;
    AM_UrlOpener urlOpener_ = nullptr;
    AM_ControlInstaller controlInstaller_ = nullptr;
};
