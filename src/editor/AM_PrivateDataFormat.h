#pragma once
// The program's private drag-and-drop data, the same in both directions: a
// type line ("TEXT" or "ORL_PATCH_LIST") ended by one line feed, the body,
// and one zero byte. Pure functions: building a block for a drag and reading
// a dropped one, bounded by the size that arrived.
//
// Any thread (no state).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Drag kinds as the view manager names them.
inline constexpr uint32_t kAM_DragKindText = 0;
inline constexpr uint32_t kAM_DragKindPatchList = 1;
// "No length given": the text's own length is taken.
inline constexpr uint32_t kAM_DragLengthOfText = 0xFFFFFFFFu;
inline constexpr char kAM_TextTypeLine[] = "TEXT";
inline constexpr char kAM_PatchListTypeLine[] = "ORL_PATCH_LIST";
// The line feed that ends the type line lies within the block's first
// kAM_TypeLineSearchBytes bytes, or the block is not ours.
inline constexpr size_t kAM_TypeLineSearchBytes = 63;

// The block for a drag of `kind` (patch list, anything else text): the type
// line, `length` bytes of text (kAM_DragLengthOfText: up to its zero byte)
// and a zero byte. A null text is an empty body.
std::vector<uint8_t> AM_encodePrivateData(uint32_t kind, const char* text, uint32_t length);

// Why a dropped block was refused.
enum class AM_PrivateDataRefusal : int {
    None,
    Empty,           // nothing arrived
    NoTypeLine,      // no line feed within the first bytes
    UnknownType,     // a type line of neither kind
    BodyTooLong,     // more than a 32-bit length can say
};

struct AM_DroppedData {
    AM_PrivateDataRefusal refusal = AM_PrivateDataRefusal::None;
    uint32_t kind = kAM_DragKindText;
    // The body up to its first zero byte (or the end of the block).
    std::string body;
    // The body's length counting the zero byte after it, as the view
    // manager's drop takes it.
    uint32_t length = 0;

    bool accepted() const { return refusal == AM_PrivateDataRefusal::None; }
};

// Reads exactly `size` bytes at `data`; never past them.
AM_DroppedData AM_decodePrivateData(const uint8_t* data, size_t size);

// The refusal as a trace text.
const char* AM_privateDataRefusalText(AM_PrivateDataRefusal refusal);
