#include "X11TestDisplay.h"
#include "XdndPeer.h"

#include "platform/x11/X11DragSender.h"
#include "platform/x11/X11DropReceiver.h"
#include "platform/x11/X11EditorWindow.h"
#include "platform/x11/X11Window.h"

#include "TraceCapture.h"

#include <X11/keysym.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace platform;
using x11test::RecordingSink;
using x11test::XdndPeer;

struct RecordingDropTarget : DropTarget {
    bool dragOver(int x, int y, int modifiers) override
    {
        ++overs;
        lastX = x;
        lastY = y;
        lastModifiers = modifiers;
        return welcome;
    }
    void dragLeave() override { ++leaves; }
    DropResult drop(int x, int y, int modifiers, const uint8_t* data, size_t size) override
    {
        ++drops;
        lastX = x;
        lastY = y;
        lastModifiers = modifiers;
        dropped.assign(data, data + size);
        return answer;
    }
    DropResult dropResult() override
    {
        ++asks;
        return asks >= decideAfterAsks ? later : DropResult::Pending;
    }
    bool welcome = true;
    // What a drop answers, and for a Pending one what the later asks say
    // from the decideAfterAsks-th on.
    DropResult answer = DropResult::Copied;
    DropResult later = DropResult::Pending;
    int decideAfterAsks = 1;
    int asks = 0;
    int overs = 0;
    int leaves = 0;
    int drops = 0;
    int lastX = -1;
    int lastY = -1;
    int lastModifiers = -1;
    std::vector<uint8_t> dropped;
};

std::vector<uint8_t> patternBytes(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t((i * 131 + i / 251) & 0xff);
    return bytes;
}

std::vector<uint8_t> textBytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

class XdndTest : public x11test::X11TestDisplay {
protected:
    void SetUp() override
    {
        X11TestDisplay::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        host_ = makeHostWindow(kHostX, kHostY, 300, 200);
        window_ = openX11EditorWindow(host_, 300, 200);
        ASSERT_NE(window_, nullptr);
        window_->setDropTarget(&target_);
        pumpFor(*window_, sink_, 30);
    }
    void TearDown() override
    {
        window_.reset();
        x11::X11DragSender::setFinishTimeoutForTests(0);
        x11::X11DropReceiver::setDeadlineForTests(0);
        X11TestDisplay::TearDown();
    }
    Window child() const { return Window(window_->nativeHandle()); }

    // Pumps the editor window until the peer has exited.
    void pumpUntilPeerExits(XdndPeer& peer)
    {
        EXPECT_TRUE(pumpUntil(*window_, sink_, [&] { return peer.finished(); }));
    }

    // Starts a drag of the bytes and idles the window (and the others
    // given) as the host would until the drag has ended: its outcome. Every
    // idle call returns; `idles` counts them.
    std::optional<DragResult> dragAndIdle(const std::vector<uint8_t>& bytes,
                                          std::vector<EditorWindow*> others = {})
    {
        struct Client : DragSourceClient {
            void dragEnded(DragResult result) override { results.push_back(result); }
            std::vector<DragResult> results;
        } client;
        if (!window_->dragSource().start(bytes.data(), bytes.size(), &client))
            return std::nullopt;
        RecordingSink othersSink;
        idles = 0;
        pumpUntil(
            *window_, sink_,
            [&] {
                ++idles;
                for (EditorWindow* other : others)
                    other->pumpEvents(othersSink);
                return !client.results.empty();
            });
        EXPECT_FALSE(window_->dragSource().dragging());
        EXPECT_EQ(client.results.size(), 1u);
        return client.results.empty() ? std::nullopt : std::optional(client.results.front());
    }

    // Presses the primary button in the editor window, moves to the root
    // point and releases there (or presses Escape): the events wait in the
    // window's queue for the drag.
    void pressAndMoveTo(int rootX, int rootY)
    {
        movePointer(child(), 40, 40);
        button(Button1, true);
        ASSERT_TRUE(pumpUntil(*window_, sink_, [&] {
            for (const auto& e : sink_.events)
                if (e.kind == WindowEventKind::ButtonDown)
                    return true;
            return false;
        }));
        movePointer(DefaultRootWindow(display_), rootX - 5, rootY - 5);
        movePointer(DefaultRootWindow(display_), rootX, rootY);
    }

    static constexpr int kHostX = 10;
    static constexpr int kHostY = 10;
    Window host_ = 0;
    std::unique_ptr<EditorWindow> window_;
    RecordingSink sink_;
    RecordingDropTarget target_;
    int idles = 0;
};

struct DropCase {
    const char* name;
    size_t size;
    size_t incrChunk;
};

void PrintTo(const DropCase& c, std::ostream* os)
{
    *os << c.name;
}

class XdndDropCases : public XdndTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(XdndDropCases, APeersDropDeliversTheExactBytes)
{
    const DropCase& c = GetParam();
    const std::vector<uint8_t> bytes = patternBytes(c.size);
    XdndPeer peer;
    peer.startSource(child(), kHostX + 100, kHostY + 50, kPrivateDataTypeName, bytes, c.incrChunk);
    pumpUntilPeerExits(peer);
    EXPECT_EQ(peer.readLine(), "status 1");
    std::string line = peer.readLine();
    if (c.incrChunk != 0) {
        EXPECT_EQ(line, "incr sent " + std::to_string(c.size));
        line = peer.readLine();
    }
    EXPECT_EQ(line, "finished 1 copy");
    EXPECT_EQ(target_.drops, 1);
    EXPECT_EQ(target_.lastX, 100);
    EXPECT_EQ(target_.lastY, 50);
    EXPECT_GE(target_.overs, 1);
    EXPECT_TRUE(target_.dropped == bytes) << target_.dropped.size() << " bytes arrived";
}

INSTANTIATE_TEST_SUITE_P(Sizes, XdndDropCases,
                         ::testing::Values(DropCase{"small", 40, 0}, DropCase{"empty", 0, 0},
                                           DropCase{"incremental", 300000, 65536},
                                           DropCase{"incremental_odd_pieces", 10007, 999}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(XdndTest, APeerOfferingOnlyPlainTextIsRefused)
{
    XdndPeer peer;
    peer.startSource(child(), kHostX + 20, kHostY + 20, "text/plain", textBytes("hello"), 0);
    pumpUntilPeerExits(peer);
    EXPECT_EQ(peer.readLine(), "status 0");
    EXPECT_EQ(peer.readLine(), "finished 0 none");
    EXPECT_EQ(target_.overs, 0);
    EXPECT_EQ(target_.drops, 0);
}

TEST_F(XdndTest, TypesAnnouncedInTheTypeListAreRead)
{
    struct Row {
        std::vector<std::string> types;
        bool accepted;
    };
    const Row rows[] = {
        {{"text/plain", "text/uri-list", "UTF8_STRING", kPrivateDataTypeName}, true},
        {{"text/plain", "text/uri-list", "UTF8_STRING", "STRING"}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.types.back());
        target_ = RecordingDropTarget{};
        XdndPeer peer;
        peer.listTypes(row.types);
        peer.startSource(child(), kHostX + 30, kHostY + 30, kPrivateDataTypeName,
                         textBytes("TEXT\nlisted"), 0);
        pumpUntilPeerExits(peer);
        EXPECT_EQ(peer.readLine(), row.accepted ? "status 1" : "status 0");
        EXPECT_EQ(peer.readLine(), row.accepted ? "finished 1 copy" : "finished 0 none");
        EXPECT_EQ(target_.drops, row.accepted ? 1 : 0);
    }
}

TEST_F(XdndTest, ModifiersHeldDuringTheDragReachTheTarget)
{
    key(XK_Control_L, true);
    XdndPeer peer;
    peer.startSource(child(), kHostX + 30, kHostY + 40, kPrivateDataTypeName, textBytes("x"), 0);
    pumpUntilPeerExits(peer);
    key(XK_Control_L, false);
    EXPECT_EQ(target_.drops, 1);
    EXPECT_EQ(target_.lastModifiers, kModifierControl);
}

// A source that stops sending, or sends a byte at a time far too slowly, is
// given up at the overall deadline; the idle calls return all the while.
TEST_F(XdndTest, ATransferPastTheDeadlineIsGivenUpWithoutHoldingTheIdleCall)
{
    struct Row {
        const char* name;
        bool stall;
        int pauseMs;
        size_t incrChunk;
    };
    const Row rows[] = {{"stalled", true, 0, 100}, {"a byte at a time", false, 100, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        target_ = RecordingDropTarget{};
        x11::X11DropReceiver::setDeadlineForTests(1500);
        testsupport::TraceCapture trace;
        auto& receiver = dynamic_cast<x11::X11Window&>(*window_).dropReceiver();
        XdndPeer peer;
        if (row.stall)
            peer.stallAfterAnnouncing();
        peer.pauseBeforePieces(row.pauseMs);
        peer.startSource(child(), kHostX + 30, kHostY + 30, kPrivateDataTypeName,
                         patternBytes(1000), row.incrChunk);
        bool returnedWhileBusy = false;
        EXPECT_TRUE(pumpUntil(*window_, sink_, [&] {
            returnedWhileBusy = returnedWhileBusy || receiver.busy();
            return peer.finished();
        }));
        EXPECT_TRUE(returnedWhileBusy);
        EXPECT_FALSE(receiver.busy());
        EXPECT_EQ(peer.readLine(), "status 1");
        std::string line = peer.readLine();
        if (!row.stall) {
            EXPECT_EQ(line.rfind("incr sent ", 0), 0u) << line;
            line = peer.readLine();
        }
        EXPECT_EQ(line, "finished 0 none");
        EXPECT_EQ(target_.drops, 0);
        EXPECT_GE(target_.leaves, 1);
        EXPECT_TRUE(trace.contains("took too long")) << trace.text();
    }
}

// The source hears what the editor did: accepted only for what it took,
// with the action it performed, whether at once or on a later idle call.
TEST_F(XdndTest, TheFinishSaysWhatTheTargetDidWithTheDrop)
{
    struct Row {
        const char* name;
        DropResult answer;
        DropResult later;
        const char* finished;
    };
    const Row rows[] = {
        {"copied", DropResult::Copied, DropResult::Pending, "finished 1 copy"},
        {"moved", DropResult::Moved, DropResult::Pending, "finished 1 move"},
        {"refused", DropResult::Refused, DropResult::Pending, "finished 0 none"},
        {"moved later", DropResult::Pending, DropResult::Moved, "finished 1 move"},
        {"refused later", DropResult::Pending, DropResult::Refused, "finished 0 none"},
        {"never decided", DropResult::Pending, DropResult::Pending, "finished 0 none"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        target_ = RecordingDropTarget{};
        target_.answer = row.answer;
        target_.later = row.later;
        target_.decideAfterAsks = 3;
        // Only the undecided drop runs into it.
        x11::X11DropReceiver::setDeadlineForTests(row.later == DropResult::Pending ? 300 : 0);
        XdndPeer peer;
        peer.startSource(child(), kHostX + 30, kHostY + 30, kPrivateDataTypeName,
                         textBytes("ORL_PATCH_LIST\n/a.preset"), 0);
        pumpUntilPeerExits(peer);
        EXPECT_EQ(peer.readLine(), "status 1");
        EXPECT_EQ(peer.readLine(), row.finished);
        EXPECT_EQ(target_.drops, 1);
        if (row.answer == DropResult::Pending && row.later != DropResult::Pending) {
            EXPECT_EQ(target_.asks, 3) << "asked on each idle call until it decided";
        }
    }
}

// A source sending its position outside the window (the pointer is not
// over it) is turned away: the editor is not asked and the drop is refused.
TEST_F(XdndTest, APositionOutsideTheWindowIsRefused)
{
    for (const auto& [x, y] : {std::pair{kHostX + 300, kHostY + 20}, std::pair{kHostX + 20, kHostY - 5},
                               std::pair{kHostX + 500, kHostY + 500}}) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        target_ = RecordingDropTarget{};
        XdndPeer peer;
        peer.startSource(child(), x, y, kPrivateDataTypeName, textBytes("TEXT\nx"), 0);
        pumpUntilPeerExits(peer);
        EXPECT_EQ(peer.readLine(), "status 0");
        EXPECT_EQ(peer.readLine(), "finished 0 none");
        EXPECT_EQ(target_.overs, 0);
        EXPECT_EQ(target_.drops, 0);
    }
}

// While one drop is being fetched, a second source is turned away at once,
// and the first is told it was not taken when the window closes under it.
TEST_F(XdndTest, ASecondSourceIsRefusedWhileADropIsFetched)
{
    x11::X11DropReceiver::setDeadlineForTests(600000);
    auto& receiver = dynamic_cast<x11::X11Window&>(*window_).dropReceiver();
    XdndPeer first;
    first.stallAfterAnnouncing();
    first.startSource(child(), kHostX + 30, kHostY + 30, kPrivateDataTypeName, patternBytes(500),
                      100);
    EXPECT_TRUE(pumpUntil(*window_, sink_, [&] { return receiver.busy(); }));
    XdndPeer second;
    second.startSource(child(), kHostX + 60, kHostY + 60, kPrivateDataTypeName,
                       textBytes("TEXT\nsecond"), 0);
    pumpUntilPeerExits(second);
    EXPECT_EQ(second.readLine(), "status 0");
    EXPECT_EQ(second.readLine(), "finished 0 none");
    EXPECT_TRUE(receiver.busy());
    EXPECT_EQ(target_.drops, 0);

    window_.reset();
    EXPECT_EQ(first.readLine(), "status 1");
    EXPECT_EQ(first.readLine(), "finished 0 none");
    EXPECT_EQ(first.wait(), 0);
}

TEST_F(XdndTest, ADropTheEditorDoesNotWelcomeIsRefused)
{
    target_.welcome = false;
    XdndPeer peer;
    peer.startSource(child(), kHostX + 20, kHostY + 20, kPrivateDataTypeName, textBytes("x"), 0);
    pumpUntilPeerExits(peer);
    EXPECT_EQ(peer.readLine(), "status 0");
    EXPECT_EQ(peer.readLine(), "finished 0 none");
    EXPECT_EQ(target_.overs, 1);
    EXPECT_EQ(target_.drops, 0);
}

TEST_F(XdndTest, DraggingOntoAPeerOffersOnlyOurTypeAndDeliversTheBytes)
{
    XdndPeer peer;
    peer.startTarget(400, 10, 200, 200);
    ASSERT_EQ(peer.readLine(), "ready");
    pressAndMoveTo(450, 60);
    button(Button1, false);
    const std::vector<uint8_t> bytes = textBytes("TEXT\nsome dragged text");
    EXPECT_EQ(dragAndIdle(bytes), DragResult::Dropped);
    EXPECT_EQ(peer.readLine(), "enter 5 ORL_CLIPBOARD_FORMAT");
    EXPECT_EQ(peer.readLine(), "targets TARGETS ORL_CLIPBOARD_FORMAT");
    EXPECT_EQ(peer.readLine(), "drop " + x11test::toHex(bytes));
    EXPECT_EQ(peer.wait(), 0);
}

TEST_F(XdndTest, EscapeCancelsADrag)
{
    XdndPeer peer;
    peer.startTarget(400, 10, 200, 200);
    ASSERT_EQ(peer.readLine(), "ready");
    pressAndMoveTo(450, 60);
    tap(XK_Escape);
    const std::vector<uint8_t> bytes = textBytes("TEXT\nx");
    EXPECT_EQ(dragAndIdle(bytes), DragResult::Cancelled);
    button(Button1, false);
    EXPECT_EQ(peer.readLine(), "enter 5 ORL_CLIPBOARD_FORMAT");
    EXPECT_EQ(peer.readLine(), "leave");
    EXPECT_EQ(peer.wait(), 0);
}

// A drag runs on the window's pump: it starts and returns with the button
// still held, the idle calls go on while it follows the pointer and while
// the target takes its time, and a target that never finishes the drop is
// given up after the finish timeout, as refused. The timeout is cut short
// only once the target has read the drop, however long that took.
TEST_F(XdndTest, ADragRunsAcrossIdleCallsAndATargetThatNeverFinishesIsGivenUp)
{
    testsupport::TraceCapture trace;
    x11::X11DragSender::setFinishTimeoutForTests(XdndPeer::kPatientMs);
    XdndPeer peer;
    peer.neverFinish();
    peer.startTarget(400, 10, 200, 200);
    ASSERT_EQ(peer.readLine(), "ready");
    pressAndMoveTo(450, 60);
    struct Client : DragSourceClient {
        void dragEnded(DragResult result) override { results.push_back(result); }
        std::vector<DragResult> results;
    } client;
    const std::vector<uint8_t> bytes = textBytes("TEXT\nheld");
    ASSERT_TRUE(window_->dragSource().start(bytes.data(), bytes.size(), &client));
    sink_.events.clear();
    int idlesWhileDragging = 0;
    pumpUntil(
        *window_, sink_,
        [&] {
            idlesWhileDragging += window_->dragSource().dragging() ? 1 : 0;
            return idlesWhileDragging >= 10;
        });
    EXPECT_EQ(idlesWhileDragging, 10);
    EXPECT_TRUE(client.results.empty());
    // The moves after the press are the drag's, not the window's.
    for (const WindowEvent& e : sink_.events)
        EXPECT_NE(e.kind, WindowEventKind::PointerMove);
    button(Button1, false);
    std::vector<std::string> lines;
    EXPECT_TRUE(pumpUntil(*window_, sink_, [&] {
        for (std::string line = peer.readLine(0); !line.empty(); line = peer.readLine(0))
            lines.push_back(line);
        if (!lines.empty() && lines.back() == "drop held")
            x11::X11DragSender::setFinishTimeoutForTests(1);
        return !client.results.empty();
    }));
    EXPECT_EQ(client.results, std::vector<DragResult>{DragResult::Refused});
    EXPECT_FALSE(window_->dragSource().dragging());
    EXPECT_EQ(lines, (std::vector<std::string>{"enter 5 ORL_CLIPBOARD_FORMAT",
                                               "targets TARGETS ORL_CLIPBOARD_FORMAT",
                                               "drop held"}));
    EXPECT_TRUE(trace.contains("the target did not finish the drop"));
}

TEST_F(XdndTest, ReleasedOverNoTargetIsRefused)
{
    pressAndMoveTo(900, 700);
    button(Button1, false);
    const std::vector<uint8_t> bytes = textBytes("TEXT\nx");
    EXPECT_EQ(dragAndIdle(bytes), DragResult::Refused);
}

// Run with the data in one piece, and in pieces (INCR) of 1000 bytes.
class XdndBetweenEditors : public XdndTest, public ::testing::WithParamInterface<size_t> {
protected:
    void TearDown() override
    {
        x11::X11DragSender::setLargestPieceForTests(0);
        XdndTest::TearDown();
    }
};

TEST_P(XdndBetweenEditors, DragsBetweenTwoEditorsOfOneProcessAndOntoItself)
{
    x11::X11DragSender::setLargestPieceForTests(GetParam());
    const Window otherHost = makeHostWindow(400, 10, 300, 200);
    auto other = openX11EditorWindow(otherHost, 300, 200);
    ASSERT_NE(other, nullptr);
    RecordingDropTarget otherTarget;
    other->setDropTarget(&otherTarget);
    RecordingSink otherSink;
    pumpFor(*other, otherSink, 30);

    const std::vector<uint8_t> bytes = patternBytes(5000);
    pressAndMoveTo(400 + 60, 10 + 70);
    button(Button1, false);
    EXPECT_EQ(dragAndIdle(bytes, {other.get()}), DragResult::Dropped);
    EXPECT_EQ(otherTarget.drops, 1);
    EXPECT_EQ(otherTarget.lastX, 60);
    EXPECT_EQ(otherTarget.lastY, 70);
    EXPECT_TRUE(otherTarget.dropped == bytes) << otherTarget.dropped.size() << " bytes";

    // Onto the dragging window itself: the same path.
    pressAndMoveTo(kHostX + 200, kHostY + 150);
    button(Button1, false);
    EXPECT_EQ(dragAndIdle(bytes), DragResult::Dropped);
    EXPECT_EQ(target_.drops, 1);
    EXPECT_EQ(target_.lastX, 200);
    EXPECT_EQ(target_.lastY, 150);
    EXPECT_TRUE(target_.dropped == bytes) << target_.dropped.size() << " bytes";

    // The window still takes its ordinary events afterwards.
    sink_.events.clear();
    movePointer(child(), 10, 10);
    click(Button1);
    EXPECT_TRUE(pumpUntil(*window_, sink_, [&] {
        for (const auto& e : sink_.events)
            if (e.kind == WindowEventKind::ButtonUp)
                return true;
        return false;
    }));
    pumpFor(*other, otherSink, 20);
}

INSTANTIATE_TEST_SUITE_P(Pieces, XdndBetweenEditors, ::testing::Values(size_t(0), size_t(1000)),
                         [](const auto& info) {
                             return info.param == 0 ? "Whole" : "Incremental";
                         });

} // namespace
