// The GUI-to-engine interface: the preset operations, done by the preset
// library, and what the library asks of the interface in return.

#include "presets/AM_View_Interface.h"

#include "engine/AM_AudioMan.h"
#include "foundation/AM_STD.h"
#include "presets/AM_ViewManServices.h"
#include "presets/AM_ViewText.h"

ModulePresetList* AM_View_Interface::addModulePresetList(const char* modulePath, int32_t listType)
{
    return library_.addModulePresetList(modulePath, listType);
}

const char* AM_View_Interface::addTuningPresetList(const AM_ParamInfo* tuningRecord)
{
    return library_.addTuningPresetList(tuningRecord);
}

ModulePresetList* AM_View_Interface::getModulePresetList(const char* modulePath)
{
    return library_.getModulePresetList(modulePath);
}

PresetFolder* AM_View_Interface::getPresetFolders(const char* modulePath)
{
    return library_.getPresetFolders(modulePath);
}

PresetFolder* AM_View_Interface::getCurrentFolder(const char* modulePath)
{
    return library_.getCurrentFolder(modulePath);
}

PresetListItem* AM_View_Interface::getPresetItems(const char* modulePath)
{
    return library_.getPresetItems(modulePath);
}

void AM_View_Interface::setCurrentFolder(PresetFolder* folder, const char* modulePath)
{
    library_.setCurrentFolder(folder, modulePath);
}

void AM_View_Interface::setCurrentPreset(const char* name, const char* extension,
                                         const char* modulePath)
{
    library_.setCurrentPreset(name, extension, modulePath);
}

const char* AM_View_Interface::getCurrentPresetName(const char* modulePath)
{
    return library_.getCurrentPresetName(modulePath);
}

const char* AM_View_Interface::getCurrentPresetExtension(const char* modulePath)
{
    return library_.getCurrentPresetExtension(modulePath);
}

PresetListItem* AM_View_Interface::doesPresetExist(const char* name, const char* extension,
                                                   const char* modulePath)
{
    return library_.doesPresetExist(name, extension, modulePath);
}

void AM_View_Interface::nextPreset(const char* modulePath)
{
    library_.nextPreset(modulePath);
}

void AM_View_Interface::previousPreset(const char* modulePath)
{
    library_.previousPreset(modulePath);
}

PresetSaveResult AM_View_Interface::saveSelectedModulePreset(const char* name, bool force)
{
    // Without a selected module the path would name the whole patch's list:
    // a module's preset never lands there.
    if (selectedModuleId_ < 0 || name == nullptr) {
        AM_STD::printv("saveSelectedModulePreset: no module selected");
        return PresetSaveResult::kRefused;
    }
    char edited[ModulePresetList::kMaxPresetNameBytes + 2];
    viewtext::copy(edited, sizeof edited, name);
    return savePreset(edited, selectedModuleName_, force);
}

void AM_View_Interface::rescanPresets(const char* modulePath)
{
    library_.rescanPresets(modulePath);
}

bool AM_View_Interface::createPresetFolder(const char* name, const char* modulePath)
{
    return library_.createPresetFolder(name, modulePath);
}

void AM_View_Interface::refreshCurrentFolder(const char* modulePath)
{
    library_.refreshCurrentFolder(modulePath);
}

void AM_View_Interface::scanPresetFolders(const char* modulePath)
{
    library_.scanPresetFolders(modulePath);
}

void AM_View_Interface::scanPresetItems(const char* modulePath)
{
    library_.scanPresetItems(modulePath);
}

PresetLoadResult AM_View_Interface::loadPreset(PresetListItem* item, const char* modulePath)
{
    return library_.loadPreset(item, modulePath);
}

PresetSaveResult AM_View_Interface::savePreset(char* name, const char* modulePath, bool force)
{
    return library_.savePreset(name, modulePath, force);
}

void AM_View_Interface::updatePresetDisplay()
{
    library_.updatePresetDisplay();
}

bool AM_View_Interface::isModulePresetList(const char* modulePath)
{
    const ModulePresetList* list = getModulePresetList(modulePath);
    return list != nullptr && list->listType() == PresetListType::kModule;
}

// --- What the library asks of the interface.

const char* AM_View_Interface::LibraryHost::presetProductName()
{
    AM_ViewManServices* viewMan = owner_.viewMan_;
    return viewMan != nullptr ? viewMan->getProductName() : nullptr;
}

const AM_PluginInfo* AM_View_Interface::LibraryHost::presetPluginInfo()
{
    AM_AudioMan* audio = owner_.getAudioMan();
    return audio != nullptr ? audio->getPluginInfo() : nullptr;
}

uint32_t AM_View_Interface::LibraryHost::presetPluginId()
{
    AM_AudioMan* audio = owner_.getAudioMan();
    return audio != nullptr ? audio->getPluginId() : 0;
}

AM_ParamInfo* AM_View_Interface::LibraryHost::findParameter(const char* moduleShortName,
                                                            const char* parameterShortName)
{
    return owner_.findParameter(moduleShortName, parameterShortName);
}

AM_ParamInfo* AM_View_Interface::LibraryHost::getParameterInfo(int32_t index, bool published)
{
    return owner_.getParameterInfo(index, published);
}

void* AM_View_Interface::LibraryHost::getParameterValue(int32_t index)
{
    // The interface hands out copies; the library only reads them.
    return const_cast<void*>(owner_.getParameterValue(index));
}

void AM_View_Interface::LibraryHost::setParameterValue(int32_t index, void* value)
{
    owner_.setParameterValue(index, value);
}

int32_t AM_View_Interface::LibraryHost::presetModuleId(const char* modulePath)
{
    const AM_ModuleRecord* record = owner_.getModuleInfoL(modulePath);
    return record != nullptr ? static_cast<int32_t>(record->moduleIndex) : -1;
}

const char* AM_View_Interface::LibraryHost::presetModuleLongName(int32_t moduleId)
{
    const AM_ModuleRecord* record = owner_.getModuleInfoByIndex(moduleId);
    return record != nullptr ? record->longName : nullptr;
}

void AM_View_Interface::LibraryHost::refreshModuleParameters(int32_t moduleId)
{
    owner_.refreshModuleParameters(moduleId);
}

std::vector<uint8_t> AM_View_Interface::LibraryHost::presetStateInfo(const char* modulePath)
{
    return owner_.getStateInfo(modulePath);
}

bool AM_View_Interface::LibraryHost::presetSetStateInfo(const void* data, uint32_t size,
                                                        const char* modulePath)
{
    return owner_.setStateInfo(data, size, modulePath);
}

std::vector<uint8_t> AM_View_Interface::LibraryHost::presetFxpProgram()
{
    return owner_.getFxpProgram();
}

void AM_View_Interface::LibraryHost::nativePresetChanged(const char* name)
{
    owner_.nativePresetChanged(name);
}

void AM_View_Interface::LibraryHost::presetTopControlMessage(uint32_t message,
                                                             const char* modulePath)
{
    owner_.sendTopControlMessage(0, message, 0, const_cast<char*>(modulePath));
}

int32_t AM_View_Interface::LibraryHost::askThreeWay(const char* name)
{
    return owner_.askThreeWay(name);
}
