// Reading GUI scripts: parseScript and the loads by path and by name, the
// script list, and the view properties of a script.

#include "foundation/AM_STD.h"
#include "foundation/AM_String.h"
#include "gui/views/AM_PreferenceText.h"
#include "gui/views/AM_ScriptLine.h"
#include "gui/views/AM_ScriptReader.h"
#include "gui/views/AM_ScriptState.h"
#include "gui/views/AM_ViewMan.h"
#include "params/AM_WholeFile.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Largest script file that is read.
constexpr uint64_t kMaxScriptBytes = 16u << 20;
// Longest path of a script record (its path field holds 1024 bytes).
constexpr size_t kMaxScriptPathChars = 1023;
// Longest name of a script record.
constexpr size_t kMaxScriptNameChars = 31;

// Reads the file whole; empty when it is missing, empty or unreadable.
std::vector<char> readScriptText(const char* path)
{
    std::vector<char> text;
    const AM_WholeFileResult result = AM_readWholeFile(AM_String(path), text, kMaxScriptBytes);
    if (!result.ok()) {
        if (result.step == AM_WholeFileStep::kAllocate)
            AM_STD::printv("Script %s is larger than %d bytes: not read", path,
                           int(kMaxScriptBytes));
        text.clear();
    }
    return text;
}

// Whether a script name stays inside the scripts folder: not absolute and
// without a ".." part.
bool staysInFolder(const char* name)
{
    if (name[0] == '/' || name[0] == '\\')
        return false;
    const char* part = name;
    for (const char* p = name;; ++p) {
        if (*p == '/' || *p == '\\' || *p == '\0') {
            if (p - part == 2 && part[0] == '.' && part[1] == '.')
                return false;
            if (*p == '\0')
                return true;
            part = p + 1;
        }
    }
}

std::string inFolder(const char* folder, const char* name)
{
    std::string path = folder != nullptr ? folder : "";
    path += name;
    return path;
}

} // namespace

void AM_ViewMan::parseScript(const char* text, int32_t length, bool editable)
{
    AM_ScriptReader(*this, editable).parse(text, length);
}

bool AM_ViewMan::loadScriptFile(const char* path, int32_t editable)
{
    std::string file;
    if (path == nullptr) {
        const char* current = getPath(kPathCurrentScript);
        if (editable != -1 || current == nullptr) {
            AM_STD::printv("No script to load");
            return false;
        }
        file = current;
        editable = 1;
    } else {
        file = path;
    }
    AM_ScriptState& state = *scriptState;
    const bool isDefaultFile = state.nextIsDefaultFile;
    state.nextIsDefaultFile = false;
    const size_t depth = state.files.depth();
    if (!state.files.enter(file.c_str()))
        return false;
    if (depth == 0) {
        state.readingDefaultFile = isDefaultFile;
        state.saveTarget = editable != 0 && !isDefaultFile ? file : std::string();
    } else if (depth == 1 && state.readingDefaultFile) {
        // The script the default file names is the one the user opened.
        state.saveTarget = editable != 0 ? file : std::string();
    }
    // The GUI goes into the root view (the editor's own set-up, read before
    // there is one, under the top control).
    state.lastControl = rootView_ != nullptr ? rootView_ : topControl_;
    state.currentContainer = state.lastControl;
    loadedScriptPath_ = file;

    const std::vector<char> text = readScriptText(file.c_str());
    const bool read = text.size() > 1;
    if (read)
        parseScript(text.data(), int32_t(text.size() - 1), editable != 0);
    else
        AM_STD::printv("Empty File...");
    state.files.leave();
    if (state.files.depth() == 0) {
        state.readingDefaultFile = false;
        // The chains the load's controls joined, made once for all of them.
        if (timerChainDirty_ != 0)
            updateTimerChain();
        if (displayChainDirty_ != 0)
            updateDisplayChain();
    }
    if (rootView_ != nullptr)
        rootView_->setVisible(true, kAllLayers, false);
    return read;
}

bool AM_ViewMan::loadScriptByName(const char* name)
{
    if (name == nullptr)
        return false;
    const char* scripts = getPath(kPathScripts);
    std::string file;
    if (std::strcmp(name, "default") != 0) {
        if (!staysInFolder(name)) {
            AM_STD::printv("Script %s refused: it is not inside the scripts folder", name);
            return false;
        }
        file = inFolder(scripts, name);
    } else {
        // The GUI file chosen for the patch, when there is one.
        std::string chosen;
        if (interface_ != nullptr) {
            const AM_ParamInfo* info = interface_->findParameter("PCore", "GFile");
            if (info != nullptr && info->kind() == k_kindData) {
                if (const void* value = interface_->getParameterValue(int32_t(info->index))) {
                    const char* text = static_cast<const char*>(value);
                    const size_t capacity = size_t(info->max);
                    const void* end = std::memchr(text, 0, capacity);
                    chosen.assign(text, end != nullptr
                                            ? size_t(static_cast<const char*>(end) - text)
                                            : capacity);
                }
            }
        }
        const AM_ScriptRecord* record = nullptr;
        if (!chosen.empty()) {
            for (const AM_ScriptRecord& r : scripts_) {
                if (r.name == chosen) {
                    record = &r;
                    break;
                }
            }
        }
        if (record != nullptr) {
            alternative_ = record->alternative;
            file =
                record->alternative != 0 ? record->path : inFolder(scripts, record->path.c_str());
        } else {
            file = inFolder(scripts, getPluginName()) + "default.txt";
            scriptState->nextIsDefaultFile = true;
        }
    }
    return loadScriptFile(file.c_str(), editorSetupMode_);
}

void AM_ViewMan::addScript(const char* path, const char* name, uint32_t alternative, uint32_t flags)
{
    if (path == nullptr || name == nullptr)
        return;
    if (std::strlen(path) > kMaxScriptPathChars) {
        AM_STD::printv("Script path refused: longer than %d characters", int(kMaxScriptPathChars));
        return;
    }
    if (!AM_isWritableScriptName(name) || !AM_isWritableScriptName(path)) {
        AM_STD::printv("Script %s refused (a quote, tab, '=' or line break)", name);
        return;
    }
    for (const AM_ScriptRecord& record : scripts_) {
        if (record.path == path)
            return;
    }
    AM_ScriptRecord record;
    record.path = path;
    record.name = name;
    if (record.name.size() > kMaxScriptNameChars) {
        AM_STD::printv("Script name %s cut to %d characters", name, int(kMaxScriptNameChars));
        record.name.resize(kMaxScriptNameChars);
    }
    record.alternative = alternative;
    record.flags = flags;
    scripts_.push_back(std::move(record));
}

const AM_ScriptRecord* AM_ViewMan::getScript(int32_t index)
{
    if (index < 0 || size_t(index) >= scripts_.size())
        return nullptr;
    return &scripts_[size_t(index)];
}

void AM_ViewMan::setScriptIndex(int32_t index)
{
    pendingScript_ = index >= 0 ? index : -1;
}

void AM_ViewMan::setVProperty(const char* name, int32_t id, const char* value)
{
    if (name == nullptr || value == nullptr)
        return;
    if (std::strcmp(name, "ObjectInstance") == 0) {
        int32_t counter = 0;
        if (AM_ScriptLine::readNumbers(value, AM_ScriptValueType::kInt, &counter, 1) == 1 &&
            counter >= 0)
            nextObjectId_ = uint32_t(counter);
    } else if (std::strcmp(name, "Author") == 0) {
        setAuthor(value);
    } else if (std::strcmp(name, "Preference") == 0) {
        const std::vector<std::string> parts = AM_splitPreferenceText(value);
        if (parts.size() != 3) {
            AM_STD::printv("Detected strange number of strings for prefs property '%s'", value);
            return;
        }
        addPreference(parts[0].c_str(), parts[1].c_str(), parts[2].c_str(), uint32_t(id),
                      kPreferenceScopeUser);
    }
}
