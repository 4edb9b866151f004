#include "platform/Trace.h"

#include "platform/TraceDestination.h"

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>

namespace platform {
namespace {

enum class Channel : uint8_t { trace, standardOutput };

void defaultTraceSink(void*, const char* text) { writeTraceDestination(text, true); }
void defaultStdoutSink(void*, const char* text) { writeTraceDestination(text, false); }
void defaultMessageBox(void*, const char* title, const char* text)
{
    debugOutput(title);
    debugOutput(": ");
    debugOutput(text);
    debugOutput("\n");
}

struct Sinks {
    std::mutex mutex;  // serialises sink calls; never taken on a real-time thread
    TextSink trace = defaultTraceSink;
    void* traceUser = nullptr;
    TextSink stdoutSink = defaultStdoutSink;
    void* stdoutUser = nullptr;
    void (*messageBox)(void*, const char*, const char*) = defaultMessageBox;
    void* messageBoxUser = nullptr;
};

Sinks& sinks()
{
    static Sinks s;
    return s;
}

// Bounded multi-producer ring (sequence numbers per slot) for text from
// real-time threads; the consumer is whoever delivers under the sink mutex.
constexpr size_t kPieceBytes = 256;
constexpr size_t kSlots = 128;

struct Slot {
    std::atomic<size_t> sequence{0};
    Channel channel = Channel::trace;
    char text[kPieceBytes] = {};
};

struct Ring {
    Ring()
    {
        for (size_t i = 0; i < kSlots; ++i)
            slots[i].sequence.store(i, std::memory_order_relaxed);
    }
    std::array<Slot, kSlots> slots;
    std::atomic<size_t> head{0};  // next slot to write
    size_t tail = 0;              // next slot to read (under the sink mutex)
    std::atomic<uint64_t> dropped{0};
};

Ring& ring()
{
    static Ring r;
    return r;
}

// Initial-exec storage: reading or writing the marker never makes the C
// library allocate this module's thread-local block on a new thread.
__attribute__((tls_model("initial-exec"))) thread_local bool tl_realtime = false;

void pushRealtime(Channel channel, const char* text)
{
    Ring& r = ring();
    size_t len = std::strlen(text);
    do {
        size_t pos = r.head.load(std::memory_order_relaxed);
        for (;;) {
            Slot& slot = r.slots[pos % kSlots];
            size_t seq = slot.sequence.load(std::memory_order_acquire);
            auto diff = static_cast<intptr_t>(seq) - static_cast<intptr_t>(pos);
            if (diff == 0) {
                if (r.head.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed))
                    break;
            } else if (diff < 0) {
                r.dropped.fetch_add(1, std::memory_order_relaxed);
                return;
            } else {
                pos = r.head.load(std::memory_order_relaxed);
            }
        }
        Slot& slot = r.slots[pos % kSlots];
        size_t piece = len < kPieceBytes - 1 ? len : kPieceBytes - 1;
        std::memcpy(slot.text, text, piece);
        slot.text[piece] = 0;
        slot.channel = channel;
        slot.sequence.store(pos + 1, std::memory_order_release);
        text += piece;
        len -= piece;
    } while (len > 0);
}

void deliver(Sinks& s, Channel channel, const char* text)
{
    if (channel == Channel::trace)
        s.trace(s.traceUser, text);
    else
        s.stdoutSink(s.stdoutUser, text);
}

// Caller holds the sink mutex.
void drainLocked(Sinks& s)
{
    Ring& r = ring();
    for (;;) {
        Slot& slot = r.slots[r.tail % kSlots];
        size_t seq = slot.sequence.load(std::memory_order_acquire);
        if (seq != r.tail + 1)
            return;
        deliver(s, slot.channel, slot.text);
        slot.sequence.store(r.tail + kSlots, std::memory_order_release);
        ++r.tail;
    }
}

void send(Channel channel, const char* text)
{
    if (text == nullptr)
        return;
    if (tl_realtime) {
        pushRealtime(channel, text);
        return;
    }
    Sinks& s = sinks();
    std::lock_guard<std::mutex> lock(s.mutex);
    drainLocked(s);
    deliver(s, channel, text);
}

// Built when the module loads (so the sinks and the ring outlive it) and
// destroyed when it unloads: what real-time threads traced after the last
// delivery still reaches the sink.
struct DeliverAtUnload {
    DeliverAtUnload()
    {
        sinks();
        ring();
        prepareTraceDestination();
    }
    ~DeliverAtUnload()
    {
        Sinks& s = sinks();
        std::lock_guard<std::mutex> lock(s.mutex);
        drainLocked(s);
    }
};
const DeliverAtUnload deliverAtUnload;

}  // namespace

void debugOutput(const char* text) { send(Channel::trace, text); }

void standardOutput(const char* text) { send(Channel::standardOutput, text); }

void messageBox(const char* title, const char* text)
{
    if (tl_realtime) {
        pushRealtime(Channel::trace, title ? title : "");
        pushRealtime(Channel::trace, ": ");
        pushRealtime(Channel::trace, text ? text : "");
        pushRealtime(Channel::trace, "\n");
        return;
    }
    Sinks& s = sinks();
    void (*hook)(void*, const char*, const char*);
    void* user;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        hook = s.messageBox;
        user = s.messageBoxUser;
    }
    hook(user, title ? title : "", text ? text : "");
}

void setTraceSink(TextSink sink, void* user)
{
    Sinks& s = sinks();
    std::lock_guard<std::mutex> lock(s.mutex);
    drainLocked(s);
    s.trace = sink ? sink : defaultTraceSink;
    s.traceUser = sink ? user : nullptr;
}

void setStandardOutputSink(TextSink sink, void* user)
{
    Sinks& s = sinks();
    std::lock_guard<std::mutex> lock(s.mutex);
    drainLocked(s);
    s.stdoutSink = sink ? sink : defaultStdoutSink;
    s.stdoutUser = sink ? user : nullptr;
}

void setMessageBoxHook(void (*hook)(void*, const char*, const char*), void* user)
{
    Sinks& s = sinks();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.messageBox = hook ? hook : defaultMessageBox;
    s.messageBoxUser = hook ? user : nullptr;
}

void setRealtimeThread(bool realtime) { tl_realtime = realtime; }

bool isRealtimeThread() { return tl_realtime; }

void flushTrace()
{
    if (tl_realtime)
        return;
    Sinks& s = sinks();
    std::lock_guard<std::mutex> lock(s.mutex);
    drainLocked(s);
}

void resetTraceDestination()
{
    Sinks& s = sinks();
    std::lock_guard<std::mutex> lock(s.mutex);
    drainLocked(s);
    closeTraceDestination();
}

uint64_t droppedTracePieces() { return ring().dropped.load(std::memory_order_relaxed); }

}  // namespace platform
