#pragma once
// A temporary data root for the start-up file tests, which the data-folder
// search finds beside a stand-in module file.

#include "AccessEngine.h"
#include "TempDir.h"

#include "engine/AM_MidiMapFile.h"
#include "engine/AM_SharedInstance.h"
#include "foundation/AM_DataFolder.h"
#include "platform/Module.h"

#include <cstring>
#include <string>

namespace enginetest {

// A temporary data root "KestanK4.data" beside a stand-in module file,
// with every process-wide start-up state reset before and after.
class DataRoot {
public:
    DataRoot()
    {
        resetProcessState();
        dir.makeDir("KestanK4.data");
        platform::overrideModulePath(dir.file("plugin.so").c_str());
        resetDataFolderSearch();
    }
    ~DataRoot()
    {
        resetProcessState();
        platform::overrideModulePath(nullptr);
        resetDataFolderSearch();
    }
    DataRoot(const DataRoot&) = delete;
    DataRoot& operator=(const DataRoot&) = delete;

    // A new process: nothing shared, nothing loaded, the map as the
    // instrument's first constructor leaves it.
    static void resetProcessState()
    {
        AM_SharedInstances::reset();
        AM_MidiMapFile::resetProcessState();
        std::memset(g_controllerMap, 0xFF, sizeof g_controllerMap);
    }

    // Paths relative to the temporary folder.
    static std::string root() { return "KestanK4.data"; }
    static std::string presets() { return root() + "/Presets/" + StartupAudioMan::kEffect; }
    static std::string programs() { return presets() + "/MIDI Programs"; }
    static std::string support() { return root() + "/Support"; }
    static std::string mapFile() { return support() + "/com.Orlen.TestSynth.midimap.txt"; }
    static std::string numberingFile()
    {
        return support() + "/com.Orlen.TestSynth.publicparams.txt";
    }

    // Writes a file, making its folders.
    void write(const std::string& relative, const std::string& contents) const
    {
        dir.writeFile(relative, contents);
    }

    testsupport::TempDir dir;
};

} // namespace enginetest
