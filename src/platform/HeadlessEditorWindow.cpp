#include "platform/HeadlessEditorWindow.h"

#include <algorithm>

namespace platform {

namespace {

constexpr int kMaxSide = 16384;
constexpr PixelRect kScreen{0, 0, 1920, 1080};

} // namespace

HeadlessEditorWindow::HeadlessEditorWindow(int width, int height)
    : surface_(std::clamp(width, 1, kMaxSide), std::clamp(height, 1, kMaxSide))
{
}

bool HeadlessEditorWindow::resize(int width, int height)
{
    if (!alive_)
        return false;
    width = std::clamp(width, 1, kMaxSide);
    height = std::clamp(height, 1, kMaxSide);
    if (width == surface_.width() && height == surface_.height())
        return true;
    surface_.resize(width, height);
    WindowEvent resized;
    resized.kind = WindowEventKind::Resized;
    resized.area = PixelRect{0, 0, width, height};
    pending_.push_back(resized);
    return true;
}

std::unique_ptr<PopupHost> HeadlessEditorWindow::openPopupHost()
{
    auto host = std::make_unique<HeadlessPopupHost>(kScreen, 0, 0);
    host->setEndWhenEmpty(false);
    popupHost_ = host.get();
    return host;
}

void HeadlessEditorWindow::pumpEvents(WindowEventSink& sink)
{
    // Events posted while the sink runs wait for the next pump.
    std::deque<WindowEvent> now;
    now.swap(pending_);
    for (const WindowEvent& event : now)
        sink.onWindowEvent(event);
}

bool HeadlessEditorWindow::dragHere(int x, int y, int modifiers)
{
    return dropTarget_ != nullptr && alive_ && dropTarget_->dragOver(x, y, modifiers);
}

void HeadlessEditorWindow::dragAway()
{
    if (dropTarget_ != nullptr && alive_)
        dropTarget_->dragLeave();
}

bool HeadlessEditorWindow::dropHere(int x, int y, int modifiers, const std::vector<uint8_t>& bytes)
{
    lastDrop_ = DropResult::Refused;
    if (dropTarget_ == nullptr || !alive_)
        return false;
    if (!dropTarget_->dragOver(x, y, modifiers)) {
        dropTarget_->dragLeave();
        return false;
    }
    lastDrop_ = dropTarget_->drop(x, y, modifiers, bytes.data(), bytes.size());
    return true;
}

bool HeadlessEditorWindow::dropAfterMove(int x, int y, int modifiers,
                                         const std::vector<uint8_t>& bytes)
{
    lastDrop_ = DropResult::Refused;
    if (dropTarget_ == nullptr || !alive_)
        return false;
    lastDrop_ = dropTarget_->drop(x, y, modifiers, bytes.data(), bytes.size());
    return true;
}

DropResult HeadlessEditorWindow::dropResult()
{
    if (lastDrop_ == DropResult::Pending && dropTarget_ != nullptr)
        lastDrop_ = dropTarget_->dropResult();
    return lastDrop_;
}

void HeadlessEditorWindow::destroyFromOutside()
{
    if (!alive_)
        return;
    alive_ = false;
    WindowEvent destroyed;
    destroyed.kind = WindowEventKind::Destroyed;
    pending_.push_back(destroyed);
}

void HeadlessEditorWindow::loseConnection()
{
    if (lost_)
        return;
    lost_ = true;
    alive_ = false;
    WindowEvent lost;
    lost.kind = WindowEventKind::Lost;
    pending_.push_back(lost);
}

bool HeadlessEditorWindow::ScriptedDragSource::start(const uint8_t* data, size_t size,
                                                     DragSourceClient* client)
{
    dragged.emplace_back(data, data + size);
    if (result == DragResult::Failed)
        return false;
    if (client != nullptr)
        client->dragEnded(result);
    return true;
}

} // namespace platform
