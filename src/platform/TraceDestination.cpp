#include "platform/TraceDestination.h"

#include "platform/Trace.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

void writeAll(int fd, const char* text)
{
    size_t left = std::strlen(text);
    while (left > 0) {
        ssize_t n = ::write(fd, text, left);
        if (n <= 0)
            return;
        text += n;
        left -= static_cast<size_t>(n);
    }
}

struct Destination {
    bool resolved = false;
    int fd = -1;
    bool ownsFd = false;
};

Destination& destination()
{
    static Destination d;
    return d;
}

int destinationFd()
{
    Destination& d = destination();
    if (d.resolved)
        return d.fd;
    d.resolved = true;
    const char* name = ::getenv(kTraceVariable);
    if (name == nullptr || name[0] == 0)
        return d.fd;
    if (std::strcmp(name, "stderr") == 0) {
        d.fd = 2;
    } else if (std::strcmp(name, "stdout") == 0) {
        d.fd = 1;
    } else {
        int fd;
        do {
            fd = ::open(name, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK,
                        0644);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0) {
            d.fd = fd;
            d.ownsFd = true;
        }
    }
    return d.fd;
}

} // namespace

void writeTraceDestination(const char* text, bool)
{
    const int fd = destinationFd();
    if (fd >= 0)
        writeAll(fd, text);
}

void prepareTraceDestination()
{
    destination();
}

void closeTraceDestination()
{
    Destination& d = destination();
    if (d.ownsFd)
        ::close(d.fd);
    d = Destination{};
}

} // namespace platform
