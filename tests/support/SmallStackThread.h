#pragma once
// Runs a function on a thread of its own with a small stack, as hosts often
// give their GUI threads, and waits for it. A stack overflow inside ends the
// test process, which is what a test of deep trees wants to rule out.

#include <pthread.h>

#include <cstddef>
#include <functional>

namespace testsupport {

// The stack a host's GUI thread may have: 1 MiB. The sanitizers' frames
// are several times larger, so their builds get more room for the same
// depth of calls.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr size_t kGuiThreadStack = size_t(4) << 20;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr size_t kGuiThreadStack = size_t(4) << 20;
#else
inline constexpr size_t kGuiThreadStack = size_t(1) << 20;
#endif
#else
inline constexpr size_t kGuiThreadStack = size_t(1) << 20;
#endif

// Runs work on a new thread with stackBytes of stack; false when the thread
// could not be started.
inline bool runWithStack(size_t stackBytes, const std::function<void()>& work)
{
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    pthread_attr_setstacksize(&attributes, stackBytes);
    pthread_t thread;
    const auto body = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    const bool started =
        pthread_create(&thread, &attributes, body, const_cast<std::function<void()>*>(&work)) == 0;
    pthread_attr_destroy(&attributes);
    if (started)
        pthread_join(thread, nullptr);
    return started;
}

} // namespace testsupport
