#pragma once
// Opens a top-level X11 window as a plug-in host does for an editor. The
// header holds no X11 types.
//
// GUI thread only.

#include "platform/HostWindow.h"

#include <memory>

namespace platform {

// One connection of its own; null (with a trace line) when the display
// cannot be reached. Width and height are clamped to 1..16384. A display
// server that goes away closes the window (pump answers false) and never
// ends the process.
std::unique_ptr<HostWindow> openX11HostWindow(const char* title, int width, int height,
                                              const char* displayName = nullptr);

} // namespace platform
