#include "presets/library/PresetLibrary.h"

#include "foundation/AM_DataFolder.h"
#include "foundation/AM_STD.h"
#include "platform/FileErrors.h"
#include "presets/library/PresetNameRules.h"

#include <cstring>

namespace {

constexpr const char* kLocalFolderName = "Local";
constexpr size_t kMaxFolderPathText = 255;

// A name field of the plug-in information block as text.
std::string infoName(const char* field)
{
    return std::string(field, strnlen(field, k_pluginNameBytes));
}

} // namespace

PresetLibrary::PresetLibrary(PresetLibraryHost& host) : host_(host) {}

PresetLibrary::~PresetLibrary() = default;

void PresetLibrary::setDefaultExtension(const char* extension)
{
    defaultExtension_ = extension ? extension : "";
    if (defaultExtension_.size() > ModulePresetList::kMaxExtensionBytes)
        defaultExtension_.resize(ModulePresetList::kMaxExtensionBytes);
}

ModulePresetList* PresetLibrary::getModulePresetList(const char* modulePath) const
{
    if (modulePath == nullptr || lists_ == nullptr)
        return lists_.get();
    return lists_->find(normalizeModuleName(modulePath).c_str());
}

PresetFolder* PresetLibrary::getPresetFolders(const char* modulePath) const
{
    const ModulePresetList* list = getModulePresetList(modulePath);
    return list ? list->folders() : nullptr;
}

PresetFolder* PresetLibrary::getCurrentFolder(const char* modulePath) const
{
    const ModulePresetList* list = getModulePresetList(modulePath);
    return list ? list->currentFolder() : nullptr;
}

PresetListItem* PresetLibrary::getPresetItems(const char* modulePath) const
{
    const ModulePresetList* list = getModulePresetList(modulePath);
    return list ? list->items() : nullptr;
}

ModulePresetList* PresetLibrary::addModulePresetList(const char* modulePath, int32_t listType)
{
    const std::string name = normalizeModuleName(modulePath);
    if (ModulePresetList* existing = lists_ ? lists_->find(name.c_str()) : nullptr)
        return existing;
    auto created =
        std::make_unique<ModulePresetList>(host_.presetProductName(), name.c_str(), listType);
    ModulePresetList* list = created.get();
    list->setProgramPluginId(host_.presetPluginId());
    if (lists_)
        lists_->append(std::move(created));
    else
        lists_ = std::move(created);

    scanPresetFolders(modulePath);
    if (list->folders() == nullptr) {
        AM_STD::printv("Can't access any Patch Location for '%s'", name.c_str());
        return list;
    }
    if (listType == PresetListType::kPatch) {
        std::string saved;
        PresetFolder* folder = nullptr;
        if (readCoreText("PFold", saved) && saved.size() > 1)
            folder = list->folders()->findByPath(saved.c_str());
        // No folder remembered (or it is gone): the browser opens on the
        // remembered preset file's folder, else on presets, not on an empty root.
        if (folder == nullptr) {
            std::string file;
            readCoreText("PFile", file);
            folder = openingFolder(*list, file);
        }
        if (folder != nullptr && folder != list->currentFolder())
            setCurrentFolder(folder, modulePath);
    }
    return list;
}

PresetFolder* PresetLibrary::openingFolder(ModulePresetList& list, const std::string& file)
{
    PresetFolder* firstFilled = nullptr;
    for (PresetFolder* folder = list.folders(); folder != nullptr; folder = folder->next()) {
        const std::unique_ptr<PresetListItem> items = folder->listFiles(list.listType());
        if (items == nullptr)
            continue;
        if (firstFilled == nullptr)
            firstFilled = folder;
        if (file.empty())
            break;
        for (const PresetListItem* item = items.get(); item != nullptr; item = item->next()) {
            if (presetEntryName(item->name(), item->extension()) == file)
                return folder;
        }
    }
    return firstFilled;
}

const char* PresetLibrary::addTuningPresetList(const AM_ParamInfo* tuningRecord)
{
    if (tuningRecord == nullptr)
        return kNotApplicable;
    const char* moduleName = host_.presetModuleLongName(tuningRecord->moduleIndex);
    char listName[ModulePresetList::kMaxModuleNameBytes + 1];
    AM_STD::sprintvn(listName, sizeof listName, "%s Tuning", moduleName ? moduleName : "");
    const std::string name = normalizeModuleName(listName);
    if (lists_ && lists_->find(name.c_str()))
        return kNotApplicable;
    auto created = std::make_unique<ModulePresetList>(host_.presetProductName(), name.c_str(),
                                                      PresetListType::kTuning);
    ModulePresetList* list = created.get();
    list->setProgramPluginId(host_.presetPluginId());
    if (lists_)
        lists_->append(std::move(created));
    else
        lists_ = std::move(created);
    list->setTuningTableParameter(tuningRecord->index + 1);
    scanPresetFolders(list->moduleName());
    return list->moduleName();
}

void PresetLibrary::scanPresetFolders(const char* modulePath)
{
    ModulePresetList* list = getModulePresetList(modulePath);
    if (list == nullptr)
        return;
    list->setFolders(nullptr);

    const AM_PluginInfo* info = host_.presetPluginInfo();
    AM_Directory place;
    AM_FileErr error = info ? platform::fileerror::kNone : platform::fileerror::kPathNotFound;
    if (info != nullptr) {
        const std::string maker = infoName(info->vendorName);
        const char* slash = modulePath ? std::strchr(modulePath, '/') : nullptr;
        switch (list->listType()) {
        case PresetListType::kModule:
            if (slash != nullptr && slash != modulePath) {
                const std::string product(slash + 1);
                error =
                    isValidPathComponent(product.c_str(), kMaxPathComponentBytes, "product folder")
                        ? getSpecialFolder(place, kAM_FolderPresets, 0, maker.c_str(),
                                           product.c_str())
                        : platform::fileerror::kInvalidName;
            } else {
                error = getSpecialFolder(place, kAM_FolderModules, 0, maker.c_str(),
                                         infoName(info->componentName).c_str());
                if (error == 0)
                    error = isValidPathComponent(list->moduleName(), kMaxPathComponentBytes,
                                                 "module folder")
                                ? place.enterSubDirectory(AM_String(list->moduleName()), true)
                                : platform::fileerror::kInvalidName;
            }
            break;
        case PresetListType::kTuning:
            error = getSpecialFolder(place, kAM_FolderTunefiles, 0, maker.c_str(),
                                     infoName(info->componentName).c_str());
            break;
        default:
            error = getSpecialFolder(place, kAM_FolderPresets, 0, maker.c_str(),
                                     infoName(info->effectName).c_str());
            break;
        }
    }
    if (error != 0) {
        AM_STD::printv("AM_FileErr %d AM_View_Interface::scanPresetFolders local",
                       static_cast<int32_t>(error));
        return;
    }
    auto root =
        std::make_unique<PresetFolder>(std::make_unique<AM_Directory>(place), 0, kLocalFolderName);
    root->scanSubFolderTree(root->directory(), root.get(), 1);
    list->setFolders(std::move(root));
    list->attachTaggers();
    setCurrentFolder(nullptr, modulePath);
}

void PresetLibrary::scanPresetItems(const char* modulePath)
{
    if (ModulePresetList* list = getModulePresetList(modulePath))
        list->scanItems();
}

void PresetLibrary::setCurrentFolder(PresetFolder* folder, const char* modulePath)
{
    ModulePresetList* list = getModulePresetList(modulePath);
    if (list == nullptr)
        return;
    list->selectFolder(folder);
    list->scanItems();
    host_.presetTopControlMessage(PresetLibraryHost::kMessageFolderChanged, modulePath);
}

void PresetLibrary::refreshCurrentFolder(const char* modulePath)
{
    if (ModulePresetList* list = getModulePresetList(modulePath))
        setCurrentFolder(list->currentFolder(), modulePath);
}

std::string PresetLibrary::folderPathText(const PresetFolder* folder)
{
    if (folder == nullptr)
        return {};
    if (folder->depth() == 0)
        return folder->name();
    std::string text = folderPathText(folder->parent());
    const std::string level = std::string("/") + folder->name();
    if (text.size() + level.size() < kMaxFolderPathText)
        text += level;
    return text;
}

void PresetLibrary::rescanPresets(const char* modulePath)
{
    ModulePresetList* list = getModulePresetList(modulePath);
    if (list == nullptr) {
        AM_STD::printv("no ModulePresetList to rescan...");
        return;
    }
    const std::string current = folderPathText(list->currentFolder());
    scanPresetFolders(modulePath);
    PresetFolder* found = list->folders() && !current.empty()
                              ? list->folders()->findByPath(current.c_str())
                              : nullptr;
    setCurrentFolder(found, modulePath);
}

bool PresetLibrary::createPresetFolder(const char* name, const char* modulePath)
{
    ModulePresetList* list = getModulePresetList(modulePath);
    if (list == nullptr) {
        AM_STD::printv("no ModulePresetList to craete new folder into...");
        return false;
    }
    if (!isValidPathComponent(name, PresetFolder::kMaxNameBytes, "folder"))
        return false;
    PresetFolder* current = list->currentFolder();
    if (current == nullptr || current->directory() == nullptr)
        return false;
    bool isFolder = false;
    bool made = true;
    if (!current->directory()->exists(AM_String(name), &isFolder)) {
        if (const AM_FileErr error = current->directory()->createSubDirectory(AM_String(name))) {
            AM_STD::printv("The folder '%s' could not be created e: %d", name,
                           static_cast<int32_t>(error));
            made = false;
        }
    } else if (!isFolder) {
        AM_STD::printv("'%s' exists and is not a folder", name);
        made = false;
    }
    rescanPresets(modulePath);
    return made;
}

void PresetLibrary::setCurrentPreset(const char* name, const char* extension,
                                     const char* modulePath)
{
    if (ModulePresetList* list = getModulePresetList(modulePath))
        list->setCurrentPreset(name, extension);
}

const char* PresetLibrary::getCurrentPresetName(const char* modulePath) const
{
    const ModulePresetList* list = getModulePresetList(modulePath);
    return list ? list->currentPresetName() : nullptr;
}

const char* PresetLibrary::getCurrentPresetExtension(const char* modulePath) const
{
    const ModulePresetList* list = getModulePresetList(modulePath);
    return list ? list->currentPresetExtension() : nullptr;
}

PresetListItem* PresetLibrary::doesPresetExist(const char* name, const char* extension,
                                               const char* modulePath) const
{
    const ModulePresetList* list = getModulePresetList(modulePath);
    if (list == nullptr || name == nullptr)
        return nullptr;
    if (extension == nullptr)
        AM_STD::printv("AM_View_Interface::doesPresetExist inSuffix is NULL");
    for (PresetListItem* item = list->items(); item != nullptr; item = item->next())
        if (std::strcmp(item->name(), name) == 0 &&
            (extension == nullptr || std::strcmp(item->extension(), extension) == 0))
            return item;
    return nullptr;
}

void PresetLibrary::loadFirstOf(PresetListItem* item, const char* modulePath)
{
    setCurrentPreset(item->name(), item->extension(), modulePath);
    loadPreset(item, modulePath);
}

void PresetLibrary::nextPreset(const char* modulePath)
{
    ModulePresetList* list = getModulePresetList(modulePath);
    if (list == nullptr)
        return;
    const int32_t folders = list->folders() ? list->folders()->countFolders(true) : 0;
    const std::string name = list->currentPresetName();
    PresetListItem* current =
        name.empty() ? nullptr
                     : doesPresetExist(name.c_str(), list->currentPresetExtension(), modulePath);
    if (current != nullptr) {
        if (PresetListItem* next = current->nextVisible(false)) {
            loadFirstOf(next, modulePath);
            return;
        }
    }
    if (folders < 1)
        return;
    if (current == nullptr && list->items() != nullptr) {
        loadFirstOf(list->items(), modulePath);
        return;
    }
    for (int32_t step = 0; step < folders; ++step) {
        PresetFolder* from = list->currentFolder();
        PresetFolder* to = from && from->next() ? from->next() : list->folders();
        setCurrentFolder(to, modulePath);
        if (list->items() != nullptr) {
            loadFirstOf(list->items(), modulePath);
            return;
        }
    }
}

void PresetLibrary::previousPreset(const char* modulePath)
{
    ModulePresetList* list = getModulePresetList(modulePath);
    if (list == nullptr)
        return;
    const int32_t folders = list->folders() ? list->folders()->countFolders(true) : 0;
    const std::string name = list->currentPresetName();
    PresetListItem* current =
        name.empty() ? nullptr
                     : doesPresetExist(name.c_str(), list->currentPresetExtension(), modulePath);
    const bool hadCurrent = current != nullptr;
    if (current != nullptr && current != list->items()) {
        PresetListItem* before = list->items();
        while (before->next() != current)
            before = before->next();
        loadFirstOf(before, modulePath);
        return;
    }
    if (current == nullptr && list->items() != nullptr) {
        loadFirstOf(list->items(), modulePath);
        return;
    }
    for (int32_t step = 0; step < folders; ++step) {
        PresetFolder* from = list->currentFolder();
        PresetFolder* to = PresetFolder::previousFolder(list->folders(), from);
        if (to == nullptr)
            to = PresetFolder::lastFolder(list->folders());
        setCurrentFolder(to, modulePath);
        PresetListItem* item = list->items();
        if (item == nullptr)
            continue;
        if (hadCurrent)
            while (item->next() != nullptr)
                item = item->next();
        loadFirstOf(item, modulePath);
        return;
    }
}
