#include "platform/UrlOpener.h"

#include "platform/Trace.h"

#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace platform {

namespace {

// Openers not yet reaped (the opener usually hands the address on and exits
// within moments).
std::vector<pid_t>& pendingOpeners()
{
    static std::vector<pid_t> pids;
    return pids;
}

bool fitAddress(const char* url)
{
    if (url == nullptr || url[0] == '\0' || url[0] == '-')
        return false;
    const size_t length = std::strlen(url);
    if (length > size_t(kMaxUrlLength))
        return false;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(url[i]);
        if (c <= ' ' || c == 0x7f)
            return false;
    }
    return true;
}

} // namespace

int reapUrlOpeners(bool wait)
{
    auto& pids = pendingOpeners();
    int reaped = 0;
    for (size_t i = 0; i < pids.size();) {
        int status = 0;
        const pid_t r = ::waitpid(pids[i], &status, wait ? 0 : WNOHANG);
        if (r == pids[i] || r < 0) {
            pids.erase(pids.begin() + static_cast<std::ptrdiff_t>(i));
            ++reaped;
        } else {
            ++i;
        }
    }
    return reaped;
}

bool openUrlWith(const char* program, const char* url)
{
    reapUrlOpeners(false);
    if (!fitAddress(url)) {
        debugOutput("openUrl: address refused\n");
        return false;
    }
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program), const_cast<char*>(url), nullptr};
    const int error = ::posix_spawnp(&pid, program, nullptr, nullptr, argv, environ);
    if (error != 0) {
        char line[160];
        std::snprintf(line, sizeof line, "openUrl: can't start %s (%s)\n", program,
                      std::strerror(error));
        debugOutput(line);
        return false;
    }
    pendingOpeners().push_back(pid);
    return true;
}

bool openUrl(const char* url)
{
    return openUrlWith(kDefaultUrlOpener, url);
}

} // namespace platform
