#include "engine/AM_ProgramFile.h"

namespace AM_ProgramFile {

namespace {

uint32_t readBigEndian(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
           static_cast<uint32_t>(at[2]) << 8 | static_cast<uint32_t>(at[3]);
}

} // namespace

bool findChunk(const uint8_t* data, size_t size, const uint8_t** chunk, uint32_t* chunkSize)
{
    if (!data || size < kHeaderBytes)
        return false;
    if (readBigEndian(data + kMagicOffset) != kChunkMagic ||
        readBigEndian(data + kFormatOffset) != kChunkFormat)
        return false;
    const uint32_t bytes = readBigEndian(data + kChunkSizeOffset);
    if (bytes == 0 || bytes > size - kHeaderBytes)
        return false;
    if (chunk)
        *chunk = data + kHeaderBytes;
    if (chunkSize)
        *chunkSize = bytes;
    return true;
}

} // namespace AM_ProgramFile
