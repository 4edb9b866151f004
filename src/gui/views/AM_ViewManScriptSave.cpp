// Writing GUI scripts: the whole GUI (saveScript), a control's children
// (saveControlScript) and the default file (makeDefault). Every file is
// written whole through a temporary file that replaces it in one step, so a
// failed save leaves the old file as it was.

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/graphics/AM_GuiObject.h"
#include "gui/views/AM_PreferenceText.h"
#include "gui/views/AM_ScriptState.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "platform/FileSystem.h"

#include <cstring>
#include <string>

namespace {

// The disposal message: disposed controls leave the tree before a save.
constexpr uint32_t kMsgDisposeControls = 17;
constexpr const char* kScriptSuffix = ".txt";
constexpr const char* kPlaceholderName = "*placeholder*";

// Why a file could not be written, in words for the user.
std::string failureReason(platform::FileError error)
{
    namespace fe = platform::fileerror;
    switch (error) {
    case fe::kAccessDenied:
    case fe::kSharingViolation:
        return "access denied";
    case fe::kWriteProtected:
        return "the disk is write-protected";
    case fe::kDiskFull:
        return "the disk is full";
    case fe::kFileNotFound:
    case fe::kPathNotFound:
        return "its folder is missing";
    case fe::kNameTooLong:
        return "the path is too long";
    case fe::kInvalidName:
        return "the name is not valid";
    default:
        return "error " + std::to_string(error);
    }
}

// Writes the file; a failure is traced and shown to the user.
bool writeScriptFile(AM_ViewMan& viewMan, const std::string& path, const std::string& text)
{
    const platform::FileError error =
        platform::writeFileReplacing(path.c_str(), text.data(), text.size());
    if (error != 0) {
        AM_STD::printv("Can't write script %s: error %d, the old file is kept", path.c_str(),
                       int(error));
        const char* name = AM_STD::getFileName(path.c_str());
        viewMan.showAlert(AM_ViewMan::kSaveFailedTitle,
                          (std::string(name != nullptr ? name : path.c_str()) +
                           " could not be written (" + failureReason(error) +
                           "). The old file is kept.")
                              .c_str());
        return false;
    }
    return true;
}

} // namespace

bool AM_ViewMan::saveScript()
{
    const std::string target = scriptState->saveTarget;
    if (target.empty()) {
        AM_STD::printv("No editable script loaded: nothing to save to");
        showAlert(kSaveFailedTitle, "This GUI was not opened from a script that can be edited.");
        return false;
    }
    if (topControl_ != nullptr)
        topControl_->sendMessage(kControlsClassMask, kMsgDisposeControls, 0, nullptr);
    AM_STD::printv("saving to %s", target.c_str());

    std::string text;
    AM_ScriptWriter writer(text);
    if (!preferences_.empty()) {
        writer.banner(AM_ScriptSection::kPreferences);
        for (const AM_PreferenceRecord& record : preferences_.records()) {
            writer.line("\n\n", "DEFAULT")
                .text("type", record.type)
                .text("property", record.property)
                .integer("id", int32_t(record.id))
                .text("value", record.value);
        }
    }
    if (colours_ != nullptr) {
        writer.banner(AM_ScriptSection::kColours);
        sendMessage(kGuiColourBit, kGuiMsgSaveObjects, 0, &text);
    }
    if (graphics_ != nullptr) {
        writer.banner(AM_ScriptSection::kGraphics);
        sendMessage(kGuiGraphicBit, kGuiMsgSaveObjects, 0, &text);
    }
    // The GUI lives in the root view; without one, under the top control.
    AM_ViewControl* holder = rootView_ != nullptr ? rootView_ : topControl_;
    if (AM_ViewControl* first = holder != nullptr ? holder->getFirstChildControl() : nullptr) {
        writer.banner(AM_ScriptSection::kControls);
        first->writeControlTree(&text);
        writer.banner(AM_ScriptSection::kProperties);
        // The root view's own lines first: its listener entries carry the
        // GUI's gamma and font settings.
        if (holder == rootView_)
            rootView_->writeProperties(&text);
        first->writePropertyTree(&text);
    }
    writer.line("\n\n", "V_PROPERTY")
        .text("name", "ObjectInstance")
        .integer("id", 0)
        .integer("value", int32_t(nextObjectId_));

    const bool written = writeScriptFile(*this, target, text);
    if (written) {
        clearUndo();
        updateTimerChain();
    }
    return written;
}

bool AM_ViewMan::saveControlScript(AM_ViewControl* control)
{
    if (control == nullptr)
        return false;
    std::string base = scriptState->saveTarget;
    if (base.empty())
        base = loadedScriptPath_;
    const size_t suffix = std::strlen(kScriptSuffix);
    if (base.size() >= suffix && base.compare(base.size() - suffix, suffix, kScriptSuffix) == 0)
        base.resize(base.size() - suffix);
    const std::string oldName = control->getName();
    if (oldName.empty() || oldName.find_first_of("/\\") != std::string::npos) {
        AM_STD::printv("Control %s can't name a file: not saved", oldName.c_str());
        showAlert(kSaveFailedTitle,
                  ("The name \"" + oldName + "\" cannot be a file name: rename the control first.")
                      .c_str());
        return false;
    }
    const std::string path = base + oldName + kScriptSuffix;
    AM_STD::printv("saving to %s", path.c_str());

    std::string text;
    if (AM_ViewControl* first = control->getFirstChildControl()) {
        // The children name the placeholder as their parent.
        control->setName(kPlaceholderName);
        AM_ScriptWriter writer(text);
        writer.banner(AM_ScriptSection::kControls);
        first->writeControlTree(&text);
        writer.banner(AM_ScriptSection::kProperties);
        first->writePropertyTree(&text);
        control->setName(oldName.c_str());
    }
    return writeScriptFile(*this, path, text);
}

bool AM_ViewMan::makeDefault()
{
    std::string line;
    if (alternative_ != 0) {
        const AM_ScriptRecord* theme = nullptr;
        for (const AM_ScriptRecord& record : scripts_) {
            if (record.alternative == alternative_) {
                theme = &record;
                break;
            }
        }
        if (theme == nullptr) {
            AM_STD::printv("No script of theme %d: no default written", int(alternative_));
            return false;
        }
        AM_ScriptWriter(line).line("", "THEME").text("name", theme->name).raw("\n");
    } else {
        const char* current = getPath(kPathCurrentScript);
        const std::string script = current != nullptr ? current : loadedScriptPath_;
        const char* fileName = AM_STD::getFileName(script.c_str());
        if (fileName == nullptr || *fileName == '\0' || !AM_isWritableScriptName(fileName)) {
            AM_STD::printv("No current script to make the default");
            return false;
        }
        AM_ScriptWriter(line).line("", "INCLUDE").text("filename", fileName).raw("\n");
    }
    const char* scripts = getPath(kPathScripts);
    std::string path = scripts != nullptr ? scripts : "";
    path += getPluginName();
    path += "default.txt";
    return writeScriptFile(*this, path, line);
}
