#include "DisplayFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_WireIn.h"
#include "gui/controls/AM_View_WireOut.h"
#include "gui/controls/AM_WireShared.h"
#include "gui/views/AM_ControlMessages.h"

#include <cmath>
#include <string>

namespace {

using namespace controltest;

// Parameters past those of the views fixture, in module "Osc":
//   "Patch"  list 0..4 ("off", "LFO1", "LFO2", "Env", "Vel")
//   "Patch2" list 0..4, the same names
//   "Patch3" list 0..4, the same names
//   "Wires"  text of kWireTextBytes
//   "Long"   list 0..1 ("off", a name of 30 characters)
enum WireParameter : int32_t {
    kPatch = kFixtureParameters,
    kPatch2,
    kPatch3,
    kWires,
    kLong,
};
constexpr uint32_t kWireTextBytes = 64;
const char* const kPatchNames[] = {"off", "LFO1", "LFO2", "Env", "Vel"};
const char kLongName[] = "ModulationSourceNumberSeventy1";

class WireInterface : public NamedInterface {
public:
    WireInterface()
    {
        add(AM_makeParamInfo(0, "Patch", "Patch Source", k_kindInteger, 0, 4, 0, 0, 0), 0);
        add(AM_makeParamInfo(0, "Patch2", "Patch Source 2", k_kindInteger, 0, 4, 0, 0, 0), 0);
        add(AM_makeParamInfo(0, "Patch3", "Patch Source 3", k_kindInteger, 0, 4, 0, 0, 0), 0);
        add(AM_makeParamInfo(0, "Wires", "Wire List", k_typeTextData, 0, kWireTextBytes, 0, 0, 0),
            0);
        add(AM_makeParamInfo(0, "Long", "Long Names", k_kindInteger, 0, 1, 0, 0, 0), 0);
    }
    void getParameterDisplay(int32_t index, const void* value, char* text) override
    {
        float v = 0;
        if (value != nullptr)
            std::memcpy(&v, value, sizeof v);
        const int k = static_cast<int>(v);
        if (index >= kPatch && index <= kPatch3) {
            std::snprintf(text, 32, "%s", k >= 0 && k < 5 ? kPatchNames[k] : "?");
            return;
        }
        if (index == kLong) {
            std::snprintf(text, 32, "%s", k == 0 ? "off" : kLongName);
            return;
        }
        NamedInterface::getParameterDisplay(index, value, text);
    }
    std::string text(int32_t index) const
    {
        const std::vector<uint8_t> bytes = block(index);
        return std::string(reinterpret_cast<const char*>(bytes.data()),
                           strnlen(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
};

class WireTest : public ::testing::Test {
protected:
    WireTest() { open(); }
    ~WireTest() override
    {
        vm.reset();
        reset();
    }
    static void reset()
    {
        ControlTestAccess::reset();
        AM_WireShared::reset();
        resetWireColours();
    }
    // A fresh view manager with the built controls and nothing in it.
    void newViewMan()
    {
        vm.reset();
        reset();
        vm = std::make_unique<MenuViewMan>(&interface, nullptr, nullptr);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installStandardControls(vm.get());
    }
    void open()
    {
        newViewMan();
        const AM_Rect b{0, 0, 400, 300};
        panel = new Panel(vm.get(), &b);
        vm->registerControl(panel, nullptr);
        panel->setVisible(true, kAllLayers, false);
        panel->setEditMode(false);
    }
    template <class T>
    T* make(const char* type, AM_Rect bounds)
    {
        AM_ViewControl* control = vm->createControl(type, &bounds);
        panel->addControl(control, kAllLayers, false);
        control->setVisible(true, kAllLayers, false);
        control->setEditMode(false);
        return dynamic_cast<T*>(control);
    }
    AM_View_WireOut* source(const char* name, float x, float y)
    {
        auto* out = make<AM_View_WireOut>("Wire Out", {x, y, 24, 24});
        out->setName(name);
        return out;
    }
    AM_View_WireIn* target(int32_t parameter, float x, float y)
    {
        auto* in = make<AM_View_WireIn>("Wire In", {x, y, 24, 24});
        in->setPortParameter(AM_View_WireIn::kParamPort, interface.param(parameter));
        return in;
    }
    void gesture(std::initializer_list<std::pair<float, float>> points, uint32_t flags = 0)
    {
        vm->setEditMode(false);
        auto it = points.begin();
        vm->handleMouseDown(it->first, it->second, flags);
        std::pair<float, float> last = *it;
        for (++it; it != points.end(); ++it) {
            last = *it;
            vm->handleMouseDrag(last.first, last.second, flags);
        }
        vm->handleMouseUp(last.first, last.second, flags);
    }
    // Drags from the centre of one control to the centre of another (or a
    // point), through a point between.
    void drag(const AM_ViewControl* from, float x, float y, uint32_t flags = 0)
    {
        float a[2];
        AM_WireShared::centreOf(from, a);
        gesture({{a[0], a[1]}, {(a[0] + x) / 2, (a[1] + y) / 2}, {x, y}}, flags);
    }
    void drag(const AM_ViewControl* from, const AM_ViewControl* to, uint32_t flags = 0)
    {
        float b[2];
        AM_WireShared::centreOf(to, b);
        drag(from, b[0], b[1], flags);
    }
    void loaded() { vm->sendMessage(kGuiControlBit, 48, 0, nullptr); }
    bool onTopLayer(const AM_ViewControl* control) const
    {
        for (int32_t i = 0; i < AM_ViewMan::kTopLayerSlots; ++i)
            if (vm->getTopLayerControl(i) == control)
                return true;
        return false;
    }
    std::string colourName(AM_Colour* colour) const
    {
        return colour != nullptr ? colour->getName() : "none";
    }

    WireInterface interface;
    std::unique_ptr<MenuViewMan> vm;
    Panel* panel = nullptr;
};

TEST_F(WireTest, TypesPortsAndSlots)
{
    auto* out = make<AM_View_WireOut>("Wire Out", {0, 0, 24, 24});
    auto* in = make<AM_View_WireIn>("Wire In", {40, 0, 24, 24});
    ASSERT_NE(out, nullptr);
    ASSERT_NE(in, nullptr);
    EXPECT_STREQ(out->getTypeName(), "Wire Out");
    EXPECT_STREQ(in->getTypeName(), "Wire In");
    EXPECT_EQ(out->getNumPorts(), 0);
    ASSERT_EQ(in->getNumPorts(), 2);
    EXPECT_STREQ(in->getPortDescriptor(0)->name, "Wire Param");
    EXPECT_STREQ(in->getPortDescriptor(1)->name, "WireSeqText");
    const char* outColours[] = {"Ring", "Inner", "Wire"};
    const char* inColours[] = {"Ring", "Inner", "Outer", "Wire"};
    ASSERT_EQ(out->getColourCount(), 3);
    ASSERT_EQ(in->getColourCount(), 4);
    for (int i = 0; i < 3; ++i)
        EXPECT_STREQ(out->getColourName(i), outColours[i]);
    for (int i = 0; i < 4; ++i)
        EXPECT_STREQ(in->getColourName(i), inColours[i]);
    EXPECT_STREQ(out->getGraphicName(0), "WirePlug");
    EXPECT_STREQ(in->getGraphicName(0), "WirePlug");
    // Port 0 takes list parameters only, port 1 text only.
    in->setPortParameter(0, interface.param(kTune));
    EXPECT_EQ(in->getPort(0)->parameter, nullptr);
    in->setPortParameter(1, interface.param(kWires));
    EXPECT_EQ(in->getPort(1)->parameter, interface.param(kWires));
    in->setPortParameter(0, interface.param(kPatch));
    EXPECT_STREQ(in->getValueName(0), "off");
    EXPECT_STREQ(in->getValueName(4), "Vel");
    EXPECT_EQ(in->getValueName(5), nullptr);
}

TEST_F(WireTest, ADragFromASourceConnectsTheTargetItIsDroppedOn)
{
    auto* lfo1 = source("Wire@LFO1", 20, 20);
    auto* lfo2 = source("Wire@LFO2", 60, 20);
    auto* in = target(kPatch, 40, 200);
    auto* other = target(kPatch2, 200, 200);

    // Dropped on nothing: nothing connects.
    drag(lfo1, 300, 100);
    EXPECT_TRUE(interface.writes.empty());
    EXPECT_FALSE(onTopLayer(lfo1));

    drag(lfo2, in);
    EXPECT_EQ(interface.value(kPatch), 2.0f);
    EXPECT_EQ(in->getValue(), 2);
    EXPECT_EQ(in->getSource(), lfo2);
    EXPECT_TRUE(onTopLayer(in));
    EXPECT_FALSE(onTopLayer(lfo2));
    // The target takes the cord colour the source drew it in.
    EXPECT_EQ(in->getWireColour(), lfo2->getWireColour());
    EXPECT_NE(in->getWireColour(), nullptr);
    // The cord hangs from the source's centre to the target's.
    ASSERT_GE(in->getPointCount(), kWireMinPoints);
    const float* p = in->getPoints();
    const int last = in->getPointCount() - 1;
    EXPECT_FLOAT_EQ(p[0], 72.0f);
    EXPECT_FLOAT_EQ(p[1], 32.0f);
    EXPECT_FLOAT_EQ(p[2 * last], 52.0f);
    EXPECT_FLOAT_EQ(p[2 * last + 1], 212.0f);
    EXPECT_EQ(other->getSource(), nullptr);

    // The engine changes the value: the cord follows.
    interface.engineSets(kPatch, 1.0f);
    EXPECT_EQ(in->getSource(), lfo1);
    interface.engineSets(kPatch, 0.0f);
    EXPECT_EQ(in->getSource(), nullptr);
    EXPECT_FALSE(onTopLayer(in));
}

struct Patched : public WireTest {
    Patched()
    {
        lfo1 = source("Wire@LFO1", 20, 20);
        env = source("Wire@Env", 100, 20);
        a = target(kPatch, 40, 200);
        b = target(kPatch2, 140, 200);
        c = target(kPatch3, 240, 200);
        drag(lfo1, a);
        interface.writes.clear();
    }
    AM_View_WireOut* lfo1;
    AM_View_WireOut* env;
    AM_View_WireIn* a;
    AM_View_WireIn* b;
    AM_View_WireIn* c;
};

TEST_F(Patched, APickedUpCordDroppedOnNothingDisconnects)
{
    ASSERT_EQ(a->getSource(), lfo1);
    drag(a, 380, 120);
    EXPECT_EQ(interface.value(kPatch), 0.0f);
    EXPECT_EQ(a->getSource(), nullptr);
    EXPECT_FALSE(onTopLayer(a));
}

TEST_F(Patched, APlainClickRecoloursTheCordAndKeepsIt)
{
    AM_Colour* before = a->getWireColour();
    gesture({{52, 212}});
    EXPECT_EQ(a->getSource(), lfo1);
    EXPECT_EQ(interface.value(kPatch), 1.0f);
    EXPECT_NE(a->getWireColour(), before);
    EXPECT_EQ(colourName(a->getWireColour()).rfind("WireC", 0), 0u);
}

TEST_F(Patched, ACordMovedToAnotherTargetTakesItsChainAlong)
{
    // C is chained on A: a new cord from C dropped on A.
    drag(c, a);
    ASSERT_EQ(c->getSource(), lfo1);
    ASSERT_EQ(c->getProxy(), a);
    EXPECT_EQ(interface.value(kPatch3), 1.0f);
    // C's cord runs from A (level ends: from the end given second, C).
    const int last = c->getPointCount() - 1;
    EXPECT_FLOAT_EQ(c->getPoints()[0], 252.0f);
    EXPECT_FLOAT_EQ(c->getPoints()[2 * last], 52.0f);
    EXPECT_FLOAT_EQ(c->getPoints()[2 * last + 1], 212.0f);

    // A's cord goes to B: B connects to A's source, A disconnects, C now
    // hangs from B.
    testsupport::TraceCapture trace;
    drag(a, b);
    EXPECT_EQ(interface.value(kPatch2), 1.0f);
    EXPECT_EQ(b->getSource(), lfo1);
    EXPECT_EQ(interface.value(kPatch), 0.0f);
    EXPECT_EQ(a->getSource(), nullptr);
    EXPECT_EQ(c->getProxy(), b);
    EXPECT_EQ(c->getSource(), lfo1);
    EXPECT_TRUE(trace.contains("from " + std::string(a->getName())));
    EXPECT_TRUE(trace.contains("to " + std::string(b->getName())));
}

TEST_F(Patched, ShiftDraggingClonesASecondCordOutOfTheSameSource)
{
    testsupport::TraceCapture trace;
    drag(a, b, 1);
    EXPECT_TRUE(trace.contains("cloning Wire form source"));
    EXPECT_EQ(a->getSource(), lfo1);
    EXPECT_EQ(b->getSource(), lfo1);
    EXPECT_EQ(interface.value(kPatch), 1.0f);
    EXPECT_EQ(interface.value(kPatch2), 1.0f);
    EXPECT_FALSE(AM_WireShared::dragInProgress);
    EXPECT_FALSE(AM_WireShared::cloning);
    EXPECT_FALSE(onTopLayer(lfo1));
    // Cloning onto a target of the same source leaves both as they are.
    drag(a, b, 1);
    EXPECT_EQ(a->getSource(), lfo1);
    EXPECT_EQ(b->getSource(), lfo1);
    EXPECT_FALSE(onTopLayer(lfo1));
}

TEST_F(Patched, ChainingOntoATargetOfTheSameSourceIsRefused)
{
    drag(lfo1, b);
    ASSERT_EQ(b->getSource(), lfo1);
    testsupport::TraceCapture trace;
    drag(a, b);
    EXPECT_TRUE(trace.contains("circular, eh?"));
    EXPECT_EQ(a->getSource(), nullptr);
    EXPECT_EQ(b->getSource(), lfo1);
    EXPECT_EQ(b->getProxy(), nullptr);
}

TEST_F(Patched, ANewCordOnAnUnconnectedTargetOrOnASourceConnectsOrNot)
{
    // Onto an unconnected target: nothing, and no proxy stays.
    drag(b, c);
    EXPECT_EQ(b->getSource(), nullptr);
    EXPECT_EQ(b->getProxy(), nullptr);
    EXPECT_FALSE(onTopLayer(b));
    // Onto a source: connected, without proxy.
    drag(b, env);
    EXPECT_EQ(b->getSource(), env);
    EXPECT_EQ(interface.value(kPatch2), 3.0f);
    EXPECT_EQ(b->getProxy(), nullptr);
}

TEST_F(Patched, RightDraggingASourceMovesOrDropsAllItsCords)
{
    drag(lfo1, b);
    drag(lfo1, c);
    testsupport::TraceCapture trace;
    drag(lfo1, env, 2);
    EXPECT_TRUE(trace.contains("numWires: 3"));
    for (AM_View_WireIn* in : {a, b, c})
        EXPECT_EQ(in->getSource(), env) << in->getName();
    EXPECT_EQ(interface.value(kPatch), 3.0f);
    EXPECT_EQ(interface.value(kPatch3), 3.0f);
    drag(env, 380, 120, 2);
    for (AM_View_WireIn* in : {a, b, c})
        EXPECT_EQ(in->getSource(), nullptr) << in->getName();
    EXPECT_EQ(interface.value(kPatch2), 0.0f);
    EXPECT_FALSE(onTopLayer(env));
}

TEST_F(Patched, ADoubleClickDisconnects)
{
    vm->handleDoubleClick(52, 212, 0);
    EXPECT_EQ(a->getSource(), nullptr);
    EXPECT_EQ(interface.value(kPatch), 0.0f);
    EXPECT_FALSE(onTopLayer(a));
}

TEST_F(Patched, TheRunMenuChoosesValuesAndTheStyleOfEverySocket)
{
    vm->answerText = "Env";
    gesture({{52, 212}}, 2);
    std::vector<std::string> texts;
    for (const auto& item : vm->items)
        texts.push_back(item.text);
    const std::vector<std::string> expected = {"off",
                                               "LFO1",
                                               "LFO2",
                                               "Env",
                                               "Vel",
                                               "-",
                                               "thick and solid",
                                               "thick and see thru",
                                               "slim and solid",
                                               "slim and see thru",
                                               "line"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(vm->items[1].flags, uint32_t(kMenuChecked));
    EXPECT_EQ(vm->items[0].flags, uint32_t(kMenuCheckable));
    // Opened on the current value, not on the checked style.
    EXPECT_EQ(vm->getMenuTable().initialItem(), 2u);
    EXPECT_EQ(vm->items[3].command, int32_t(AM_menuCommand(3, 23)));
    EXPECT_EQ(vm->items[10].command, int32_t(AM_menuCommand(4, 5)));
    EXPECT_EQ(a->getSource(), env);
    EXPECT_EQ(interface.value(kPatch), 3.0f);

    vm->answerText = "slim and see thru";
    gesture({{52, 212}}, 2);
    for (const AM_ViewControl* socket : {static_cast<AM_ViewControl*>(a), static_cast<AM_ViewControl*>(c)})
        EXPECT_EQ(dynamic_cast<const AM_View_WireIn*>(socket)->getStyle(), kWireSlimSeeThrough);
    EXPECT_EQ(lfo1->getStyle(), kWireSlimSeeThrough);
    EXPECT_EQ(AM_WireShared::style(), kWireSlimSeeThrough);
    EXPECT_STREQ(vm->findPreference("Wire In", "Wire Style", 1), "slim and see thru");
    // A new socket starts with it; after a reset, a load reads it back from
    // the preference.
    EXPECT_EQ(target(kPatch, 300, 100)->getStyle(), kWireSlimSeeThrough);
    AM_WireShared::setStyle(kWireThickSolid);
    loaded();
    EXPECT_EQ(b->getStyle(), kWireSlimSeeThrough);
    EXPECT_EQ(AM_WireShared::style(), kWireSlimSeeThrough);
}

TEST_F(Patched, AnUnboundTargetIgnoresTheMouse)
{
    auto* loose = make<AM_View_WireIn>("Wire In", {300, 100, 24, 24});
    const float p[2] = {312, 112};
    EXPECT_FALSE(loose->onMouseDown(p, 0));
    EXPECT_FALSE(AM_WireShared::dragInProgress);
}

TEST_F(Patched, CreateWireSourceClonesMakesTheMissingSources)
{
    vm->answerText = "Create WireSource clones";
    vm->setEditMode(false);
    a->buildEditMenu(std::array<float, 2>{52, 212}.data(), true, 0);
    // All names but the last; LFO1 and Env existed already.
    for (const char* name : {"Wire@off", "Wire@LFO2"}) {
        auto* copy = dynamic_cast<AM_View_WireOut*>(panel->findByName(name));
        EXPECT_NE(copy, nullptr) << name;
    }
    EXPECT_EQ(panel->findByName("Wire@Vel"), nullptr);
    int sources = 0;
    for (AM_ViewControl* k = panel->getFirstChildControl(); k != nullptr; k = k->getNextControl())
        sources += dynamic_cast<AM_View_WireOut*>(k) != nullptr ? 1 : 0;
    EXPECT_EQ(sources, 4);
    // The new socket connects as any other.
    drag(panel->findByName("Wire@LFO2") != nullptr
             ? static_cast<AM_ViewControl*>(panel->findByName("Wire@LFO2"))
             : nullptr,
         b);
    EXPECT_EQ(interface.value(kPatch2), 2.0f);
}

TEST_F(WireTest, SourceNamesAreBoundedAndShortNamesNameNothing)
{
    // "Wire@" + 30 characters is cut to 31: the socket of that name serves.
    const std::string cut = "Wire@" + std::string(kLongName).substr(0, 26);
    ASSERT_EQ(cut.size(), 31u);
    auto* longSource = source(cut.c_str(), 20, 20);
    auto* in = target(kLong, 40, 200);
    interface.engineSets(kLong, 1.0f);
    EXPECT_EQ(in->getSource(), longSource);
    interface.engineSets(kLong, 0.0f);
    drag(longSource, in);
    EXPECT_EQ(interface.value(kLong), 1.0f);

    // Names shorter than the prefix, or not naming a value, connect nothing.
    auto* patch = target(kPatch, 140, 200);
    for (const char* name : {"", "W", "Wire", "Wire@", "Wire@LFO", "Wire@LFO12", "Wire@Vel "}) {
        patch->setProperty("WireUp!", 0, name);
        EXPECT_EQ(interface.value(kPatch), 0.0f) << name;
    }
    patch->setProperty("WireUp!", 0, "Wire@Vel");
    EXPECT_EQ(interface.value(kPatch), 4.0f);
    // Two sources whose names match no value connect nothing.
    auto* odd = source("Wire@Noise", 200, 20);
    auto* odd2 = source("Plug", 240, 20);
    drag(odd, patch);
    drag(odd2, patch);
    EXPECT_EQ(interface.value(kPatch), 4.0f);
}

TEST_F(WireTest, AValueWhoseSourceComesLaterIsResolvedAtTheNextLoad)
{
    auto* in = target(kPatch, 40, 200);
    interface.engineSets(kPatch, 3.0f);
    EXPECT_TRUE(in->isSourcePending());
    EXPECT_EQ(in->getSource(), nullptr);
    testsupport::TraceCapture trace;
    loaded();
    EXPECT_TRUE(trace.contains("oopsie, still no Wiresource: " + std::string(in->getName()) +
                               " - Wire@Env"));
    auto* env = source("Wire@Env", 20, 20);
    loaded();
    EXPECT_EQ(in->getSource(), env);
    EXPECT_FALSE(in->isSourcePending());
    EXPECT_TRUE(onTopLayer(in));
}

TEST_F(WireTest, WireIdsAreThreeBase62DigitsLeastSignificantFirst)
{
    struct Row {
        uint32_t hash;
        const char* id;
    };
    const Row rows[] = {
        {0, "000"}, {9, "900"}, {10, "a00"}, {35, "z00"}, {36, "A00"}, {61, "Z00"},
        {62, "010"}, {62 * 62 * 61 + 62 * 2 + 5, "52Z"}, {62 * 62 * 62, "000"},
        {0xFFFFFFFFu, "3cf"},
    };
    for (const Row& row : rows) {
        char id[4];
        AM_View_WireIn::formatWireId(row.hash, id);
        EXPECT_STREQ(id, row.id) << row.hash;
    }
    auto* in = target(kPatch, 0, 0);
    // "Patch Source" then "Oscillator", each character as a signed byte.
    uint32_t h = 0;
    for (const char* s : {"Patch Source", "Oscillator"})
        for (const char* c = s; *c != '\0'; ++c)
            h = h * 37u + uint32_t(int32_t(static_cast<signed char>(*c)));
    EXPECT_EQ(in->wireHash(), h);
    EXPECT_EQ(make<AM_View_WireIn>("Wire In", {0, 0, 24, 24})->wireHash(), 0u);
}

struct Listed : public WireTest {
    Listed()
    {
        lfo1 = source("Wire@LFO1", 20, 20);
        keeper = target(kPatch, 40, 200);
        keeper->setPortParameter(AM_View_WireIn::kTextPort, interface.param(kWires));
        b = target(kPatch2, 140, 200);
        c = target(kPatch3, 240, 200);
        twin = target(kPatch3, 300, 100);
        loaded();
    }
    AM_View_WireOut* lfo1;
    AM_View_WireIn* keeper;
    AM_View_WireIn* b;
    AM_View_WireIn* c;
    AM_View_WireIn* twin;
};

TEST_F(Listed, TheKeeperListsEveryTargetWithAnId)
{
    const auto& list = keeper->getWireList();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].wire, keeper);
    for (AM_View_WireIn* in : {keeper, b, c, twin}) {
        EXPECT_EQ(in->getListKeeper(), keeper);
        EXPECT_EQ(keeper->findWire(in->getWireId()), in) << in->getWireId();
        EXPECT_EQ(std::strlen(in->getWireId()), 3u);
    }
    // Two targets of one parameter get neighbouring ids.
    char next[4];
    AM_View_WireIn::formatWireId(c->wireHash() + 1, next);
    EXPECT_STREQ(twin->getWireId(), next);
    EXPECT_EQ(keeper->findWire("zz"), nullptr);
    EXPECT_EQ(keeper->findWire("a>b"), nullptr);
}

TEST_F(Listed, ChainingIsWrittenToTheWireTextAndReadBack)
{
    drag(lfo1, keeper);
    drag(c, keeper);
    drag(b, c);
    ASSERT_EQ(c->getProxy(), keeper);
    ASSERT_EQ(b->getProxy(), c);
    const std::string expected = std::string(b->getWireId()) + ">" + c->getWireId() + ":" +
                                 c->getWireId() + ">" + keeper->getWireId() + ":";
    EXPECT_EQ(interface.text(kWires), expected);
    EXPECT_STREQ(keeper->getWireText(), expected.c_str());

    // A stored text arrives (a patch loads): the chains are rebuilt at the
    // next tick, records whose values differ are dropped.
    interface.engineSets(kPatch2, 3.0f);
    const std::string stored = std::string(c->getWireId()) + ">" + b->getWireId() + ":" +
                               twin->getWireId() + ">" + keeper->getWireId() + ":" + "zzz>" +
                               keeper->getWireId() + ":";
    std::vector<uint8_t> bytes(kWireTextBytes, 0);
    std::memcpy(bytes.data(), stored.data(), stored.size());
    interface.setBlock(kWires, bytes);
    interface.parameterChanged(kWires, interface.getParameterValue(kWires), false);
    EXPECT_EQ(c->getProxy(), keeper) << "applied at the next tick";
    vm->onTimer();
    EXPECT_EQ(c->getProxy(), nullptr);
    EXPECT_EQ(b->getProxy(), nullptr);
    EXPECT_EQ(twin->getProxy(), keeper);
    // Twin's cord now runs from it (the upper end) to the keeper.
    const int last = twin->getPointCount() - 1;
    EXPECT_FLOAT_EQ(twin->getPoints()[0], 312.0f);
    EXPECT_FLOAT_EQ(twin->getPoints()[2 * last], 52.0f);
}

TEST_F(Listed, TheWireTextIsBoundedByItsParameter)
{
    // A text parameter of 16 bytes holds one record.
    keeper->setPortParameter(AM_View_WireIn::kTextPort, interface.param(kName));
    loaded();
    drag(lfo1, keeper);
    drag(c, keeper);
    drag(b, keeper);
    testsupport::TraceCapture trace;
    keeper->updateWireText(nullptr);
    EXPECT_EQ(std::strlen(keeper->getWireText()), 8u);
    EXPECT_TRUE(trace.contains("wire text full"));
    // A text that fills its block without an end is read within it.
    std::vector<uint8_t> bytes(kNameBytes, 'x');
    interface.setBlock(kName, bytes);
    interface.parameterChanged(kName, interface.getParameterValue(kName), false);
    EXPECT_EQ(std::strlen(keeper->getWireText()), kNameBytes - 1);
    vm->onTimer();
    EXPECT_EQ(c->getProxy(), nullptr);
}

TEST_F(Listed, ASocketThatGoesAwayIsForgotten)
{
    drag(lfo1, keeper);
    drag(c, keeper);
    panel->getFirstChildControl(); // the tree stays
    lfo1->unlink();
    delete lfo1;
    EXPECT_EQ(keeper->getSource(), nullptr);
    EXPECT_EQ(c->getSource(), nullptr);
    keeper->unlink();
    delete keeper;
    EXPECT_EQ(c->getProxy(), nullptr);
    EXPECT_EQ(c->getListKeeper(), nullptr);
}

TEST_F(WireTest, TheColourGeneratorIsSeededAndReset)
{
    auto colours = [this](int n) {
        std::string names;
        for (int i = 0; i < n; ++i)
            names += colourName(make<AM_View_WireIn>("Wire In", {0, 0, 24, 24})->getWireColour()) + " ";
        return names;
    };
    AM_WireShared::seedColours(1000);
    // 1000 -> 63 -> 4 -> 1 -> 1: (seed mod 6) + 1.
    EXPECT_EQ(colours(4), "WireC4 WireC5 WireC2 WireC2 ");
    AM_WireShared::reset();
    const std::string first = colours(3);
    AM_WireShared::reset();
    EXPECT_EQ(colours(3), first);
    // New cords step through the six colours.
    AM_WireShared::reset();
    std::string cords;
    for (int i = 0; i < 7; ++i)
        cords += colourName(AM_WireShared::nextCordColour(vm.get())) + " ";
    EXPECT_EQ(cords, "WireC2 WireC3 WireC4 WireC5 WireC6 WireC1 WireC2 ");
}

TEST_F(WireTest, ScriptLinesRoundTrip)
{
    const std::string script =
        "CONTROL type='Knob' name='Pane' bounds='0 0 400 300'\n"
        "CONTROL type='Wire Out' name='Wire@LFO1' bounds='20 20 24 24' parent='Pane'\n"
        "CONTROL type='Wire In' name='Dest' bounds='40 200 24 24' parent='Pane'\n"
        "PARAMETER control='Dest' port='Wire Param' module='Osc' parameter='Patch'\n";
    auto readAndWrite = [this](const std::string& text) {
        newViewMan();
        vm->parseScript(text.c_str(), static_cast<int32_t>(text.size()), true);
        std::string written;
        if (AM_ViewControl* top = vm->getTopControl()) {
            top->writeControlTree(&written);
            top->writePropertyTree(&written);
        }
        return written;
    };
    const std::string first = readAndWrite(script);
    EXPECT_NE(first.find("type='Wire Out' name='Wire@LFO1'"), std::string::npos) << first;
    EXPECT_NE(first.find("type='Wire In' name='Dest'"), std::string::npos) << first;
    EXPECT_NE(first.find("port='Wire Param' module='Osc' parameter='Patch'"), std::string::npos)
        << first;
    EXPECT_EQ(first.find("WireUp"), std::string::npos) << first;
    EXPECT_EQ(readAndWrite(first), first);
    panel = nullptr;
}

// Paints the tree and the top layer (the cords) into a canvas.
std::string paintWithCords(MenuViewMan* vm, AM_ViewControl* top, float w, float h,
                           const std::string& name, float zoom)
{
    testsupport::HeadlessCanvas canvas(w, h, zoom);
    canvas.begin();
    const AM_Rect clip{0, 0, w, h};
    top->paintTree(&canvas.context(), &clip);
    for (int32_t i = 0; i < AM_ViewMan::kTopLayerSlots && vm->getTopLayerControl(i) != nullptr;
         ++i)
        vm->getTopLayerControl(i)->drawTopLayer(&canvas.context(), &clip);
    return canvas.compare(name + "_z" + std::to_string(int(zoom)), 2, 8);
}

TEST_F(WireTest, PatchedSocketsMatchTheirReferencePictures)
{
    const AM_Rect b{0, 0, 240, 150};
    panel->growBy(0, 0, b.w - panel->getBounds().w, b.h - panel->getBounds().h, false);
    auto* lfo1 = source("Wire@LFO1", 16, 16);
    auto* env = source("Wire@Env", 104, 16);
    auto* plain = source("Wire@Vel", 192, 16);
    auto* a = target(kPatch, 30, 106);
    auto* bIn = target(kPatch2, 120, 96);
    auto* c = target(kPatch3, 196, 110);
    drag(lfo1, a);
    drag(env, bIn);
    drag(c, bIn);
    AM_Colour ring(vm.get(), "ring", 0x4A505AFF), inner(vm.get(), "inner", 0xD0D4DAFF);
    plain->setColour(&ring, 0);
    plain->setColour(&inner, 1);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paintWithCords(vm.get(), panel, 240, 150, "wires", zoom), "") << zoom;
    plain->setColour(nullptr, 0);
    plain->setColour(nullptr, 1);
}

} // namespace
