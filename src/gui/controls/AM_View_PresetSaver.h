#pragma once
// The small preset button of one module. Bound to the module's preset
// parameter it shows the module's current preset name; its menu offers
// "save %s settings" and the module's presets, and a click points the shared
// preset browser (the folder view "_PresetFolders", the list view
// "_ModulePresets" and the label "_PresetType", found by name on every
// click) at the module and opens or closes the pane that holds them: a
// second click on the same button closes it, a click on another button
// re-targets it. A parameter named "Tuning" makes it a tuning-file button.
// Unbound it acts on the whole-patch list: a click opens the save form, an
// Alt-click saves over the current preset and, with Control or Shift, steps
// to the previous or next one.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <string>
#include <vector>

class AM_View_PresetSaver : public AM_ViewControl {
public:
    static constexpr int32_t kTextBytes = 64;
    // Run-menu commands (code 5): save, load the item of the user data.
    static constexpr uint32_t kCmdSave = 1;
    static constexpr uint32_t kCmdLoad = 2;
    // The names of the shared browser's controls.
    static constexpr const char* kFoldersName = "_PresetFolders";
    static constexpr const char* kListName = "_ModulePresets";
    static constexpr const char* kTypeLabelName = "_PresetType";
    // The parameter name of a tuning button.
    static constexpr const char* kTuningParameter = "Tuning";

    AM_View_PresetSaver(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_PresetSaver() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;
    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    void draw(AM_Context* context) override;
    void writeProperties(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // A preset's name as port 0's value from the user: sent to the bound
    // parameter in a buffer as large as the parameter's text, and shown.
    void showPresetName(const char* name);
    // A text as the value of a control's port: at least as many bytes as the
    // bound parameter's text holds, zero-filled after the text.
    static std::vector<char> textValue(AM_ViewControl* control, int32_t port, const char* text);

    void setClientPane(AM_ViewControl* pane);
    AM_ViewControl* getClientPane() const { return clientPane_; }
    // The list the button acts on (empty when unbound).
    const std::string& getPresetListName() const { return presetListName_; }
    const char* getDisplayText() const { return displayText_; }
    bool isTuning() const { return isTuning_; }
    int32_t getFormat() const { return format_; }

private:
    const AM_ParamInfo* boundParameter();
    // The key of the list: the tuning list's name, else the parameter's name.
    std::string listKey();
    void mainListClick(uint32_t buttons);
    void showPresetMenu(const float* point);
    // Points the shared browser at the list; true when the list view
    // pointed at this button already.
    bool pointBrowser(const std::string& key);

    AM_ViewControl* clientPane_ = nullptr;
    std::string presetListName_;
    char displayText_[kTextBytes] = "...";
    int32_t textAlignment_ = 1;
    int32_t textVAlignment_ = 1;
    float textSize_ = 9.0f;
    float textVOffset_ = -2.0f;
    int32_t format_ = 0;
    bool isTuning_ = false;
};
