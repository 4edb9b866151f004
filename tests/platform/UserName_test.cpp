#include "platform/UserName.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

TEST(UserName, TheFullNameOfThePasswordEntryElseTheLogin)
{
    struct Case {
        const char* gecos;
        const char* login;
        const char* name;
    };
    const Case cases[] = {
        {"Ada Byron,Room 12,555-0100,,ada@example.org", "ada", "Ada Byron"},
        {"Ada Byron", "ada", "Ada Byron"},
        {"  Ada Byron  ,x", "ada", "Ada Byron"},
        {"Jos\xC3\xA9 Mar\xC3\xAD" "a", "jm", "Jos\xC3\xA9 Mar\xC3\xAD" "a"},
        // No full name: the login.
        {"", "ada", "ada"},
        {",,,", "ada", "ada"},
        {" \t,Room 12", "ada", "ada"},
        {nullptr, "ada", "ada"},
        {nullptr, nullptr, ""},
        {"", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::personName(c.gecos, c.login), c.name)
            << (c.gecos != nullptr ? c.gecos : "(none)");
}

TEST(UserName, TheCurrentUserIsNamedWithoutTheEntrysOtherFields)
{
    const std::string name = platform::currentUserName();
#ifndef _WIN32
    if (getpwuid(getuid()) == nullptr && name.empty())
        GTEST_SKIP() << "no password entry and no login name in the environment";
#endif
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name.find(','), std::string::npos) << name;
}

} // namespace
