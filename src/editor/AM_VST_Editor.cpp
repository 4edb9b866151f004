// The plug-in's editor: opening, closing, idle and resizing.

#include "editor/AM_VST_Editor.h"

#include "editor/AM_EditorDialogs.h"
#include "editor/AM_EditorViewMan.h"
#include "editor/AM_EditorWindowOpener.h"
#include "engine/module/AM_PluginInfo.h"
#include "foundation/AM_DataFolder.h"
#include "foundation/AM_STD.h"
#include "platform/Clock.h"
#include "plugin/AM_VST_base.h"
#include "presets/AM_VST_View_Interface.h"
#include "synth/Synth_AudioMan.h"

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr const char* kAlertTitle = "GUI";
constexpr const char* kAlertText = "TOP";

// Editors open in the process (GUI thread only).
uint32_t g_openEditors = 0;

int32_t guiSide(float value)
{
    constexpr float kLargest = std::numeric_limits<int16_t>::max();
    if (!(value >= 1.0f))
        return 1;
    return static_cast<int32_t>(std::trunc(std::min(value, kLargest)));
}

} // namespace

AM_VST_Editor::AM_VST_Editor(AM_VST_base* effect) : AM_VST_EditorBase(effect)
{
    if (effect != nullptr)
        effect->attachEditor(this);
}

AM_VST_Editor::~AM_VST_Editor()
{
    close();
}

AM_VST_EditorSeam* AM_VST_Editor::create(AM_VST_base* effect)
{
    return new AM_VST_Editor(effect);
}

uint32_t AM_VST_Editor::openEditorCount()
{
    return g_openEditors;
}

void AM_VST_Editor::resetOpenEditorCount()
{
    g_openEditors = 0;
}

bool AM_VST_Editor::openView(void* parentWindow, AM_VST_View_Interface& viewInterface)
{
    parentWindow_ = parentWindow;
    AM_VST_base* effect = getPlugin();
    Synth_AudioMan* audio = effect != nullptr ? effect->getAudioMan() : nullptr;
    const AM_PluginInfo* info = audio != nullptr ? audio->getPluginInfo() : nullptr;

    viewManager_ = std::make_unique<AM_EditorViewMan>(&viewInterface, this, parentWindow, &surface_);
    if (info != nullptr) {
        viewManager_->setProcessDescription(info);
        AM_Directory data;
        // The data folder's root holds Scripts/, Images/ and Fonts/.
        if (getDataRootFolder(data) == 0) {
            AM_String path;
            data.getPath(path);
            char narrow[1024] = {};
            path.getNarrow(narrow, sizeof narrow);
            std::string folder = narrow;
            if (!folder.empty() && folder.back() != '/')
                folder += '/';
            viewManager_->setPath(kPathScripts, (folder + "Scripts/").c_str());
            viewManager_->setPath(kPathScripts + 1, (folder + "Images/").c_str());
            viewManager_->setPath(kPathFonts, (folder + "Fonts/").c_str());
        } else {
            AM_STD::printv("Editor: no data folder");
        }
    }

    // A size asked for before the window existed; init asks for the GUI's
    // own size, which the window takes right after it opens.
    const int32_t askedWidth = pendingWidth_;
    const int32_t askedHeight = pendingHeight_;
    const AM_Rect initial{0, 0, kInitialWidth, kInitialHeight};
    viewManager_->init(&initial);
    const AM_Rect& canvas = viewManager_->getCanvasBounds();
    const int32_t width = guiSide(canvas.w);
    const int32_t height = guiSide(canvas.h);

    ++g_openEditors;
    counted_ = true;
    const int32_t windowWidth = askedWidth > 0 ? askedWidth : width;
    const int32_t windowHeight = askedHeight > 0 ? askedHeight : height;
    pendingWidth_ = pendingHeight_ = 0;
    window_ = AM_openEditorWindow(reinterpret_cast<uintptr_t>(parentWindow), windowWidth,
                                  windowHeight);
    if (!window_) {
        AM_STD::printv("Editor: the window could not be opened");
        closeView();
        return false;
    }
    windowGone_ = false;
    displayLost_ = false;
    dialogs_ = std::make_unique<AM_EditorDialogs>(*window_, viewManager_->getZoom());
    surface_.setTarget(&dialogs_->surface());
    viewManager_->setDialogs(dialogs_->dialogs());
    viewManager_->setDragSource(&window_->dragSource(), this);
    viewManager_->setNoticeSurface(&surface_);
    window_->takeFocus();
    window_->setDropTarget(this);

    sizeWindow(width, height);
    return true;
}

void AM_VST_Editor::closeView()
{
    // A drag of ours that is still on ends here.
    if (window_ && !displayLost_)
        window_->dragSource().cancel();
    if (dialogs_)
        dialogs_->closeAll();
    if (viewManager_) {
        viewManager_->setDialogs({});
        viewManager_->setDragSource(nullptr);
        viewManager_->setNoticeSurface(nullptr);
    }
    viewManager_.reset();
    dialogs_.reset();
    surface_.setTarget(nullptr);
    surface_.closeNotice();
    if (window_) {
        window_->setDropTarget(nullptr);
        window_.reset();
    }
    if (counted_) {
        counted_ = false;
        if (g_openEditors > 0)
            --g_openEditors;
    }
    captured_ = 0;
    dropWelcome_ = false;
    displayLost_ = false;
    parentWindow_ = nullptr;
}

void AM_VST_Editor::idle()
{
    if (!isOpen() || displayLost_)
        return;
    if (window_ && !windowGone_)
        window_->pumpEvents(*this);
    // The display went away during this pump: nothing more is drawn.
    if (displayLost_)
        return;
    if (dialogs_)
        dialogs_->tick(platform::tickCount());
    onTimer();
}

void AM_VST_Editor::connectionLost()
{
    AM_STD::printv("Editor: the display went away; the editor stops drawing");
    displayLost_ = true;
    windowGone_ = true;
    captured_ = 0;
    dropWelcome_ = false;
    // No frame reaches the window any more; what is open on it is dropped.
    surface_.setTarget(nullptr);
    surface_.closeNotice();
}

void AM_VST_Editor::onTimer()
{
    ++idleTicks_;
    if (viewManager_)
        viewManager_->onTimer();
}

bool AM_VST_Editor::setKnobMode(VstInt32)
{
    return false;
}

bool AM_VST_Editor::sizeWindow(int32_t width, int32_t height)
{
    if (viewManager_)
        viewManager_->invalidateRect(nullptr);
    return AM_VST_EditorBase::sizeWindow(width, height);
}

void AM_VST_Editor::resizeView(int32_t width, int32_t height)
{
    if (!window_) {
        pendingWidth_ = width;
        pendingHeight_ = height;
        return;
    }
    if (!windowGone_ && (window_->width() != width || window_->height() != height)) {
        if (!window_->resize(width, height))
            AM_STD::printv("Editor: the window was not resized to %d %d", width, height);
    }
    applyZoomToDialogs();
}

void AM_VST_Editor::applyZoomToDialogs()
{
    if (dialogs_ && viewManager_)
        dialogs_->setZoom(viewManager_->getZoom());
}

void* AM_VST_Editor::getWindow()
{
    return window_ ? reinterpret_cast<void*>(window_->nativeHandle()) : nullptr;
}

void AM_VST_Editor::invalidateAll()
{
    if (!viewManager_)
        return;
    ERect* rect = nullptr;
    getRect(&rect);
    const AM_Rect all{static_cast<float>(rect->left), static_cast<float>(rect->top),
                      static_cast<float>(rect->right - rect->left),
                      static_cast<float>(rect->bottom - rect->top)};
    viewManager_->invalidateRect(&all);
}

void AM_VST_Editor::invalidateAllWithAlert()
{
    const int width = window_ ? window_->width() : 0;
    const float zoom = viewManager_ ? viewManager_->getZoom() : 1.0f;
    const char* fonts = viewManager_ ? viewManager_->getPath(kPathFonts) : nullptr;
    AM_STD::printv("%s: %s", kAlertTitle, kAlertText);
    surface_.showNotice(kAlertTitle, kAlertText, width, zoom, fonts);
    invalidateAll();
}
