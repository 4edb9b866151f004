// The view manager: construction and destruction, the object lists and
// their look-ups, the control tree's chains, the top-layer table, paths,
// zoom, module selection and info lines.

#include "gui/views/AM_ViewMan.h"

#include "foundation/AM_File.h"
#include "foundation/AM_FileOperations.h"
#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/graphics/AM_ValueToStringObject.h"
#include "gui/views/AM_InstanceRecord.h"
#include "gui/views/AM_RootView.h"
#include "gui/views/AM_ScriptState.h"
#include "params/object/AM_ObjectHost.h"
#include "presets/AM_PortRecord.h"
#include "presets/AM_View_Interface.h"

#include <cmath>
#include <cstring>

namespace {

uint32_t g_viewManagers = 0;

constexpr char kPathKinds[AM_ViewMan::kNumPathKinds][AM_ViewMan::kPathKindBytes] = {
    "no path", "Shapes", "Controls", "Panes", "Animations", "Icons", "Other",
};

// Spare room an owned path text keeps for names added to it later.
constexpr size_t kPathSpareRoom = 126;

bool validPathSlot(int32_t slot)
{
    return slot >= 0 && slot < kPathSlots;
}

// Links every control of the subtree (and the following siblings) that
// passes `wanted` into a chain through `link`, in tree order.
template <typename Wanted>
void collectChain(AM_ViewControl* control, AM_ViewControl**& tail,
                  AM_ViewControl* AM_ViewControl::*link, Wanted wanted)
{
    for (AM_ViewControl* c = control; c != nullptr; c = c->getNextControl()) {
        c->*link = nullptr;
        if ((c->getState() & kStateDisposed) == 0 && wanted(c)) {
            *tail = c;
            tail = &(c->*link);
        }
        collectChain(c->getFirstChildControl(), tail, link, wanted);
    }
}

void removeFromChain(AM_ViewControl*& head, AM_ViewControl* control,
                     AM_ViewControl* AM_ViewControl::*link)
{
    for (AM_ViewControl** p = &head; *p != nullptr; p = &((*p)->*link)) {
        if (*p == control) {
            *p = control->*link;
            control->*link = nullptr;
            return;
        }
    }
}

} // namespace

AM_ViewMan::AM_ViewMan(AM_View_Interface* interface, void* owner, void* ownerWindow)
    : AM_Object(), interface_(interface), owner_(owner), ownerWindow_(ownerWindow)
{
    ++g_viewManagers;
    mask_ = kClassMask;
    objectHost_ = std::make_unique<AM_ObjectHost>(kObjectHostCapacity);
    AM_Object::setHost(objectHost_.get());
    dirtyRects_.assign(kDirtyRectSlots, AM_Rect{});
    scriptState = std::make_unique<AM_ScriptState>();
    if (interface_ != nullptr) {
        interface_->initialize(this);
    }
    refreshPending_ = 1;
    refreshFlag_ = 0;
    scriptLoading_ = 0;
    inTimerTick_ = 0;
}

AM_ViewMan::~AM_ViewMan()
{
    if (countedRecord_ == nullptr) {
        AM_STD::printv("NO RECORD");
    } else {
        if (countedRecord_->users > 0) {
            --countedRecord_->users;
        }
        if (countedRecord_->users > 0) {
            AM_STD::printv("Records Still existing: %d", int(countedRecord_->users));
        } else {
            storeUIPreferences();
        }
    }
    if (interface_ != nullptr) {
        interface_->updatePresetDisplay();
        // The interface must not call a view manager that is gone.
        if (interface_->getViewMan() == static_cast<AM_ViewManServices*>(this)) {
            interface_->initialize(nullptr);
        }
    }
    controlTypes_.clear();
    // Deleted controls waiting in undo steps go first, while the tree they
    // came from still stands.
    undoList_.clear();
    AM_ViewControl* top = topControl_;
    topControl_ = nullptr;
    rootView_ = nullptr;
    editRoot_ = nullptr;
    delete top;
    scriptState.reset();
    AM_GuiObject* graphics = graphics_;
    graphics_ = nullptr;
    lastGraphic_ = nullptr;
    graphicIndex_.clear();
    delete graphics;
    AM_GuiObject* colours = colours_;
    colours_ = nullptr;
    lastColour_ = nullptr;
    colourIndex_.clear();
    delete colours;
    AM_GuiObject* valueToStrings = valueToStrings_;
    valueToStrings_ = nullptr;
    delete valueToStrings;
    objectHost_.reset();
    topLayerControls_.reset();
    dirtyRects_.clear();
    for (std::string& path : paths_) {
        path.clear();
    }
    scripts_.clear();
    preferences_.clear();
    --g_viewManagers;
}

void AM_ViewMan::setHost(AM_ObjectHost* host)
{
    AM_Object::setHost(host);
}

void AM_ViewMan::sendMessage(uint32_t mask, uint32_t message, uint32_t arg, void* ptr)
{
    AM_Object::sendMessage(mask, message, arg, ptr);
}

void AM_ViewMan::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    AM_Object::receiveMessage(sender, message, arg, ptr);
}

void AM_ViewMan::setProcessDescription(const AM_PluginInfo* record)
{
    if (record == nullptr) {
        return;
    }
    pluginInfo_ = *record;
    // The texts are used as C strings from here on.
    pluginInfo_.productName[k_pluginNameBytes - 1] = '\0';
    pluginInfo_.vendorName[k_pluginNameBytes - 1] = '\0';
    pluginInfo_.componentName[k_pluginNameBytes - 1] = '\0';
    pluginInfo_.effectName[k_pluginNameBytes - 1] = '\0';
    hasPluginInfo_ = true;
}

const char* AM_ViewMan::getPluginName() const
{
    return hasPluginInfo_ ? pluginInfo_.effectName : "";
}

const char* AM_ViewMan::getProductName()
{
    return hasPluginInfo_ ? pluginInfo_.productName : nullptr;
}

uint32_t AM_ViewMan::getNumViewManagers()
{
    return g_viewManagers;
}

AM_InstanceRecord* AM_ViewMan::getInstanceRecord()
{
    if (!hasPluginInfo_) {
        AM_STD::printv("ViewMan can't set up Instance record - processdesc not ready yet");
        return nullptr;
    }
    return AM_InstanceRecord::findOrCreate(getPluginName());
}

void AM_ViewMan::startMidiLearn(AM_ViewControl* control, const AM_ParamInfo* parameter,
                                float value)
{
    (void)value;
    if (interface_ != nullptr) {
        interface_->midiLearn(parameter, dynamic_cast<AM_PortOwner*>(control));
    }
}

void AM_ViewMan::requestParameterRefresh() {}

void AM_ViewMan::parametersRefreshed() {}

void AM_ViewMan::updateTimerChain()
{
    timerChain_ = nullptr;
    AM_ViewControl** tail = &timerChain_;
    collectChain(topControl_, tail, &AM_ViewControl::nextInTimerChain, [](AM_ViewControl* c) {
        // Controls being edited do not run.
        return c->hasTimer() && (c->getState() & kStateEditMode) == 0;
    });
    timerChainDirty_ = 0;
}

void AM_ViewMan::invalidateTimerChain()
{
    timerChainDirty_ = 1;
}

void AM_ViewMan::updateDisplayChain()
{
    displayChainDirty_ = 0;
    displayChain_ = nullptr;
    AM_ViewControl** tail = &displayChain_;
    collectChain(topControl_, tail, &AM_ViewControl::nextInDisplayChain,
                 [](AM_ViewControl* c) { return (c->getFlags() & kControlShowsValuesBit) != 0; });
}

void AM_ViewMan::selectModule(const char* name)
{
    const char* newName = name != nullptr ? name : "";
    if (moduleName_ == newName) {
        sendMessage(kControlsClassMask, kMsgModuleSelected, 1, moduleName_.data());
        return;
    }
    if (!moduleName_.empty()) {
        sendMessage(kControlsClassMask, kMsgModuleSelected, 0, moduleName_.data());
    }
    moduleName_ = newName;
    sendMessage(kControlsClassMask, kMsgModuleSelected, 1, moduleName_.data());
}

std::unique_ptr<AM_File> AM_ViewMan::openPathFile(int32_t slot, bool write)
{
    const char* path = getPath(slot);
    if (path == nullptr) {
        AM_STD::printv("path is NULL");
        return nullptr;
    }
    AM_STD::printv("path is %s", path);
    auto file = std::make_unique<AM_File>(AM_String(path));
    AM_FileErr error = 0;
    if (write) {
        // Created empty (or emptied), then opened for reading and writing.
        error = AM_writeFileReplacing(AM_String(path), "", 0);
        if (error == 0) {
            error = file->open(AM_File::kModeReadWrite);
        }
    } else {
        error = file->open(AM_File::kModeRead);
    }
    if (error != 0) {
        AM_STD::printv("Can't open %s: error %d", path, int(error));
        return nullptr;
    }
    return file;
}

void AM_ViewMan::setPath(int32_t slot, const char* text)
{
    if (!validPathSlot(slot)) {
        AM_STD::printv("No path slot %d", int(slot));
        return;
    }
    if (text == nullptr) {
        paths_[slot].clear();
        pathSet_[slot] = false;
        return;
    }
    paths_[slot].reserve(std::strlen(text) + kPathSpareRoom);
    paths_[slot] = text;
    pathSet_[slot] = true;
}

const char* AM_ViewMan::getPath(int32_t slot)
{
    if (!validPathSlot(slot) || !pathSet_[slot]) {
        return nullptr;
    }
    return paths_[slot].c_str();
}

void AM_ViewMan::setZoom(float zoom)
{
    if (!std::isfinite(zoom) || zoom <= 0.0f) {
        AM_STD::printv("Zoom %f refused", double(zoom));
        return;
    }
    zoom_ = zoom;
    inverseZoom_ = 1.0f / zoom;
    if (topControl_ == nullptr) {
        return;
    }
    const AM_Rect bounds = topControl_->getBounds();
    const float width = std::trunc(bounds.w) * zoom;
    const float height = std::trunc(bounds.h) * zoom;
    if (AM_Context* context = getContext()) {
        context->setZoom(zoom, width, height);
    }
    if (interface_ != nullptr) {
        interface_->sizeWindow(int32_t(width), int32_t(height));
    }
}

float AM_ViewMan::getZoom()
{
    return zoom_;
}

AM_Context* AM_ViewMan::getContext()
{
    return nullptr;
}

uint32_t AM_ViewMan::newObjectId()
{
    return nextObjectId_++;
}

void AM_ViewMan::registerControl(AM_ViewControl* control, AM_ViewControl* parent)
{
    if (control == nullptr) {
        return;
    }
    if (control->getHost() == nullptr) {
        control->setHost(objectHost_.get());
    }
    if (parent == nullptr && control != topControl_) {
        const bool linked = control->getParent() != nullptr || control->getPrevious() != nullptr ||
                            control->getNext() != nullptr;
        if (topControl_ == nullptr) {
            topControl_ = control;
        } else if (!linked) {
            topControl_->appendSibling(control);
        }
    }
    const uint32_t flags = control->getFlags();
    // While a script loads the chains are made once, at its end.
    const bool loading = scriptState != nullptr && scriptState->files.depth() > 0;
    if ((flags & kControlHasTimerBit) != 0) {
        if (loading) {
            timerChainDirty_ = 1;
        } else {
            updateTimerChain();
        }
    }
    if ((flags & kControlShowsValuesBit) != 0) {
        if (loading) {
            displayChainDirty_ = 1;
        } else {
            updateDisplayChain();
        }
    }
}

namespace {
template <typename T>
void appendToList(T*& head, T* object, AM_ObjectHost* host)
{
    if (object == nullptr) {
        return;
    }
    if (object->getHost() == nullptr) {
        object->setHost(host);
    }
    if (head == nullptr) {
        head = object;
    } else {
        head->appendSibling(object);
    }
}

// Appends to a list whose last object is known; `last` follows.
template <typename T>
void appendToList(T*& head, AM_GuiObject*& last, T* object, AM_ObjectHost* host)
{
    if (object == nullptr) {
        return;
    }
    if (head == nullptr || last == nullptr || last->getNext() != nullptr) {
        appendToList(head, object, host);
    } else {
        if (object->getHost() == nullptr) {
            object->setHost(host);
        }
        last->appendSibling(object);
    }
    last = object;
}

// Enters a graphic and the graphics below it (the frames of a strip), in
// list order.
void indexGraphicTree(AM_NameIndex& index, const AM_Graphic* graphic)
{
    index.add(graphic, graphic->getKey());
    for (const AM_GuiObject* child = graphic->getFirstChild(); child != nullptr;
         child = child->getNext()) {
        if (const auto* frame = dynamic_cast<const AM_Graphic*>(child)) {
            indexGraphicTree(index, frame);
        }
    }
}
} // namespace

void AM_ViewMan::addGraphic(AM_Graphic* graphic)
{
    if (graphic == nullptr) {
        return;
    }
    appendToList(graphics_, lastGraphic_, graphic, objectHost_.get());
    indexGraphicTree(graphicIndex_, graphic);
    ++graphicCount_;
}

void AM_ViewMan::addColour(AM_Colour* colour)
{
    if (colour == nullptr) {
        return;
    }
    appendToList(colours_, lastColour_, colour, objectHost_.get());
    colourIndex_.add(colour, 0);
    ++colourCount_;
}

void AM_ViewMan::rebuildResourceIndexes()
{
    graphicIndex_.clear();
    for (const AM_GuiObject* g = graphics_; g != nullptr; g = g->getNext()) {
        if (const auto* graphic = dynamic_cast<const AM_Graphic*>(g)) {
            indexGraphicTree(graphicIndex_, graphic);
        }
    }
    colourIndex_.clear();
    for (const AM_GuiObject* c = colours_; c != nullptr; c = c->getNext()) {
        colourIndex_.add(c, 0);
    }
}

void AM_ViewMan::addValueToString(AM_ValueToStringObject* object)
{
    appendToList(valueToStrings_, object, objectHost_.get());
}

int32_t AM_ViewMan::setTopLayerControl(AM_ViewControl* control, bool add)
{
    if (add) {
        if (control == nullptr) {
            return kTopLayerSlots;
        }
        if (!topLayerControls_) {
            topLayerControls_ = std::make_unique<AM_ViewControl*[]>(kTopLayerSlots);
        }
        int32_t freeSlot = kTopLayerSlots;
        for (int32_t i = 0; i < kTopLayerSlots; ++i) {
            if (topLayerControls_[i] == control) {
                return i;
            }
            if (topLayerControls_[i] == nullptr && freeSlot == kTopLayerSlots) {
                freeSlot = i;
            }
        }
        if (freeSlot < kTopLayerSlots) {
            topLayerControls_[freeSlot] = control;
        }
        return freeSlot;
    }
    if (!topLayerControls_) {
        return -1;
    }
    int32_t i = 0;
    while (i < kTopLayerSlots) {
        if (topLayerControls_[i] == control) {
            for (int32_t j = i; j + 1 < kTopLayerSlots; ++j) {
                topLayerControls_[j] = topLayerControls_[j + 1];
            }
            topLayerControls_[kTopLayerSlots - 1] = nullptr;
        } else {
            ++i;
        }
    }
    return -1;
}

AM_ViewControl* AM_ViewMan::getTopLayerControl(int32_t index) const
{
    if (!topLayerControls_ || index < 0 || index >= kTopLayerSlots) {
        return nullptr;
    }
    return topLayerControls_[index];
}

AM_Graphic* AM_ViewMan::findGraphic(const char* name, uint32_t alternative)
{
    if (graphics_ == nullptr || name == nullptr) {
        return nullptr;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* found = dynamic_cast<AM_Graphic*>(graphicIndex_.find(name, alternative));
        if (found == nullptr) {
            return nullptr;
        }
        if (found->getKey() == alternative &&
            std::strncmp(found->getName(), name, kGuiNameBytes) == 0) {
            return found;
        }
        // Renamed since it joined the list: the index is made afresh.
        rebuildResourceIndexes();
    }
    return graphics_->find(name, alternative);
}

AM_Graphic* AM_ViewMan::getGraphic(const char* name)
{
    if (AM_Graphic* found = findGraphic(name, alternative_)) {
        return found;
    }
    return findGraphic(name, 0);
}

AM_Colour* AM_ViewMan::getColour(const char* name)
{
    if (colours_ == nullptr || name == nullptr) {
        return nullptr;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* found = dynamic_cast<AM_Colour*>(colourIndex_.find(name, 0));
        if (found == nullptr) {
            return nullptr;
        }
        if (std::strncmp(found->getName(), name, kGuiNameBytes) == 0) {
            return found;
        }
        // Renamed since it joined the list: the index is made afresh.
        rebuildResourceIndexes();
    }
    return dynamic_cast<AM_Colour*>(colours_->findByName(name));
}

AM_ValueToStringObject* AM_ViewMan::getValueToString(const char* name)
{
    if (valueToStrings_ == nullptr || name == nullptr) {
        return nullptr;
    }
    return dynamic_cast<AM_ValueToStringObject*>(valueToStrings_->findByName(name));
}

AM_InfoLine* AM_ViewMan::getInfoLine(int32_t index)
{
    if (index < 0 || index >= kInfoLines) {
        return nullptr;
    }
    return &infoLines_[index];
}

void AM_ViewMan::showInfoLine(int32_t index, bool shown)
{
    AM_InfoLine* line = getInfoLine(index);
    if (line == nullptr) {
        return;
    }
    line->shown = shown ? 1 : 0;
    if (displayChain_ != nullptr) {
        displayChain_->receiveMessage(this, kMsgInfoLine, uint32_t(index), line);
    }
}

void AM_ViewMan::showInfoLine(int line, AM_GuiObject* subject, const char* title,
                              const char* text, bool shown)
{
    AM_InfoLine* record = getInfoLine(line);
    if (record == nullptr) {
        return;
    }
    record->subject = subject;
    AM_STD::sprintn(record->title, sizeof record->title, "%s", title != nullptr ? title : "");
    AM_STD::sprintn(record->text, sizeof record->text, "%s", text != nullptr ? text : "");
    showInfoLine(line, shown);
}

AM_ViewControl* AM_ViewMan::getActiveControl()
{
    return activeControl_;
}

int32_t AM_ViewMan::getNumPathKinds()
{
    return kNumPathKinds;
}

int32_t AM_ViewMan::findPathKind(const char* name)
{
    if (name == nullptr) {
        return 0;
    }
    for (int32_t i = 0; i < kNumPathKinds; ++i) {
        if (std::strcmp(kPathKinds[i], name) == 0) {
            return i;
        }
    }
    return 0;
}

const char* AM_ViewMan::getPathKindName(int32_t index)
{
    if (index < 0 || index >= kNumPathKinds) {
        return kPathKinds[0];
    }
    return kPathKinds[index];
}

AM_ViewControl* AM_ViewMan::getTopControl()
{
    return topControl_;
}

AM_ViewControl* AM_ViewMan::getRootView()
{
    return rootView_;
}

void AM_ViewMan::setRootView(AM_ViewControl* rootView, AM_ViewControl* editRoot)
{
    rootView_ = rootView;
    editRoot_ = editRoot;
}

uint32_t AM_ViewMan::getAlternative()
{
    return alternative_;
}

bool AM_ViewMan::getSelectionOption()
{
    return selectionOption_ != 0 && !hasMultiSelection();
}

bool AM_ViewMan::isCloning()
{
    return cloning_ != 0;
}

uint32_t AM_ViewMan::getCloneMode()
{
    // The root view's field is the one its menu and the inspector change.
    if (const AM_RootView* root = getRoot())
        return root->getCloneMode();
    return cloneMode_;
}

void AM_ViewMan::setCloneMode(uint32_t mode)
{
    cloneMode_ = mode;
    if (AM_RootView* root = getRoot())
        root->setCloneMode(mode);
}

bool AM_ViewMan::isEditMode() const
{
    return editMode_ != 0;
}

void AM_ViewMan::setEditMode(bool on)
{
    if (rootView_ == nullptr) {
        return;
    }
    if (AM_ViewControl* child = rootView_->getFirstChildControl()) {
        const bool childOn = (child->getState() & kStateEditMode) != 0;
        if (childOn != on) {
            editMode_ = on ? 1 : 0;
            child->setEditMode(on);
        }
    }
    updateTimerChain();
    const AM_Rect bounds = rootView_->getBounds();
    invalidateRect(&bounds);
}

void AM_ViewMan::scheduleInterfaceRefresh(bool force)
{
    refreshPending_ = 1;
    refreshFlag_ = force ? 1 : 0;
}

void AM_ViewMan::forgetControl(AM_ViewControl* control)
{
    if (control == nullptr) {
        return;
    }
    menuTable_.forgetControl(control);
    if (shownMenu_.control() == control) {
        // Its menu goes down with it: nothing is delivered to it.
        shownMenu_.forgetControl(control);
        closeShownMenu();
    }
    if (textEntry_.control == control) {
        cancelTextEntry();
    }
    removeFromChain(timerChain_, control, &AM_ViewControl::nextInTimerChain);
    removeFromChain(displayChain_, control, &AM_ViewControl::nextInDisplayChain);
    if (topLayerControls_) {
        setTopLayerControl(control, false);
    }
    if (activeControl_ == control) {
        activeControl_ = nullptr;
    }
    if (wheelControl_ == control) {
        wheelControl_ = nullptr;
        wheelHoldCount_ = 0;
    }
    if (focusedControl_ == control) {
        focusedControl_ = nullptr;
    }
    if (topControl_ == control) {
        topControl_ = nullptr;
    }
    if (rootView_ == control) {
        rootView_ = nullptr;
    }
    if (editRoot_ == control) {
        editRoot_ = nullptr;
    }
    for (AM_InfoLine& line : infoLines_) {
        if (line.subject == control) {
            line.subject = nullptr;
        }
    }
    undoList_.forgetControl(control);
    if (scriptState) {
        if (scriptState->lastControl == control) {
            scriptState->lastControl = nullptr;
        }
        if (scriptState->currentContainer == control) {
            scriptState->currentContainer = nullptr;
        }
    }
}

bool AM_ViewMan::presetSaveDialog(const char* modulePath, const char* title, const char* name)
{
    (void)title;
    (void)name;
    // The module whose preset the dialog saves; the dialog itself belongs to
    // the platform view manager.
    if (interface_ != nullptr && modulePath != nullptr) {
        interface_->selectModule(modulePath);
    }
    return false;
}

void AM_ViewMan::finishMidiLearn(const AM_ParamInfo* parameter, int32_t controller,
                                 AM_PortOwner* control)
{
    (void)parameter;
    (void)controller;
    (void)control;
}
