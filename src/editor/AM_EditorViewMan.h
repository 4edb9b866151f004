#pragma once
// The view manager of the plug-in's editor window: the software view
// manager with the built control classes installed over the placeholders of
// the defaults, and drags out of the GUI carried by the window's drag
// source in the private data format.
//
// GUI thread only.

#include "gui/views/AM_AGG_ViewMan.h"

namespace platform {
class DragSource;
class DragSourceClient;
} // namespace platform

class AM_EditorSurface;

class AM_EditorViewMan : public AM_AGG_ViewMan {
public:
    using AM_AGG_ViewMan::AM_AGG_ViewMan;

    // The base init; when it did not register the defaults, they are
    // registered (with the built controls) here.
    bool init(const AM_Rect* bounds) override;
    // The defaults, then the standard and editor controls.
    void registerDefaults() override;
    // Starts a drag of the source's own drag data when it has some, else of
    // the text given, and returns at once (the drag source keeps its own
    // copy; the drag runs on the window's pump). False.
    bool startDragDrop(AM_ViewControl* source, uint32_t kind, uint32_t length,
                       const char* text) override;

    // The trace line, then the notice over the editor's window (when there
    // is a notice surface), shown at the next repaint: the whole GUI is
    // invalidated.
    void showAlert(const char* title, const char* text) override;

    // Where drags start (null: none start) and who is told how they end.
    // Not owned.
    void setDragSource(platform::DragSource* source, platform::DragSourceClient* client = nullptr)
    {
        dragSource_ = source;
        dragClient_ = client;
    }
    // Where failures are shown (null: on the trace only). Not owned.
    void setNoticeSurface(AM_EditorSurface* surface) { noticeSurface_ = surface; }
    // The number of control types the last registration replaced.
    int installedControlTypes() const { return installedControlTypes_; }

private:
    platform::DragSource* dragSource_ = nullptr;
    platform::DragSourceClient* dragClient_ = nullptr;
    AM_EditorSurface* noticeSurface_ = nullptr;
    bool defaultsRegistered_ = false;
    int installedControlTypes_ = 0;
};
