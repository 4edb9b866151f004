#pragma once
// The menus, prompt, save form and question of one open editor, drawn in
// its window (the forms library) or, where that library is not part of the
// build, the in-memory ones that dismiss every menu and answer Cancel.
// Frames reach the window through surface(), which lays an open overlay
// over them.
//
// GUI thread only.

#include "gui/views/AM_PlatformDialogs.h"
#include "platform/EditorWindow.h"
#include "platform/WindowEvent.h"

#include <cstdint>
#include <memory>

class AM_EditorDialogs {
public:
    AM_EditorDialogs(platform::EditorWindow& window, float zoom);
    ~AM_EditorDialogs();
    AM_EditorDialogs(const AM_EditorDialogs&) = delete;
    AM_EditorDialogs& operator=(const AM_EditorDialogs&) = delete;

    platform::Surface& surface();
    AM_PlatformDialogs dialogs();
    // True when an open menu or overlay took the event.
    bool takeEvent(const platform::WindowEvent& event);
    // From the idle call after the window's pump: the open menu's input,
    // the caret.
    void tick(uint32_t nowMs);
    void setZoom(float zoom);
    bool overlayOpen() const;
    // A menu is up.
    bool menuOpen() const;
    // Closes whatever is open (an asking question answers Cancel).
    void closeAll();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};
