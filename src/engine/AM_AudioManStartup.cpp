// The start-up files. The first instance of a plug-in ID in the process
// loads what all its instances share: the MIDI program banks, the
// published-parameter numbering and the MIDI controller map. Every instance
// then applies the numbering, reloads its state and loads the preset
// "default.h2p" when the presets folder holds one. The last instance writes
// the controller map and the bank list back.
//
// An engine without a plug-in ID (0) has no identity to share files under
// and loads none.
//
// All of it runs on the thread that builds and destroys engines.

#include "engine/AM_AudioMan.h"

#include "engine/AM_MidiMapFile.h"
#include "engine/AM_ProgramFile.h"
#include "engine/AM_SharedInstance.h"
#include "foundation/AM_DataFolder.h"
#include "foundation/AM_File.h"
#include "foundation/AM_FileOperations.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParaMan.h"
#include "params/AM_WholeFile.h"
#include "params/CustomParamTable.h"
#include "presets/folders/PresetFolder.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kMidiProgramsFolder = "MIDI Programs";
constexpr const char* kDefaultPresetName = "default.h2p";
constexpr const char* kLocalFolderName = "Local";
// The Support folder of the controller map is the maker's.
constexpr const char* kMapMaker = "Orlen";
constexpr const char* kNativeExtension = "h2p";
constexpr const char* kProgramFileExtension = "fxp";
constexpr uint32_t kFileNameBytes = 128;
// Preset files larger than this are refused.
constexpr uint64_t kMaxPresetFileBytes = 64u << 20;
constexpr uint8_t kLoadingDefaults = 1;
// setChunk mode of a state applied again at start-up.
constexpr int32_t kStartupMode = 1;

void tracePresetsFolderError(AM_FileErr error)
{
    AM_STD::printv("AM_FileErr %d AM_View_Interface::scanPresetFolders local",
                   static_cast<int32_t>(error));
}

} // namespace

void AM_AudioMan::loadStartupFiles()
{
    if (pluginId_ == 0 || !paraMan_)
        return;
    AM_SharedInstance* entry = getSharedInstanceEntry();
    // An instance the full table left uncounted counts as a first instance.
    const bool first = !entry || entry->instanceCount == 1;
    if (first && !loadSharedStartupFiles(entry))
        return;
    publishedTable_ = entry ? entry->publishedTable : nullptr;
    midiBanks_ = entry ? entry->bankList : nullptr;
    midiBankCount_ = entry ? entry->bankCount : 0;
    if (publishedTable_)
        paraMan_->setCustomParamTable(publishedTable_);
    reloadState();
    loadDefaultPreset();
}

bool AM_AudioMan::loadSharedStartupFiles(AM_SharedInstance* entry)
{
    AM_Directory presets;
    if (const AM_FileErr error = getSpecialFolder(presets, kAM_FolderPresets, 0,
                                                  pluginInfo_.vendorName, pluginInfo_.effectName)) {
        tracePresetsFolderError(error);
        return false;
    }
    if (entry) {
        // Loading the banks runs every program through the live state; the
        // instance then starts from the state it had before.
        uint32_t size = 0;
        const char* chunk = getChunk(&size, nullptr);
        const std::vector<char> before(chunk, chunk ? chunk + size : chunk);
        loadMidiBanks(entry, presets);
        if (!before.empty())
            setChunk(before.data(), static_cast<int32_t>(before.size()), kStartupMode);

        auto table = std::make_unique<CustomParamTable>();
        table->buildFromParameters(*this, getParameterCount(true));
        table->load(*this);
        delete entry->publishedTable;
        entry->publishedTable = table.release();
    }
    int32_t* map = getMidiCCMap();
    if (!map)
        return true;
    AM_MidiMapFile::buildHeader();
    AM_Directory support;
    if (const AM_FileErr error =
            getSpecialFolder(support, kAM_FolderSupport, 0, kMapMaker, pluginInfo_.componentName)) {
        AM_STD::printv("Can't load Midimap: %d", static_cast<int32_t>(error));
        AM_MidiMapFile::noteRead(AM_MidiMapFile::Source::kNotRead, map);
        return true;
    }
    char name[kFileNameBytes];
    AM_MidiMapFile::fileName(name, sizeof name, pluginInfo_.vendorName, pluginInfo_.effectName);
    if (!support.exists(name)) {
        AM_STD::printv("No midimap file");
        AM_MidiMapFile::noteRead(AM_MidiMapFile::Source::kAbsent, map);
        return true;
    }
    AM_String path(support.path());
    path.appendNarrow(name);
    std::vector<char> text;
    const AM_WholeFileResult result = AM_readWholeFile(path, text, AM_MidiMapFile::kMaxFileBytes);
    if (!result.ok()) {
        AM_STD::printv("Can't load Midimap: %d", static_cast<int32_t>(result.error));
        AM_MidiMapFile::noteRead(AM_MidiMapFile::Source::kNotRead, map);
        return true;
    }
    int32_t untaken = 0;
    AM_MidiMapFile::applyText(text.data(), map, *this, &untaken);
    AM_MidiMapFile::noteRead(AM_MidiMapFile::Source::kLoaded, map);
    AM_MidiMapFile::noteUntakenLines(untaken > 0);
    return true;
}

void AM_AudioMan::loadDefaultPreset()
{
    AM_Directory presets;
    if (const AM_FileErr error = getSpecialFolder(presets, kAM_FolderPresets, 0,
                                                  pluginInfo_.vendorName, pluginInfo_.effectName)) {
        tracePresetsFolderError(error);
        return;
    }
    bool isFolder = false;
    if (!presets.exists(kDefaultPresetName, &isFolder) || isFolder)
        return;
    AM_String path(presets.path());
    path.appendNarrow(kDefaultPresetName);
    PresetFolder local(std::make_unique<AM_Directory>(presets.path()), 0, kLocalFolderName);
    PresetListItem item(std::make_unique<AM_File>(path), &local);
    paraMan_->setLoadingDefaults(kLoadingDefaults);
    const bool loaded = loadPresetFile(&item);
    paraMan_->setLoadingDefaults(0);
    startedFromDefaultPreset_.store(loaded, std::memory_order_relaxed);
}

// A map file with lines the reader did not take is copied to "<name>.bak"
// before it is replaced; false (and the file is not replaced) when that
// copy fails.
bool AM_AudioMan::keepPreviousMidiMap(AM_Directory& support, const char* name)
{
    if (!AM_MidiMapFile::shouldKeepPrevious())
        return true;
    AM_String path(support.path());
    path.appendNarrow(name);
    AM_String previous(path);
    previous.appendNarrow(AM_MidiMapFile::kPreviousSuffix);
    if (const AM_FileErr error = AM_copyFile(path, previous, false)) {
        AM_STD::printv("Can't keep the previous midimap file: %d", static_cast<int32_t>(error));
        return false;
    }
    return true;
}

void AM_AudioMan::saveStartupFiles()
{
    if (getInstanceCount() != 1)
        return;
    const int32_t* map = getMidiCCMap();
    if (map && AM_MidiMapFile::shouldWrite(map)) {
        AM_Directory support;
        char name[kFileNameBytes];
        AM_MidiMapFile::fileName(name, sizeof name, pluginInfo_.vendorName, pluginInfo_.effectName);
        const std::string text = AM_MidiMapFile::formatText(map, *this);
        AM_WholeFileResult result;
        result.step = AM_WholeFileStep::kCreate;
        if (getSpecialFolder(support, kAM_FolderSupport, 0, kMapMaker, pluginInfo_.componentName) ==
                0 &&
            keepPreviousMidiMap(support, name))
            result =
                AM_writeWholeFile(support, name, text.data(), static_cast<uint32_t>(text.size()));
        if (result.step == AM_WholeFileStep::kCreate) {
            AM_STD::printv("Can't just overwrite that file... bugger");
        } else {
            if (result.step == AM_WholeFileStep::kWrite)
                AM_STD::printv("write bytes to midimap file failed a bit");
            AM_MidiMapFile::noteWritten(map);
        }
    }
    const AM_SharedInstance* entry = getSharedInstanceEntry();
    if (entry && entry->bankList && entry->bankList->directory())
        writeBankCache(*entry->bankList);
}

bool AM_AudioMan::loadPresetFile(PresetListItem* item)
{
    if (!item || !item->file() || !paraMan_)
        return false;
    std::vector<char> data;
    const AM_WholeFileResult result =
        AM_readWholeFile(item->file()->path(), data, kMaxPresetFileBytes);
    switch (result.step) {
    case AM_WholeFileStep::kNone:
        break;
    case AM_WholeFileStep::kOpen:
        AM_STD::printv("Eeek, AM_FileErr occurred on AM_File->open()\n");
        return false;
    case AM_WholeFileStep::kSize:
        AM_STD::printv("Eeek, AM_FileErr occurred on AM_File->size()\n");
        return false;
    case AM_WholeFileStep::kAllocate:
        AM_STD::printv("Eeek, couldn't allocate enough memory for File\n");
        return false;
    case AM_WholeFileStep::kRead:
    case AM_WholeFileStep::kCreate:
    case AM_WholeFileStep::kWrite:
        AM_STD::printv("Eeek, AM_FileErr occurred on AM_File->readBytes()\n");
        return false;
    }
    const size_t size = data.size() - 1;
    if (std::strcmp(item->extension(), kNativeExtension) == 0)
        return setChunk(data.data(), static_cast<int32_t>(size), 0);
    if (std::strcmp(item->extension(), kProgramFileExtension) == 0) {
        const uint8_t* chunk = nullptr;
        uint32_t chunkSize = 0;
        if (!AM_ProgramFile::findChunk(reinterpret_cast<const uint8_t*>(data.data()), size, &chunk,
                                       &chunkSize)) {
            AM_STD::printv("%s.fxp is not a program file with a chunk", item->name());
            return false;
        }
        return setChunk(chunk, static_cast<int32_t>(chunkSize), 0);
    }
    return false;
}

void AM_AudioMan::scanPresetFolders()
{
    AM_Directory presets;
    if (const AM_FileErr error = getSpecialFolder(presets, kAM_FolderPresets, 0,
                                                  pluginInfo_.vendorName, pluginInfo_.effectName)) {
        tracePresetsFolderError(error);
        return;
    }
    AM_Directory programs(presets.path());
    programs.enterSubDirectory(kMidiProgramsFolder, true);
}

void AM_AudioMan::scanPresets()
{
    AM_STD::printv("SCAN PRESETS?!?");
}
