#pragma once
// The narrow (UTF-8) form of wide text for the preset folders and items.
// Internal to this library. Pure; any thread.

#include "foundation/AM_String.h"

#include <cstdint>
#include <string>

// The narrow form of the units of text from index start to the end; bytes
// that were not valid UTF-8 when the text was read come back unchanged.
inline std::string presetNarrowText(const AM_String& text, int32_t start = 0)
{
    std::string out(static_cast<size_t>(text.getNarrowLength(start)) + 1, '\0');
    const int32_t written = text.getNarrow(out.data(), static_cast<int32_t>(out.size()) - 1, start);
    out.resize(static_cast<size_t>(written));
    return out;
}
