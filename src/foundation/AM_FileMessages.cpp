#include "foundation/AM_FileMessages.h"

#include "foundation/AM_STD.h"
#include "platform/Paths.h"
#include "platform/Trace.h"

#include <atomic>

namespace {

constexpr char kTitle[] = "Orlen Error";
constexpr size_t kMessageBytes = platform::kMaxPathBytes + 64;

std::atomic<bool> g_openMessagePending{true};
std::atomic<bool> g_createMessagePending{true};

} // namespace

void AM_FileMessages::openFailed(const AM_String& path, int32_t mode, int32_t access)
{
    if (!g_openMessagePending.exchange(false))
        return;
    char text[kMessageBytes];
    AM_STD::sprintvn(text, sizeof text,
                     mode == 0 ? "file couldn't be opened %S - %d"
                               : "file couldn't be written to %S - %d",
                     &path, access);
    platform::messageBox(kTitle, text);
}

void AM_FileMessages::createFailed(const AM_String& path)
{
    if (!g_createMessagePending.exchange(false))
        return;
    char text[kMessageBytes];
    AM_STD::sprintvn(text, sizeof text, "file couldn't be created to %S", &path);
    platform::messageBox(kTitle, text);
}

void AM_FileMessages::reset()
{
    g_openMessagePending.store(true);
    g_createMessagePending.store(true);
}
