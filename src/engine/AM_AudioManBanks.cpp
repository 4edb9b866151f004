// The MIDI program banks: the folder "MIDI Programs" of the product's
// presets is bank 0 ("Bank0"), its sub-folders in depth-first order banks
// 1, 2 and so on. Each preset of a bank is loaded once at start-up and kept
// as a compact snapshot, so that a program change needs no file.

#include "engine/AM_AudioMan.h"

#include "engine/AM_SharedInstance.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParaMan.h"
#include "params/AM_WholeFile.h"
#include "presets/folders/PresetFolder.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kMidiProgramsFolder = "MIDI Programs";
constexpr const char* kRootBankName = "Bank0";
constexpr const char* kBankCacheName = "Midi.Bank.Cache.txt";
constexpr const char* kCacheHeader = "// Cache file that speeds up loading of MIDI Banks\n\n\n";
constexpr const char* kCacheStatus = "#Banks: up to date\n";
constexpr uint32_t kCacheLineBytes = 160;
// A snapshot is kept with this many zero bytes behind it.
constexpr uint32_t kSnapshotSlack = 4;

} // namespace

int32_t AM_AudioMan::countPrograms(const PresetFolder& bank)
{
    int32_t count = 0;
    for (const PresetListItem* item = bank.items();
         item && count < static_cast<int32_t>(kMaxProgramsPerBank); item = item->next())
        ++count;
    return count;
}

void AM_AudioMan::loadMidiBanks(AM_SharedInstance* entry, AM_Directory& presets)
{
    auto programs = std::make_unique<AM_Directory>(presets.path());
    if (const AM_FileErr error = programs->enterSubDirectory(kMidiProgramsFolder, true)) {
        AM_STD::printv("AM_FileErr %d AM_View_Interface::scanPresetFolders local",
                       static_cast<int32_t>(error));
        return;
    }
    auto root = std::make_unique<PresetFolder>(std::move(programs), 0, kRootBankName);
    root->scanSubFolderTree(root->directory(), root.get(), 1);
    const int32_t count = root->countFolders(true);
    PresetFolder* folder = root.get();
    for (int32_t bank = 0; bank < count; ++bank) {
        if (!folder) {
            AM_STD::printv("current is NULL... dazzle");
            break;
        }
        folder->scanFiles(PresetListType::kPatch);
        if (folder->items())
            loadBankFolder(folder->items(), static_cast<uint32_t>(bank), 0);
        // Bank 0 keeps its folder: the bank list is written into it.
        if (bank != 0)
            folder->discardDirectory();
        folder = folder->next();
    }
    if (folder)
        AM_STD::printv("current is NOT NULL... dazzle");
    delete entry->bankList;
    entry->bankList = root.release();
    entry->bankCount = static_cast<uint32_t>(count);
}

// The items are prepared from the last to the first (each load changes the
// live state), iteratively, so that a long folder cannot exhaust the stack.
void AM_AudioMan::loadBankFolder(PresetListItem* item, uint32_t bank, uint32_t program)
{
    if (!paraMan_)
        return;
    std::vector<PresetListItem*> items;
    for (PresetListItem* it = item; it; it = it->next()) {
        if (program + items.size() >= kMaxProgramsPerBank) {
            AM_STD::printv("MIDI bank %d: the presets after program %d are not loaded",
                           static_cast<int32_t>(bank),
                           static_cast<int32_t>(kMaxProgramsPerBank) - 1);
            break;
        }
        items.push_back(it);
    }
    for (size_t k = items.size(); k-- > 0;) {
        PresetListItem* it = items[k];
        const uint32_t number = program + static_cast<uint32_t>(k);
        // Only a preset that loaded is kept: its program change then does
        // nothing rather than apply whatever the state held before.
        std::vector<uint8_t> snapshot;
        if (loadPresetFile(it)) {
            uint32_t size = 0;
            const uint8_t* data = paraMan_->writeSnapshot(&size);
            if (data && size != 0) {
                snapshot.assign(size + kSnapshotSlack, 0);
                std::memcpy(snapshot.data(), data, size);
            }
        }
        it->setUserData(std::move(snapshot));
        it->discardFile();
        char name[kProgramNameBytes];
        AM_STD::sprintn(name, sizeof name, "%d:%d %s", static_cast<int32_t>(bank),
                        static_cast<int32_t>(number), it->name());
        it->setName(name);
    }
}

void AM_AudioMan::writeBankCache(const PresetFolder& root)
{
    if (!root.directory())
        return;
    std::string text = kCacheHeader;
    text += kCacheStatus;
    int32_t bank = 0;
    for (const PresetFolder* folder = &root; folder; folder = folder->next(), ++bank) {
        char line[kCacheLineBytes];
        AM_STD::sprintn(line, sizeof line, "Bank %d: %s (%d)\n", bank, folder->name(),
                        countPrograms(*folder));
        text += line;
    }
    const AM_WholeFileResult result = AM_writeWholeFile(
        *root.directory(), kBankCacheName, text.data(), static_cast<uint32_t>(text.size()));
    if (!result.ok())
        AM_STD::printv("Can't just overwrite cache file... bugger");
}
