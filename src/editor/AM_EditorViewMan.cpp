// The editor window's view manager.

#include "editor/AM_EditorViewMan.h"

#include "editor/AM_EditorSurface.h"
#include "editor/AM_PrivateDataFormat.h"
#include "foundation/AM_STD.h"
#include "gui/controls/AM_StandardControls.h"
#include "gui/views/AM_ViewControl.h"
#include "platform/DragDrop.h"

#if __has_include("gui/editors/AM_EditorControls.h")
#include "gui/editors/AM_EditorControls.h"
#define AM_HAVE_EDITOR_CONTROLS 1
#endif

#include <cstring>
#include <vector>

bool AM_EditorViewMan::init(const AM_Rect* bounds)
{
    const bool ok = AM_AGG_ViewMan::init(bounds);
    if (!defaultsRegistered_)
        registerDefaults();
    return ok;
}

void AM_EditorViewMan::registerDefaults()
{
    AM_AGG_ViewMan::registerDefaults();
    defaultsRegistered_ = true;
    installedControlTypes_ = AM_installStandardControls(this);
#ifdef AM_HAVE_EDITOR_CONTROLS
    installedControlTypes_ += AM_installEditorControls(this);
#endif
}

void AM_EditorViewMan::showAlert(const char* title, const char* text)
{
    AM_AGG_ViewMan::showAlert(title, text);
    if (noticeSurface_ == nullptr)
        return;
    noticeSurface_->showNotice(title, text, static_cast<int>(getCanvasBounds().w), getZoom(),
                               getPath(kPathFonts));
    invalidateRect(nullptr);
}

bool AM_EditorViewMan::startDragDrop(AM_ViewControl* source, uint32_t kind, uint32_t length,
                                     const char* text)
{
    AM_STD::printv("init DragDrop Win");
    if (source != nullptr) {
        if (const char* own = source->getDragData()) {
            text = own;
            length = kAM_DragLengthOfText;
        }
    }
    if (dragSource_ == nullptr) {
        AM_STD::printv("DragDrop: no drag source");
        return false;
    }
    const std::vector<uint8_t> block = AM_encodePrivateData(kind, text, length);
    if (!dragSource_->start(block.data(), block.size(), dragClient_))
        AM_STD::printv("DragDrop: the drag could not start");
    return false;
}
