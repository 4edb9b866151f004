// Any text read as a GUI script, with or without edit rights, then written
// back and read again: nothing may crash, hang, leak or read outside the
// text. Nested scripts are looked for in a folder that does not exist.
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/views/AM_PlaceholderControl.h"
#include "gui/views/AM_ViewMan.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Reads text into a fresh GUI and answers the script that GUI saves.
std::string readAndWrite(const char* text, size_t size, bool editable)
{
    AM_ViewMan viewMan(nullptr, nullptr, nullptr);
    AM_PluginInfo info{};
    std::strcpy(info.effectName, "FuzzSynth");
    viewMan.setProcessDescription(&info);
    viewMan.registerDefaults();
    const AM_Rect editor{0, 0, 800, 600};
    AM_ViewControl* top = viewMan.createControl("Pane", &editor);
    top->setName("editRootControl");
    viewMan.registerControl(top, nullptr);
    viewMan.setPath(kPathScripts, "/nonexistent-kk-fuzz/");
    viewMan.parseScript(text, int32_t(size), editable);

    std::string saved;
    viewMan.sendMessage(kGuiColourBit, kGuiMsgSaveObjects, 0, &saved);
    viewMan.sendMessage(kGuiGraphicBit, kGuiMsgSaveObjects, 0, &saved);
    if (AM_ViewControl* first = top->getFirstChildControl()) {
        first->writeControlTree(&saved);
        first->writePropertyTree(&saved);
    }
    return saved;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bool editable = size > 0 && (data[size - 1] & 1) != 0;
    const std::string saved = readAndWrite(reinterpret_cast<const char*>(data), size, editable);
    readAndWrite(saved.data(), saved.size(), true);
    AM_ViewMan::resetProcessState();
    AM_PlaceholderControl::resetAnnouncements();
    return 0;
}
