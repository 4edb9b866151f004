// Any byte string survives narrow -> wide -> narrow, and the converted wide
// text survives wide -> narrow -> wide.
#include "platform/TextConversion.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* narrow = reinterpret_cast<const char*>(data);
    const size_t units = platform::utf16LengthOfUtf8(narrow, size);
    std::vector<char16_t> wide(units + 1);
    if (platform::utf8ToUtf16(wide.data(), wide.size(), narrow, size) != units)
        std::abort();
    const size_t bytes = platform::utf8LengthOfUtf16(wide.data(), units);
    std::vector<char> back(bytes + 1);
    if (platform::utf16ToUtf8(back.data(), back.size(), wide.data(), units) != bytes)
        std::abort();
    if (bytes != size || (size > 0 && std::memcmp(back.data(), data, size) != 0))
        std::abort();

    // The raw bytes read as UTF-16 units: lone surrogates must come back.
    const size_t rawUnits = size / 2;
    std::vector<char16_t> raw(rawUnits + 1);
    if (rawUnits > 0)
        std::memcpy(raw.data(), data, rawUnits * 2);
    std::vector<char> encoded(platform::utf8LengthOfUtf16(raw.data(), rawUnits) + 1);
    const size_t encodedBytes =
        platform::utf16ToUtf8(encoded.data(), encoded.size(), raw.data(), rawUnits);
    std::vector<char16_t> decoded(platform::utf16LengthOfUtf8(encoded.data(), encodedBytes) + 1);
    const size_t decodedUnits =
        platform::utf8ToUtf16(decoded.data(), decoded.size(), encoded.data(), encodedBytes);
    // Units standing for bytes may spell a valid sequence together; every
    // other text, lone surrogates included, must come back unchanged.
    bool hasByteUnits = false;
    for (size_t i = 0; i < rawUnits; ++i)
        hasByteUnits = hasByteUnits || (raw[i] >= 0xDC80 && raw[i] <= 0xDCFF);
    if (!hasByteUnits &&
        (decodedUnits != rawUnits ||
         (rawUnits > 0 && std::memcmp(decoded.data(), raw.data(), rawUnits * 2) != 0)))
        std::abort();
    return 0;
}
