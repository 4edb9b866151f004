#include "PresetWriter.h"

#include "engine/AM_MidiMapFile.h"
#include "engine/AM_SharedInstance.h"
#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_DataFolder.h"
#include "params/AM_ParaMan.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/Module.h"
#include "synth/Synth_AudioMan.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <random>

namespace presetmaker {
namespace {

constexpr const char* kHostName = "kk-presetmaker";

std::unique_ptr<Synth_AudioMan> makeInstrument()
{
    auto engine = std::make_unique<Synth_AudioMan>(Synth_AudioMan::kPluginId);
    engine->setHostName(kHostName);
    engine->init();
    return engine;
}

} // namespace

PresetWriter::PresetWriter()
{
    std::random_device random;
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("kk_presetmaker_" + std::to_string(random()));
    std::filesystem::create_directories(root / "KestanK4.data");
    root_ = root.string();
    platform::overrideModulePath((root / "KestanK4.so").string().c_str());
    resetDataFolderSearch();
}

PresetWriter::~PresetWriter()
{
    platform::overrideModulePath(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

bool PresetWriter::makeChunk(const FactoryPreset& preset, std::string& chunk, std::string& error)
{
    // Each preset starts from a fresh process state and the defaults.
    AM_SharedInstances::reset();
    AM_MidiMapFile::resetProcessState();
    std::unique_ptr<Synth_AudioMan> engine = makeInstrument();
    for (const PresetValue& v : preset.values) {
        const AM_ParamInfo* info = engine->findParameter(v.module, v.parameter);
        if (info == nullptr) {
            error = std::string(preset.fileName) + ": no parameter " + v.module + ":" + v.parameter;
            return false;
        }
        if (v.value < info->min || v.value > info->max) {
            error = std::string(preset.fileName) + ": " + v.module + ":" + v.parameter +
                    " out of its range";
            return false;
        }
        // Before the first block the value is written at once.
        engine->setParameter(static_cast<int32_t>(info->index), v.value, false);
    }
    const char* const meta[AM_ParaMan::kMetaTexts] = {kFactoryAuthor, preset.description,
                                                      preset.usage};
    AM_ParaMan* parameters = engine->getParaMan();
    for (int32_t k = 0; k < AM_ParaMan::kMetaTexts; ++k) {
        char* buffer = parameters != nullptr ? parameters->getMetaText(k) : nullptr;
        const size_t length = meta[k] != nullptr ? std::strlen(meta[k]) : 0;
        if (buffer == nullptr || length >= parameters->getMetaSize(k)) {
            error = std::string(preset.fileName) + ": meta text " + std::to_string(k) +
                    " does not fit";
            return false;
        }
        std::memcpy(buffer, meta[k] != nullptr ? meta[k] : "", length + 1);
    }
    uint32_t size = 0;
    const char* text = engine->getChunk(&size, nullptr);
    if (text == nullptr || size == 0) {
        error = std::string(preset.fileName) + ": the instrument wrote no state";
        return false;
    }
    chunk.assign(text, size);
    return true;
}

bool PresetWriter::write(const FactoryPreset& preset, const std::string& folder, std::string& error)
{
    std::string chunk;
    if (!makeChunk(preset, chunk, error))
        return false;
    const std::filesystem::path path = std::filesystem::path(folder) / preset.fileName;
    std::error_code failed;
    std::filesystem::create_directories(path.parent_path(), failed);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    if (!out) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

void PresetWriter::listParameters(std::ostream& out)
{
    AM_SharedInstances::reset();
    AM_MidiMapFile::resetProcessState();
    std::unique_ptr<Synth_AudioMan> engine = makeInstrument();
    for (int32_t i = 0; i < engine->getParameterCount(false); ++i) {
        const AM_ParamInfo* info = engine->getParameterDescriptor(i, false);
        if (info == nullptr || (info->flags & (k_paramHidden | k_paramNotSaved)) != 0 ||
            info->kind() == k_meter || info->kind() == k_kindData)
            continue;
        const AM_ModuleRecord* module = engine->getModuleRecord(info->moduleIndex);
        const std::string shortName(info->shortName, ::strnlen(info->shortName, k_shortNameBytes));
        out << (module != nullptr ? module->shortName : "?") << ":" << shortName << "\t"
            << info->longName << "\t" << info->min << " .. " << info->max << "\tdefault "
            << info->defaultValue << "\n";
    }
}

} // namespace presetmaker
