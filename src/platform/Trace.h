#pragma once
// The debug trace, the standard-output channel and message boxes.
//
// All diagnostic text of the program ends here. By default the trace and the
// standard-output channel go where the environment variable KESTANK4_TRACE
// says ("stderr", "stdout" or the path of a file the text is appended to);
// without it nothing is printed. Message boxes go to their hook (by default
// the trace). Tests install sinks to capture them. Nothing here ever blocks or
// allocates on a thread marked real-time: text sent from such a thread goes
// into a fixed ring and reaches the sink with the next call from another
// thread (or flushTrace).

#include <cstdint>

namespace platform {

// The environment variable that names the default sinks' destination.
inline constexpr char kTraceVariable[] = "KESTANK4_TRACE";

// Receives one piece of text; the piece is zero-terminated and only valid
// during the call. Sinks are called one at a time.
using TextSink = void (*)(void* user, const char* text);

// Sends one piece of debug text (the counterpart of OutputDebugStringA).
// Any thread.
void debugOutput(const char* text);

// Writes text to the process's standard-output channel. Any thread; from a
// real-time thread it goes through the same ring as the trace.
void standardOutput(const char* text);

// Shows a message box without blocking: the hook receives title and text.
// The default hook writes "<title>: <text>" to the trace. Any thread.
void messageBox(const char* title, const char* text);

// Installs a sink; null restores the default (stderr, stdout, trace).
// Not while another thread writes to the channel.
void setTraceSink(TextSink sink, void* user);
void setStandardOutputSink(TextSink sink, void* user);
void setMessageBoxHook(void (*hook)(void* user, const char* title, const char* text), void* user);

// Marks or unmarks the calling thread as real-time (the audio thread).
void setRealtimeThread(bool realtime);
bool isRealtimeThread();

// Delivers text queued by real-time threads. Not on a real-time thread.
void flushTrace();

// Delivers what is queued, closes a trace file and looks the environment
// variable up again at the next delivery. Not on a real-time thread.
void resetTraceDestination();

// Pieces dropped because the real-time ring was full.
uint64_t droppedTracePieces();

// RAII marker for a real-time section (processReplacing and friends).
class RealtimeScope {
public:
    RealtimeScope() : wasRealtime_(isRealtimeThread()) { setRealtimeThread(true); }
    ~RealtimeScope() { setRealtimeThread(wasRealtime_); }
    RealtimeScope(const RealtimeScope&) = delete;
    RealtimeScope& operator=(const RealtimeScope&) = delete;

private:
    bool wasRealtime_;
};

} // namespace platform
