#pragma once
// Popup panels for the editor's menus on the editor window's own X11
// connection: override-redirect windows on the root window, showing the
// pictures the menu code draws, with the pointer and keyboard grabbed while
// a menu is up. The editor window's pump hands the panels' events over;
// nothing here waits for the server. The header holds no X11 types.
//
// GUI thread only.

#include "platform/PopupHost.h"

#include <memory>

namespace platform::x11 {

class X11Window;

// The popup host of the window (which must outlive it).
std::unique_ptr<PopupHost> openPopupHost(X11Window& window);

} // namespace platform::x11
