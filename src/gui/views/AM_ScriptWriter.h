#pragma once
// Builds the text of GUI-script lines: a keyword and key='value' pairs,
// appended to the script being written (a std::string that the caller
// writes into the file whole). Numbers are formatted with the framework's
// own formatter, so they read back the way they were written; texts are
// taken as they are, whatever their length (callers keep only texts that a
// quoted value can hold, see AM_isWritableScriptName).
//
// Any thread; one object per script being written.

#include <cstdint>
#include <string>

// The sections of a saved script, each opened by a banner.
enum class AM_ScriptSection { kPreferences, kColours, kGraphics, kControls, kProperties };

class AM_ScriptWriter {
public:
    explicit AM_ScriptWriter(std::string& out) : out_(out) {}

    // Appends the section's banner: five lines that begin with '/' or '*',
    // so readers skip them.
    void banner(AM_ScriptSection section);
    // Starts a line: the line break(s) of the format, then the keyword
    // (lineStart is "\n\n" or "\n").
    AM_ScriptWriter& line(const char* lineStart, const char* keyword);
    // Appends " key='value'" (null is written as an empty value).
    AM_ScriptWriter& text(const char* key, const char* value);
    AM_ScriptWriter& text(const char* key, const std::string& value);
    // " key='%d'", " key='%x'".
    AM_ScriptWriter& integer(const char* key, int32_t value);
    AM_ScriptWriter& hex(const char* key, uint32_t value);
    // " key='%.2f %.2f ...'" with count numbers.
    AM_ScriptWriter& floats(const char* key, const float* values, int count);
    // A whole PROPERTY line of a control:
    // "\nPROPERTY control='%s' name='%s' id='%d' value='%s'".
    AM_ScriptWriter& property(const char* control, const char* name, int32_t id, const char* value);
    // Appends text as it is.
    AM_ScriptWriter& raw(const char* text);

private:
    std::string& out_;
};
