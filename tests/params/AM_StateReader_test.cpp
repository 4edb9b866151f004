// The state reader: round trips of whole patches and module presets in
// every format, the defaults, the statement scanner, the source maps, the
// data records, the first line, adapters, switches, nesting and refusals.

#include "StateFixture.h"
#include "TraceCapture.h"
#include "params/ParamKeyWords.h"
#include "params/object/AM_Messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testfixture;

const char* const kAuthor = "Ann O'Neil \\ \"AON\"";
const char* const kDescription = "Line one\nLine two\r\nLine three\r */ ends? no\t\\n stays";
const char* const kUsage = "*/*/ \\ '' /*";

void setMeta(StateTree& t)
{
    std::strcpy(t.man().getMetaText(0), kAuthor);
    std::strcpy(t.man().getMetaText(1), kDescription);
    std::strcpy(t.man().getMetaText(2), kUsage);
}

// Non-default values everywhere the state reaches.
void fill(StateTree& t)
{
    t.set(t.osc, kOscWave, 3);
    t.set(t.osc, kOscOctave, -2);
    t.set(t.osc, kOscPitch, -7.25f);
    t.set(t.osc, kOscCutoff, 12.5f);
    t.set(t.osc, kOscSource, 8);
    t.set(t.osc, kOscSource2, 1);
    t.set(t.osc, kOscTarget, static_cast<float>(t.id(t.env1, kEnvRelease)));
    t.set(t.osc, kOscStage2Time, 4.5f);
    t.set(t.osc, kOscStep3, 9);
    for (uint32_t i = 0; i < kTableBytes; ++i)
        t.osc->data[kOscTable][i] = static_cast<uint8_t>(250 - i * 3);
    std::strcpy(reinterpret_cast<char*>(t.osc->data[kOscName].data()), "It's \"Lead\"");
    t.set(t.env1, kEnvAttack, 2.5f);
    t.set(t.env1, kEnvMode, 1);
    t.set(t.env2, kEnvRelease, 0.25f);
    t.set(t.arp, 0, 1.75f);
    t.set(t.vox, 0, 0.5f);
    AM_ParaMan& man = t.man();
    const AM_CoreLayout& layout = man.getLayout();
    t.engine.set(man.ownId(0), 12.5f); // X axis
    t.engine.set(man.ownId(layout.assignmentLocal(0, 0, k_xyTarget)),
                 static_cast<float>(t.id(t.osc, kOscCutoff)));
    t.engine.set(man.ownId(layout.assignmentLocal(0, 0, k_xyUp)), 30);
    t.engine.set(man.ownId(layout.matrixLocal(0, k_matrixSource)), 7);
    t.engine.set(man.ownId(layout.matrixLocal(0, k_matrixDepth)), -40);
    t.engine.set(t.core(k_globalSwingBase), 7);
    t.engine.set(t.core(k_globalSwing), 33.3f);
    std::strcpy(static_cast<char*>(t.engine.getBinaryParameterData(t.core(k_globalPatchFolder))),
                "Pads/Warm");
}

void select(StateTree& t, AM_AudioObject* module)
{
    t.engine.set(t.core(k_globalSelectModule),
                 module ? static_cast<float>(t.moduleIndex(module)) : 0.0f);
}

void format(StateTree& t, int32_t patchFormat)
{
    t.engine.set(t.core(k_globalPatchFormat), static_cast<float>(patchFormat));
}

// Reads a module preset into a module the way the GUI does (message 59).
void loadModulePreset(StateTree& t, const std::string& text, AM_AudioObject* module)
{
    const std::string terminated = text.substr(0, text.find('\0'));
    t.man().receiveMessage(nullptr, k_msgLoadStateText,
                           static_cast<uint32_t>(t.moduleIndex(module)),
                           const_cast<char*>(terminated.c_str()));
}

TEST(StateRoundTrip, AWholePatchWrittenReadAndWrittenAgainIsIdentical)
{
    for (int32_t patchFormat : {0, 1, 2}) {
        SCOPED_TRACE(patchFormat);
        StateTree a;
        fill(a);
        a.set(a.osc, kOscGuiOnly, 3);
        setMeta(a);
        format(a, patchFormat);
        const std::string first = a.write("#pgm=My Patch");

        // Into the same engine, and into a fresh one (mode 1 also takes the
        // parameters that only a full restore sets).
        ASSERT_TRUE(a.read(first, 0));
        EXPECT_EQ(a.write("#pgm=My Patch"), first);
        StateTree b;
        format(b, patchFormat);
        ASSERT_TRUE(b.read(first, 1));
        EXPECT_EQ(b.write("#pgm=My Patch"), first);
        EXPECT_STREQ(b.man().getMetaText(0), kAuthor);
        EXPECT_STREQ(b.man().getMetaText(1), kDescription);
        EXPECT_STREQ(b.man().getMetaText(2), kUsage);
        EXPECT_EQ(b.osc->data, a.osc->data);
        EXPECT_EQ(b.value(b.osc, kOscWave), 3.0f);
        EXPECT_EQ(b.value(b.osc, kOscTarget), static_cast<float>(b.id(b.env1, kEnvRelease)));
    }
}

TEST(StateRoundTrip, AModulePresetWrittenReadAndWrittenAgainIsIdentical)
{
    for (int32_t patchFormat : {0, 1, 2}) {
        for (bool envelope : {false, true}) {
            SCOPED_TRACE(std::to_string(patchFormat) + (envelope ? " ENV1" : " OSC1"));
            StateTree a;
            fill(a);
            format(a, patchFormat);
            select(a, envelope ? static_cast<AM_AudioObject*>(a.env1) : a.osc);
            const std::string first = a.write();

            StateTree b;
            format(b, patchFormat);
            AM_AudioObject* target = envelope ? static_cast<AM_AudioObject*>(b.env1) : b.osc;
            loadModulePreset(b, first, target);
            select(b, target);
            EXPECT_EQ(b.write(), first);
            // Nothing outside the module moved.
            EXPECT_EQ(b.value(b.env2, kEnvRelease), 2.0f);
            EXPECT_EQ(b.value(b.vox, 0), 1.0f);
        }
    }
}

TEST(StateReader, AModulePresetOfTheFirstEnvelopeChangesOnlyTheSecond)
{
    StateTree t;
    t.set(t.env1, kEnvAttack, 3.0f);
    t.set(t.env1, kEnvMode, 1);
    select(t, t.env1);
    std::string preset = t.write();
    // Even a whole-patch switch inside a module preset is ignored.
    preset.insert(0, "#defaults=yes\n");
    select(t, nullptr);
    t.set(t.env1, kEnvAttack, 6.0f);
    t.set(t.env2, kEnvRelease, 9.0f);
    t.set(t.osc, kOscCutoff, 77.0f);

    loadModulePreset(t, preset, t.env2);
    EXPECT_EQ(t.value(t.env2, kEnvAttack), 3.0f);
    EXPECT_EQ(t.value(t.env2, kEnvMode), 1.0f);
    EXPECT_EQ(t.value(t.env2, kEnvRelease), 2.0f); // written in the preset
    EXPECT_EQ(t.value(t.env1, kEnvAttack), 6.0f);
    EXPECT_EQ(t.value(t.osc, kOscCutoff), 77.0f);
    EXPECT_EQ(t.man().getValue(t.core(k_globalSelectModule), false), 0.0f);
}

TEST(StateReader, APresetOfAnotherKindOfModuleChangesNothing)
{
    StateTree t;
    select(t, t.osc);
    const std::string preset = t.write();
    select(t, nullptr);
    t.set(t.env2, kEnvAttack, 4.0f);
    loadModulePreset(t, preset, t.env2);
    EXPECT_EQ(t.value(t.env2, kEnvAttack), 4.0f);
}

TEST(StateReader, UnmentionedParametersReturnToTheirDefaultsUnlessTheTextSaysNo)
{
    struct Case {
        const char* text;
        bool reset;
    };
    const Case cases[] = {
        {"#cm=OSC1\nCut=10\n", true},
        {"#defaults=yes\nCut=3\n#cm=OSC1\nCut=10\n", true},
        {"#defaults=no\n#cm=OSC1\nCut=10\n", false},
        {"#cm=OSC1\n#defaults=no\nCut=10\n", false},
        // Without any module line the read decides nothing.
        {"Cut=10\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        StateTree t;
        fill(t);
        t.set(t.osc, kOscGuiOnly, 3);
        ASSERT_TRUE(t.read(c.text));
        if (std::strstr(c.text, "#cm")) {
            EXPECT_EQ(t.value(t.osc, kOscCutoff), 10.0f);
        }
        EXPECT_EQ(t.value(t.env1, kEnvAttack), c.reset ? 1.0f : 2.5f);
        EXPECT_EQ(t.value(t.osc, kOscWave), c.reset ? 1.0f : 3.0f);
        EXPECT_EQ(t.value(t.osc, kOscTarget),
                  c.reset ? -1.0f : static_cast<float>(t.id(t.env1, kEnvRelease)));
        const char* name = reinterpret_cast<const char*>(t.osc->data[kOscName].data());
        EXPECT_STREQ(name, c.reset ? "..." : "It's \"Lead\"");
        // Binary data and parameters only a full restore sets keep theirs.
        EXPECT_EQ(t.osc->data[kOscTable][0], 250);
        EXPECT_EQ(t.value(t.osc, kOscGuiOnly), 3.0f);
    }
}

TEST(StateReader, AResetClearsTheMetaTextsTheTextLacks)
{
    StateTree t;
    setMeta(t);
    ASSERT_TRUE(t.read("/*@meta\n\nUsage:\n'new'\n\n*/\n#cm=OSC1\n"));
    EXPECT_STREQ(t.man().getMetaText(0), "");
    EXPECT_STREQ(t.man().getMetaText(1), "");
    EXPECT_STREQ(t.man().getMetaText(2), "new");
}

// The editor copies a meta text from the buffer it found; a longer text read
// meanwhile goes into a new buffer and must leave the old one readable (under
// AddressSanitizer a freed one stops the test).
TEST(StateReader, ALongerMetaTextLeavesTheBufferFoundBeforeReadable)
{
    StateTree t;
    setMeta(t);
    const char* before = t.man().getMetaText(1);
    const std::string longText(5000, 'd');
    for (int round = 0; round < 3; ++round) {
        const std::string text = longText.substr(0, 1000 + 1500 * round);
        ASSERT_TRUE(t.read("/*@meta\n\nDescription:\n'" + text + "'\n\n*/\n#cm=OSC1\n"));
        EXPECT_EQ(std::string(t.man().getMetaText(1)), text);
        EXPECT_GE(t.man().getMetaSize(1), text.size() + 1);
    }
    EXPECT_NE(t.man().getMetaText(1), before);
    EXPECT_STREQ(before, kDescription);
}

TEST(StateReader, TheMetaBlockIsThePatchsWhereverItStands)
{
    struct Case {
        const char* text;
        const char* author; // null: the texts before the read stay
        float cutoff;
        float octave;
    };
    const Case cases[] = {
        // The texts a block lacks are empty, also when unmentioned
        // parameters keep their values.
        {"/*@meta\n\nAuthor:\n'new'\n\n*/\n#defaults=no\n#cm=OSC1\nCut=10\n", "new", 10, 0},
        // Statements before a block further on are read, and so are those
        // behind it.
        {"#defaults=no\n#cm=OSC1\nCut=10\n/*@meta\nAuthor:\n'late'\n*/\nOct=1\n", "late", 10, 1},
        // A block that holds no text, here inside a comment without its
        // end, is only a comment.
        {"#defaults=no\n#cm=OSC1\nCut=10\n// see /*@meta\nOct=1\n", nullptr, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        StateTree t;
        setMeta(t);
        ASSERT_TRUE(t.read(c.text));
        EXPECT_STREQ(t.man().getMetaText(0), c.author ? c.author : kAuthor);
        EXPECT_STREQ(t.man().getMetaText(1), c.author ? "" : kDescription);
        EXPECT_STREQ(t.man().getMetaText(2), c.author ? "" : kUsage);
        EXPECT_EQ(t.value(t.osc, kOscCutoff), c.cutoff);
        EXPECT_EQ(t.value(t.osc, kOscOctave), c.octave);
    }
}

TEST(StateReader, TheBinarySectionIsNotSoughtInsideTheMetaBlock)
{
    StateTree a;
    fill(a);
    std::strcpy(a.man().getMetaText(0), "$$$$3");
    // A line written by hand before the block.
    const std::string chunk = "// kept by hand\n" + a.write();
    StateTree b;
    ASSERT_TRUE(b.read(chunk));
    EXPECT_STREQ(b.man().getMetaText(0), "$$$$3");
    EXPECT_EQ(b.osc->data, a.osc->data);
}

TEST(StateReader, TheMetaBlockReadsOlderTextsAsBefore)
{
    struct Case {
        const char* block;
        const char* author;
        const char* description;
    };
    const Case cases[] = {
        // Line breaks escaped as a pair, an author not escaped at all.
        {"Author:\n'C:\\Users'\n\nDescription:\n'one\\r\\ntwo'", "C:\\Users", "one\r\ntwo"},
        // Blanks before the quote; a key without a quoted text is no text.
        {"Author:   'Al'\nDescription: none", "Al", ""},
        // A key inside another text is part of that text.
        {"Author:\n'Usage: \\'x\\''\n\nDescription:\n'd'", "Usage: 'x'", "d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        StateTree t;
        ASSERT_TRUE(t.read(std::string("/*@meta\n\n") + c.block + "\n*/\n#defaults=no\n"));
        EXPECT_STREQ(t.man().getMetaText(0), c.author);
        EXPECT_STREQ(t.man().getMetaText(1), c.description);
    }
}

TEST(StateReader, StatementsAreScannedTolerantly)
{
    struct Case {
        const char* line;
        uint32_t local;
        float expected;
    };
    const Case cases[] = {
        {"Wave = 'Tri'", kOscWave, 2},
        {"Wave='Sine Wave'", kOscWave, 3},
        {"Wave='SineWave'", kOscWave, 0},
        {"Wave='Nope'", kOscWave, 0},
        {"Wave=2 // Wave=3", kOscWave, 2},
        {"/* Wave=3 */ Wave=0", kOscWave, 0},
        {"Wave=3/*\nWave=0\n*/", kOscWave, 3},
        {"Wave", kOscWave, 1},
        {"Oct=", kOscOctave, 0},
        {"Oct=-2", kOscOctave, -2},
        {"Oct=x", kOscOctave, 0},
        {"\tCut\t=\t12,5\r", kOscCutoff, 12.5f},
        {"Cut=1e5", kOscCutoff, 1},
        {"Cut=500", kOscCutoff, 100},
        {"Cut=7$x", kOscCutoff, 7},
        {"Cut=$$$$", kOscCutoff, 50},
        {"C<ut=8", kOscCutoff, 8},
        {"Cut==9", kOscCutoff, 0},
        {"Unknown=5", kOscCutoff, 50},
        {"Lvl=1", kOscLevel, 0},
        {"Hid=1", kOscHidden, 0.25f},
        {"NoSv=1", kOscNotSaved, 0.25f},
        {"GuiO=4", kOscGuiOnly, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        StateTree t;
        ASSERT_TRUE(t.read(std::string("#defaults=no\n#cm=OSC1\n") + c.line + "\n"));
        EXPECT_EQ(t.value(t.osc, c.local), c.expected);
    }
}

TEST(StateReader, ModeOneSetsWhatOnlyAFullRestoreMayAndModeTwoTheHidden)
{
    StateTree t;
    ASSERT_TRUE(t.read("#defaults=no\n#cm=OSC1\nGuiO=4\nHid=1\n", 1));
    EXPECT_EQ(t.value(t.osc, kOscGuiOnly), 4.0f);
    EXPECT_EQ(t.value(t.osc, kOscHidden), 0.25f);
    ASSERT_TRUE(t.read("#cm=OSC1\nHid=1\n", 2));
    EXPECT_EQ(t.value(t.osc, kOscHidden), 1.0f);
}

TEST(StateReader, LinesOfModulesThatAreNotHereAreIgnored)
{
    StateTree t;
    ASSERT_TRUE(t.read("#defaults=no\n#cm=OSC9\nCut=10\n#cm=OSC1\nOct=1\n"));
    EXPECT_EQ(t.value(t.osc, kOscCutoff), 50.0f);
    EXPECT_EQ(t.value(t.osc, kOscOctave), 1.0f);
}

TEST(StateReader, SavedSourceNumbersAreMappedByName)
{
    struct Case {
        const char* text;
        float source;
    };
    const Case cases[] = {
        {"#nm=3\n#ms=none\n#ms=Env2 1\n#ms=Nothing\n#cm=OSC1\nSrc=1\n", 8},
        // An unknown name keeps its place, so later numbers stay right.
        {"#nm=3\n#ms=none\n#ms=Gone\n#ms=Env1 1\n#cm=OSC1\nSrc=2\n", 6},
        {"#nm=3\n#ms=none\n#ms=Gone\n#ms=Env1 1\n#cm=OSC1\nSrc=1\n", 0},
        {"#nm=2\n#ms=none\n#ms=Env1 1\n#cm=OSC1\nSrc=5\n", 0},
        {"#cm=OSC1\nSrc=3\n", 0},
        {"#nm=2\n#ms=none\n#ms=ArpModulator\n#cm=OSC1\nSrc=1\n", 9},
        // Of repeated names, the source at the saved number itself.
        {"#nm=11\n#ms=none\n#ms=ModWhl\n#ms=PitchW\n#ms=Breath\n#ms=Xpress\n#ms=Env1 0\n"
         "#ms=Env1 1\n#ms=Env2 0\n#ms=Env2 1\n#ms=ArpMod\n#ms=ModWhl\n#cm=OSC1\nSrc=10\n",
         10},
        {"#nm=2\n#ms=none\n#ms=ModWhl\n#cm=OSC1\nSrc=1\n", 1},
        // A repeated count starts a new map.
        {"#nm=2\n#ms=none\n#ms=Env1 0\n#nm=2\n#ms=none\n#cm=OSC1\nSrc=1\n", 0},
        // A count beyond reason is capped, not allocated.
        {"#nm=2000000000\n#ms=none\n#ms=Env1 0\n#cm=OSC1\nSrc=1\n", 5},
        {"#nm=-4\n#ms=none\n#cm=OSC1\nSrc=0\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        StateTree t;
        t.set(t.osc, kOscSource, 4);
        testsupport::TraceCapture capture;
        ASSERT_TRUE(t.read(std::string("#defaults=no\n") + c.text));
        EXPECT_EQ(t.value(t.osc, kOscSource), c.source);
        if (std::strstr(c.text, "Nothing")) {
            EXPECT_NE(capture.standardOutput().find("Can't find 'Nothing'\n"), std::string::npos);
        }
    }
}

TEST(StateReader, SecondListSelectorsUseTheSecondMap)
{
    StateTree t;
    ASSERT_TRUE(t.read("#defaults=no\n#nv=2\n#mv=Env2 0\n#mv=Env1 0\n#cm=OSC1\nSrc2=0\n"));
    EXPECT_EQ(t.value(t.osc, kOscSource2), 1.0f);
}

TEST(StateReader, TheProgramLineIsSkippedUnread)
{
    for (const char* name : {"/* open comment", "<? float x = 1;", "$$ab", "#cm=OSC1", "x=1"}) {
        StateTree t;
        ASSERT_TRUE(t.read(std::string("#pgm=") + name + "\n#defaults=no\n#cm=OSC1\nCut=7\n"));
        EXPECT_EQ(t.value(t.osc, kOscCutoff), 7.0f) << name;
    }
    // A chunk that is nothing but the line.
    StateTree t;
    EXPECT_TRUE(t.read("#pgm=only"));
}

TEST(StateReader, AssignmentsFindTheirTargetsByModuleAndShortName)
{
    struct Case {
        const char* value;
        float expected; // -2: the target of ENV2 Att; -3: unchanged
    };
    const Case cases[] = {
        {"ENV2:Att", -2}, {"none:assigned", -1}, {"none", -3},
        {"ENV9:Att", -3}, {"ENV2:Nope", -3},     {"LONGNAME:Att", -3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        StateTree t;
        const float before = static_cast<float>(t.id(t.vox, 0));
        t.set(t.osc, kOscTarget, before);
        ASSERT_TRUE(t.read(std::string("#defaults=no\n#cm=OSC1\nDest=") + c.value + "\n"));
        const float expected = c.expected == -2   ? static_cast<float>(t.id(t.env2, kEnvAttack))
                               : c.expected == -3 ? before
                                                  : c.expected;
        EXPECT_EQ(t.value(t.osc, kOscTarget), expected);
    }
}

// A record of the binary section: magic, size, min, default, payload.
std::vector<uint8_t> record(const std::vector<uint8_t>& payload, bool otherOrder = false,
                            uint32_t magic = 0x414D6263)
{
    std::vector<uint8_t> r(16 + payload.size(), 0);
    const uint32_t size = static_cast<uint32_t>(payload.size());
    for (int k = 0; k < 4; ++k) {
        r[otherOrder ? 3 - k : k] = static_cast<uint8_t>(magic >> (8 * k));
        r[4 + (otherOrder ? 3 - k : k)] = static_cast<uint8_t>(size >> (8 * k));
    }
    std::copy(payload.begin(), payload.end(), r.begin() + 16);
    return r;
}

std::string section(const std::vector<uint8_t>& records)
{
    std::string encoded(
        static_cast<size_t>(quadTextCapacity(static_cast<uint32_t>(records.size()))), 0);
    encoded.resize(encodeQuadText(encoded.data(), encoded.size(), records.data(),
                                  static_cast<uint32_t>(records.size())));
    return "\n$$$$" + std::to_string(records.size()) + "\n" + encoded + "\n";
}

TEST(StateReader, DataRecordsFillTheDescriptorsSizeAndNoMore)
{
    const std::vector<uint8_t> ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::vector<uint8_t> longer(40);
    for (size_t i = 0; i < longer.size(); ++i)
        longer[i] = static_cast<uint8_t>(100 + i);
    struct Case {
        const char* name;
        std::vector<uint8_t> records;
        const char* lines;
        std::vector<uint8_t> table; // the table afterwards
        const char* message;
    };
    const std::vector<uint8_t> before(kTableBytes, 0xAA);
    std::vector<uint8_t> twoRecords = record({9, 9});
    const std::vector<uint8_t> second = record(ten);
    twoRecords.insert(twoRecords.end(), second.begin(), second.end());
    std::vector<uint8_t> cutRecord = record(ten);
    cutRecord.resize(20);
    const std::vector<Case> cases = {
        {"exact", record(ten), "Tbl=0\n", ten, ""},
        {"shorter", record({7, 7, 7}), "Tbl=0\n", {7, 7, 7, 0, 0, 0, 0, 0, 0, 0}, ""},
        {"longer", record(longer), "Tbl=0\n",
         std::vector<uint8_t>(longer.begin(), longer.begin() + 10), ""},
        {"second record", twoRecords, "Tbl=1\n", ten, ""},
        {"other byte order",
         record({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, true),
         "Tbl=0\n",
         {4, 3, 2, 1, 8, 7, 6, 5, 9, 10},
         ""},
        {"bad magic", record(ten, false, 0x12345678), "Tbl=0\n", before,
         "FOUND INVALID BINARY CHUNK #0\nCHUNK IS NULL\n"},
        {"no such record", record(ten), "Tbl=1\n", before, "CHUNK IS NULL\n"},
        {"negative number", record(ten), "Tbl=-1\n", before, "CHUNK IS NULL\n"},
        {"record cut short", cutRecord, "Tbl=0\n", before, "FOUND INVALID BINARY CHUNK #0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StateTree t;
        t.osc->data[kOscTable] = before;
        testsupport::TraceCapture capture;
        ASSERT_TRUE(t.read(std::string("#defaults=no\n#cm=OSC1\n") + c.lines + section(c.records)));
        EXPECT_EQ(t.osc->data[kOscTable], c.table);
        if (c.message[0] != 0) {
            EXPECT_NE(capture.standardOutput().find(c.message), std::string::npos)
                << capture.standardOutput();
        }
    }
}

TEST(StateReader, TextDataInTheOtherByteOrderIsNotSwapped)
{
    StateTree t;
    const std::vector<uint8_t> text = {'a', 'b', 'c', 'd', 'e', 0};
    ASSERT_TRUE(t.read("#defaults=no\n#cm=OSC1\nName=0\n" + section(record(text, true))));
    EXPECT_STREQ(reinterpret_cast<const char*>(t.osc->data[kOscName].data()), "abcde");
}

TEST(StateReader, ASectionThatCannotBeTrustedGivesNoRecords)
{
    const std::string good = section(record({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    std::string damaged = good;
    const size_t letter = damaged.find_first_of(
        "abcdefghijklmnopABCDEFGHIJKLMNOPQRSTUVWXYZqrstuvwxyz", damaged.find('!'));
    damaged[letter] = damaged[letter] == 'a' ? 'b' : 'a';
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"checksum", damaged, "Checksum mismatch"},
        {"no size", "\n$$$$x\n?!=0\n",
         "couldn't determine max size of compressed binary chunk.../n"},
        {"too big", "\n$$$$1000001\n?!=0\n", "Horribly big number for binary chunk: 1000001/n"},
        {"too small", "\n$$$$20\n" + good.substr(good.find('?')), "BUG! - bytesExpanded"},
        {"no section", "", "Binary Chunks are NULL!\nCHUNK IS NULL\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StateTree t;
        t.osc->data[kOscTable].assign(kTableBytes, 0xAA);
        testsupport::TraceCapture capture;
        ASSERT_TRUE(t.read("#defaults=no\n#cm=OSC1\nTbl=0\n" + c.text));
        EXPECT_EQ(t.osc->data[kOscTable], std::vector<uint8_t>(kTableBytes, 0xAA));
        EXPECT_NE(capture.standardOutput().find(c.message), std::string::npos)
            << capture.standardOutput();
    }
}

TEST(StateReader, RecordsMayFollowTheTextsTerminatingZero)
{
    StateTree t;
    std::string text = "#defaults=no\n#cm=OSC1\nTbl=0\n"; // 28 bytes, the zero makes 29
    text += '\0';
    text.append(3, '\0');
    const std::vector<uint8_t> r = record({5, 4, 3, 2, 1, 0, 1, 2, 3, 4});
    text.append(r.begin(), r.end());
    ASSERT_TRUE(t.read(text));
    EXPECT_EQ(t.osc->data[kOscTable], (std::vector<uint8_t>{5, 4, 3, 2, 1, 0, 1, 2, 3, 4}));
}

TEST(StateReader, ScriptBlocksSetParametersByNameAndShareTheirVariables)
{
    StateTree t;
    testsupport::TraceCapture capture;
    ASSERT_TRUE(
        t.read("#cm=OSC1\nCut=10\n"
               "<? float x = 3; Osc1.Pitch = x; ?>\n"
               "Oct=1\n"
               "<? Osc1.Cutoff = Osc1.Cutoff + x * 2; Env2.Release = Env1.Attack + 5; ?>\n"));
    EXPECT_EQ(t.value(t.osc, kOscPitch), 3.0f);
    EXPECT_EQ(t.value(t.osc, kOscCutoff), 16.0f);
    EXPECT_EQ(t.value(t.osc, kOscOctave), 1.0f);
    // Set by the script, so the defaults at the end leave it alone.
    EXPECT_EQ(t.value(t.env2, kEnvRelease), 6.0f);
    EXPECT_NE(capture.standardOutput().find("start Compile in line 3\n"), std::string::npos);
    EXPECT_NE(capture.standardOutput().find("start Compile in line 5\n"), std::string::npos);
}

TEST(StateReader, AScriptSetsParametersThatTheDefaultsWouldReset)
{
    StateTree t;
    ASSERT_TRUE(t.read("<? Env1.Attack = 4; ?>\n#cm=OSC1\n<? Env2.Attack = 5; ?>\n"));
    EXPECT_EQ(t.value(t.env1, kEnvAttack), 4.0f);
    EXPECT_EQ(t.value(t.env2, kEnvAttack), 5.0f);
}

TEST(StateReader, AScriptThatFailsToCompileIsSkippedToItsEnd)
{
    StateTree t;
    testsupport::TraceCapture capture;
    ASSERT_TRUE(t.read("#defaults=no\n#cm=OSC1\n"
                       "<? float x = ; Cut=99\nOct=2 ?>\n"
                       "Cut=20\n"));
    EXPECT_EQ(t.value(t.osc, kOscCutoff), 20.0f);
    EXPECT_EQ(t.value(t.osc, kOscOctave), 0.0f);
    EXPECT_NE(capture.standardOutput().find("Error in Line"), std::string::npos);
}

TEST(StateReader, ReadsNestDeeperOnlyUpToTheLimit)
{
    StateTree t;
    int reads = 0;
    std::string text = "#defaults=no\n<? int r = Osc1.reload(); ?>\n";
    AM_ParaMan& man = t.man();
    t.osc->methods["reload"] = {
        "I", [&](AM_AudioObject*, const FixtureMethod&) {
            ++reads;
            return man.readState(text.data(), static_cast<int32_t>(text.size()), 0) ? 1.0f : 0.0f;
        }};
    testsupport::TraceCapture capture;
    ASSERT_TRUE(t.read(text));
    EXPECT_EQ(reads, AM_ParaMan::kMaxStateLevels);
    EXPECT_EQ(capture.count("stateInfoLevel exceeds limit"), 1);
    EXPECT_EQ(man.getStateLevel(), -1);
    // The resolver holds nothing of the scripts once the outermost read ends.
    EXPECT_EQ(man.getKeyWords()->accessors(), nullptr);
}

TEST(StateReader, SwitchLinesCountOnlyWhileLoadingDefaults)
{
    const char* text = "!EDITOR=YES\n!BLOCK_LATENCY_OFF=YES\n!PRINT_PUBLIC_PARAMS=NO\n"
                       "!PRINT_BINARY_STATE=YES\n!OTHER=YES\n#cm=OSC1\n!EDITOR=YES\n";
    StateTree t;
    ASSERT_TRUE(t.read(text));
    EXPECT_TRUE(t.engine.options.empty());
    t.man().setLoadingDefaults(1);
    ASSERT_TRUE(t.read(text));
    EXPECT_EQ(t.engine.options,
              (std::vector<std::pair<int32_t, uint32_t>>{{0, 1}, {1, 1}, {3, 1}, {0, 1}}));
}

TEST(StateReader, AnotherProductsPresetGoesThroughItsAdapter)
{
    StateTree t;
    auto* adapter = new FixtureAdapter("Elsewhere");
    t.engine.adapters.emplace_back(adapter);
    testsupport::TraceCapture capture;
    t.set(t.env1, kEnvAttack, 5.0f);
    ASSERT_TRUE(t.read("#AM=Elsewhere\n#cm=OLDOSC\nTune=4\nCut=9\n#cm=ENV2\nAtt=3\n"));
    EXPECT_EQ(t.value(t.osc, kOscPitch), 4.0f);
    EXPECT_EQ(t.value(t.osc, kOscCutoff), 9.0f);
    EXPECT_EQ(t.value(t.env2, kEnvAttack), 3.0f);
    EXPECT_EQ(t.value(t.env1, kEnvAttack), 1.0f); // reset
    EXPECT_EQ(adapter->calls, (std::vector<std::string>{"begin", "module OLDOSC", "key Tune",
                                                        "key Cut", "module ENV2", "end"}));
    EXPECT_NE(
        capture.standardOutput().find("seeking for a PresetAdapter for 'Elsewhere'\nFOUND IT\n"),
        std::string::npos);

    // An adapter that keeps what its presets do not mention.
    t.engine.adapters.emplace_back(new FixtureAdapter("Keeper", false));
    t.set(t.env1, kEnvAttack, 5.0f);
    ASSERT_TRUE(t.read("#AM=Keeper\n#cm=ENV2\nAtt=3\n"));
    EXPECT_EQ(t.value(t.env1, kEnvAttack), 5.0f);
    // Unknown products and this product's own name find none.
    capture.clear();
    ASSERT_TRUE(t.read("#AM=Nobody\n#defaults=no\n"));
    EXPECT_EQ(capture.standardOutput().find("FOUND IT"), std::string::npos);
    capture.clear();
    ASSERT_TRUE(t.read("#AM=KestanK4\n#defaults=no\n"));
    EXPECT_EQ(capture.standardOutput().find("seeking"), std::string::npos);
}

TEST(StateReader, TheVersionOfAWholePatchIsAppliedAtItsEnd)
{
    StateTree t;
    ASSERT_TRUE(t.read("#Vers=1A\n#cm=OSC1\n"));
    EXPECT_EQ(t.man().getVersion(), 0x1Au);
    EXPECT_EQ(t.engine.ctx()->stateVersion, 0x1Au);
    ASSERT_TRUE(t.read("#Vers=2B\n#defaults=no\n"));
    EXPECT_EQ(t.man().getVersion(), 0x1Au);
    EXPECT_NE(t.write().find("#Vers=1A\n"), std::string::npos);
}

TEST(StateReader, PatchNamedFollowsTheTextAndReturnsToYes)
{
    StateTree t;
    ASSERT_TRUE(t.read("#patchname=no\n#defaults=no\n"));
    EXPECT_EQ(t.man().getValue(t.core(k_globalPatchNamed), false), 0.0f);
    ASSERT_TRUE(t.read("#defaults=no\n"));
    EXPECT_EQ(t.man().getValue(t.core(k_globalPatchNamed), false), 1.0f);
}

TEST(StateReader, RefusedReadsSaySo)
{
    StateTree t;
    EXPECT_FALSE(t.man().readState(nullptr, 10, 0));
    EXPECT_FALSE(t.man().readState("#cm=OSC1", 0, 0));
    EXPECT_FALSE(t.man().readState("#cm=OSC1", -5, 0));
    AM_ParaMan bare(nullptr, 0, 0, 0);
    EXPECT_FALSE(bare.readState("#cm=OSC1", 8, 0));
}

TEST(StateReader, TextsEndingInTheMiddleOfSomethingStopAtTheirEnd)
{
    const char* texts[] = {
        "/*@meta\n\nAuthor:\n'never closed",
        "/*@meta\n\nAuthor:\n'a'\n",
        "#cm=OSC1\nCut=5 /* open",
        "#cm=OSC1\nCut=5$",
        "#cm=OSC1\nCut=5$$",
        "#cm=OSC1\nCut=5<",
        "#cm=OSC1\nCut=5<?",
        "#cm=OSC1\nCut=5<? float x = 1;",
        "#cm=OSC1\nWave='Tri",
        "$$$$",
        "$$$$12",
        "#AM=",
        "/*@meta\n\nAuthor:\n'a\\",
    };
    for (const char* text : texts) {
        StateTree t;
        EXPECT_TRUE(t.read(text)) << text;
    }
}

} // namespace
