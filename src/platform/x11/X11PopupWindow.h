#pragma once
// Popup panels for the editor's menus on the editor window's own X11
// connection: override-redirect windows on the root window, showing the
// pictures the menu code draws, with the pointer and keyboard grabbed while
// a menu is up. The header holds no X11 types.
//
// GUI thread only.

#include "platform/EditorWindow.h"
#include "platform/PopupHost.h"

#include <functional>
#include <memory>

namespace platform {

struct X11PopupOptions {
    // Called every time the menu waits for an event, before it waits
    // (tests inject input there).
    std::function<void()> beforeWait;
};

// Null when the window is not an X11 editor window (a headless one).
std::unique_ptr<PopupHost> openX11PopupHost(EditorWindow& window, X11PopupOptions options = {});

} // namespace platform
