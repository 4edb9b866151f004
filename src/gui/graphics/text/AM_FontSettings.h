#pragma once
// The text settings every editor of the process shares: the font size, the
// font folder and the two font files (one for measuring, one for drawing),
// which are chosen on first use and then kept for the life of the process.
//
// GUI thread only; shared by all editors without locking.

#include <string>

namespace AM_FontSettings {

// The default face, looked for in the font folder.
constexpr char kDefaultFontFile[] = "Vera.ttf";

// Glyph height and width in GUI units; 0 until set.
void setSize(float size);
float size();

// The folder of the program's fonts; a path without a trailing separator
// gets one.
void setFolder(const char* path);
const std::string& folder();

enum class FontUse { measuring, drawing };

// The font file chosen for a use, empty until chosen.
const std::string& fontPath(FontUse use);
bool isResolved(FontUse use);
// Chooses the font file for a use once; later calls keep it.
void resolve(FontUse use, std::string path);

// Forgets everything (size 0, no folder, nothing resolved). For tests.
void reset();

} // namespace AM_FontSettings
