#pragma once
// The GUI-to-engine interface of the VST plug-in: connects the editor's
// parameter, module and preset operations to the plug-in object and its
// audio manager. It keeps copies of the module and parameter records so the
// editor reads them without asking the engine, passes value changes to the
// audio manager and to the host (automation and edit gestures), builds the
// FXP program image, and reads and writes the state of a single module
// through the "PCore" parameter "SelMod".
//
// The editor creates it when it opens and deletes it when it closes. What
// the plug-in tells the editor (host automation, MIDI controllers, program
// changes) arrives through the plug-in's notification queue on the editor's
// idle call (the AM_VST_ViewSeam operations).
//
// Threads: the editor's user-interface thread only. The state operations
// take the plug-in's state lock, so they never overlap the host's getChunk
// or setChunk; they refuse to run on the audio thread.

#include "plugin/AM_VST_EditorSeam.h"
#include "presets/AM_View_Interface.h"

#include <cstdint>
#include <vector>

class AM_VST_EditorBase;
class AM_VST_base;

class AM_VST_View_Interface : public AM_View_Interface, public AM_VST_ViewSeam {
public:
    // Bytes of the FXP header before the chunk; characters of its name.
    static constexpr uint32_t kFxpHeaderBytes = 60;
    static constexpr uint32_t kFxpNameChars = 27;
    // The size asked of the state writer (the writer sets the real one).
    static constexpr uint32_t kStateSizeHint = 1000;

    explicit AM_VST_View_Interface(AM_VST_EditorBase& editor);
    ~AM_VST_View_Interface() override;

    using AM_View_Interface::parameterChanged;

    // The editor window's resize.
    void sizeWindow(int32_t width, int32_t height) override;
    // Caches the module and parameter records, builds the tables of the
    // base and the host-index map, the names of the modulation sources, and
    // tells the view manager the parameters were refreshed.
    void initialize(AM_ViewManServices* viewMan) override;
    AM_AudioMan* getAudioMan() override;
    int32_t getNumParameters() override;
    int32_t getNumModules() override;
    // Entry `id` of the module table; null outside it.
    AM_ModuleRecord* getModuleInfoByIndex(int32_t id) override;
    // Writes the value into the engine once; for an automatable parameter
    // tells the host the normalised value once; tells the ports once.
    void setParameterValue(int32_t index, const void* value) override;
    // A list parameter shows its value name.
    void getParameterDisplay(int32_t index, const void* value, char* text) override;
    // A data block: a copy of it (terminated one byte behind its end),
    // valid until the next call for the same parameter; otherwise a float
    // valid until the next call.
    const void* getParameterValue(int32_t index) override;
    // The host's begin and end of an automation gesture (automatable
    // parameters only).
    void beginEndEdit(int32_t index, bool begin) override;
    void nativePresetChanged(const char* name) override;
    std::vector<uint8_t> getFxpProgram() override;
    std::vector<uint8_t> getStateInfo(const char* modulePath) override;
    bool setStateInfo(const void* data, uint32_t size, const char* modulePath) override;
    // Also arms (or, for null, disarms) the plug-in's MIDI learn.
    void midiLearn(const AM_ParamInfo* record, AM_PortOwner* control) override;

    // --- What the plug-in tells the editor (AM_VST_ViewSeam), delivered on
    // the editor's idle call.

    void parameterChanged(int32_t index, float value, bool published) override;
    // The host restored a state, MIDI chose a program, or the editor opened.
    void hostProgramChanged() override;
    void hostProgramNameChanged(const char* name) override;
    // The plug-in's MIDI learn took a controller: midiLearnDone.
    void midiLearned(int32_t controller) override;

    // The editor's window, the parent of the editor's dialogs.
    void* getParentWindow();

    int32_t getAutomatableCount() const { return automatableCount_; }
    // The internal index of a published one; -1 when the map has none.
    int32_t hostIndexToInternal(int32_t publishedIndex) const;
    bool isNativeLoad() const { return nativeLoad_; }

protected:
    int32_t internalIndexOf(int32_t publishedIndex) override;

private:
    AM_VST_base* plugin() const;
    // The name the editor shows for a program name of the plug-in.
    const char* shownProgramName(const char* program);
    // True for a list of a single module (selected through "SelMod").
    bool selectForState(const char* modulePath, bool announce);
    void setSelectedModule(float id);

    AM_VST_EditorBase& editor_;
    std::vector<AM_ParamInfo> parameters_;
    int32_t automatableCount_ = 0;
    // Published index -> internal index; kNoIndex where none.
    std::vector<uint32_t> hostIndexMap_;
    float valueScratch_ = 0.0f;
    // A copy of each data block as getParameterValue hands it out.
    std::vector<std::vector<uint8_t>> dataCopies_;
    // A text value as the engine takes it: the block's size, zero-filled.
    std::vector<uint8_t> textScratch_;
    bool nativeLoad_ = false;
};
