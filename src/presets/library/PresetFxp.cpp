#include "presets/library/PresetFxp.h"

#include "engine/AM_ProgramFile.h"
#include "platform/TextConversion.h"

#include <cstring>

namespace PresetFxp {
namespace {

constexpr size_t kFormatVersionOffset = 12;
constexpr size_t kPluginVersionOffset = 20;
constexpr size_t kParameterCountOffset = 24;
constexpr size_t kByteSizeOffset = 4;

uint32_t readBigEndian(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
           static_cast<uint32_t>(at[2]) << 8 | static_cast<uint32_t>(at[3]);
}

void writeBigEndian(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value >> 24);
    at[1] = static_cast<uint8_t>(value >> 16);
    at[2] = static_cast<uint8_t>(value >> 8);
    at[3] = static_cast<uint8_t>(value);
}

} // namespace

Check findChunk(const uint8_t* data, size_t size, uint32_t pluginId, const uint8_t** chunk,
                uint32_t* chunkSize)
{
    if (data == nullptr || size < kHeaderBytes)
        return Check::kTooShort;
    if (readBigEndian(data + AM_ProgramFile::kMagicOffset) != AM_ProgramFile::kChunkMagic)
        return Check::kNotAChunkFile;
    if (readBigEndian(data + AM_ProgramFile::kFormatOffset) != AM_ProgramFile::kChunkFormat)
        return Check::kNotAProgram;
    if (readBigEndian(data + kPluginIdOffset) != pluginId)
        return Check::kOtherPlugin;
    const uint32_t bytes = readBigEndian(data + AM_ProgramFile::kChunkSizeOffset);
    if (bytes == 0 || bytes > size - kHeaderBytes)
        return Check::kBadChunkSize;
    if (chunk)
        *chunk = data + kHeaderBytes;
    if (chunkSize)
        *chunkSize = bytes;
    return Check::kOk;
}

const char* describe(Check check)
{
    switch (check) {
    case Check::kOk:
        return "program file is fine";
    case Check::kTooShort:
        return "program file is shorter than its header";
    case Check::kNotAChunkFile:
        return "program file does not start with 'CcnK'";
    case Check::kNotAProgram:
        return "program file holds no program chunk ('FPCh')";
    case Check::kOtherPlugin:
        return "program file belongs to another plug-in";
    case Check::kBadChunkSize:
        return "program file's chunk size does not fit the file";
    }
    return "program file is not readable";
}

std::vector<uint8_t> buildProgram(const void* chunk, uint32_t chunkSize, uint32_t pluginId,
                                  uint32_t parameterCount, const char* name)
{
    if (chunkSize > UINT32_MAX - kByteSizeBeforeChunk || (chunk == nullptr && chunkSize != 0))
        return {};
    std::vector<uint8_t> image(kHeaderBytes + chunkSize, 0);
    uint8_t* out = image.data();
    writeBigEndian(out + AM_ProgramFile::kMagicOffset, AM_ProgramFile::kChunkMagic);
    writeBigEndian(out + kByteSizeOffset, chunkSize + kByteSizeBeforeChunk);
    writeBigEndian(out + AM_ProgramFile::kFormatOffset, AM_ProgramFile::kChunkFormat);
    writeBigEndian(out + kFormatVersionOffset, kFormatVersion);
    writeBigEndian(out + kPluginIdOffset, pluginId);
    writeBigEndian(out + kPluginVersionOffset, kPluginVersion);
    writeBigEndian(out + kParameterCountOffset, parameterCount);
    setProgramName(out, image.size(), name);
    writeBigEndian(out + AM_ProgramFile::kChunkSizeOffset, chunkSize);
    if (chunkSize != 0)
        std::memcpy(out + kHeaderBytes, chunk, chunkSize);
    return image;
}

bool setProgramName(uint8_t* image, size_t size, const char* name)
{
    if (image == nullptr || size < kHeaderBytes)
        return false;
    const char* text = name ? name : kDefaultProgramName;
    size_t length = strnlen(text, kNameBytes);
    if (length > kNameBytes - 1) {
        length = kNameBytes - 1;
        length -= platform::incompleteUtf8Tail(text, length);
    }
    std::memset(image + kNameOffset, 0, kNameBytes);
    std::memcpy(image + kNameOffset, text, length);
    return true;
}

} // namespace PresetFxp
