// Loading a GUI script into the root view: a new root view, loading a
// script record, and fitting the editor to what was loaded.

#include "foundation/AM_STD.h"
#include "gui/views/AM_RootView.h"
#include "gui/views/AM_ViewMan.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// Message that binds the editor's own fields (the root view and the
// inspector rows answer it).
constexpr uint32_t kMsgBindEditor = 48;

bool usable(const AM_Rect& r)
{
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.w) && std::isfinite(r.h) &&
           r.w >= 1.0f && r.h >= 1.0f;
}

// Gives the control the size, keeping its origin.
void resizeTo(AM_ViewControl* control, float width, float height)
{
    if (control == nullptr)
        return;
    const AM_Rect b = control->getBounds();
    control->growBy(0.0f, 0.0f, width - b.w, height - b.h, false);
}

} // namespace

AM_RootView* AM_ViewMan::getRoot() const
{
    return dynamic_cast<AM_RootView*>(rootView_);
}

void AM_ViewMan::newRootView()
{
    clearUndo();
    timerChain_ = nullptr;
    timerChainDirty_ = 1;
    updateUndoButtons();

    // The editor's settings outlive the GUI they edit.
    AM_RootView* old = getRoot();
    const bool carry = old != nullptr;
    const int32_t gridSize = carry ? old->getGridSize() : AM_RootView::kDefaultGridSize;
    const bool gridShown = carry && old->isGridShown();
    const AM_EditTransform transform = carry ? old->getTransform() : editTransform_;
    if (rootView_ != nullptr) {
        AM_ViewControl* dying = rootView_;
        dying->unlink();
        delete dying;
    }
    rootView_ = nullptr;

    AM_ViewControl* holder = editRoot_ != nullptr ? editRoot_ : topControl_;
    const AM_Rect bounds = holder != nullptr
                               ? holder->getBounds()
                               : AM_Rect{0.0f, 0.0f, kMinEditorWidth, kMinEditorHeight};
    auto* root = new AM_RootView(this, &bounds);
    root->setGridSize(gridSize);
    root->setGridShown(gridShown);
    root->setTransform(transform);
    root->setCloneMode(cloneMode_);
    if (holder != nullptr) {
        holder->addControl(root, kAllLayers, false);
        // While the GUI is edited, the editor's own panes lie over it: the
        // root view is painted first and hit last.
        if (editorSetupMode_ != 0) {
            root->moveToFirst();
        }
    } else {
        registerControl(root, nullptr);
        root->setVisible(true, kAllLayers, false);
    }
    rootView_ = root;
    updateUndoButtons();
}

void AM_ViewMan::fitToContent()
{
    if (rootView_ == nullptr || topControl_ == nullptr)
        return;
    AM_Rect content{};
    AM_ViewControl* first = rootView_->getFirstChildControl();
    if (first != nullptr) {
        // Every control directly under the root counts, not only the first.
        first->getUnionBounds(&content, false);
        if (AM_ViewControl* next = first->getNextControl())
            next->getUnionBounds(&content, true);
    }
    if (editorSetupMode_ != 0) {
        growToCover(first != nullptr && usable(content) ? &content : nullptr);
        return;
    }
    float width = kMinEditorWidth;
    float height = kMinEditorHeight;
    if (first != nullptr && usable(content)) {
        const AM_Rect top = topControl_->getBounds();
        first->offsetBy(top.x - content.x, top.y - content.y, true);
        width = std::min(std::trunc(content.w), kMaxEditorSide);
        height = std::min(std::trunc(content.h), kMaxEditorSide);
    } else {
        AM_STD::printv("The GUI is empty: the editor keeps its smallest size");
    }
    resizeTo(editRoot_, width, height);
    resizeTo(rootView_, width, height);
    if (topControl_ != editRoot_)
        resizeTo(topControl_, width, height);
    for (AM_Rect& slot : dirtyRects_)
        slot = AM_Rect{};
    dirty_ = 0;
}

void AM_ViewMan::growToCover(const AM_Rect* content)
{
    // While the GUI is edited its controls stay where the script puts them
    // and the editing panes keep their places; the editor only grows, so
    // that no control lies out of reach.
    if (content == nullptr || editRoot_ == nullptr)
        return;
    const AM_Rect pane = editRoot_->getBounds();
    const float width =
        std::min(std::max(pane.w, std::ceil(content->x + content->w - pane.x)), kMaxEditorSide);
    const float height =
        std::min(std::max(pane.h, std::ceil(content->y + content->h - pane.y)), kMaxEditorSide);
    if (width == pane.w && height == pane.h)
        return;
    resizeTo(editRoot_, width, height);
    resizeTo(rootView_, width, height);
    if (topControl_ != editRoot_)
        resizeTo(topControl_, width, height);
}

bool AM_ViewMan::loadScript(int32_t index)
{
    scriptLoading_ = 1;
    const AM_ScriptRecord* found = getScript(index);
    if (found == nullptr) {
        // Nothing to load: input must not stay blocked.
        scriptLoading_ = 0;
        AM_STD::printv("No script %d to load", int(index));
        return false;
    }
    const AM_ScriptRecord record = *found;
    newRootView();
    // Path slot 6 follows the record, so a reload reads this script again.
    std::string path;
    alternative_ = record.alternative;
    if (record.alternative != 0) {
        path = record.path;
    } else {
        const char* scripts = getPath(kPathScripts);
        path = std::string(scripts != nullptr ? scripts : "") + record.path;
    }
    setPath(kPathCurrentScript, path.c_str());
    const bool loaded = loadScriptFile(path.c_str(), editorSetupMode_);
    fitToContent();

    if (editRoot_ != nullptr)
        editRoot_->setVisible(true, kAllLayers, false);
    sendMessage(kControlsClassMask, kMsgBindEditor, 0, nullptr);
    const std::string done = "done loading '" + path + "'\n";
    platform::standardOutput(done.c_str());
    updateDisplayChain();
    updateTimerChain();
    scriptLoading_ = 0;
    // The canvas and the window take the new size at the current zoom.
    setZoom(zoom_);
    scheduleInterfaceRefresh(true);
    return loaded;
}
