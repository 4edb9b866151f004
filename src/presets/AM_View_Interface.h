#pragma once
// The one object through which the editor reads and writes the engine:
// parameter records and values, the ports that show each parameter, module
// records and their active flags, the targets of the meta (XY) parameters,
// the names of the modulation sources and which of them are in use, MIDI
// learn and the presets. This base holds everything that does not depend
// on the plug-in host; AM_VST_View_Interface supplies the rest.
//
// Every index that comes from the editor (parameter, module, listener
// place, value name) is checked: an index outside its table changes nothing
// and answers null, -1 or "void".
//
// Threads: the editor's user-interface thread only. Nothing is locked here;
// the audio manager's queued parameter path takes the changes to the audio
// thread.

#include "engine/module/AM_AudioObject.h"
#include "engine/module/AM_ModuleRecord.h"
#include "presets/library/PresetLibrary.h"

#include <cstdint>
#include <memory>
#include <vector>

class AM_AudioMan;
class AM_PortOwner;
class AM_ViewManServices;
struct AM_InfoLine;
struct AM_ParamInfo;
struct AM_PortRecord;

class AM_View_Interface {
public:
    // Ports that may show one parameter.
    static constexpr int32_t kListenerPlaces = 4;
    // Module record flag: the module is active.
    static constexpr uint32_t kModuleActive = 0x100;
    // The last applied usage masks before the first update.
    static constexpr uint32_t kNoMask = 0x8fffffff;
    // Targets per meta parameter looked for at most.
    static constexpr int32_t kMaxModTargets = 16;
    // Modulation sources per usage mask.
    static constexpr int32_t kSourcesPerMask = 23;
    // Bytes of a display text, of the default extension.
    static constexpr uint32_t kDisplayTextBytes = 32;
    static constexpr uint32_t kExtensionBytes = 16;
    // Value names built at most for one parameter.
    static constexpr int32_t kMaxValueNames = 4096;
    // The parameter number that assignModTarget writes as "unassigned".
    static constexpr int32_t kUnassignParameter = 65535;
    // Parameter flags the interface acts on.
    static constexpr uint32_t kFlagUsageChange = 0x40;
    static constexpr uint32_t kFlagRefreshAll = 0x1000;
    // Parameters refreshModuleParameters leaves out.
    static constexpr uint32_t kFlagsNotRefreshed = 0x10000500;

    AM_View_Interface();
    virtual ~AM_View_Interface();
    AM_View_Interface(const AM_View_Interface&) = delete;
    AM_View_Interface& operator=(const AM_View_Interface&) = delete;

    // --- Window and lifecycle.

    // Resizes the editor window; nothing here.
    virtual void sizeWindow(int32_t width, int32_t height);
    // Writes the first preset list's current folder path and preset file
    // name into "PCore" "PFold" and "PFile".
    virtual void updatePresetDisplay();
    // Writes "WTF?!?\n" to the standard output.
    virtual void reportUnexpectedCall();
    // Binds the view manager (which may be null: nothing is then asked of
    // it) and builds the listener table, the first-parameter map, the meta
    // and target counts and the "ModU" indices. Called again, it rebuilds
    // them (every port registration is dropped).
    virtual void initialize(AM_ViewManServices* viewMan);
    AM_ViewManServices* getViewMan() const { return viewMan_; }

    // --- Parameters.

    // Null here.
    virtual AM_AudioMan* getAudioMan();
    // The audio manager's parameter count (internal numbering); 0 with a
    // line on the standard output when there is none.
    virtual int32_t getNumParameters();
    // The audio manager's record of an internal index, or of a published one
    // with the flag; null for any other index.
    virtual AM_ParamInfo* getParameterInfo(int32_t index, bool published = false);
    // Writes a value into the engine and tells the ports; nothing here.
    virtual void setParameterValue(int32_t index, const void* value);
    // Tells the ports that show the parameter (internal index, or published
    // with hostNumbering) its new value.
    virtual void parameterChanged(int32_t index, const void* value, bool hostNumbering);
    // The display text of a value (of the current one when value is null)
    // into text, which holds kDisplayTextBytes bytes; "void" without a value.
    virtual void getParameterDisplay(int32_t index, const void* value, char* text);
    // The current value: a float, or the data block; null here.
    virtual const void* getParameterValue(int32_t index);
    // Opens or closes the host's automation gesture; nothing here.
    virtual void beginEndEdit(int32_t index, bool begin);
    // Takes the port out of the places of the parameter it is bound to and,
    // with add, puts it into the first free place of `index`: answers that
    // place (0 to 3), or -1 (no add, a bad index, or four ports already).
    virtual int32_t registerParameterListener(AM_PortRecord* port, int32_t index, bool add);
    // The record of a parameter by module and parameter short name; null
    // when either does not exist.
    virtual AM_ParamInfo* findParameter(const char* module, const char* name);
    // The port in place `place` of a parameter; null when there is none.
    AM_PortRecord* getListener(int32_t index, int32_t place) const;

    // --- Modules. A module path is a module's long name, optionally
    // followed by '/' and further text.

    virtual int32_t getNumModules();
    // The first record with that short name; null when none.
    virtual AM_ModuleRecord* getModuleInfo(const char* shortName);
    // The record whose module id equals the argument; null when none.
    virtual AM_ModuleRecord* getModuleInfoByIndex(int32_t id);
    // The record whose long name is the module part of the path.
    virtual AM_ModuleRecord* getModuleInfoL(const char* modulePath);
    virtual void setModuleActive(const char* shortName, bool on);
    virtual void setModuleActiveL(const char* modulePath, bool on);
    virtual bool isModuleActive(const char* shortName);
    // Announces every parameter of a module again to its ports (meters,
    // hidden, unsaved and assignment-target parameters left out).
    virtual void refreshModuleParameters(int32_t moduleIndex);
    // The lowest parameter index of a module; -1 for none.
    int32_t getFirstParameter(int32_t moduleIndex) const;

    // --- Meta parameters, modulation targets and sources.

    // The count of meta (XY axis) parameters; restarts nextMetaParameterName.
    virtual int32_t getNumMetaParameters();
    virtual int32_t getNumModTargets();
    // The long name of the next meta parameter of a circular walk; "NoMeta"
    // when there is none.
    virtual const char* nextMetaParameterName();
    // Assigns a parameter (-1 or 65535: none) to target `target` of meta
    // parameter `slot` (both from 0; target -1 picks the target), fills and
    // shows info line 0 and sets the target's range parameters.
    virtual void assignModTarget(int32_t slot, int32_t parameter, int32_t target);
    // The parameter assigned to target `target` of meta parameter `slot`;
    // -1 for none and when that target does not exist.
    virtual int32_t getModTarget(int32_t slot, int32_t target);
    // The display texts of every whole value of a list parameter become the
    // value names (the names of the modulation sources).
    virtual void buildValueNames(const AM_ParamInfo* record);
    virtual AM_ValueNames getValueNames();
    int32_t getValueNameCount() const { return valueNameCount_; }
    // The built name of a whole value (the names start at value 0); null
    // outside them (AM_valueNameAt).
    const char* getValueName(float value) const;
    // Switches the modules that serve as modulation sources on or off by
    // the usage masks "ModU1" and "ModU2": those whose bit changed, or all
    // with force, and tells the controls (message 15).
    virtual void updateActiveModules(bool force);

    // --- Module selection, preset formats.

    // The module named by the path (null: none) becomes the selected one.
    virtual void selectModule(const char* modulePath);
    int32_t getSelectedModuleId() const { return selectedModuleId_; }
    const char* getSelectedModuleName() const
    {
        return selectedModuleId_ >= 0 ? selectedModuleName_ : nullptr;
    }
    // 1 (the default): whole-patch presets are saved as native "h2p" state;
    // 0: as the default extension's data.
    virtual void setNativeFormat(uint32_t flag);
    virtual uint32_t getNativeFormat();
    const char* getDefaultExtension() const { return library_.defaultExtension(); }

    // --- Presets. A module path names a list by its module (the
    // whole-patch list is "Presets"); null names the first list. Every
    // operation does nothing, or answers null, when there is no such list.

    // Creates the list of the path's module once (type 0 or 1 the whole
    // patch, 2 a module, 4 tuning files) and selects its folder.
    virtual ModulePresetList* addModulePresetList(const char* modulePath, int32_t listType);
    // The "%s Tuning" list of a tuning parameter; its name, or "not
    // applicable".
    virtual const char* addTuningPresetList(const AM_ParamInfo* tuningRecord);
    virtual ModulePresetList* getModulePresetList(const char* modulePath);
    virtual PresetFolder* getPresetFolders(const char* modulePath);
    virtual PresetFolder* getCurrentFolder(const char* modulePath);
    virtual PresetListItem* getPresetItems(const char* modulePath);
    // Makes the folder current (null: the first), lists it and tells the
    // controls (message 47).
    virtual void setCurrentFolder(PresetFolder* folder, const char* modulePath);
    // Copies both texts into the list's current preset name and extension.
    virtual void setCurrentPreset(const char* name, const char* extension, const char* modulePath);
    virtual const char* getCurrentPresetName(const char* modulePath);
    virtual const char* getCurrentPresetExtension(const char* modulePath);
    virtual PresetListItem* doesPresetExist(const char* name, const char* extension,
                                            const char* modulePath);
    // Load the next (previous) preset not tagged junk.
    virtual void nextPreset(const char* modulePath);
    virtual void previousPreset(const char* modulePath);
    // savePreset of the name for the selected module's list; refused when
    // no module is selected.
    virtual PresetSaveResult saveSelectedModulePreset(const char* name, bool force);
    virtual void rescanPresets(const char* modulePath);
    virtual bool createPresetFolder(const char* name, const char* modulePath);
    virtual void refreshCurrentFolder(const char* modulePath);
    virtual void scanPresetFolders(const char* modulePath);
    virtual void scanPresetItems(const char* modulePath);
    // Reads the item's file and applies it by its extension; makes it the
    // current preset and tells the controls (message 46).
    virtual PresetLoadResult loadPreset(PresetListItem* item, const char* modulePath);
    // Saves the current state as name "." extension into the list's current
    // folder; the old file stays as it was unless the save succeeds. The
    // name is edited in place into a file name.
    virtual PresetSaveResult savePreset(char* name, const char* modulePath, bool force);
    // True when the path names a list of a single module's presets.
    virtual bool isModulePresetList(const char* modulePath);
    PresetLibrary& presetLibrary() { return library_; }

    // --- Whole-patch state and the host.

    // Called after a whole-patch preset was loaded or saved.
    virtual void nativePresetChanged(const char* name) = 0;
    // The FXP program image of the whole patch; empty when there is no state.
    virtual std::vector<uint8_t> getFxpProgram() = 0;
    // The state of the patch, or of the module of a single-module list;
    // empty when there is none.
    virtual std::vector<uint8_t> getStateInfo(const char* modulePath) = 0;
    // Applies a state to the patch, or to the module of a single-module
    // list; false when it was refused.
    virtual bool setStateInfo(const void* data, uint32_t size, const char* modulePath) = 0;

    // --- MIDI learn.

    // Remembers the parameter (null: none) and the control that asked.
    virtual void midiLearn(const AM_ParamInfo* record, AM_PortOwner* control);
    // Hands the remembered parameter and control with the learned
    // controller to the view manager.
    virtual void midiLearnDone(int32_t controller);
    const AM_ParamInfo* getMidiLearnParameter() const { return learnParameter_; }

    // Resets the process-wide cursor of findParameter. Tests.
    static void resetProcessState();

protected:
    // The three-way question, with every answer other than the buttons'
    // read as Cancel.
    int32_t askThreeWay(const char* name);
    // The "PCore" parameter of that short name, or null.
    AM_ParamInfo* findCoreParameter(const char* name);
    // Sends a message to the controls through the view manager's top
    // control.
    void sendTopControlMessage(uint32_t classMask, uint32_t message, uint32_t arg, void* data);
    // Tells the ports of a parameter (internal index, checked) the value.
    void notifyListeners(int32_t index, const void* value);
    // The internal index of a published one through the audio manager.
    virtual int32_t internalIndexOf(int32_t publishedIndex);
    // The module count and table the host subclass fills.
    void setModuleTable(std::vector<AM_ModuleRecord> table);
    std::vector<AM_ModuleRecord>& moduleTable() { return modules_; }
    void setDefaultExtension(const char* extension);

    AM_ViewManServices* viewMan_ = nullptr;

private:
    // What the preset library asks of the interface.
    class LibraryHost : public PresetLibraryHost {
    public:
        explicit LibraryHost(AM_View_Interface& owner) : owner_(owner) {}
        const char* presetProductName() override;
        const AM_PluginInfo* presetPluginInfo() override;
        uint32_t presetPluginId() override;
        AM_ParamInfo* findParameter(const char* moduleShortName,
                                    const char* parameterShortName) override;
        AM_ParamInfo* getParameterInfo(int32_t index, bool published) override;
        void* getParameterValue(int32_t index) override;
        void setParameterValue(int32_t index, void* value) override;
        int32_t presetModuleId(const char* modulePath) override;
        const char* presetModuleLongName(int32_t moduleId) override;
        void refreshModuleParameters(int32_t moduleId) override;
        std::vector<uint8_t> presetStateInfo(const char* modulePath) override;
        bool presetSetStateInfo(const void* data, uint32_t size, const char* modulePath) override;
        std::vector<uint8_t> presetFxpProgram() override;
        void nativePresetChanged(const char* name) override;
        void presetTopControlMessage(uint32_t message, const char* modulePath) override;
        int32_t askThreeWay(const char* name) override;

    private:
        AM_View_Interface& owner_;
    };

    void writeTargetRange(int32_t slot, int32_t target, int32_t parameter);

    // Four places per parameter.
    std::vector<AM_PortRecord*> listeners_;
    int32_t listenerParameters_ = 0;
    AM_PortOwner* learnControl_ = nullptr;
    const AM_ParamInfo* learnParameter_ = nullptr;
    std::vector<AM_ModuleRecord> modules_;
    std::vector<int32_t> firstParameter_;
    int32_t selectedModuleId_ = -1;
    char selectedModuleName_[k_moduleLongNameBytes] = {};
    int32_t metaParameterCount_ = 0;
    int32_t modTargetCount_ = 0;
    int32_t metaWalkPosition_ = 0;
    int32_t valueNameCount_ = 0;
    std::unique_ptr<char[][k_valueNameBytes]> valueNames_;
    int32_t usageIndex1_ = -1;
    int32_t usageIndex2_ = -1;
    uint32_t lastMask1_ = kNoMask;
    uint32_t lastMask2_ = kNoMask;
    LibraryHost libraryHost_{*this};
    // The preset lists (the first one the whole patch's); they go before
    // the rest of the interface.
    PresetLibrary library_{libraryHost_};
};
