#pragma once
// The text of a prompt on its way into and out of the entry field. Texts of
// the GUI may end their lines with CR LF (an unescaped parameter text), CR
// or LF; the field works with LF. A single-line field takes no line ends:
// they become spaces.
//
// Pure; GUI thread.

#include <string>

// The text the field starts with.
std::string AM_toPromptText(const char* text, bool multiLine);
// The accepted text: every CR LF pair, and a lone CR, become one LF.
std::string AM_fromPromptText(const std::string& text);
