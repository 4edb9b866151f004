// Signing with the user's name: the full name from a password entry's comment
// field, else the login name.

#include "platform/UserName.h"

#include <cstring>

namespace platform {
namespace {

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

} // namespace platform
