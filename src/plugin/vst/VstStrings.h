#pragma once
// Text helpers for everything the plug-in hands to a host: bounded copies and
// the fixed-point renderings of the parameter-display helpers.
//
// Every capacity counts bytes with the terminating zero; the result is
// always terminated when the capacity is at least 1 and nothing is written
// for a capacity of 0 or less. All functions may be called from any thread
// and allocate nothing.

#include <cstddef>
#include <cstdint>

namespace vst {

// Copies source (null counts as empty) into target, cut to capacity - 1 bytes.
void copyString(char* target, const char* source, int64_t capacity);

// Bytes before the terminating zero, looking at no more than capacity bytes.
size_t boundedLength(const char* text, size_t capacity);

// The fixed-point rendering: sign, every digit of the integer part, '.',
// then as many rounded decimals as fill 8 characters. Values from
// 99999999 up, and negative values from 9999999 in magnitude, give "Huge!";
// infinities give "Huge!" and NaN gives "NaN". Cut to capacity.
void formatFloat(float value, char* text, int64_t capacity);

// Decimal digits without leading zeros, '-' before negative values;
// "Huge!" from 100000000 up. Cut to capacity.
void formatInt(int32_t value, char* text, int64_t capacity);

} // namespace vst

namespace vst {

// Calls getter(char* text) with a zeroed buffer of ScratchBytes bytes, then
// copies what it wrote, cut to limit bytes with the terminator, into
// hostBuffer. Answers false (and calls nothing) for a null hostBuffer.
template <size_t ScratchBytes, typename Getter>
bool deliverText(void* hostBuffer, int64_t limit, Getter&& getter)
{
    if (hostBuffer == nullptr)
        return false;
    char scratch[ScratchBytes] = {};
    getter(scratch);
    scratch[ScratchBytes - 1] = 0;
    copyString(static_cast<char*>(hostBuffer), scratch, limit);
    return true;
}

} // namespace vst
