#include "TraceCapture.h"

#include "platform/Trace.h"

namespace testsupport {

TraceCapture::TraceCapture()
{
    platform::flushTrace();
    platform::setTraceSink(&TraceCapture::onTrace, this);
    platform::setStandardOutputSink(&TraceCapture::onStdout, this);
    platform::setMessageBoxHook(&TraceCapture::onMessageBox, this);
}

TraceCapture::~TraceCapture()
{
    platform::flushTrace();
    platform::setTraceSink(nullptr, nullptr);
    platform::setStandardOutputSink(nullptr, nullptr);
    platform::setMessageBoxHook(nullptr, nullptr);
}

void TraceCapture::onTrace(void* user, const char* text)
{
    auto* self = static_cast<TraceCapture*>(user);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->pieces_.emplace_back(text);
}

void TraceCapture::onStdout(void* user, const char* text)
{
    auto* self = static_cast<TraceCapture*>(user);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->stdout_ += text;
}

void TraceCapture::onMessageBox(void* user, const char* title, const char* text)
{
    auto* self = static_cast<TraceCapture*>(user);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->boxes_.push_back(std::string(title) + "|" + text);
}

std::string TraceCapture::deliveredText() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::string joined;
    for (const std::string& piece : pieces_)
        joined += piece;
    return joined;
}

std::vector<std::string> TraceCapture::pieces() const
{
    platform::flushTrace();
    std::lock_guard<std::mutex> lock(mutex_);
    return pieces_;
}

std::string TraceCapture::text() const
{
    std::string all;
    for (const auto& p : pieces())
        all += p;
    return all;
}

std::string TraceCapture::standardOutput() const
{
    platform::flushTrace();
    std::lock_guard<std::mutex> lock(mutex_);
    return stdout_;
}

std::vector<std::string> TraceCapture::messageBoxes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

bool TraceCapture::contains(const std::string& needle) const
{
    return text().find(needle) != std::string::npos;
}

int TraceCapture::count(const std::string& needle) const
{
    if (needle.empty())
        return 0;
    const std::string all = text();
    int n = 0;
    for (size_t pos = all.find(needle); pos != std::string::npos;
         pos = all.find(needle, pos + needle.size()))
        ++n;
    return n;
}

void TraceCapture::clear()
{
    platform::flushTrace();
    std::lock_guard<std::mutex> lock(mutex_);
    pieces_.clear();
    stdout_.clear();
    boxes_.clear();
}

}  // namespace testsupport
