#pragma once
// Where the editor gets its window from: the X11 child window of the host's
// window, or, in tests, a window of the test's choice.
//
// GUI thread only; process-wide (tests set it and reset it).

#include "platform/EditorWindow.h"

#include <cstdint>
#include <memory>

using AM_EditorWindowOpener = std::unique_ptr<platform::EditorWindow> (*)(uintptr_t parent,
                                                                          int width, int height);

// Opens a window through the current opener (null: the window could not be
// made).
std::unique_ptr<platform::EditorWindow> AM_openEditorWindow(uintptr_t parent, int width,
                                                            int height);
// Sets the opener (null: the X11 child window again).
void AM_setEditorWindowOpener(AM_EditorWindowOpener opener);
