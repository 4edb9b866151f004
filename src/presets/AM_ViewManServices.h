#pragma once
// What the GUI-to-engine interface asks of the editor's view manager. The
// view manager implements these operations; tests use a recording stand-in.
//
// Threads: the editor's user-interface thread only.

#include <cstdint>

class AM_Object;
class AM_PortOwner;
struct AM_ParamInfo;

// One of the view manager's info lines: what the editor shows about the
// parameter (line 0) or the control (line 1) being changed.
struct AM_InfoLine {
    static constexpr uint32_t kTitleBytes = 32;
    static constexpr uint32_t kTextBytes = 39;

    // Line 0: the module record of the parameter concerned; line 1: the
    // control or graphic concerned.
    const void* subject = nullptr;
    uint8_t shown = 0;
    char title[kTitleBytes] = {};
    char text[kTextBytes] = {};
};

// The answers of the "Preset exists" question.
enum AM_ThreeWayAnswer : int32_t {
    k_answerCancel = 0,
    k_answerBackupAndSave = 1,
    k_answerOverwrite = 2,
};

class AM_ViewManServices {
public:
    // Messages the interface sends through the top control.
    static constexpr uint32_t kControlsClassMask = 4096;
    static constexpr uint32_t kMsgShowModule = 15;
    static constexpr uint32_t kMsgPresetLoaded = 46;
    static constexpr uint32_t kMsgFolderChanged = 47;
    // Info lines the view manager keeps.
    static constexpr int32_t kInfoLines = 2;

    virtual ~AM_ViewManServices() = default;

    // The product name: the root name of every preset list and the tag key
    // of the whole-patch list.
    virtual const char* getProductName() = 0;
    // Sets an interface refresh pending: the next timer tick calls the
    // interface's updateActiveModules with the flag.
    virtual void scheduleInterfaceRefresh(bool force) = 0;
    // Info line `index` (0 to kInfoLines - 1); null for any other index.
    virtual AM_InfoLine* getInfoLine(int32_t index) = 0;
    // Shows or hides info line `index` and tells the view manager's listener.
    virtual void showInfoLine(int32_t index, bool on) = 0;
    // The editor's root pane, through which the interface broadcasts
    // messages to the controls; null before the GUI script is loaded.
    virtual AM_Object* getTopControl() = 0;
    // Clears the refresh counter and the undo list and sets a parameter
    // refresh pending for the next timer tick.
    virtual void requestParameterRefresh() = 0;
    // Tells the view manager's listener that the parameters were refreshed.
    virtual void parametersRefreshed() = 0;
    // The modal "Preset exists" question ("Backup + Save", "Cancel",
    // "Overwrite"). Closing it any other way than with a button answers
    // k_answerCancel.
    virtual int32_t askThreeWay(const char* name) = 0;
    // MIDI learn of a parameter asked for by a control has taken a
    // controller.
    virtual void finishMidiLearn(const AM_ParamInfo* parameter, int32_t controller,
                                 AM_PortOwner* control) = 0;
};
