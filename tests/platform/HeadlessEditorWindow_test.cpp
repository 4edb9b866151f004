#include "platform/HeadlessEditorWindow.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace platform;

struct Sink : WindowEventSink {
    void onWindowEvent(const WindowEvent& event) override { kinds.push_back(event.kind); }
    std::vector<WindowEventKind> kinds;
};

struct Target : DropTarget {
    bool dragOver(int, int, int) override { return welcome; }
    void dragLeave() override {}
    DropResult drop(int x, int, int, const uint8_t* data, size_t size) override
    {
        lastX = x;
        bytes.assign(data, data + size);
        return DropResult::Copied;
    }
    bool welcome = true;
    int lastX = -1;
    std::vector<uint8_t> bytes;
};

TEST(HeadlessEditorWindow, PostedEventsComeWithTheNextPumpInOrder)
{
    HeadlessEditorWindow window(100, 50);
    WindowEvent down;
    down.kind = WindowEventKind::ButtonDown;
    WindowEvent up;
    up.kind = WindowEventKind::ButtonUp;
    window.post(down);
    window.post(up);
    Sink sink;
    window.pumpEvents(sink);
    EXPECT_EQ(sink.kinds, (std::vector{WindowEventKind::ButtonDown, WindowEventKind::ButtonUp}));
    window.pumpEvents(sink);
    EXPECT_EQ(sink.kinds.size(), 2u);
}

TEST(HeadlessEditorWindow, ResizeReportsAndClampsAndADestroyedWindowRefuses)
{
    HeadlessEditorWindow window(100, 50);
    ASSERT_TRUE(window.resize(300, 0));
    EXPECT_EQ(window.width(), 300);
    EXPECT_EQ(window.height(), 1);
    EXPECT_EQ(window.headlessSurface().width(), 300);
    window.destroyFromOutside();
    EXPECT_FALSE(window.alive());
    EXPECT_FALSE(window.resize(10, 10));
    Sink sink;
    window.pumpEvents(sink);
    EXPECT_EQ(sink.kinds, (std::vector{WindowEventKind::Resized, WindowEventKind::Destroyed}));
}

TEST(HeadlessEditorWindow, DragsAreRecordedAndDropsReachTheTargetWhenWelcome)
{
    HeadlessEditorWindow window(100, 50);
    const uint8_t data[] = {1, 2, 3};
    struct Client : DragSourceClient {
        void dragEnded(DragResult result) override { results.push_back(result); }
        std::vector<DragResult> results;
    } client;
    window.setDragResult(DragResult::Cancelled);
    EXPECT_TRUE(window.dragSource().start(data, sizeof data, &client));
    window.setDragResult(DragResult::Failed);
    EXPECT_FALSE(window.dragSource().start(data, sizeof data, &client));
    EXPECT_EQ(client.results, std::vector<DragResult>{DragResult::Cancelled});
    ASSERT_EQ(window.draggedData().size(), 2u);
    EXPECT_EQ(window.draggedData()[0], (std::vector<uint8_t>{1, 2, 3}));

    EXPECT_FALSE(window.dropHere(5, 5, 0, {9}));
    Target target;
    window.setDropTarget(&target);
    EXPECT_TRUE(window.dropHere(7, 5, 0, {9, 8}));
    EXPECT_EQ(target.lastX, 7);
    EXPECT_EQ(target.bytes, (std::vector<uint8_t>{9, 8}));
    target.welcome = false;
    EXPECT_FALSE(window.dropHere(8, 5, 0, {1}));
    EXPECT_EQ(target.lastX, 7);
}

} // namespace
