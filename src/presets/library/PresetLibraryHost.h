#pragma once
// What the preset library needs of the GUI-to-engine interface and of the
// view manager behind it. The interface implements it; tests use a
// recording fake.
//
// Threads: every call comes from the user-interface thread.

#include "engine/module/AM_PluginInfo.h"
#include "params/object/AM_ParamInfo.h"

#include <cstdint>
#include <vector>

class PresetLibraryHost {
public:
    // The messages the library sends to the view manager's top control.
    static constexpr uint32_t kMessagePresetChanged = 46;
    static constexpr uint32_t kMessageFolderChanged = 47;
    // Answers of askThreeWay.
    static constexpr int32_t kAnswerCancel = 0;
    static constexpr int32_t kAnswerBackupAndSave = 1;
    static constexpr int32_t kAnswerOverwrite = 2;

    virtual ~PresetLibraryHost() = default;

    // The view manager's product name: the root name of every list and the
    // tag key of the whole-patch list. Null counts as empty.
    virtual const char* presetProductName() = 0;
    // The audio manager's plug-in information block: the maker, component
    // and effect names of the preset places. Null: no list finds a place.
    virtual const AM_PluginInfo* presetPluginInfo() = 0;
    // The plug-in ID a program file ("fxp") must carry.
    virtual uint32_t presetPluginId() = 0;

    // The parameter of a module's short name and a parameter's short name;
    // null when either does not exist.
    virtual AM_ParamInfo* findParameter(const char* moduleShortName,
                                        const char* parameterShortName) = 0;
    // The descriptor of an internal (published false) index; null outside.
    virtual AM_ParamInfo* getParameterInfo(int32_t index, bool published) = 0;
    // The current value: a float for value parameters, the block for data
    // and text parameters (as many bytes as the descriptor's max); null when
    // there is none.
    virtual void* getParameterValue(int32_t index) = 0;
    // Sets a value the same way (a data or text block of the descriptor's
    // max bytes).
    virtual void setParameterValue(int32_t index, void* value) = 0;

    // The module id of the module a module path names (its part before the
    // first '/' is the module's long name); -1 when none.
    virtual int32_t presetModuleId(const char* modulePath) = 0;
    // The long name of the module with that id; null when none.
    virtual const char* presetModuleLongName(int32_t moduleId) = 0;
    // Re-announces the module's parameter values to the controls.
    virtual void refreshModuleParameters(int32_t moduleId) = 0;

    // The state to save for a list: one module's state for a module path of
    // a module list, else the whole patch. Empty when there is none.
    virtual std::vector<uint8_t> presetStateInfo(const char* modulePath) = 0;
    // Applies a state text the same way; false when the engine refused it
    // (nothing changed then).
    virtual bool presetSetStateInfo(const void* data, uint32_t size, const char* modulePath) = 0;
    // The whole patch as a program file image; empty when there is none.
    virtual std::vector<uint8_t> presetFxpProgram() = 0;
    // A whole-patch preset was loaded or saved under that name.
    virtual void nativePresetChanged(const char* name) = 0;

    // Sends the message (kMessagePresetChanged or kMessageFolderChanged)
    // to the view manager's top control with class mask 0, argument 0 and
    // the module path as data.
    virtual void presetTopControlMessage(uint32_t message, const char* modulePath) = 0;
    // The view manager's question "Preset exists": kAnswerBackupAndSave,
    // kAnswerCancel or kAnswerOverwrite (closing it otherwise answers
    // kAnswerCancel).
    virtual int32_t askThreeWay(const char* name) = 0;
};
