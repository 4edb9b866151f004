// The UI preference file of a plug-in: the author text and the preferences
// of the instance record (scopes 0 and 1), kept from one run of the host to
// the next as V_PROPERTY lines of the GUI script.

#include "foundation/AM_DataFolder.h"
#include "foundation/AM_LineReader.h"
#include "foundation/AM_STD.h"
#include "gui/views/AM_InstanceRecord.h"
#include "gui/views/AM_PreferenceText.h"
#include "gui/views/AM_ScriptLine.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/AM_WholeFile.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kMakerFolder = "Orlen";
constexpr size_t kFileNameBytes = 96;
// Longest line of the file that is read.
constexpr uint32_t kMaxLineChars = 255;
// Largest preference file that is read.
constexpr uint64_t kMaxPrefsBytes = 1u << 20;

// The Support folder of the plug-in and the file's name in it.
AM_FileErr prefsFile(const AM_PluginInfo& info, AM_Directory& folder, char* name)
{
    AM_STD::sprintn(name, kFileNameBytes, "com.%s.%s.UIprefs.txt", info.vendorName,
                    info.effectName);
    return getSpecialFolder(folder, kAM_FolderSupport, 0, kMakerFolder, info.componentName);
}

} // namespace

bool AM_ViewMan::storeUIPreferences()
{
    const AM_PluginInfo* info = getPluginInfo();
    AM_Directory folder;
    char name[kFileNameBytes] = {};
    if (info == nullptr || prefsFile(*info, folder, name) != 0) {
        AM_STD::printv("Can't store UI Preferences");
        return false;
    }
    std::string text;
    AM_ScriptWriter writer(text);
    writer.line("", "V_PROPERTY").text("name", "Author").integer("id", 0);
    writer.text("value", getAuthor()).raw("\n");
    if (AM_InstanceRecord* record = getInstanceRecord()) {
        for (const AM_PreferenceRecord& preference : record->preferences.records()) {
            writer.line("", "V_PROPERTY")
                .text("name", "Preference")
                .integer("id", int32_t(preference.id))
                .text("value",
                      AM_joinPreferenceText(preference.type, preference.property, preference.value))
                .raw("\n");
        }
    } else {
        AM_STD::printv("no Inst rec to provide for prefs");
    }
    const AM_WholeFileResult result =
        AM_writeWholeFile(folder, AM_String(name), text.data(), uint32_t(text.size()));
    if (!result.ok()) {
        AM_STD::printv("Can't store UI Preferences");
        return false;
    }
    return true;
}

bool AM_ViewMan::loadDefaults()
{
    const AM_PluginInfo* info = getPluginInfo();
    if (info == nullptr) {
        AM_STD::printv("loadDefaults e: %d", 3);
        return false;
    }
    AM_Directory folder;
    char name[kFileNameBytes] = {};
    AM_FileErr error = prefsFile(*info, folder, name);
    std::vector<char> text;
    if (error == 0) {
        AM_String path(folder.path());
        path.appendNarrow(name);
        const AM_WholeFileResult result = AM_readWholeFile(path, text, kMaxPrefsBytes);
        error = result.ok() ? 0 : (result.error != 0 ? result.error : AM_FileErr(8));
    }
    if (error != 0) {
        AM_STD::printv("loadDefaults e: %d", int(error));
        return false;
    }
    if (text.size() <= 1)
        return true;
    AM_LineReader reader(text.data());
    char line[kMaxLineChars + 1];
    AM_ScriptLine tokens;
    for (uint32_t used = reader.readLine(line, kMaxLineChars); used != 0;
         used = reader.readLine(line, kMaxLineChars)) {
        const int32_t length = int32_t(used - 1);
        tokens.read(line, size_t(length));
        if (tokens.isComment())
            continue;
        // The file holds view properties only; nothing else is taken from it.
        if (std::strcmp(tokens.keyword(), "V_PROPERTY") != 0) {
            AM_STD::printv("UI Preferences: %s line ignored", tokens.keyword());
            continue;
        }
        parseScript(line, length, false);
    }
    return true;
}
