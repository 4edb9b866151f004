// The plug-in's editor in a window of the host's.

#include "EditorSession.h"

#include "gui/graphics/image/AM_PngWriter.h"
#include "platform/x11/X11HostWindow.h"
#include "plugin/vst/VstEditorTypes.h"

#include <chrono>
#include <thread>

namespace vsthost {
namespace {

constexpr const char* kWindowTitle = "kk-vsthost";
constexpr int kFallbackWidth = 640;
constexpr int kFallbackHeight = 480;

} // namespace

EditorSession::EditorSession(HostedPlugin& plugin) : plugin_(plugin) {}

EditorSession::~EditorSession()
{
    close();
}

bool EditorSession::editorSize(int& width, int& height)
{
    ERect* rect = nullptr;
    if (plugin_.dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr)
        return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return width > 0 && height > 0;
}

bool EditorSession::open(std::string& error)
{
    if (open_)
        return true;
    if ((plugin_.flags() & effFlagsHasEditor) == 0) {
        error = "the plug-in has no editor";
        return false;
    }
    int width = kFallbackWidth;
    int height = kFallbackHeight;
    editorSize(width, height);
    window_ = platform::openX11HostWindow(kWindowTitle, width, height);
    if (!window_) {
        error = "no X display to open the editor's window on";
        return false;
    }
    plugin_.setSizeWindowHandler([this](int w, int h) {
        sizeRequests_.push_back(std::to_string(w) + "x" + std::to_string(h));
        return window_ && window_->resize(w, h);
    });
    if (plugin_.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(window_->nativeHandle())) ==
        0) {
        plugin_.setSizeWindowHandler(nullptr);
        window_.reset();
        error = "the plug-in did not open its editor";
        return false;
    }
    // The window takes the editor's size as it is after opening.
    if (editorSize(width, height) && (width != window_->width() || height != window_->height()))
        window_->resize(width, height);
    open_ = true;
    return true;
}

void EditorSession::close()
{
    if (open_) {
        plugin_.dispatch(effEditClose);
        open_ = false;
    }
    plugin_.setSizeWindowHandler(nullptr);
    window_.reset();
}

bool EditorSession::idle()
{
    if (!open_)
        return false;
    const bool shown = window_->pump();
    plugin_.dispatch(effEditIdle);
    return shown;
}

bool EditorSession::idle(int count, bool paced)
{
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / kIdleRate));
    auto next = Clock::now();
    for (int i = 0; i < count; ++i) {
        if (!idle())
            return false;
        if (paced) {
            next += period;
            std::this_thread::sleep_until(next);
        }
    }
    return true;
}

void EditorSession::run()
{
    while (idle(1, true)) {
    }
}

bool EditorSession::capture(std::vector<uint8_t>& bgra, int& width, int& height)
{
    if (!window_)
        return false;
    window_->sync();
    return window_->capture(bgra, width, height);
}

bool EditorSession::screenshot(const std::string& path, std::string& error)
{
    std::vector<uint8_t> bgra;
    int width = 0;
    int height = 0;
    if (!capture(bgra, width, height)) {
        error = "the window's pixels could not be read";
        return false;
    }
    std::string reason;
    if (!AM_writePngFile(path.c_str(), bgra.data(), width, height, width * 4, &reason)) {
        error = "cannot write " + path + ": " + reason;
        return false;
    }
    return true;
}

} // namespace vsthost
