#pragma once
// System fonts: finds the file behind a font name through fontconfig.
// Not on a real-time thread; not while another thread calls in here.

#include <string>

namespace platform {

// Answers the file of the installed font named name and true, or false with
// path unchanged. The name is either a font file's name ("DejaVuSans.ttf",
// compared without regard to case) or a family name ("DejaVu Sans"; a
// trailing ".ttf" or ".otf" is ignored); a family answers its regular face
// when it has one. Only fonts that are installed answer: a name matching
// nothing is not replaced by a look-alike.
bool findSystemFontFile(const char* name, std::string& path);

// Forgets the loaded font configuration; the next call loads it again.
// For tests.
void resetSystemFonts();

} // namespace platform
