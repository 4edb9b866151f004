#include "presets/library/ModulePresetList.h"

#include "foundation/AM_FileOperations.h"
#include "foundation/AM_NarrowPath.h"
#include "foundation/AM_STD.h"
#include "params/AM_WholeFile.h"
#include "platform/FileErrors.h"
#include "platform/FileSystem.h"
#include "platform/TextConversion.h"
#include "presets/folders/PresetFileFilters.h"
#include "presets/library/PresetFxp.h"
#include "presets/library/PresetLibrary.h"
#include "presets/library/PresetNameRules.h"
#include "presets/library/PresetTagger.h"
#include "presets/library/TuningFile.h"

#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string_view>
#include <vector>

namespace {

// The whole-patch list's module name; its tag key is the root name.
constexpr const char* kPatchListName = "Presets";
// Trailing characters below this are cut from module names.
constexpr char kFirstLetter = 'A';
constexpr size_t kShortestModuleName = 3;
// Bytes from here on belong to multi-byte characters and are never cut.
constexpr unsigned char kFirstNonAscii = 0x80;

std::string cutText(const char* text, size_t maxBytes)
{
    std::string out(text ? text : "", text ? strnlen(text, maxBytes) : 0);
    out.resize(out.size() - platform::incompleteUtf8Tail(out.data(), out.size()));
    return out;
}

// Splits a file name at its last '.' as a listed item does.
void splitFileName(const std::string& fileName, std::string& name, std::string& extension)
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos) {
        name = fileName;
        extension.clear();
        return;
    }
    name = fileName.substr(0, dot);
    extension = fileName.substr(dot + 1);
}

bool entryExists(AM_Directory& folder, const std::string& name)
{
    return folder.exists(AM_String(name.c_str()));
}

} // namespace

std::string normalizeModuleName(const char* modulePath)
{
    std::string name = cutText(modulePath, ModulePresetList::kMaxModuleNameBytes);
    if (name.size() > 1) {
        const size_t slash = name.find('/');
        if (slash != std::string::npos && slash < name.size() - 1)
            name.resize(slash);
    }
    while (name.size() > kShortestModuleName && name.back() < kFirstLetter &&
           static_cast<unsigned char>(name.back()) < kFirstNonAscii)
        name.pop_back();
    return name;
}

std::string presetEntryName(const char* name, const char* extension)
{
    std::string entry(name ? name : "");
    entry += '.';
    entry += extension ? extension : "";
    return entry;
}

std::string presetEntryOfFileName(const std::string& fileName)
{
    return fileName.find('.') == std::string::npos ? fileName + "." : fileName;
}

std::string presetEntryOfItem(const PresetListItem& item)
{
    if (item.file() == nullptr)
        return presetEntryName(item.name(), item.extension());
    AM_String name;
    item.file()->getName(name);
    std::string narrow(static_cast<size_t>(name.getNarrowLength(0)) + 1, '\0');
    narrow.resize(static_cast<size_t>(
        name.getNarrow(narrow.data(), static_cast<int32_t>(narrow.size()) - 1, 0)));
    return presetEntryOfFileName(narrow);
}

ModulePresetList::ModulePresetList(const char* rootName, const char* moduleName, int32_t listType)
    : rootName_(cutText(rootName, kMaxRootNameBytes)),
      moduleName_(cutText(moduleName, kMaxModuleNameBytes)), listType_(listType)
{
}

ModulePresetList::~ModulePresetList()
{
    if (junk_ == nullptr)
        AM_STD::printv("no junk tagger");
    else
        releaseTaggers();
    if (favourites_ == nullptr)
        AM_STD::printv("no fave tagger");
    else
        releaseTaggers();
    items_.reset();
    folders_.reset();
    std::unique_ptr<ModulePresetList> rest = std::move(next_);
    while (rest) {
        std::unique_ptr<ModulePresetList> after = std::move(rest->next_);
        rest = std::move(after);
    }
}

void ModulePresetList::append(std::unique_ptr<ModulePresetList> list)
{
    ModulePresetList* last = this;
    while (last->next_)
        last = last->next_.get();
    last->next_ = std::move(list);
}

ModulePresetList* ModulePresetList::find(const char* moduleName)
{
    if (moduleName == nullptr)
        return nullptr;
    for (ModulePresetList* list = this; list != nullptr; list = list->next())
        if (list->moduleName_ == moduleName)
            return list;
    return nullptr;
}

void ModulePresetList::setFolders(std::unique_ptr<PresetFolder> folders)
{
    items_.reset();
    currentFolder_ = nullptr;
    folders_ = std::move(folders);
}

bool ModulePresetList::ownsFolder(const PresetFolder* folder) const
{
    for (const PresetFolder* f = folders_.get(); f != nullptr && folder != nullptr; f = f->next())
        if (f == folder)
            return true;
    return false;
}

PresetFolder* ModulePresetList::selectFolder(PresetFolder* folder)
{
    if (folder != nullptr && !ownsFolder(folder)) {
        AM_STD::printv("The folder asked for is not one of the list '%s'; its first folder is "
                       "taken",
                       moduleName_.c_str());
        folder = nullptr;
    }
    currentFolder_ = folder ? folder : folders_.get();
    return currentFolder_;
}

bool ModulePresetList::ownsItem(const PresetListItem* item) const
{
    for (const PresetListItem* i = items_.get(); i != nullptr && item != nullptr; i = i->next())
        if (i == item)
            return true;
    return false;
}

void ModulePresetList::scanItems()
{
    items_.reset();
    if (currentFolder_ == nullptr)
        return;
    items_ = currentFolder_->listFiles(listType_);
    applyTags();
}

void ModulePresetList::setCurrentPreset(const char* name, const char* extension)
{
    presetName_ = cutText(name, kMaxPresetNameBytes);
    presetExtension_ = cutText(extension, kMaxExtensionBytes);
}

void ModulePresetList::attachTaggers()
{
    if (junk_ != nullptr)
        return;
    if (folders_ == nullptr || folders_->directory() == nullptr) {
        AM_STD::printv("oh... ModulePresetList::presetFolders still NULL");
        return;
    }
    const char* key = moduleName_ == kPatchListName ? rootName_.c_str() : moduleName_.c_str();
    junk_ = getTagger(key, PresetTagger::kJunk, *folders_->directory());
    favourites_ = getTagger(key, PresetTagger::kFavourites, *folders_->directory());
}

const char* ModulePresetList::getTag(const PresetListItem* item) const
{
    if (item == nullptr || item->folder() == nullptr)
        return nullptr;
    const std::string entry = presetEntryOfItem(*item);
    const char* folder = item->folder()->relativePath();
    if (favourites_ && favourites_->hasTag(folder, entry.c_str()))
        return PresetTagger::kFavourites;
    if (junk_ && junk_->hasTag(folder, entry.c_str()))
        return PresetTagger::kJunk;
    return nullptr;
}

void ModulePresetList::applyTags()
{
    for (PresetListItem* item = items_.get(); item != nullptr; item = item->next()) {
        item->setFavourite(false);
        item->setJunk(false);
        const char* tag = getTag(item);
        if (tag == nullptr)
            continue;
        if (std::strcmp(tag, PresetTagger::kJunk) == 0)
            item->setJunk(true);
        else
            item->setFavourite(true);
    }
}

PresetTagResult ModulePresetList::setTag(PresetListItem* item, const char* tagName, bool on)
{
    if (item == nullptr || tagName == nullptr)
        return PresetTagResult::kDone;
    const PresetFolder* folder = item->folder() ? item->folder() : currentFolder_;
    if (folder == nullptr)
        return PresetTagResult::kDone;
    const std::string entry = presetEntryOfItem(*item);
    const char* key = folder->relativePath();
    const bool favourite = std::strcmp(tagName, PresetTagger::kFavourites) == 0;
    const bool junk = std::strcmp(tagName, PresetTagger::kJunk) == 0;
    if (!favourite && !junk)
        return PresetTagResult::kDone;
    PresetTagger* other = favourite ? junk_ : favourites_;
    PresetTagger* own = favourite ? favourites_ : junk_;
    // Both files the change touches must be able to take it, or the tag
    // shown now would be gone (or another one back) after reopening.
    if (own == nullptr || !own->isWritable() ||
        (other != nullptr && other->hasTag(key, entry.c_str()) && !other->isWritable())) {
        AM_STD::printv("The %s tag of '%s' is not changed: its tag file cannot be written", tagName,
                       entry.c_str());
        return PresetTagResult::kTagFileLocked;
    }
    if (on && !PresetTagger::isTaggable(key, entry.c_str())) {
        AM_STD::printv("'%s' cannot be tagged: a tag file cannot hold its name", entry.c_str());
        return PresetTagResult::kNameNotTaggable;
    }
    if (other)
        other->removeTag(key, entry.c_str());
    if (on)
        own->addTag(key, entry.c_str());
    else
        own->removeTag(key, entry.c_str());
    if (favourite)
        item->setFavourite(on);
    else
        item->setJunk(on);
    return PresetTagResult::kDone;
}

PresetTagResult ModulePresetList::setTagOnSelected(const char* tagName, bool on)
{
    if (items_ == nullptr) {
        AM_STD::printv("no presets available for tagging");
        return PresetTagResult::kDone;
    }
    PresetTagResult first = PresetTagResult::kDone;
    for (PresetListItem* item = items_.get(); item != nullptr; item = item->next()) {
        if (!item->isSelected())
            continue;
        const PresetTagResult result = setTag(item, tagName, on);
        if (first == PresetTagResult::kDone)
            first = result;
    }
    return first;
}

struct ModulePresetList::ImportRun {
    PresetImportReport report;
    int32_t files = 0;
    uint64_t bytes = 0;
    // The files taken so far, by their path with the folders' links
    // resolved.
    std::set<std::string> seen;
    // The next number to try for a name taken in the target folder.
    std::map<std::string, int32_t> nextNumber;

    // Traces the refusal and counts it; the first one's text is kept for
    // the user.
    void refuse(const std::string& line, const std::string& why)
    {
        AM_STD::printv("'%s' %s; it is passed over", line.c_str(), why.c_str());
        ++report.refused;
        if (report.firstReason.empty()) {
            const size_t slash = line.rfind('/');
            report.firstReason =
                "\"" + (slash != std::string::npos ? line.substr(slash + 1) : line) + "\" " + why;
        }
    }
};

int32_t ModulePresetList::importFiles(const char* pathList, PresetFolder* target, bool copy,
                                      PresetImportReport* report)
{
    if (report != nullptr)
        *report = PresetImportReport{};
    if (target == nullptr || target->directory() == nullptr || !ownsFolder(target)) {
        AM_STD::printv("couldn't copy files into non-existing directory!");
        return 0;
    }
    if (pathList == nullptr)
        return 0;
    ImportRun run;
    const char* at = pathList;
    while (*at != 0) {
        const char* end = std::strchr(at, '\n');
        const size_t length = end ? static_cast<size_t>(end - at) : std::strlen(at);
        std::string line(at, length);
        at += length + (end ? 1 : 0);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line.size() > kMaxImportLineBytes) {
            AM_STD::printv("A dropped path of %d bytes is too long; it is passed over",
                           static_cast<int32_t>(line.size()));
            ++run.report.refused;
            if (run.report.firstReason.empty())
                run.report.firstReason = "A dropped path is too long.";
            continue;
        }
        importOne(line, *target, copy, run);
    }
    if (report != nullptr)
        *report = run.report;
    return run.report.imported;
}

namespace {

bool endsWith(const std::string& text, const char* end)
{
    const size_t n = std::strlen(end);
    return text.size() >= n && text.compare(text.size() - n, n, end) == 0;
}

// A patch-state text: an "#AM=" line, as every state the plug-in writes has.
bool isStateText(const char* data, size_t size)
{
    const std::string_view text(data, size);
    for (size_t at = text.find("#AM="); at != std::string_view::npos;
         at = text.find("#AM=", at + 1))
        if (at == 0 || text[at - 1] == '\n')
            return true;
    return false;
}

// Whether the bytes read as a preset of the kind the name ends in, as the
// library would load it.
bool readsAsPreset(const std::string& fileName, const std::vector<char>& data, uint32_t pluginId)
{
    // The data ends with a zero byte of its own, not counted here.
    const size_t size = data.size() - 1;
    if (endsWith(fileName, "h2p"))
        return isStateText(data.data(), size);
    if (endsWith(fileName, "fxp")) {
        const uint8_t* chunk = nullptr;
        uint32_t chunkSize = 0;
        return PresetFxp::findChunk(reinterpret_cast<const uint8_t*>(data.data()), size, pluginId,
                                    &chunk, &chunkSize) == PresetFxp::Check::kOk &&
               isStateText(reinterpret_cast<const char*>(chunk), chunkSize);
    }
    if (endsWith(fileName, "tun")) {
        float table[kTuningNotes];
        return readTuningFile(data.data(), size, table);
    }
    if (endsWith(fileName, "aupreset"))
        return std::string_view(data.data(), size).find("<plist") != std::string_view::npos;
    return false;
}

// Creates the file (never replacing one) with the bytes; a file that could
// not be written whole is removed again.
platform::FileError writeNewFile(const AM_String& to, const std::vector<char>& data)
{
    const AM_NarrowPath narrow(to);
    if (narrow.error())
        return narrow.error();
    const char* path = narrow.c_str();
    platform::FileHandle handle = platform::kNoFile;
    platform::FileError error = platform::createFile(path, false, handle);
    if (error != 0)
        return error;
    size_t done = 0;
    error = platform::writeFile(handle, data.data(), data.size() - 1, done);
    const platform::FileError closed = platform::closeFile(handle);
    if (error == 0 && done != data.size() - 1)
        error = platform::fileerror::kDiskFull;
    if (error == 0)
        error = closed;
    if (error != 0)
        platform::removeFile(path);
    return error;
}

} // namespace

void ModulePresetList::importOne(const std::string& line, PresetFolder& target, bool copy,
                                 ImportRun& run)
{
    AM_STD::printv("copying '%s'", line.c_str());
    const size_t slash = line.rfind('/');
    if (slash == std::string::npos || line[0] != '/') {
        run.refuse(line, "is not a full path");
        return;
    }
    const std::string fileName = line.substr(slash + 1);
    const std::string parentPath = line.substr(0, slash + 1);
    if (!isValidPathComponent(fileName.c_str(), kMaxPathComponentBytes, "dropped file")) {
        run.refuse(line, "cannot be a file name");
        return;
    }
    // The entry itself, links not followed: a link would bring in whatever
    // it points to.
    std::error_code failed;
    const std::filesystem::file_status status = std::filesystem::symlink_status(line, failed);
    if (status.type() == std::filesystem::file_type::not_found || failed) {
        run.refuse(line, "does not exist");
        return;
    }
    if (status.type() == std::filesystem::file_type::symlink) {
        run.refuse(line, "is a link; only files themselves are taken");
        return;
    }
    if (status.type() == std::filesystem::file_type::directory) {
        AM_STD::printv("'%s' is a folder; only files are taken", line.c_str());
        ++run.report.refused;
        if (run.report.firstReason.empty())
            run.report.firstReason = "\"" + fileName + "\" is a folder; only files are taken";
        return;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        run.refuse(line, "is not a regular file");
        return;
    }
    // Only files the list shows are taken: a dropped text of any other kind
    // never brings foreign files into the presets.
    AM_FileObject dropped(AM_String(line.c_str()), AM_FileObject::kTypeFile);
    const AM_FileFilter filter = presetFilterForListType(listType_);
    if (filter != nullptr && !filter(&dropped)) {
        run.refuse(line, "is not a preset file of this list");
        return;
    }
    // A file named twice (by the same or another path) is taken once.
    const std::filesystem::path resolved = std::filesystem::canonical(line, failed);
    if (!failed && !run.seen.insert(resolved.string()).second) {
        AM_STD::printv("'%s' was taken already", line.c_str());
        return;
    }
    if (run.files >= kMaxImportFiles) {
        run.refuse(line, "was not taken: a drop brings in at most " +
                             std::to_string(kMaxImportFiles) + " files");
        return;
    }
    const uintmax_t size = std::filesystem::file_size(line, failed);
    if (failed || size > PresetLibrary::kMaxPresetFileBytes) {
        run.refuse(line, "is larger than the " +
                             std::to_string(PresetLibrary::kMaxPresetFileBytes >> 20) +
                             " MiB a preset may have");
        return;
    }
    if (run.bytes + size > kMaxImportBytes) {
        run.refuse(line, "was not taken: a drop brings in at most " +
                             std::to_string(kMaxImportBytes >> 20) + " MiB");
        return;
    }
    std::vector<char> data;
    if (!AM_readWholeFile(AM_String(line.c_str()), data, PresetLibrary::kMaxPresetFileBytes).ok()) {
        run.refuse(line, "could not be read");
        return;
    }
    if (!readsAsPreset(fileName, data, programPluginId_)) {
        run.refuse(line, "does not read as a preset of this instrument");
        return;
    }
    ++run.files;
    run.bytes += data.size() - 1;

    PresetFolder* source = nullptr;
    for (PresetFolder* f = folders_.get(); f != nullptr; f = f->next())
        if (f->path() == parentPath) {
            source = f;
            break;
        }
    if (source == &target && !copy) {
        AM_STD::printv("copy within same folder, nothing to do here...");
        return;
    }
    if (source == nullptr) {
        AM_STD::printv("file comes from outer space - we duplicate anyway!");
        copy = true;
    }

    std::string name;
    std::string extension;
    splitFileName(fileName, name, extension);
    const std::string sourceEntry = presetEntryOfFileName(fileName);
    std::vector<PresetTagger*> carried;
    if (source != nullptr)
        for (PresetTagger* tagger : {junk_, favourites_})
            if (tagger && tagger->hasTag(source->relativePath(), sourceEntry.c_str()))
                carried.push_back(tagger);

    AM_Directory& folder = *target.directory();
    const AM_String from(line.c_str());
    const std::string dotExtension = fileName.find('.') != std::string::npos ? "." + extension : "";
    std::string destination;
    bool done = false;
    int32_t& number = run.nextNumber[fileName];
    for (; number <= kMaxImportNumber && !done; ++number) {
        destination = fileName;
        if (number > 0) {
            char suffix[16];
            AM_STD::sprintn(suffix, sizeof suffix, " %d", number);
            destination = name + suffix + dotExtension;
        }
        if (destination.size() > kMaxPathComponentBytes)
            break;
        if (entryExists(folder, destination))
            continue;
        AM_String to = folder.path();
        to.append(AM_String(destination.c_str()));
        const AM_FileErr error = copy ? writeNewFile(to, data) : AM_moveFile(from, to);
        // A name taken in the meantime: the next number.
        if (error == platform::fileerror::kFileExists ||
            error == platform::fileerror::kAlreadyExists)
            continue;
        if (error != 0) {
            AM_STD::printv(copy ? "CopyFile says %d" : "MoveFileEx says %d",
                           static_cast<int32_t>(error));
            run.refuse(line, "could not be written into the folder");
            return;
        }
        done = true;
    }
    if (!done) {
        AM_STD::printv("No free name for '%s' in the folder", fileName.c_str());
        run.refuse(line, "found no free name in the folder");
        return;
    }

    const std::string targetEntry = presetEntryOfFileName(destination);
    for (PresetTagger* tagger : carried) {
        if (!copy)
            tagger->removeTag(source->relativePath(), sourceEntry.c_str());
        tagger->addTag(target.relativePath(), targetEntry.c_str());
    }
    ++run.report.imported;
}
