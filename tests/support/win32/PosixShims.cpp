#include "PosixShims.h"

#include "platform/win32/Win32Text.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <windows.h>

namespace {
constexpr char kTemplateTail[] = "XXXXXX";
constexpr int kAttempts = 100;
constexpr char kNameCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
} // namespace

extern "C" char* mkdtemp(char* pattern)
{
    const size_t length = pattern != nullptr ? std::strlen(pattern) : 0;
    const size_t tail = sizeof kTemplateTail - 1;
    if (length < tail || std::strcmp(pattern + length - tail, kTemplateTail) != 0)
        return nullptr;
    static std::atomic<uint64_t> serial{0};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        uint64_t seed = ::GetTickCount64() * 1000003u + ::GetCurrentProcessId() * 7919u +
                        serial.fetch_add(1) * 104729u;
        for (size_t i = 0; i < tail; ++i) {
            pattern[length - tail + i] = kNameCharacters[seed % (sizeof kNameCharacters - 1)];
            seed /= sizeof kNameCharacters - 1;
        }
        if (::CreateDirectoryW(platform::win32::toWide(pattern).c_str(), nullptr))
            return pattern;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return nullptr;
    }
    return nullptr;
}

extern "C" int setenv(const char* name, const char* value, int overwrite)
{
    if (name == nullptr || value == nullptr)
        return -1;
    if (!overwrite && std::getenv(name) != nullptr)
        return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

extern "C" int unsetenv(const char* name)
{
    return name != nullptr && _putenv_s(name, "") == 0 ? 0 : -1;
}
