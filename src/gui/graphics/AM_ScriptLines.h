#pragma once
// Building the GUI script's lines of graphics: formatted with the
// framework's own formatter (so numbers read back the way they were
// written) and appended to a text that the caller writes into the file.

#include <string>

// Appends the formatted text (at most kScriptLineBytes - 1 bytes of it).
void AM_appendScriptLine(std::string& out, const char* format, ...);

constexpr size_t kScriptLineBytes = 1024;

// Reads a GR_PROPERTY value as "%f"; 0 when it is not a number.
float AM_scriptValue(const char* text);
