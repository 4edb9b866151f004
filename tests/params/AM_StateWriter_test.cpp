// The state writer: the text of a patch and of a module preset, the value
// formats per kind, the extended format's comments, the meta block, the
// chunk layout with its binary section, and the first line.

#include "StateFixture.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testfixture;

const char* const kSourceLines = "#nm=14\n"
                                 "#ms=none\n"
                                 "#ms=ModWhl\n"
                                 "#ms=PitchW\n"
                                 "#ms=Breath\n"
                                 "#ms=Xpress\n"
                                 "#ms=Env1 0\n"
                                 "#ms=Env1 1\n"
                                 "#ms=Env2 0\n"
                                 "#ms=Env2 1\n"
                                 "#ms=ArpMod\n"
                                 "#ms=ModWhl\n"
                                 "#ms=PitchW\n"
                                 "#ms=Breath\n"
                                 "#ms=Xpress\n"
                                 "#nv=2\n"
                                 "#mv=Env1 0\n"
                                 "#mv=Env2 0\n";

// Non-default values in OSC1 (the source 6 is "Env1 1").
void setOscillator(StateTree& t)
{
    t.set(t.osc, kOscWave, 3);
    t.set(t.osc, kOscOctave, -1);
    t.set(t.osc, kOscPitch, 0.125f);
    t.set(t.osc, kOscCutoff, 33.333f);
    t.set(t.osc, kOscSource, 6);
    t.set(t.osc, kOscSource2, 1);
    t.set(t.osc, kOscTarget, static_cast<float>(t.id(t.env2, kEnvAttack)));
    for (uint32_t i = 0; i < kTableBytes; ++i)
        t.osc->data[kOscTable][i] = static_cast<uint8_t>(i * 25);
    std::strcpy(reinterpret_cast<char*>(t.osc->data[kOscName].data()), "Lead");
}

void select(StateTree& t, AM_AudioObject* module)
{
    t.engine.set(t.core(k_globalSelectModule), static_cast<float>(t.moduleIndex(module)));
}

TEST(StateWriter, AModulePresetHoldsItsModuleUnderItsKindName)
{
    StateTree t;
    setOscillator(t);
    select(t, t.osc);
    testsupport::TraceCapture capture;
    const std::string text = t.text();
    EXPECT_EQ(text, std::string("#AM=KestanK4\n#Vers=0\n#Endian=little\n") + kSourceLines +
                        "#cm=OSC\n"
                        "Wave='Sine Wave'\n"
                        "Oct=-1\n"
                        "Pitch=0.12\n"
                        "Cut=33.33\n"
                        "Src=6\n"
                        "Src2=1\n"
                        "Tbl=0\n"
                        "Name=1\n"
                        "Dest=ENV2:Att\n"
                        "GuiO=1.00\n"
                        "S1L=0.10\n"
                        "S1T=1.00\n"
                        "S2L=0.20\n"
                        "S2T=2.00\n"
                        "S3L=0.30\n"
                        "S3T=3.00\n"
                        "St1=1\n"
                        "St2=2\n"
                        "St3=3\n"
                        "St4=4\n");
    EXPECT_NE(capture.standardOutput().find("ParaMan selectedModule: 2\n"), std::string::npos);
}

TEST(StateWriter, IntegersRoundToTheNearestAndListsWithoutNamesAreNumbers)
{
    struct Case {
        uint32_t local;
        float value;
        const char* line;
    };
    const Case cases[] = {
        {kOscOctave, -1.0f, "\nOct=-1\n"},
        {kOscOctave, 2.0f, "\nOct=2\n"},
        {kOscOctave, -1.6f, "\nOct=-2\n"},
        {kOscOctave, 0.5f, "\nOct=1\n"},
        {kOscStep1, 7.4f, "\nSt1=7\n"},
        {kOscWave, 0.0f, "\nWave='Saw'\n"},
        {kOscCutoff, 0.125f, "\nCut=0.12\n"},
        {kOscCutoff, 99.999f, "\nCut=100.00\n"},
        // A value that rounds to zero has no sign (it would not read back).
        {kOscPitch, -0.004f, "\nPitch=0.00\n"},
    };
    for (const Case& c : cases) {
        StateTree t;
        t.set(t.osc, c.local, c.value);
        EXPECT_NE(t.write().find(c.line), std::string::npos) << c.line;
    }
}

TEST(StateWriter, PatchFormatsZeroAndOneArePlainAndTwoExplains)
{
    StateTree t;
    setOscillator(t);
    t.engine.set(t.core(k_globalPatchFormat), 0);
    const std::string native = t.write();
    t.engine.set(t.core(k_globalPatchFormat), 1);
    EXPECT_EQ(t.write(), native);

    t.engine.set(t.core(k_globalPatchFormat), 2);
    const std::string extended = t.write();
    const char* const lines[] = {
        "#Endian=little\n\n/*\n\n\tModulator Reference Table\n\n*/\n\n#nm=14\n",
        "\n/*\n\n\tOSC1: Osc1\n\n*/\n\n#cm=OSC1\n",
        "Wave='Sine Wave'\t\t\t\t// Waveform=Sine Wave\n",
        "Oct=-1\t\t\t\t// Octave\n",
        "Src=6\t\t\t\t// Source=Env1 1\n",
        "Pitch=0.12\t\t\t// Pitch\n",
        "Tbl=3\t\t\t\t// binary data for Table\n",
        "Dest=ENV2:Att\t// Target\n",
        "MT11=none:assigned\t// XY1 TargetX1\n",
        "Mode='Gate'\t\t\t\t// Mode=Gate\n",
    };
    for (const char* line : lines)
        EXPECT_NE(extended.find(line), std::string::npos) << line;
}

TEST(StateWriter, MeterHiddenAndUnsavedParametersAreLeftOut)
{
    StateTree t;
    const std::string text = t.write();
    for (const char* key : {"\nLvl=", "\nHid=", "\nNoSv=", "\nSelMod=", "\nPForm=", "\nMetaA=",
                            "\nLevels=", "\nModU1="})
        EXPECT_EQ(text.find(key), std::string::npos) << key;
    EXPECT_NE(text.find("\nGuiO=1.00\n"), std::string::npos);
}

TEST(StateWriter, InactiveModulesAreLeftOutOnlyWithActiveOnlyCompression)
{
    StateTree t;
    t.env1->active = false;
    EXPECT_NE(t.write().find("#cm=ENV1\n"), std::string::npos);
    t.engine.set(t.core(k_globalPatchCompression), 1);
    const std::string text = t.write();
    EXPECT_EQ(text.find("#cm=ENV1\n"), std::string::npos);
    EXPECT_NE(text.find("#cm=ENV2\nAtt=1.00\n"), std::string::npos);
    // A selected module is written whatever it reports.
    select(t, t.env1);
    EXPECT_NE(t.write().find("#cm=ENV\nAtt=1.00\n"), std::string::npos);
}

TEST(StateWriter, TheMetaBlockComesFirstAndOnlyWhenATextIsSet)
{
    StateTree t;
    EXPECT_EQ(t.write().rfind("#AM=KestanK4\n", 0), 0u);
    EXPECT_EQ(t.write("#pgm=init").rfind("#pgm=init\n#AM=KestanK4\n", 0), 0u);

    std::strcpy(t.man().getMetaText(0), "Ann O'Neil");
    std::strcpy(t.man().getMetaText(2), "Pad\n*/ \"wide\"\\");
    EXPECT_EQ(t.write().rfind("/*@meta\n\n"
                              "Author:\n'Ann O\\'Neil'\n\n"
                              "Usage:\n'Pad\\n*\\/ \\\"wide\\\"\\\\'\n\n"
                              "*/\n\n#AM=KestanK4\n",
                              0),
              0u);
}

TEST(StateWriter, TheChunkIsTheTextTheSectionAndTwoZeroBytes)
{
    StateTree t;
    setOscillator(t);
    for (const char* firstLine :
         {static_cast<const char*>(nullptr), "#pgm=A", "#pgm=AB", "#pgm=ABC", "#pgm=ABCD"}) {
        SCOPED_TRACE(firstLine ? firstLine : "no first line");
        uint32_t size = 0;
        const char* chunk = t.man().writeState(&size, firstLine);
        ASSERT_NE(chunk, nullptr);
        const std::string bytes(chunk, size);
        uint32_t n = 0;
        t.man().createSetting(AM_ParaMan::countTextProc, &n);
        const size_t head = firstLine ? std::strlen(firstLine) + 1 : 0;
        const size_t tSize = (head + n + 1 + 3) / 4 * 4;

        const std::string header = "\n\n// Section for ugly compressed binary Data\n// DON'T TOUCH "
                                   "THIS\n\n$$$$490\n";
        ASSERT_EQ(bytes.compare(tSize - 1, header.size(), header), 0);
        // The gap between the text and the header is line feeds, no zero.
        for (size_t i = head + n; i + 1 < tSize; ++i)
            EXPECT_EQ(bytes[i], '\n');
        const size_t encodedStart = tSize - 1 + header.size();
        const size_t encodedLength = bytes.find('\0') - 1 - encodedStart;
        EXPECT_EQ(size, tSize + header.size() + encodedLength + 2);
        EXPECT_EQ(bytes.substr(size - 3), std::string("\n\0\0", 3));
        EXPECT_EQ(bytes.find('\0'), size - 2u);

        // 490 = five data blocks of 256, 64, 64, 10 and 16 bytes, 16 each more.
        std::vector<uint8_t> records(490);
        uint32_t decoded = 0;
        ASSERT_TRUE(decodeQuadText(records.data(), bytes.data() + encodedStart,
                                   static_cast<uint32_t>(encodedLength), 490, &decoded));
        EXPECT_EQ(decoded, 490u);
        // The OSC1 table record: magic, size, min, default, bytes.
        const size_t table = 3 * 16 + 256 + 64 + 64;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(&records[table]), 4), "cbMA");
        EXPECT_EQ(records[table + 4], 10);
        for (uint32_t i = 0; i < kTableBytes; ++i)
            EXPECT_EQ(records[table + 16 + i], i * 25);
    }
}

TEST(StateWriter, AStateWithoutDataBlocksIsItsRoundedText)
{
    StateTree t;
    select(t, t.env1);
    uint32_t size = 0;
    const char* chunk = t.man().writeState(&size, nullptr);
    const std::string bytes(chunk, size);
    const size_t length = std::strlen(chunk);
    EXPECT_EQ(size, (length + 1 + 3) / 4 * 4);
    EXPECT_EQ(bytes.find("$$$$"), std::string::npos);
    EXPECT_EQ(bytes.find_first_not_of('\0', length), std::string::npos);
}

TEST(StateWriter, ADataBlockWithoutDataKeepsItsSizeAndWritesZeros)
{
    StateTree t;
    t.osc->missingData = true;
    select(t, t.osc);
    testsupport::TraceCapture capture;
    const std::string chunk = t.write();
    EXPECT_EQ(capture.count("dataPtr == NULL"), 2);
    const size_t mark = chunk.find("$$$$");
    ASSERT_NE(mark, std::string::npos);
    std::vector<uint8_t> records(58, 0xEE);
    uint32_t decoded = 0;
    ASSERT_TRUE(decodeQuadText(records.data(), chunk.data() + mark + 4,
                               static_cast<uint32_t>(chunk.size() - mark - 4), 58, &decoded));
    EXPECT_EQ(decoded, 58u);
    for (size_t i = 16; i < 26; ++i)
        EXPECT_EQ(records[i], 0);
}

TEST(StateWriter, TheFirstLineLosesWhatWouldEndItOrStartACommentScriptOrSection)
{
    struct Case {
        const char* given;
        const char* written;
    };
    const Case cases[] = {
        {"#pgm=Plain", "#pgm=Plain\n"},        {"#pgm=Two\nLines\r", "#pgm=Two Lines \n"},
        {"#pgm=Cost $$$$5", "#pgm=Cost $5\n"}, {"#pgm=a/*b*/c", "#pgm=a/b*/c\n"},
        {"#pgm=<?x=1;?>", "#pgm=<x=1;?>\n"},   {"", "\n"},
    };
    for (const Case& c : cases) {
        StateTree t;
        const std::string chunk = t.write(c.given);
        EXPECT_EQ(chunk.rfind(std::string(c.written) + "#AM=", 0), 0u) << c.given;
    }
}

TEST(StateWriter, CreateSettingReportsAMissingCallbackAndTheCallbacksAgree)
{
    StateTree t;
    testsupport::TraceCapture capture;
    t.man().createSetting(nullptr, nullptr);
    EXPECT_EQ(capture.standardOutput(), "AM_ParaMan::createSetting: inParamReportProc is NULL!\n");

    uint32_t counted = 0;
    t.man().createSetting(AM_ParaMan::countTextProc, &counted);
    std::vector<char> buffer(counted + 1, 'x');
    AM_TextAppend whole{buffer.data(), counted + 1, 0, false};
    t.man().createSetting(AM_ParaMan::appendTextProc, &whole);
    EXPECT_FALSE(whole.overflow);
    EXPECT_EQ(whole.length, counted);
    EXPECT_EQ(std::strlen(buffer.data()), counted);

    std::vector<char> small(32, 'x');
    AM_TextAppend cut{small.data(), 32, 0, false};
    t.man().createSetting(AM_ParaMan::appendTextProc, &cut);
    EXPECT_TRUE(cut.overflow);
    EXPECT_EQ(cut.length, 31u);
    EXPECT_EQ(small[31], 0);
}

} // namespace
