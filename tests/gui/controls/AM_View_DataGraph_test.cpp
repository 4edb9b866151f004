#include "DisplayFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_DataGraph.h"
#include "gui/graphics/AM_Colour.h"

#include <cmath>
#include <cstring>

namespace {

using namespace controltest;

class CountingGraph : public AM_View_DataGraph {
public:
    using AM_View_DataGraph::AM_View_DataGraph;
    void redraw() override { ++redraws; }
    int redraws = 0;
};

// A curve block: the header, then the curves.
std::vector<uint8_t> curveBlock(int32_t curves, int32_t points, const std::vector<float>& values)
{
    std::vector<uint8_t> bytes(8 + values.size() * 4);
    std::memcpy(bytes.data(), &curves, 4);
    std::memcpy(bytes.data() + 4, &points, 4);
    if (!values.empty())
        std::memcpy(bytes.data() + 8, values.data(), values.size() * 4);
    return bytes;
}

class DataGraphTest : public ShowingTest {
protected:
    AM_View_DataGraph* graph(AM_Rect bounds = {0, 0, 128, 128})
    {
        return make<AM_View_DataGraph>("DataGraph", bounds);
    }
    AM_Colour* colour(const char* name, uint32_t packed)
    {
        auto* c = new AM_Colour(vm.get(), name, packed);
        vm->addColour(c);
        return c;
    }
    void colourise(AM_View_DataGraph* g)
    {
        g->setColour(colour("GraphBack", 0x1C1F24FF), 0);
        g->setColour(colour("GraphEdge", 0x5A606AFF), 1);
        g->setColour(colour("GraphValue", 0xE9A23BFF), 2);
        g->setColour(colour("GraphValue2", 0x5AA0E0FF), 3);
    }
    // One curve rising from 0 to 1 and a second one, a sine.
    void fillGraph(int32_t curves)
    {
        std::vector<float> values;
        for (uint32_t i = 0; i < kGraphPoints; ++i)
            values.push_back(float(i) / float(kGraphPoints - 1));
        for (uint32_t i = 0; i < kGraphPoints; ++i)
            values.push_back(0.5f + 0.4f * std::sin(float(i) * 0.12f));
        const std::vector<uint8_t> block = curveBlock(curves, int32_t(kGraphPoints), values);
        host.setBytes(kGraph, block.data(), block.size());
    }
    void fillScope()
    {
        std::vector<uint8_t> block(1536);
        for (int i = 0; i < 512; ++i) {
            const float s = std::sin(float(i) * 0.05f);
            const int level = int(128 + 90 * s);
            block[size_t(i)] = uint8_t(level);
            block[size_t(512 + i)] = uint8_t(std::max(0, level - 20));
            block[size_t(1024 + i)] = uint8_t(std::min(255, level + 20));
        }
        host.setBytes(kScope, block.data(), block.size());
    }
};

TEST_F(DataGraphTest, TypePortsAndSlots)
{
    AM_View_DataGraph* g = graph();
    ASSERT_NE(g, nullptr);
    EXPECT_STREQ(g->getTypeName(), "DataGraph");
    ASSERT_EQ(g->getNumPorts(), 3);
    EXPECT_STREQ(g->getPortDescriptor(0)->name, "DataGraph Value");
    EXPECT_STREQ(g->getPortDescriptor(1)->name, "Oscilloscope");
    EXPECT_STREQ(g->getPortDescriptor(2)->name, "DoUpdate");
    EXPECT_EQ(g->getPortDescriptor(2)->types[0], uint32_t(k_meter));
    EXPECT_STREQ(g->getColourName(3), "Value2");
    EXPECT_STREQ(g->getGraphicName(0), "DataGraphBackground");
    EXPECT_TRUE(g->hasTimer());
    EXPECT_NE(g->getValuePointer(0), nullptr);
}

TEST_F(DataGraphTest, LevelsFollowTheBounds)
{
    AM_View_DataGraph* g = graph({10, 20, 50, 255});
    EXPECT_FLOAT_EQ(g->levelToY(0), 275.0f);
    EXPECT_NEAR(g->levelToY(255), 20.0f, 1e-3);
    g->moveBy(0, 10, false, false);
    EXPECT_FLOAT_EQ(g->levelToY(0), 285.0f);
}

TEST_F(DataGraphTest, CurveBlocksAreCheckedOnReceipt)
{
    struct Case {
        const char* what;
        int32_t curves;
        int32_t points;
        size_t floats; // values present
        size_t extraBytes;
        bool drawn;
        int32_t drawnCurves;
    };
    const Case cases[] = {
        {"one curve of two points", 1, 2, 2, 0, true, 1},
        {"two curves", 2, 4, 8, 0, true, 2},
        {"three curves: two are drawn", 3, 4, 8, 0, true, 2},
        {"one point only", 1, 1, 1, 0, false, 0},
        {"no curves", 0, 4, 0, 0, false, 0},
        {"negative points", 1, -4, 0, 0, false, 0},
        {"negative curves", -1, 4, 4, 0, false, 0},
        {"narrower than its points", 1, 10, 9, 0, false, 0},
        {"second curve cut short", 2, 10, 19, 3, false, 0},
        {"huge point count", 2, 0x7FFFFFFF, 4, 0, false, 0},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes =
            curveBlock(c.curves, c.points, std::vector<float>(c.floats, 0.5f));
        std::vector<uint8_t> padded = bytes;
        padded.insert(padded.end(), c.extraBytes, uint8_t(0));
        AM_View_DataGraph::CurveBlock block;
        EXPECT_EQ(AM_View_DataGraph::readCurveBlock(padded.data(), padded.size(), &block), c.drawn)
            << c.what;
        EXPECT_EQ(block.curves, c.drawnCurves) << c.what;
    }
    AM_View_DataGraph::CurveBlock block;
    const uint8_t header[4] = {1, 0, 0, 0};
    EXPECT_FALSE(AM_View_DataGraph::readCurveBlock(header, sizeof header, &block));
    EXPECT_FALSE(AM_View_DataGraph::readCurveBlock(nullptr, 100, &block));
}

TEST_F(DataGraphTest, OneCurveOfAHundredPointsSpansThePlot)
{
    AM_View_DataGraph* g = graph({0, 0, 128, 128});
    colourise(g);
    g->setPortParameter(0, host.param(kGraph));
    fillGraph(1);
    TraceContext context;
    g->draw(&context);
    ASSERT_EQ(context.polylines.size(), 1u);
    const std::vector<float>& line = context.polylines[0];
    ASSERT_EQ(line.size(), 200u); // 100 points: 99 segments
    EXPECT_FLOAT_EQ(line[0], 2.0f);
    EXPECT_FLOAT_EQ(line[1], 126.0f); // value 0 at the bottom of the plot
    EXPECT_NEAR(line[198], 126.0f, 1e-3); // 124 pixels across
    EXPECT_NEAR(line[199], 2.0f, 1e-3);
    EXPECT_EQ(context.polylineColours[0], 0xE9A23BFFu);
}

TEST_F(DataGraphTest, TwoCurvesTakeTheirColoursAndValuesAreHeldToTheRange)
{
    AM_View_DataGraph* g = graph();
    colourise(g);
    g->setPortParameter(0, host.param(kGraph));
    const std::vector<uint8_t> block =
        curveBlock(2, 3, {0.0f, 2.0f, std::nanf(""), 1.0f, -1.0f, 0.5f});
    host.setBytes(kGraph, block.data(), block.size());
    TraceContext context;
    g->draw(&context);
    ASSERT_EQ(context.polylines.size(), 2u);
    EXPECT_EQ(context.polylineColours[1], 0x5AA0E0FFu);
    EXPECT_FLOAT_EQ(context.polylines[0][3], 2.0f);   // 2.0 drawn as 1
    EXPECT_FLOAT_EQ(context.polylines[0][5], 126.0f); // NaN drawn as 0
    EXPECT_FLOAT_EQ(context.polylines[1][3], 126.0f); // -1 drawn as 0
}

TEST_F(DataGraphTest, NothingIsPlottedWithoutValueColourOrBlock)
{
    AM_View_DataGraph* g = graph();
    g->setPortParameter(0, host.param(kGraph));
    fillGraph(1);
    TraceContext context;
    g->draw(&context); // no "Value" colour
    EXPECT_TRUE(context.polylines.empty());

    // A block too short for its points draws nothing.
    colourise(g);
    const std::vector<uint8_t> bad = curveBlock(1, 1000, {0.5f});
    host.setBytes(kGraph, bad.data(), bad.size());
    g->draw(&context);
    EXPECT_TRUE(context.polylines.empty());
}

TEST_F(DataGraphTest, TheScopeDrawsItsEnvelopeAndTrace)
{
    AM_View_DataGraph* g = graph({0, 0, 128, 128});
    colourise(g);
    g->setPortParameter(1, host.param(kScope));
    fillScope();
    TraceContext context;
    g->draw(&context);
    ASSERT_EQ(context.lines.size(), 512u);
    ASSERT_EQ(context.polylines.size(), 1u);
    ASSERT_EQ(context.polylines[0].size(), 1024u);
    EXPECT_FLOAT_EQ(context.polylines[0][0], 4.0f);
    EXPECT_NEAR(context.polylines[0][1022], 4.0f + 120.0f * 511 * 0.0019569471f, 1e-3);
    EXPECT_FLOAT_EQ(context.polylines[0][1], g->levelToY(128));
    // The envelope is drawn from the lower to the upper level.
    EXPECT_GT(context.lines[0][1], context.lines[0][3]);

    // A scope block shorter than 1536 bytes draws nothing, with a trace line.
    AM_ParamInfo shortScope = *host.param(kScope);
    shortScope.max = 1000;
    g->setPortParameter(1, &shortScope);
    testsupport::TraceCapture trace;
    TraceContext again;
    g->draw(&again);
    EXPECT_TRUE(again.polylines.empty());
    EXPECT_TRUE(trace.contains("too short"));
}

// A bound curve port whose engine block is missing leaves the graph with
// its background and border only: the scope is not drawn either.
TEST_F(DataGraphTest, AMissingCurveBlockDrawsNothingMore)
{
    AM_View_DataGraph* g = graph();
    colourise(g);
    g->setPortParameter(1, host.param(kScope));
    fillScope();
    g->setPortParameter(0, host.param(kGraph));
    host.withholdValue(kGraph, true);
    TraceContext context;
    g->draw(&context);
    EXPECT_TRUE(context.polylines.empty());
    EXPECT_TRUE(context.lines.empty());

    // With its block there, both are drawn.
    host.withholdValue(kGraph, false);
    fillGraph(1);
    TraceContext both;
    g->draw(&both);
    EXPECT_EQ(both.polylines.size(), 2u);
    EXPECT_EQ(both.lines.size(), 512u);
}

TEST_F(DataGraphTest, TheTimerRedrawsEveryThirdTickOrAlwaysWhileUpdating)
{
    const AM_Rect bounds{0, 0, 64, 64};
    auto* g = new CountingGraph(vm.get(), &bounds);
    vm->registerControl(g, nullptr);
    std::vector<int> ticks;
    for (int t = 1; t <= 9; ++t) {
        const int before = g->redraws;
        g->onTimer();
        if (g->redraws != before)
            ticks.push_back(t);
    }
    EXPECT_EQ(ticks, (std::vector<int>{2, 5, 8}));

    g->setPortParameter(2, host.param(kRedraw));
    host.setFloat(kRedraw, 0.0f);
    ticks.clear();
    for (int t = 1; t <= 6; ++t) {
        const int before = g->redraws;
        g->onTimer();
        if (g->redraws != before)
            ticks.push_back(t);
    }
    EXPECT_EQ(ticks.size(), 2u); // still every third tick

    host.setFloat(kRedraw, 1.0f);
    const int before = g->redraws;
    for (int t = 1; t <= 6; ++t)
        g->onTimer();
    EXPECT_EQ(g->redraws - before, 8);
}

TEST_F(DataGraphTest, APressRedrawsAndIsNotKept)
{
    const AM_Rect bounds{0, 0, 64, 64};
    auto* g = new CountingGraph(vm.get(), &bounds);
    vm->registerControl(g, nullptr);
    const float point[2] = {5, 5};
    EXPECT_FALSE(g->onMouseDown(point, 0));
    EXPECT_EQ(g->redraws, 1);
    const AM_MenuItem own{"x", 0, (1 << 16) | 5, nullptr, 0};
    EXPECT_TRUE(g->handleMenuCommand(point, kEditMenuId, true, &own));
}

TEST_F(DataGraphTest, GraphsMatchTheirReferencePictures)
{
    AM_View_DataGraph* curves = graph({4, 4, 128, 96});
    AM_View_DataGraph* scope = graph({140, 4, 128, 96});
    for (AM_View_DataGraph* g : {curves, scope})
        colourise(g);
    curves->setPortParameter(0, host.param(kGraph));
    scope->setPortParameter(1, host.param(kScope));
    fillGraph(2);
    fillScope();
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(curves, 272, 104, "data_graphs", zoom), "") << zoom;
}

} // namespace
