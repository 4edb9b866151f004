#pragma once
// Opens the editor's window as an X11 child of the host's window. The header
// holds no X11 types: the editor includes it without knowing X11.
//
// GUI thread only.

#include "platform/EditorWindow.h"

#include <cstdint>
#include <memory>

namespace platform {

struct X11WindowOptions {
    // The display to connect to; null: the one the environment names.
    const char* displayName = nullptr;
    // Send the frame through MIT shared memory when the server offers it.
    bool allowSharedMemory = true;
};

// One connection to the display per window: opened here, closed when the
// window is destroyed. parent is the host's window id. Returns null (with a
// trace line) when the display cannot be reached or the parent is not a
// window. Width and height are clamped to 1..16384.
std::unique_ptr<EditorWindow> openX11EditorWindow(uintptr_t parent, int width, int height,
                                                  const X11WindowOptions& options = {});

} // namespace platform
