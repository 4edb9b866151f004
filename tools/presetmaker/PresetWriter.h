#pragma once
// Builds the instrument headless, applies a preset's values and writes the
// state exactly as the plug-in hands it to a host as a program chunk.
//
// The instrument's start-up files are read from, and written to, a data
// root of the writer's own in the system's temporary folder, never the
// user's.

#include "FactoryPresets.h"

#include <iosfwd>
#include <string>

namespace presetmaker {

class PresetWriter {
public:
    PresetWriter();
    ~PresetWriter();
    PresetWriter(const PresetWriter&) = delete;
    PresetWriter& operator=(const PresetWriter&) = delete;

    // The program chunk of a preset; false with a reason when a value names
    // no parameter or lies outside its range.
    bool makeChunk(const FactoryPreset& preset, std::string& chunk, std::string& error);
    // Writes the chunk to folder/fileName, making the folders on the way.
    bool write(const FactoryPreset& preset, const std::string& folder, std::string& error);
    // One line per parameter: module, short name, long name, range, default.
    void listParameters(std::ostream& out);

private:
    std::string root_;
};

} // namespace presetmaker
