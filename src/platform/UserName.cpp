#include "platform/UserName.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr size_t kPasswordBuffer = 16384;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

std::string personName(const char* gecos, const char* login)
{
    if (gecos != nullptr) {
        const char* end = std::strchr(gecos, ',');
        if (end == nullptr)
            end = gecos + std::strlen(gecos);
        const char* begin = gecos;
        while (begin < end && isBlank(*begin))
            ++begin;
        while (end > begin && isBlank(end[-1]))
            --end;
        if (begin < end)
            return std::string(begin, end);
    }
    return login != nullptr ? std::string(login) : std::string();
}

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
