// Patch states of the instrument itself: whole patches and module presets
// written, read and written again byte for byte in every patch format, with
// every kind of value the instrument saves (floats, lists, source selectors
// of both lists, matrix assignments, the voice circuit's tuning text and
// table, the envelopes' labels, the patch folder and file texts, meta texts
// with quotes, backslashes, line breaks and comment ends); module presets
// moved from one envelope to the other; the defaults of a whole-patch text;
// scripts in state texts; and refused script subscripts.

#include "SynthFixture.h"
#include "TraceCapture.h"

#include "engine/module/AM_ModuleRecord.h"
#include "params/AM_ParaMan.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ParamInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using synthtest::makeSynth;
using synthtest::SynthHost;

struct Value {
    const char* module;
    const char* parameter;
    float value;
};

// Non-default values in every module, of every kind the instrument saves.
// Source numbers: 8 Velocity, 14 ADSR1, 16 LFO1, 17 LFO2; the voice mixer's
// VCA selector picks from the second list (0 Gate).
const Value kPatchValues[] = {
    {"main", "CcOp", 87.5f},
    {"PCore", "MMS1", 16},
    {"PCore", "MMD1", -45.5f},
    {"PCore", "MMVS1", 8},
    {"PCore", "MMVD1", 12.25f},
    {"PCore", "MMS2", 17},
    {"PCore", "MMD2", 99.0f},
    {"PCore", "SBase", 7},
    {"PCore", "Swing", 33.33f},
    {"PCore", "STrig", 0},
    {"PCore", "PSong", 3},
    {"PCore", "GScale", 2}, // only a full restore sets it
    {"VCC", "Voicing", 4},
    {"VCC", "Mode", 2},
    {"VCC", "PortaM", 1},
    {"VCC", "Porta", 12.5f},
    {"VCC", "Porta2", -33.3f},
    {"VCC", "PRange", 64.0f},
    {"VCC", "PB", 7},
    {"VCC", "PBD", 12},
    {"VCC", "MTunS", 1},
    {"VCC", "Trsp", 5},
    {"ENV1", "Atk", 12.5f},
    {"ENV1", "Dec", 33.0f},
    {"ENV1", "Sus", 61.0f},
    {"ENV1", "FR", -40.0f},
    {"ENV1", "Rel", 55.5f},
    {"ENV1", "Vel", 70.0f},
    {"ENV1", "RMod", -25.0f},
    {"ENV1", "Trig", 2},
    {"ENV2", "Atk", 3.0f},
    {"ENV2", "Dec", 11.0f},
    {"ENV2", "Sus", 0.0f},
    {"ENV2", "Rel", 90.0f},
    {"ENV2", "Trig", 4},
    {"LFO1", "Sync", -3},
    {"LFO1", "Trig", 3},
    {"LFO1", "Wave", 5},
    {"LFO1", "Phse", 25.0f},
    {"LFO1", "Dly", 10.0f},
    {"LFO1", "DMS1", 14},
    {"LFO1", "DMD1", 42.0f},
    {"LFO1", "Rate", -2.5f},
    {"LFO1", "FMS1", 15},
    {"LFO1", "FMD1", 1.5f},
    {"LFO2", "Sync", 23},
    {"LFO2", "Wave", 7},
    {"LFO2", "FMS1", 16},
    {"LFO2", "Rate", 4.75f},
    {"Kestan", "Shp1", 1.5f},
    {"Kestan", "TMSrc1", 17},
    {"Kestan", "TMDpt1", -0.5f},
    {"Kestan", "Tune2", 7.0f},
    {"Kestan", "Fine2", -12.34f},
    {"Kestan", "PWSrc", 0},
    {"Kestan", "Detune", 5.55f},
    {"Kestan", "RMi1", 4},
    {"Kestan", "OscVol2", -6.0f},
    {"Kestan", "SubVol", 0.0f},
    {"Kestan", "VCFPol", 2},
    {"Kestan", "Cutoff", 77.77f},
    {"Kestan", "FMSrc1", 8},
    {"Kestan", "FMDpt1", -120.0f},
    {"Kestan", "Res", 66.0f},
    {"Kestan", "MxSp", 50.0f},
    {"Kestan", "ARDest", 2},
    {"VCA1", "VCA", 0},
};

// The texts of the patch: quotes, backslashes, line breaks, tabs and
// comment ends that must neither end a value nor the meta block.
const char* const kAuthor = "Studio 'B' \\ \"Night\" */";
const char* const kDescription = "Warm pad\nwith \"air\"\r\nC:\\Patches\\*/ end\t'tab'\\n";
const char* const kUsage = "*/*/ mod wheel \\\\ opens /* \n";
const char* const kTuning = "Just 5-limit \"C\" \\ 1/1 */";
const char* const kFolder = "Pads/Warm \"Air\"";
const char* const kFileName = "It's a \\pad\\.h2p";
const char* const kLabel1 = "Amp 'env' */";
// Fills the label's 32 bytes without room for a terminator.
const char* const kLabel2 = "Filter \"env\"\\ that fills it all!";

// One instrument and the state operations of the tests.
class Instrument {
public:
    Instrument() : host_(makeSynth()) {}

    AM_AudioMan& engine() { return host_->engine(); }
    AM_ParaMan& man() { return *engine().getParaMan(); }
    int32_t id(const char* module, const char* parameter) { return host_->id(module, parameter); }
    void set(const char* module, const char* parameter, float value)
    {
        host_->set(module, parameter, value);
    }
    float get(const char* module, const char* parameter) { return value(id(module, parameter)); }
    float value(int32_t global) { return man().getValue(global, false); }
    int32_t moduleIndex(const char* module)
    {
        AM_AudioObject* object = engine().getModuleByName(module);
        return object ? static_cast<int32_t>(object->getModuleIndex()) : -1;
    }
    SynthHost& host() { return *host_; }

    // The bytes of a data block as the state writer sees them.
    std::vector<uint8_t> data(int32_t global)
    {
        const AM_ParamInfo* info = man().getParameterInfo(global);
        const auto* bytes = static_cast<const uint8_t*>(engine().getBinaryParameterData(global));
        if (!info || !bytes)
            return {};
        return std::vector<uint8_t>(bytes, bytes + static_cast<size_t>(info->max));
    }
    std::vector<uint8_t> data(const char* module, const char* parameter)
    {
        return data(id(module, parameter));
    }
    std::string text(const char* module, const char* parameter)
    {
        const std::vector<uint8_t> bytes = data(module, parameter);
        const auto* chars = reinterpret_cast<const char*>(bytes.data());
        return std::string(chars, strnlen(chars, bytes.size()));
    }
    void setData(const char* module, const char* parameter, const void* bytes, size_t size)
    {
        engine().setBinaryParameterData(id(module, parameter), bytes, static_cast<uint32_t>(size));
    }
    void setText(const char* module, const char* parameter, const char* text)
    {
        setData(module, parameter, text, std::strlen(text) + 1);
    }
    void setMeta(int32_t which, const char* text) { std::strcpy(man().getMetaText(which), text); }

    void format(int32_t patchFormat) { set("PCore", "PForm", static_cast<float>(patchFormat)); }
    // A module preset is written while its module is selected; 0 selects
    // none (the whole patch).
    void select(int32_t module) { set("PCore", "SelMod", static_cast<float>(module)); }

    // The chunk as the plug-in gets it (the bank form with a program line
    // when one is given).
    std::string chunk(const char* programLine = nullptr)
    {
        uint32_t size = 0;
        const char* bytes = engine().getChunk(&size, programLine);
        return bytes ? std::string(bytes, size) : std::string();
    }
    // Hands the chunk over as the plug-in does, exactly its bytes.
    bool restore(const std::string& chunk, int32_t mode)
    {
        const std::vector<char> copy(chunk.begin(), chunk.end());
        return engine().setChunk(copy.data(), static_cast<int32_t>(copy.size()), mode);
    }
    // Reads a text as a whole patch, exactly its bytes.
    bool read(const std::string& text, int32_t mode = 0)
    {
        const std::vector<char> copy(text.begin(), text.end());
        return man().readState(copy.data(), static_cast<int32_t>(copy.size()), mode);
    }
    // Reads a module preset into a module, as the editor does.
    void loadModulePreset(const std::string& preset, int32_t module)
    {
        std::string terminated = preset.substr(0, preset.find('\0'));
        man().receiveMessage(nullptr, k_msgLoadStateText, static_cast<uint32_t>(module),
                             terminated.data());
    }

    // Every saved parameter of a module back at its default, its saved data
    // blocks zero.
    void resetModule(int32_t module)
    {
        for (int32_t g = 0; g < man().getJointParameterCount(); ++g) {
            const AM_ParamInfo* info = man().getParameterInfo(g);
            if (info->moduleIndex != module || info->kind() == k_meter ||
                (info->flags & (k_paramHidden | k_paramNotSaved)) != 0)
                continue;
            if (info->kind() == k_kindData) {
                const std::vector<uint8_t> zeros(static_cast<size_t>(info->max), 0);
                engine().setBinaryParameterData(g, zeros.data(),
                                                static_cast<uint32_t>(zeros.size()));
            } else {
                int32_t global = g;
                float value = info->defaultValue;
                man().setParam(&global, &value, host_->ctx(), true);
            }
        }
    }

    // Every value the instrument saves set away from its default.
    void fill()
    {
        for (const Value& v : kPatchValues)
            set(v.module, v.parameter, v.value);
        set("PCore", "MMT1", static_cast<float>(id("Kestan", "Cutoff")));
        set("PCore", "MMT2", static_cast<float>(id("ENV2", "Atk")));
        setText("VCC", "MTunN", kTuning);
        std::vector<float> table(128);
        for (size_t key = 0; key < table.size(); ++key)
            table[key] = static_cast<float>(key) + 0.01f * static_cast<float>(key % 12) - 0.3f;
        setData("VCC", "MTunT", table.data(), table.size() * sizeof(float));
        setText("ENV1", "Label", kLabel1);
        setText("ENV2", "Label", kLabel2);
        setText("PCore", "PFold", kFolder);
        setText("PCore", "PFile", kFileName);
        setMeta(0, kAuthor);
        setMeta(1, kDescription);
        setMeta(2, kUsage);
    }

private:
    std::unique_ptr<SynthHost> host_;
};

// Every saved value and data block of the instrument outside one module
// (all modules for -1), one line each ("module:short=value", data blocks
// in hexadecimal up to their last non-zero byte), to show what a read left
// alone.
std::vector<std::string> outside(Instrument& t, int32_t module)
{
    std::vector<std::string> lines;
    for (int32_t g = 0; g < t.man().getJointParameterCount(); ++g) {
        const AM_ParamInfo* info = t.man().getParameterInfo(g);
        if (info->moduleIndex == module || info->kind() == k_meter ||
            (info->flags & (k_paramHidden | k_paramNotSaved)) != 0)
            continue;
        std::string line = std::string(t.engine().getModuleRecord(info->moduleIndex)->shortName) +
                           ":" + std::string(info->shortName, strnlen(info->shortName, 8)) + "=";
        if (info->kind() == k_kindData) {
            std::vector<uint8_t> bytes = t.data(g);
            while (!bytes.empty() && bytes.back() == 0)
                bytes.pop_back();
            static const char kHex[] = "0123456789abcdef";
            for (uint8_t byte : bytes) {
                line += kHex[byte >> 4];
                line += kHex[byte & 0xf];
            }
        } else {
            line += std::to_string(t.value(g));
        }
        lines.push_back(line);
    }
    return lines;
}

// The lines of `got` that `expected` does not hold.
std::vector<std::string> changed(const std::vector<std::string>& got,
                                 const std::vector<std::string>& expected)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < got.size(); ++i)
        if (i >= expected.size() || got[i] != expected[i])
            out.push_back(got[i]);
    if (got.size() != expected.size())
        out.push_back("lines: " + std::to_string(got.size()) + " for " +
                      std::to_string(expected.size()));
    return out;
}

TEST(SynthStateRoundTrip, AWholePatchComesBackByteForByteInEveryFormat)
{
    for (int32_t patchFormat : {0, 1, 2}) {
        SCOPED_TRACE(patchFormat);
        Instrument a;
        a.fill();
        a.format(patchFormat);
        const std::string first = a.chunk("#pgm=Warm \"Pad\"");
        ASSERT_FALSE(first.empty());
        ASSERT_NE(first.find("\n$$$$"), std::string::npos);
        EXPECT_EQ(first.find('\0'), first.size() - 2);
        EXPECT_EQ(first.substr(first.size() - 3), std::string("\n\0\0", 3));

        // Into the same instrument, and into a new one as the host restores
        // a project (the start-up read also sets the editor-only values).
        ASSERT_TRUE(a.restore(first, 0));
        EXPECT_EQ(a.chunk("#pgm=Warm \"Pad\""), first);
        Instrument b;
        b.format(patchFormat);
        ASSERT_TRUE(b.restore(first, 1));
        EXPECT_EQ(b.chunk("#pgm=Warm \"Pad\""), first);

        EXPECT_STREQ(b.man().getMetaText(0), kAuthor);
        EXPECT_STREQ(b.man().getMetaText(1), kDescription);
        EXPECT_STREQ(b.man().getMetaText(2), kUsage);
        EXPECT_EQ(b.text("VCC", "MTunN"), kTuning);
        EXPECT_EQ(b.get("PCore", "MMT1"), static_cast<float>(b.id("Kestan", "Cutoff")));
        EXPECT_EQ(b.get("PCore", "MMT2"), static_cast<float>(b.id("ENV2", "Atk")));
        for (const Value& v : kPatchValues)
            EXPECT_NEAR(b.get(v.module, v.parameter), v.value, 0.005f)
                << v.module << ":" << v.parameter;
        EXPECT_EQ(changed(outside(b, -1), outside(a, -1)), std::vector<std::string>{});
    }
}

TEST(SynthStateRoundTrip, EveryFormatReadsAsEveryOther)
{
    // The explanations of the extended format are comments: a patch in any
    // format read into an instrument set to write another writes exactly
    // what the patch's own instrument writes in that format.
    Instrument a;
    a.fill();
    std::string written[3];
    for (int32_t patchFormat : {0, 1, 2}) {
        a.format(patchFormat);
        written[patchFormat] = a.chunk();
    }
    EXPECT_NE(written[2], written[0]);
    for (int32_t from : {0, 1, 2}) {
        for (int32_t to : {0, 1, 2}) {
            SCOPED_TRACE(std::to_string(from) + " read, " + std::to_string(to) + " written");
            Instrument b;
            b.format(to);
            ASSERT_TRUE(b.restore(written[from], 1));
            EXPECT_EQ(b.chunk(), written[to]);
        }
    }
}

TEST(SynthStateRoundTrip, EveryValueOfEverySavedParameterComesBack)
{
    // Every saved parameter of the instrument through its range, in the
    // extended format (whose comments name list values and sources): lists,
    // integers and source selectors at every value, floats at their ends
    // and between, the matrix targets at every parameter they accept.
    constexpr int32_t kStartupRead = 1;
    constexpr int32_t kExtended = 2;
    Instrument a;
    Instrument b;
    a.format(kExtended);
    b.format(kExtended);
    const int32_t count = a.man().getJointParameterCount();
    int32_t checked = 0;
    for (int32_t g = 0; g < count; ++g) {
        const AM_ParamInfo* info = a.man().getParameterInfo(g);
        if (info->kind() == k_meter || info->kind() == k_kindData ||
            (info->flags & (k_paramHidden | k_paramNotSaved)) != 0)
            continue;
        std::vector<float> values;
        if (info->kind() == k_kindAssignment) {
            for (int32_t target = -1; target < count; ++target)
                values.push_back(static_cast<float>(target));
        } else if (info->kind() == k_kindInteger) {
            for (float v = info->min; v <= info->max; v += 1.0f)
                values.push_back(v);
        } else {
            values = {info->min, info->max, info->min + 0.37f * (info->max - info->min)};
        }
        const std::string name =
            std::string(a.engine().getModuleRecord(info->moduleIndex)->shortName) + ":" +
            std::string(info->shortName, strnlen(info->shortName, 8));
        for (float v : values) {
            int32_t global = g;
            float value = v;
            a.man().setParam(&global, &value, a.host().ctx(), true);
            if (a.value(g) != v)
                continue; // a target the matrix does not accept
            ++checked;
            const std::string chunk = a.chunk();
            ASSERT_TRUE(b.restore(chunk, kStartupRead));
            EXPECT_NEAR(b.value(g), v, 0.005f) << name << "=" << v;
            EXPECT_EQ(b.chunk(), chunk) << name << "=" << v;
        }
        int32_t global = g;
        float value = info->defaultValue;
        a.man().setParam(&global, &value, a.host().ctx(), true);
    }
    EXPECT_GT(checked, count);
}

TEST(SynthStateRoundTrip, AModulePresetComesBackByteForByteInEveryFormat)
{
    // The envelopes, the circuit with its tuning blocks, the voice module,
    // an LFO, the mixer with its second-list selector, and the core with its
    // matrix assignments and texts.
    const char* const modules[] = {"ENV1", "ENV2", "VCC", "Kestan", "LFO2", "VCA1", "PCore"};
    for (int32_t patchFormat : {0, 1, 2}) {
        for (const char* module : modules) {
            SCOPED_TRACE(std::to_string(patchFormat) + " " + module);
            Instrument a;
            a.fill();
            // Editor-only values are set by start-up reads alone.
            a.set("PCore", "GScale", 0);
            a.format(patchFormat);
            const int32_t m = a.moduleIndex(module);
            ASSERT_GT(m, 0);
            a.select(m);
            const std::string preset = a.chunk();
            ASSERT_EQ(preset.find("#cm=main"), std::string::npos);

            // A new instrument with the patch's own meta texts (a module
            // preset carries them but never reads them).
            Instrument b;
            b.format(patchFormat);
            for (int32_t which = 0; which < AM_ParaMan::kMetaTexts; ++which)
                b.setMeta(which, a.man().getMetaText(which));
            Instrument untouched;
            b.loadModulePreset(preset, m);
            EXPECT_EQ(b.get("PCore", "SelMod"), 0.0f);
            EXPECT_EQ(changed(outside(b, m), outside(untouched, m)), std::vector<std::string>{});
            b.select(m);
            EXPECT_EQ(b.chunk(), preset);

            // Back into the instrument it came from, after its module lost
            // its values.
            a.resetModule(m);
            ASSERT_NE(a.chunk(), preset);
            a.loadModulePreset(preset, m);
            EXPECT_EQ(a.chunk(), preset);
        }
    }
}

TEST(SynthStateRoundTrip, AModulePresetOfTheFirstEnvelopeChangesOnlyTheSecond)
{
    Instrument t;
    t.fill();
    // The trigger lists of the two envelopes differ, so the preset keeps
    // ENV1's trigger at its default here.
    t.set("ENV1", "Trig", 0);
    const int32_t env1 = t.moduleIndex("ENV1");
    const int32_t env2 = t.moduleIndex("ENV2");
    t.select(env1);
    std::string preset = t.chunk();
    ASSERT_NE(preset.find("#cm=ENV\n"), std::string::npos);
    // Not even a whole-patch switch in a module preset resets anything.
    preset.insert(0, "#defaults=yes\n");
    t.select(0);
    const std::vector<std::string> before = outside(t, env2);

    t.loadModulePreset(preset, env2);
    EXPECT_EQ(changed(outside(t, env2), before), std::vector<std::string>{});
    for (const char* parameter : {"Atk", "Dec", "Sus", "FR", "Rel", "Vel", "RMod", "Trig"})
        EXPECT_EQ(t.get("ENV2", parameter), t.get("ENV1", parameter)) << parameter;
    EXPECT_EQ(t.text("ENV2", "Label"), kLabel1);
    EXPECT_EQ(t.get("PCore", "SelMod"), 0.0f);
}

TEST(SynthStateRoundTrip, AnEnvelopeTriggerKeepsItsMeaningInTheOtherEnvelope)
{
    // ENV1 lists Gate, Loop, LFO1, LFO2 and ENV2 Gate, Single, Loop, LFO1,
    // LFO2: the trigger is saved by name, so it names the same trigger in
    // either envelope.
    struct Case {
        float env1Trigger;
        float env2Trigger;
    };
    const Case cases[] = {{0, 0}, {1, 2}, {2, 3}, {3, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.env1Trigger);
        Instrument t;
        t.set("ENV1", "Trig", c.env1Trigger);
        const int32_t env1 = t.moduleIndex("ENV1");
        const int32_t env2 = t.moduleIndex("ENV2");
        t.select(env1);
        const std::string preset = t.chunk();
        t.select(0);
        t.loadModulePreset(preset, env2);
        EXPECT_EQ(t.get("ENV2", "Trig"), c.env2Trigger);
    }
}

TEST(SynthStateRoundTrip, SavedSourceNumbersFollowTheirNames)
{
    // Presets whose source lists differ from the instrument's: numbers are
    // mapped by the names saved with them, older names included.
    struct Case {
        const char* text;
        const char* module;
        const char* parameter;
        const char* source; // the name the selector holds afterwards
    };
    const Case cases[] = {
        {"#nm=3\n#ms=none\n#ms=LFO2\n#ms=ADSR1\n#cm=Kestan\nFMSrc1=1\n", "Kestan", "FMSrc1",
         "LFO2"},
        {"#nm=3\n#ms=none\n#ms=LFO2\n#ms=ADSR1\n#cm=Kestan\nFMSrc1=2\n", "Kestan", "FMSrc1",
         "ADSR1"},
        {"#nm=2\n#ms=none\n#ms=KeyFol\n#cm=Kestan\nTMSrc1=1\n", "Kestan", "TMSrc1", "KeyFollow"},
        {"#nm=2\n#ms=none\n#ms=ATouch\n#cm=LFO1\nFMS1=1\n", "LFO1", "FMS1", "Pressure"},
        {"#nm=2\n#ms=none\n#ms=ArpMod\n#cm=PCore\nMMS1=1\n", "PCore", "MMS1", "ArpModulator"},
        // A source this instrument lacks keeps its place in the map.
        {"#nm=3\n#ms=none\n#ms=Envelope9\n#ms=LFO1\n#cm=Kestan\nPWSrc=2\n", "Kestan", "PWSrc",
         "LFO1"},
        {"#nm=3\n#ms=none\n#ms=Envelope9\n#ms=LFO1\n#cm=Kestan\nPWSrc=1\n", "Kestan", "PWSrc",
         "none"},
        {"#nv=2\n#mv=ADSR1\n#mv=Gate\n#cm=VCA1\nVCA=0\n", "VCA1", "VCA", "ADSR1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Instrument t;
        ASSERT_TRUE(t.read(std::string("#defaults=no\n") + c.text));
        const int32_t g = t.id(c.module, c.parameter);
        AM_ValueNames names = nullptr;
        const int32_t count = t.engine().getParameterValueString(g, &names, false);
        const int32_t value = static_cast<int32_t>(t.value(g));
        ASSERT_TRUE(names != nullptr && value >= 0 && value < count);
        EXPECT_STREQ(names[value], c.source);
    }
}

TEST(SynthStateRoundTrip, ListsAreReadByTheirValueNamesAndExplainedInTheExtendedFormat)
{
    // Every saved list of the instrument with value names (source selectors
    // are numbers of the saved source list instead): a name in quotes sets
    // the value at its place, the extended format names the value it
    // writes, and an unknown name sets the list to 0 (within its range).
    // Read as at start-up, so the editor-only lists take part.
    constexpr int32_t kStartupRead = 1;
    Instrument probe;
    int32_t lists = 0;
    for (int32_t g = 0; g < probe.man().getJointParameterCount(); ++g) {
        const AM_ParamInfo* info = probe.man().getParameterInfo(g);
        if (info->kind() != k_kindInteger ||
            (info->flags & (k_paramHidden | k_paramNotSaved | k_paramSourceSelector)) != 0)
            continue;
        AM_ValueNames names = nullptr;
        const int32_t count = probe.engine().getParameterValueString(g, &names, false);
        const int32_t place = std::min(count - 1, static_cast<int32_t>(info->max - info->min));
        if (!names || place <= 0)
            continue;
        ++lists;
        const std::string module = probe.engine().getModuleRecord(info->moduleIndex)->shortName;
        const std::string key = "#defaults=no\n#cm=" + module + "\n" +
                                std::string(info->shortName, strnlen(info->shortName, 8)) + "=";
        const std::string name = names[place];
        SCOPED_TRACE(key + "'" + name + "'");

        Instrument t;
        ASSERT_TRUE(t.read(key + "'" + name + "'\n", kStartupRead));
        const float expected = info->min + static_cast<float>(place);
        EXPECT_EQ(t.value(g), expected);
        t.format(2);
        // A list saved by name writes the name in quotes, any other its number.
        const std::string written = (info->flags & k_paramValueStrings) != 0
                                        ? "'" + name + "'"
                                        : std::to_string(static_cast<int32_t>(expected));
        EXPECT_NE(t.chunk().find("=" + written + "\t\t\t\t// " + info->longName + "=" + name +
                                 "\n"),
                  std::string::npos);
        ASSERT_TRUE(t.read(key + "'No such'\n", kStartupRead));
        EXPECT_EQ(t.value(g), std::clamp(0.0f, info->min, info->max));
    }
    // The envelopes' triggers, the LFOs' waveforms and more.
    EXPECT_GE(lists, 4);
}

TEST(SynthStateRoundTrip, AWholePatchTextResetsWhatItLeavesOutUnlessItSaysNo)
{
    struct Case {
        const char* text;
        bool reset;
    };
    const Case cases[] = {
        {"#cm=Kestan\nCutoff=60\n", true},
        {"#defaults=yes\n#cm=Kestan\nCutoff=60\n", true},
        {"#defaults=no\n#cm=Kestan\nCutoff=60\n", false},
    };
    Instrument defaults;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Instrument t;
        t.fill();
        const std::vector<uint8_t> table = t.data("VCC", "MTunT");
        ASSERT_TRUE(t.read(c.text));
        EXPECT_EQ(t.get("Kestan", "Cutoff"), 60.0f);
        for (const Value& v : kPatchValues) {
            if (std::strcmp(v.parameter, "Cutoff") == 0 || std::strcmp(v.parameter, "GScale") == 0)
                continue;
            const float expected = c.reset ? defaults.get(v.module, v.parameter) : v.value;
            EXPECT_NEAR(t.get(v.module, v.parameter), expected, 0.005f)
                << v.module << ":" << v.parameter;
        }
        EXPECT_EQ(t.get("PCore", "MMT1"), c.reset ? -1.0f : t.id("Kestan", "Cutoff"));
        // Texts return to "...", binary blocks and the editor-only values
        // are kept.
        EXPECT_EQ(t.text("VCC", "MTunN"), c.reset ? "..." : kTuning);
        EXPECT_EQ(t.text("ENV2", "Label"), c.reset ? "..." : kLabel2);
        EXPECT_EQ(t.data("VCC", "MTunT"), table);
        EXPECT_EQ(t.get("PCore", "GScale"), 2.0f);
        // Meta texts the text lacks are cleared only by a reset.
        EXPECT_STREQ(t.man().getMetaText(0), c.reset ? "" : kAuthor);
    }
}

TEST(SynthStateRoundTrip, ScriptsSetParametersByDottedNamesAndShareVariables)
{
    Instrument t;
    t.fill();
    testsupport::TraceCapture capture;
    ASSERT_TRUE(t.read("<? float x = 40; Kestan.Cutoff = x + 20; ?>\n"
                       "#cm=ENV1\nAtk=5\n"
                       "<? ADSR2.Attack = x / 2; LFO[2].Rate = -1.5; Kestan.OscVolume[2] = -12;\n"
                       "   ADSR[1].Sustain = ADSR1.Attack * 3; VoiceCircuit.Transpose = 2.7; ?>\n"
                       "#cm=LFO1\nWave=2\n"));
    EXPECT_EQ(t.get("Kestan", "Cutoff"), 60.0f);
    EXPECT_EQ(t.get("ENV1", "Atk"), 5.0f);
    EXPECT_EQ(t.get("ENV2", "Atk"), 20.0f);
    EXPECT_EQ(t.get("LFO2", "Rate"), -1.5f);
    EXPECT_EQ(t.get("Kestan", "OscVol2"), -12.0f);
    EXPECT_EQ(t.get("ENV1", "Sus"), 15.0f);
    EXPECT_EQ(t.get("VCC", "Trsp"), 2.0f);
    EXPECT_EQ(t.get("LFO1", "Wave"), 2.0f);
    // Set by the scripts, so the reset at the end left them; what neither
    // the text nor a script set is back at its default.
    EXPECT_EQ(t.get("ENV2", "Rel"), 20.0f);
    EXPECT_EQ(t.get("Kestan", "Res"), 0.0f);
    EXPECT_NE(capture.standardOutput().find("start Compile in line 1\n"), std::string::npos);
    EXPECT_NE(capture.standardOutput().find("start Compile in line 4\n"), std::string::npos);

    // The written patch holds the values the scripts set.
    const std::string written = t.chunk();
    EXPECT_NE(written.find("#cm=Kestan\n"), std::string::npos);
    EXPECT_NE(written.find("\nCutoff=60.00\n"), std::string::npos);
    EXPECT_NE(written.find("\nOscVol2=-12.00\n"), std::string::npos);
}

TEST(SynthStateRoundTrip, ScriptSubscriptsOutsideTheirFamiliesChangeNothing)
{
    struct Case {
        std::string script;
        const char* module; // null: refused, the patch stays as it was
        const char* parameter;
        float value;
    };
    Instrument probe;
    const int32_t count = probe.man().getJointParameterCount();
    const int32_t cutoff = probe.id("Kestan", "Cutoff");
    const AM_ParamInfo* first = probe.man().getParameterInfo(probe.id("Kestan", "Shp1"));
    int32_t kestanParameters = 0;
    for (int32_t g = 0; g < count; ++g)
        kestanParameters += probe.man().getParameterInfo(g)->moduleIndex == first->moduleIndex;
    const std::string kestan = std::to_string(probe.moduleIndex("Kestan"));
    const std::string modules = std::to_string(probe.engine().getModuleCount());
    const std::vector<Case> cases = {
        {"ADSR[2].Attack = 50;", "ENV2", "Atk", 50},
        {"ADSR[3].Attack = 50;", nullptr, nullptr, 0},
        {"LFO[2].Rate = 2;", "LFO2", "Rate", 2},
        {"LFO[9].Rate = 2;", nullptr, nullptr, 0},
        {"Kestan.OscVolume[2] = 0;", "Kestan", "OscVol2", 0},
        {"Kestan.OscVolume[3] = 0;", nullptr, nullptr, 0},
        {"Kestan.Parameter[0] = 1.5;", "Kestan", "Shp1", 1.5f},
        {"Kestan.Parameter[" + std::to_string(kestanParameters) + "] = 1;", nullptr, nullptr, 0},
        {"Kestan.Parameter[-1] = 1.5;", nullptr, nullptr, 0},
        {"Module[" + kestan + "].Parameter[0] = 1.5;", "Kestan", "Shp1", 1.5f},
        {"Module[" + modules + "].Parameter[0] = 1;", nullptr, nullptr, 0},
        {"Module[-3].Parameter[0] = 1;", nullptr, nullptr, 0},
        // A hidden parameter is no more set by a script than kept by a state.
        {"ADSR1.SnappyMode = 1;", "ENV1", "Snappy", 0},
        // Parameters by global id answer their properties, and nothing
        // outside the table.
        {"Kestan.Cutoff = 100 + Global.Parameter[" + std::to_string(cutoff) + "].min;", "Kestan",
         "Cutoff", 130},
        {"Kestan.Cutoff = 100 + Global.Parameter[" + std::to_string(count) + "].min;", "Kestan",
         "Cutoff", 100},
        {"Kestan.Cutoff = 100 + Global.Parameter[-1].min;", "Kestan", "Cutoff", 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        // The block's first statement shows that it compiled and ran.
        Instrument t;
        t.set("Kestan", "Res", 5);
        const std::string ran = t.chunk();
        t.set("Kestan", "Res", 0);
        ASSERT_TRUE(t.read("#defaults=no\n<? Kestan.Resonance = 5; " + c.script + " ?>\n"));
        if (c.module) {
            EXPECT_EQ(t.get(c.module, c.parameter), c.value);
            EXPECT_EQ(t.get("Kestan", "Res"), 5.0f);
        } else {
            EXPECT_EQ(t.chunk(), ran);
        }
    }
}

TEST(SynthStateRoundTrip, MetaTextsThatFillTheirBuffersComeBackWhole)
{
    // Each text one byte short of its buffer and made of what must be
    // escaped, so its written form is up to twice as long.
    const std::string pattern = "\"\\'*/\n\r\t/*x";
    Instrument a;
    for (int32_t which = 0; which < AM_ParaMan::kMetaTexts; ++which) {
        const uint32_t capacity = a.man().getMetaSize(which);
        ASSERT_GT(capacity, 1u);
        std::string text;
        while (text.size() + 1 < capacity)
            text += pattern[text.size() % pattern.size()];
        a.setMeta(which, text.c_str());
    }
    const std::string first = a.chunk();
    Instrument b;
    ASSERT_TRUE(b.restore(first, 0));
    EXPECT_EQ(b.chunk(), first);
    for (int32_t which = 0; which < AM_ParaMan::kMetaTexts; ++which)
        EXPECT_STREQ(b.man().getMetaText(which), a.man().getMetaText(which)) << which;
}

TEST(SynthStateRoundTrip, AStateReadWhileTheInstrumentPlaysComesBackWhole)
{
    Instrument a;
    a.fill();
    const std::string first = a.chunk("#pgm=Live");

    // The data blocks of a read wait for the next block while audio runs;
    // the chunk written before that block already holds them.
    Instrument b;
    b.host().noteOn(60);
    b.host().render(synthtest::kBlock * 4);
    ASSERT_TRUE(b.restore(first, 1));
    EXPECT_EQ(b.chunk("#pgm=Live"), first);
    b.host().render(synthtest::kBlock * 4);
    EXPECT_EQ(b.chunk("#pgm=Live"), first);
    EXPECT_EQ(b.text("VCC", "MTunN"), kTuning);
}

} // namespace
