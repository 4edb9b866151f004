#include "plugin/AM_HostChunk.h"

#include <cstring>

namespace {

constexpr char kProgramLine[] = "#pgm=";
constexpr uint32_t kProgramLineChars = sizeof(kProgramLine) - 1;
constexpr char kStateHeader[] = "#AM=";
constexpr uint32_t kStateHeaderChars = sizeof(kStateHeader) - 1;
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';

} // namespace

bool AM_HostChunk::refuse(const char* reason)
{
    reason_ = reason;
    bytes_.clear();
    size_ = 0;
    hasProgramName_ = false;
    programName_[0] = 0;
    return false;
}

bool AM_HostChunk::take(const void* data, int64_t size)
{
    if (data == nullptr)
        return refuse("no data");
    if (size < kMinBytes)
        return refuse("shorter than a state");
    if (size > kMaxBytes)
        return refuse("larger than any state");
    size_ = static_cast<int32_t>(size);
    bytes_.assign(static_cast<size_t>(size_) + 1, 0);
    std::memcpy(bytes_.data(), data, static_cast<size_t>(size_));
    const auto end = static_cast<uint32_t>(size_);

    uint32_t body = 0;
    hasProgramName_ = std::memcmp(bytes_.data(), kProgramLine, kProgramLineChars) == 0;
    programName_[0] = 0;
    if (hasProgramName_) {
        const void* lineEnd =
            std::memchr(bytes_.data() + kProgramLineChars, kLineFeed, end - kProgramLineChars);
        if (lineEnd == nullptr)
            return refuse("program line without its line end");
        body = static_cast<uint32_t>(static_cast<const char*>(lineEnd) - bytes_.data()) + 1;
        uint32_t n = 0;
        for (uint32_t i = kProgramLineChars; i + 1 < body && n < kProgramNameChars; ++i) {
            const char c = bytes_[i];
            if (c == 0 || c == kCarriageReturn)
                break;
            programName_[n++] = c;
        }
        programName_[n] = 0;
    }

    const void* zero = std::memchr(bytes_.data() + body, 0, end - body);
    if (zero == nullptr)
        return refuse("state cut short (no end)");
    const auto textEnd = static_cast<uint32_t>(static_cast<const char*>(zero) - bytes_.data());
    if (!holdsStateHeader(body, textEnd))
        return refuse("not a state (no #AM= line)");
    reason_ = "";
    return true;
}

bool AM_HostChunk::holdsStateHeader(uint32_t from, uint32_t end) const
{
    for (uint32_t i = from; i + kStateHeaderChars <= end; ++i) {
        const bool lineStart =
            i == from || bytes_[i - 1] == kLineFeed || bytes_[i - 1] == kCarriageReturn;
        if (lineStart && std::memcmp(bytes_.data() + i, kStateHeader, kStateHeaderChars) == 0)
            return true;
    }
    return false;
}
