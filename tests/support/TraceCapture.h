#pragma once
// Captures the debug trace, the standard-output channel and message boxes
// for the lifetime of the object.

#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    // Every piece handed to the trace sink, in order.
    std::vector<std::string> pieces() const;
    // All trace text joined.
    std::string text() const;
    // The trace text the sink has received so far, joined, without first
    // delivering what real-time threads queued.
    std::string deliveredText() const;
    // Standard-output text joined.
    std::string standardOutput() const;
    // Message boxes as "title|text".
    std::vector<std::string> messageBoxes() const;
    // True when the joined trace contains the text.
    bool contains(const std::string& needle) const;
    // Number of times the joined trace contains the text.
    int count(const std::string& needle) const;
    void clear();

private:
    static void onTrace(void* user, const char* text);
    static void onStdout(void* user, const char* text);
    static void onMessageBox(void* user, const char* title, const char* text);

    mutable std::mutex mutex_;
    std::vector<std::string> pieces_;
    std::string stdout_;
    std::vector<std::string> boxes_;
};

}  // namespace testsupport
