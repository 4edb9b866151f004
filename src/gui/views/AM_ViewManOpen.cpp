// Opening the GUI: the zoom step of the patch and the themes found in the
// data folder.

#include "foundation/AM_DataFolder.h"
#include "foundation/AM_Directory.h"
#include "foundation/AM_DirectoryIterator.h"
#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Context.h"
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
    float scale = 0.0f;
    if (const void* value = interface_->getParameterValue(int32_t(info->index))) {
        if (info->kind() == k_kindInteger) {
            int32_t whole = 0;
            std::memcpy(&whole, value, sizeof whole);
            scale = float(whole);
        } else {
            std::memcpy(&scale, value, sizeof scale);
        }
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
        AM_STD::printv("ImagePath: %s", (theme + "Images/").c_str());
        ++alternative;
    }
}
