#include "platform/Utf8Limit.h"

#include <cstring>

namespace platform {

size_t utf8PrefixLength(const char* text, size_t length, size_t maxBytes)
{
    if (length <= maxBytes) {
        return length;
    }
    size_t cut = maxBytes;
    // Step back over continuation bytes to the start of the character that
    // would be split.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return cut;
}

bool copyUtf8Bounded(const std::string& text, char* buffer, size_t bufferBytes)
{
    if (buffer == nullptr || bufferBytes == 0) {
        return text.empty();
    }
    const size_t length = utf8PrefixLength(text.data(), text.size(), bufferBytes - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = 0;
    return length == text.size();
}

} // namespace platform
