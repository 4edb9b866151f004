// Opening the GUI: the order of init, the zoom step of the patch and the
// themes found in the data folder.

#include "foundation/AM_DataFolder.h"
#include "foundation/AM_Directory.h"
#include "foundation/AM_DirectoryIterator.h"
#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Context.h"
#include "gui/views/AM_InstanceRecord.h"
#include "gui/views/AM_RootView.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kMakerFolder = "Orlen";
constexpr const char* kThemesFolder = "Themes";
// Flag of a theme's script record: the theme has its own editor set-up.
constexpr uint32_t kThemeHasEditorSetup = 1;

constexpr float kZoomSteps[] = {0.5f, 0.6666667f, 0.75f, 1.0f, 1.5f, 2.0f, 2.5f, 2.7182817f};
constexpr int32_t kZoomStepCount = int32_t(sizeof kZoomSteps / sizeof kZoomSteps[0]);
// The value of the scale parameter that selects the first step.
constexpr int32_t kZoomStepOffset = 3;

constexpr const char* kEditorRootName = "editRootControl";
constexpr const char* kEditorSetupFile = "EditorSetup.txt";
constexpr const char* kPatchPresetList = "Presets";
// Messages to every control once the GUI is open: bind the editor's own
// fields, then count the memory the controls use.
constexpr uint32_t kMsgBindEditor = 48;
constexpr uint32_t kMsgMemoryUse = 70;

// The scripts folder with a file name, one separator between them.
std::string inScripts(const char* folder, const std::string& name)
{
    std::string path = folder != nullptr ? folder : "";
    if (!path.empty() && path.back() != '/' && path.back() != '\\')
        path += '/';
    return path + name;
}

std::string narrow(const AM_String& text)
{
    std::string out(size_t(text.getNarrowLength()) + 1, '\0');
    text.getNarrow(out.data(), int32_t(out.size()));
    out.resize(std::strlen(out.c_str()));
    return out;
}

} // namespace

float AM_ViewMan::zoomForScale(float scale)
{
    if (!std::isfinite(scale) || scale == 0.0f) {
        return 1.0f;
    }
    // A stored value outside the table takes its nearest end.
    const float step = std::trunc(scale) + float(kZoomStepOffset);
    const int32_t index = step < 0.0f                  ? 0
                          : step >= float(kZoomStepCount) ? kZoomStepCount - 1
                                                          : int32_t(step);
    return kZoomSteps[index];
}

void AM_ViewMan::applyZoomScale()
{
    const AM_ParamInfo* info =
        interface_ != nullptr ? interface_->findParameter("PCore", "GScale") : nullptr;
    if (info == nullptr) {
        AM_STD::printv("NO GUIScale on init");
        return;
    }
    // Values cross the interface as floats, list parameters like this one
    // included.
    float scale = 0.0f;
    if (const void* value = interface_->getParameterValue(int32_t(info->index))) {
        std::memcpy(&scale, value, sizeof scale);
    }
    if (scale == 0.0f) {
        return;
    }
    zoom_ = zoomForScale(scale);
    inverseZoom_ = 1.0f / zoom_;
    if (AM_Context* context = getContext()) {
        context->setZoom(zoom_, 0.0f, 0.0f);
    }
}

void AM_ViewMan::setupFolders()
{
    const AM_PluginInfo* info = getPluginInfo();
    if (info == nullptr) {
        return;
    }
    AM_Directory support;
    if (getSpecialFolder(support, kAM_FolderSupport, 0, kMakerFolder, info->componentName) != 0) {
        return;
    }
    const std::string themes = narrow(support.path()) + kThemesFolder + "/";
    AM_Directory folder{AM_String(themes.c_str())};
    AM_DirectoryIterator listing(folder, nullptr);
    // Listing order, folders only.
    std::vector<std::string> names;
    while (AM_FileObject* entry = listing.next()) {
        std::unique_ptr<AM_FileObject> owned(entry);
        if (owned->getType() != AM_FileObject::kTypeFolder) {
            continue;
        }
        AM_String name;
        owned->getName(name);
        names.push_back(narrow(name));
    }
    const std::string script = std::string(getPluginName()) + ".txt";
    uint32_t alternative = 1;
    for (const std::string& name : names) {
        const std::string theme = themes + name + "/";
        AM_Directory scripts{AM_String((theme + "Scripts/").c_str())};
        bool isFolder = true;
        if (!scripts.exists(AM_String(script.c_str()), &isFolder) || isFolder) {
            continue;
        }
        AM_Directory themeFolder{AM_String(theme.c_str())};
        bool setupIsFolder = true;
        const bool hasSetup =
            themeFolder.exists(AM_String("EditorSetup.txt"), &setupIsFolder) && !setupIsFolder;
        addScript((theme + "Scripts/" + script).c_str(), name.c_str(), alternative,
                  hasSetup ? kThemeHasEditorSetup : 0);
        const std::string images = theme + "Images/";
        AM_STD::printv("ImagePath: %s", images.c_str());
        loadImages(images.c_str(), alternative);
        ++alternative;
    }
}

bool AM_ViewMan::init(const AM_Rect* bounds)
{
    AM_InstanceRecord* record = getInstanceRecord();
    if (record == nullptr) {
        return false;
    }
    if (countedRecord_ == nullptr) {
        countedRecord_ = record;
        ++record->users;
        if (interface_ != nullptr) {
            interface_->addModulePresetList(kPatchPresetList, 0);
        }
    }
    applyZoomScale();
    if (bounds == nullptr) {
        setupFolders();
        return true;
    }

    registerDefaults();
    if (controlInstaller_ != nullptr) {
        controlInstaller_(this);
    }
    if (const char* images = getPath(kPathImages)) {
        loadImages(images, 0);
    }
    setupFolders();

    // The editor root pane: the top of the tree.
    if (editRoot_ == nullptr) {
        AM_Rect area = *bounds;
        if (!std::isfinite(area.x) || !std::isfinite(area.y)) {
            area.x = 0.0f;
            area.y = 0.0f;
        }
        if (!(area.w >= 1.0f) || !(area.h >= 1.0f)) {
            area.w = kMinEditorWidth;
            area.h = kMinEditorHeight;
        }
        AM_ViewControl* pane = createControl("Pane", &area);
        if (pane == nullptr) {
            AM_STD::printv("No Pane type: the editor can't open");
            return false;
        }
        pane->setName(kEditorRootName);
        pane->setState(0);
        for (int32_t slot = 0; pane->getColourName(slot) != nullptr; ++slot) {
            pane->setColour(nullptr, slot);
        }
        registerControl(pane, nullptr);
        editRoot_ = pane;
    }

    const char* scripts = getPath(kPathScripts);
    const bool guiEditing = isGuiEditing();
    if (guiEditing) {
        editMode_ = 1;
        editorSetupMode_ = 1;
        if (getPath(kPathEditorSetup) == nullptr) {
            setPath(kPathEditorSetup, inScripts(scripts, kEditorSetupFile).c_str());
        }
        // The editor's own controls: never saved with the GUI.
        loadScriptFile(getPath(kPathEditorSetup), 0);
        editRoot_->setVisible(true, kAllLayers, false);
        if (AM_ViewControl* first = editRoot_->getFirstChildControl()) {
            first->setVisible(false, kAllLayers, false);
        }
    }
    if (getPath(kPathCurrentScript) == nullptr) {
        setPath(kPathCurrentScript, inScripts(scripts, std::string(getPluginName()) + ".txt").c_str());
    }
    newRootView();
    if (!guiEditing) {
        loadScriptFile(getPath(kPathCurrentScript), 0);
        fitToContent();
        editRoot_->setVisible(true, kAllLayers, false);
    } else {
        loadScriptFile(getPath(kPathCurrentScript), 1);
        fitToContent();
    }

    if (interface_ != nullptr) {
        interface_->setCurrentFolder(interface_->getCurrentFolder(nullptr), nullptr);
    }
    if (getNumViewManagers() == 1) {
        loadDefaults();
    }
    sendMessage(kControlsClassMask, kMsgBindEditor, 0, nullptr);
    updateUndoButtons();
    uint32_t memory = 0;
    sendMessage(kControlsClassMask, kMsgMemoryUse, 0, &memory);
    AM_STD::printv("GUI controls use %u bytes", unsigned(memory));
    updateDisplayChain();
    updateTimerChain();
    // The canvas and the window: the GUI's size at the zoom.
    setZoom(zoom_);
    return true;
}
