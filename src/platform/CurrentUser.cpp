// The current user's name on POSIX systems: the password entry, else the
// login name from the environment.

#include "platform/UserName.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

namespace platform {
namespace {

constexpr size_t kPasswordBuffer = 16384;

} // namespace

std::string currentUserName()
{
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(kPasswordBuffer);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr) {
        const std::string name = personName(found->pw_gecos, found->pw_name);
        if (!name.empty())
            return name;
    }
    for (const char* variable : {"USER", "LOGNAME"}) {
        const char* login = ::getenv(variable);
        if (login != nullptr && login[0] != '\0')
            return login;
    }
    return {};
}

} // namespace platform
