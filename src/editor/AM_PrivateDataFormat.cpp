// The private drag-and-drop data: building and reading blocks.

#include "editor/AM_PrivateDataFormat.h"

#include <cstring>
#include <limits>
#include <string_view>

std::vector<uint8_t> AM_encodePrivateData(uint32_t kind, const char* text, uint32_t length)
{
    const std::string_view typeLine =
        kind == kAM_DragKindPatchList ? kAM_PatchListTypeLine : kAM_TextTypeLine;
    size_t bodyLength = 0;
    if (text != nullptr)
        bodyLength = length == kAM_DragLengthOfText ? std::strlen(text) : length;

    std::vector<uint8_t> block(typeLine.size() + 1 + bodyLength + 1, 0);
    std::memcpy(block.data(), typeLine.data(), typeLine.size());
    block[typeLine.size()] = '\n';
    if (bodyLength > 0)
        std::memcpy(block.data() + typeLine.size() + 1, text, bodyLength);
    return block;
}

AM_DroppedData AM_decodePrivateData(const uint8_t* data, size_t size)
{
    AM_DroppedData result;
    if (data == nullptr || size == 0) {
        result.refusal = AM_PrivateDataRefusal::Empty;
        return result;
    }
    const size_t searched = size < kAM_TypeLineSearchBytes ? size : kAM_TypeLineSearchBytes;
    const auto* lineFeed = static_cast<const uint8_t*>(std::memchr(data, '\n', searched));
    const auto* zero = static_cast<const uint8_t*>(std::memchr(data, 0, searched));
    if (lineFeed == nullptr || (zero != nullptr && zero < lineFeed)) {
        result.refusal = AM_PrivateDataRefusal::NoTypeLine;
        return result;
    }
    const std::string_view typeLine(reinterpret_cast<const char*>(data),
                                    static_cast<size_t>(lineFeed - data));
    if (typeLine == kAM_PatchListTypeLine) {
        result.kind = kAM_DragKindPatchList;
    } else if (typeLine == kAM_TextTypeLine) {
        result.kind = kAM_DragKindText;
    } else {
        result.refusal = AM_PrivateDataRefusal::UnknownType;
        return result;
    }

    const uint8_t* body = lineFeed + 1;
    const size_t rest = size - static_cast<size_t>(body - data);
    const auto* end = static_cast<const uint8_t*>(std::memchr(body, 0, rest));
    const size_t bodyLength = end != nullptr ? static_cast<size_t>(end - body) : rest;
    if (bodyLength >= std::numeric_limits<uint32_t>::max()) {
        result.refusal = AM_PrivateDataRefusal::BodyTooLong;
        return result;
    }
    result.body.assign(reinterpret_cast<const char*>(body), bodyLength);
    result.length = static_cast<uint32_t>(bodyLength + 1);
    return result;
}

const char* AM_privateDataRefusalText(AM_PrivateDataRefusal refusal)
{
    switch (refusal) {
    case AM_PrivateDataRefusal::None:
        return "accepted";
    case AM_PrivateDataRefusal::Empty:
        return "drop refused: no data";
    case AM_PrivateDataRefusal::NoTypeLine:
        return "drop refused: no type line";
    case AM_PrivateDataRefusal::UnknownType:
        return "drop refused: unknown type";
    case AM_PrivateDataRefusal::BodyTooLong:
        return "drop refused: too long";
    }
    return "drop refused";
}
