// Feeds arbitrary bytes to the decoder of the letter-coded binary section,
// exactly as long as the input (no terminating zero behind it), with and
// without output. What decodes must encode and decode to the same bytes.

#include "params/AM_QuadText.h"
#include "platform/Trace.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t kMaxBytes = 65536;

void discard(void*, const char*) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (platform::setStandardOutputSink(discard, nullptr), true);
    (void)quiet;
    std::unique_ptr<char[]> text(new char[size > 0 ? size : 1]);
    if (size > 0)
        std::memcpy(text.get(), data, size);
    const uint32_t length = static_cast<uint32_t>(size);

    std::vector<uint8_t> out(kMaxBytes);
    uint32_t decoded = 0;
    const bool ok = decodeQuadText(out.data(), text.get(), length, kMaxBytes, &decoded);
    uint32_t checked = 0;
    if (decodeQuadText(nullptr, text.get(), length, kMaxBytes, &checked) != ok ||
        checked != decoded)
        std::abort();
    if (!ok)
        return 0;

    std::vector<char> again(static_cast<size_t>(quadTextCapacity(decoded)));
    const uint32_t written = encodeQuadText(again.data(), again.size(), out.data(), decoded);
    std::vector<uint8_t> back(decoded > 0 ? decoded : 1);
    uint32_t backBytes = 0;
    if (written == 0 || !decodeQuadText(back.data(), again.data(), written, decoded, &backBytes) ||
        backBytes != decoded || std::memcmp(back.data(), out.data(), decoded) != 0)
        std::abort();
    return 0;
}
