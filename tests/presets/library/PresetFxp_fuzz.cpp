// Checks arbitrary bytes as a program file. A file that passes has its
// chunk inside the bytes, and a program built from that chunk passes again
// with the same chunk.

#include "presets/library/PresetFxp.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr uint32_t kId = 0x57713378; // 'Wq3x'
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size > 0 ? size : 1]);
    if (size > 0)
        std::memcpy(bytes.get(), data, size);
    // Any plug-in ID the file names, and ours.
    const uint32_t ids[] = {kId, size >= 20 ? static_cast<uint32_t>(bytes[16]) << 24 |
                                                  static_cast<uint32_t>(bytes[17]) << 16 |
                                                  static_cast<uint32_t>(bytes[18]) << 8 | bytes[19]
                                            : 0u};
    for (const uint32_t id : ids) {
        const uint8_t* chunk = nullptr;
        uint32_t chunkSize = 0;
        if (PresetFxp::findChunk(bytes.get(), size, id, &chunk, &chunkSize) !=
            PresetFxp::Check::kOk)
            continue;
        if (chunk != bytes.get() + PresetFxp::kHeaderBytes || chunkSize == 0 ||
            chunkSize > size - PresetFxp::kHeaderBytes)
            std::abort();
        const auto image = PresetFxp::buildProgram(chunk, chunkSize, id, 0,
                                                   reinterpret_cast<const char*>(bytes.get()) + 28);
        const uint8_t* again = nullptr;
        uint32_t againSize = 0;
        if (PresetFxp::findChunk(image.data(), image.size(), id, &again, &againSize) !=
                PresetFxp::Check::kOk ||
            againSize != chunkSize || std::memcmp(again, chunk, chunkSize) != 0)
            std::abort();
    }
    return 0;
}
