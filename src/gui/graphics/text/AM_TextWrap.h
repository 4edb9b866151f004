#pragma once
// Breaking a text into lines that fit a width, for the editor's notices and
// dialogs: at spaces where it can be, and at the text's own line ends (LF).
//
// Any thread (the measure given decides).

#include <functional>
#include <string>
#include <vector>

// The lines of text no wider than width as measure gives it (a word wider
// than the width stands alone on its line); at most maxLines (1 or more),
// the last of them holding whatever text is left, for the drawing to cut.
std::vector<std::string> AM_wrapText(const std::string& text, float width, int maxLines,
                                     const std::function<float(const std::string&)>& measure);
