#pragma once
// A temporary data root "KestanK4.data" beside a stand-in module file (the
// alternate layout: Presets/KestanK4/, Modules/<module>/, Tunefiles/), a
// recording fake of the interface's services, and a preset library over it.
// The tag registry is reset before and after each test.

#include "presets/library/PresetLibrary.h"
#include "presets/library/PresetTagger.h"

#include "foundation/AM_DataFolder.h"
#include "platform/Module.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace librarytest {

constexpr uint32_t kPluginId = 0x57713378; // 'Wq3x'
constexpr const char* kProduct = "KestanK4";

// Internal indices of the fake's parameters.
enum FakeParameter : int32_t {
    kPFold = 1,
    kPFile = 2,
    kPName = 3,
    kTuningName = 10,
    kTuningTable = 11,
    kWrongTuningName = 20,
    kWrongTuningTable = 21,
};
// Module ids of the fake's modules.
constexpr int32_t kVoiceModule = 4;
constexpr int32_t kLfoModule = 5;

class FakeHost : public PresetLibraryHost {
public:
    FakeHost()
    {
        std::memset(&info, 0, sizeof info);
        std::strcpy(info.vendorName, "Orlen");
        std::strcpy(info.componentName, kProduct);
        std::strcpy(info.effectName, kProduct);
        addParameter(kPFold, "PFold", k_typeTextData, 256.0f, 0);
        addParameter(kPFile, "PFile", k_typeTextData, 64.0f, 0);
        addParameter(kPName, "PName", k_kindInteger, 1.0f, 0);
        addParameter(kTuningName, "MTunN", k_typeTextData, 64.0f, kVoiceModule);
        addParameter(kTuningTable, "MTunT", k_typeBinaryData, 512.0f, kVoiceModule);
        addParameter(kWrongTuningName, "MTunN", k_typeTextData, 64.0f, kLfoModule);
        addParameter(kWrongTuningTable, "MTunT", k_typeBinaryData, 256.0f, kLfoModule);
        setFloat(kPName, 1.0f);
    }

    void addParameter(int32_t index, const char* name, uint32_t type, float max, int32_t module)
    {
        AM_ParamInfo record =
            AM_makeParamInfo(static_cast<uint32_t>(index), name, name, type, 0.0f, max, 0.0f, 0, 0);
        record.index = static_cast<uint32_t>(index);
        record.moduleIndex = module;
        records[index] = record;
        const size_t bytes = (type & k_kindMask) == k_kindData ? static_cast<size_t>(max) : 4;
        values[index].assign(bytes, 0);
    }
    void setFloat(int32_t index, float value)
    {
        std::memcpy(values[index].data(), &value, sizeof value);
    }
    std::string text(int32_t index) const
    {
        const std::vector<uint8_t>& v = values.at(index);
        return std::string(reinterpret_cast<const char*>(v.data()),
                           strnlen(reinterpret_cast<const char*>(v.data()), v.size()));
    }
    void setText(int32_t index, const std::string& text)
    {
        std::vector<uint8_t>& v = values[index];
        std::fill(v.begin(), v.end(), 0);
        std::memcpy(v.data(), text.data(), std::min(text.size(), v.size() - 1));
    }
    std::vector<float> table(int32_t index) const
    {
        const std::vector<uint8_t>& v = values.at(index);
        std::vector<float> out(v.size() / sizeof(float));
        std::memcpy(out.data(), v.data(), out.size() * sizeof(float));
        return out;
    }
    // "46:path" / "47:path" in the order sent.
    std::vector<std::string> messagesSent() const { return messages; }

    const char* presetProductName() override { return kProduct; }
    const AM_PluginInfo* presetPluginInfo() override { return withInfo ? &info : nullptr; }
    uint32_t presetPluginId() override { return kPluginId; }
    AM_ParamInfo* findParameter(const char* module, const char* name) override
    {
        if (module == nullptr || name == nullptr || std::strcmp(module, "PCore") != 0)
            return nullptr;
        for (auto& [index, record] : records)
            if (record.moduleIndex == 0 && std::strcmp(record.shortName, name) == 0)
                return &record;
        return nullptr;
    }
    AM_ParamInfo* getParameterInfo(int32_t index, bool) override
    {
        const auto found = records.find(index);
        return found == records.end() ? nullptr : &found->second;
    }
    void* getParameterValue(int32_t index) override
    {
        const auto found = values.find(index);
        return found == values.end() ? nullptr : found->second.data();
    }
    void setParameterValue(int32_t index, void* value) override
    {
        ++valueWrites[index];
        std::vector<uint8_t>& v = values.at(index);
        std::memcpy(v.data(), value, v.size());
    }
    int32_t presetModuleId(const char* path) override
    {
        const std::string module =
            std::string(path ? path : "").substr(0, std::string(path ? path : "").find('/'));
        if (module == "Voice")
            return kVoiceModule;
        if (module == "LFO1" || module == "LFO2")
            return kLfoModule;
        return -1;
    }
    const char* presetModuleLongName(int32_t id) override
    {
        return id == kVoiceModule ? "Voice" : id == kLfoModule ? "LFO1" : nullptr;
    }
    void refreshModuleParameters(int32_t id) override { refreshedModules.push_back(id); }
    std::vector<uint8_t> presetStateInfo(const char* path) override
    {
        stateAsked.push_back(path ? path : "(null)");
        return std::vector<uint8_t>(state.begin(), state.end());
    }
    bool presetSetStateInfo(const void* data, uint32_t size, const char* path) override
    {
        applied.emplace_back(std::string(static_cast<const char*>(data), size),
                             path ? path : "(null)");
        return acceptState;
    }
    std::vector<uint8_t> presetFxpProgram() override
    {
        return std::vector<uint8_t>(program.begin(), program.end());
    }
    void nativePresetChanged(const char* name) override { nativeChanges.push_back(name); }
    void presetTopControlMessage(uint32_t message, const char* path) override
    {
        messages.push_back(std::to_string(message) + ":" + (path ? path : "(null)"));
    }
    int32_t askThreeWay(const char* name) override
    {
        questions.push_back(name);
        return answer;
    }

    AM_PluginInfo info;
    bool withInfo = true;
    std::map<int32_t, AM_ParamInfo> records;
    std::map<int32_t, std::vector<uint8_t>> values;
    std::map<int32_t, int> valueWrites;
    std::vector<int32_t> refreshedModules;
    std::string state = "state text";
    std::string program;
    std::vector<std::string> stateAsked;
    std::vector<std::pair<std::string, std::string>> applied;
    bool acceptState = true;
    std::vector<std::string> nativeChanges;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    int32_t answer = PresetLibraryHost::kAnswerOverwrite;
};

class LibraryTest : public ::testing::Test {
protected:
    LibraryTest()
    {
        resetTagRegistry();
        dir.makeDir("KestanK4.data");
        platform::overrideModulePath(dir.file("plugin.so").c_str());
        resetDataFolderSearch();
    }
    ~LibraryTest() override
    {
        library.reset();
        resetTagRegistry();
        platform::overrideModulePath(nullptr);
        resetDataFolderSearch();
    }

    // Relative to the temporary folder.
    static std::string presets() { return "KestanK4.data/Presets/KestanK4"; }
    static std::string modules() { return "KestanK4.data/Modules"; }
    static std::string tunefiles() { return "KestanK4.data/Tunefiles"; }

    // Writes a file below the temporary folder, making its folders.
    void write(const std::string& relative, const std::string& contents)
    {
        const size_t slash = relative.rfind('/');
        std::string partial;
        for (size_t at = 0; slash != std::string::npos && at <= slash;) {
            const size_t next = relative.find('/', at);
            partial = relative.substr(0, next);
            if (!dir.exists(partial))
                dir.makeDir(partial);
            at = next + 1;
        }
        dir.writeFile(relative, contents);
    }
    // Names of the listed items of a list, "name.ext" each, space-separated.
    std::string listed(const char* path) const
    {
        std::string out;
        for (const PresetListItem* item = library->getPresetItems(path); item; item = item->next())
            out += (out.empty() ? "" : " ") + presetEntryName(item->name(), item->extension());
        return out;
    }
    // Ends the library (writing the tags back) and makes a new one.
    void restart()
    {
        library.reset();
        library = std::make_unique<PresetLibrary>(host);
    }

    testsupport::TempDir dir;
    testsupport::TraceCapture trace;
    FakeHost host;
    std::unique_ptr<PresetLibrary> library = std::make_unique<PresetLibrary>(host);
};

} // namespace librarytest
