// The editor's window opener.

#include "editor/AM_EditorWindowOpener.h"

#include "platform/x11/X11EditorWindow.h"

namespace {

AM_EditorWindowOpener g_opener = nullptr;

} // namespace

std::unique_ptr<platform::EditorWindow> AM_openEditorWindow(uintptr_t parent, int width,
                                                            int height)
{
    if (g_opener != nullptr)
        return g_opener(parent, width, height);
    return platform::openX11EditorWindow(parent, width, height);
}

void AM_setEditorWindowOpener(AM_EditorWindowOpener opener)
{
    g_opener = opener;
}
