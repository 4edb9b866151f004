#include "gui/graphics/AM_GuiMessages.h"
#include "gui/graphics/AM_MultiFrameGraphic.h"
#include "gui/graphics/AM_Shape.h"
#include "params/object/AM_ObjectHost.h"

#include "GraphicFixtures.h"
#include "GuiTestKit.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A strip of n plain frames, each 40 x 30.
std::unique_ptr<AM_MultiFrameGraphic> strip(AM_GuiServices* services, const char* name, int n,
                                            std::vector<AM_Graphic*>& frames)
{
    auto graphic = std::make_unique<AM_MultiFrameGraphic>(services, 0);
    graphic->setName(name);
    for (int i = 0; i < n; ++i) {
        auto* frame = new AM_Graphic(services, 0);
        frame->setWidth(40);
        frame->setHeight(30);
        graphic->addChild(frame);
        frames.push_back(frame);
    }
    return graphic;
}

TEST(MultiFrame, FramesGiveTheStripItsSize)
{
    GraphicServices services;
    std::vector<AM_Graphic*> frames;
    auto graphic = strip(&services, "knob", 10, frames);
    EXPECT_EQ(graphic->getFrameCount(), 10u);
    EXPECT_EQ(graphic->getWidth(), 40.0f);
    EXPECT_EQ(graphic->getHeight(), 30.0f);
    EXPECT_EQ(graphic->getRotation(), 0.0f);
    EXPECT_EQ(graphic->getFrame(3), frames[3]);
    EXPECT_EQ(graphic->getFrame(10), nullptr);
    graphic->addChild(nullptr);
    EXPECT_EQ(graphic->getFrameCount(), 10u);
}

// A frame that records which frame drew, how.
class RecordingFrame : public AM_Graphic {
public:
    RecordingFrame(int index, std::vector<std::string>& log)
        : AM_Graphic(nullptr, 0), index_(index), log_(log)
    {
    }
    void draw(AM_Context*, const AM_Rect*, float) override
    {
        log_.push_back(std::to_string(index_));
    }
    void drawRotated(AM_Context*, const AM_Rect*, float, float angle, float alpha) override
    {
        log_.push_back(std::to_string(index_) + "@" + std::to_string(int(std::lround(angle))) +
                       "/" + std::to_string(int(std::lround(alpha * 100))));
    }

private:
    int index_;
    std::vector<std::string>& log_;
};

std::vector<std::string> drawStrip(const char* name, float value)
{
    std::vector<std::string> log;
    AM_MultiFrameGraphic graphic(nullptr, 0);
    graphic.setName(name);
    for (int i = 0; i < 10; ++i)
        graphic.addChild(new RecordingFrame(i, log));
    RecordingContext context;
    const AM_Rect r{0, 0, 50, 50};
    graphic.draw(&context, &r, value);
    return log;
}

TEST(MultiFrame, PlainAndRotatedStripsPickTheirFrames)
{
    using Log = std::vector<std::string>;
    EXPECT_EQ(drawStrip("knob", 0.5f), Log{"5"});
    EXPECT_EQ(drawStrip("knob", 1.0f / 18 - 0.001f), Log{"0"});
    EXPECT_EQ(drawStrip("knob", 17.0f / 18 + 0.001f), Log{"9"});
    EXPECT_EQ(drawStrip("knob", 1.2f), Log{});
    EXPECT_EQ(drawStrip("knob_rot270", 0.5f), (Log{"4@-15/100", "5@15/50"}));
    EXPECT_EQ(drawStrip("knob_rot270", 1.0f), Log{"9"});
    EXPECT_EQ(drawStrip("knob_rot270", 0.0f), Log{"0"});
    AM_MultiFrameGraphic named(nullptr, 0);
    named.setName("dial_rot-300");
    EXPECT_EQ(named.getRotation(), -300.0f);
    named.setName("dial");
    EXPECT_EQ(named.getRotation(), -300.0f); // a name without rotation keeps it
}

class Shapes : public ::testing::Test {
protected:
    void SetUp() override { host = std::make_unique<AM_ObjectHost>(64); }
    GraphicServices services;
    std::unique_ptr<AM_ObjectHost> host;
    testsupport::TraceCapture trace;
};

TEST_F(Shapes, CreatedByTypeWithNamesAndDefaults)
{
    services.addColour("defaultCirc1", 0xff0000ff);
    services.addColour("defaultCirc4", 0x00ff00ff);
    struct Case {
        const char* type;
        const char* namePrefix;
        int links;
        int values;
    };
    for (const Case c : {Case{"circ", "Circ #", 9, 8}, Case{"box", "Box #", 6, 8},
                         Case{"rounded rect", "Rounded Rect #", 2, 2}}) {
        std::unique_ptr<AM_Shape> shape(AM_Shape::create(&services, c.type, 0));
        ASSERT_NE(shape, nullptr) << c.type;
        EXPECT_STREQ(shape->getTypeName(), c.type);
        EXPECT_EQ(shape->getName(), std::string(c.namePrefix) + std::to_string(shape->getId()));
        EXPECT_EQ(shape->getKind(), uint32_t(AM_Graphic::kShape));
        EXPECT_EQ(shape->getFlags() & AM_Shape::kShapeBit, AM_Shape::kShapeBit);
        EXPECT_EQ(shape->getLinkCount(), c.links);
        EXPECT_EQ(shape->getValueCount(), c.values);
    }
    EXPECT_EQ(AM_Shape::create(&services, "png", 0), nullptr);
    EXPECT_EQ(AM_Shape::create(&services, nullptr, 0), nullptr);
    AM_ShapeCirc circ(&services, 0);
    EXPECT_EQ(circ.getColourLink(0), services.getColour("defaultCirc1"));
    EXPECT_EQ(circ.getColourLink(3), services.getColour("defaultCirc4"));
    EXPECT_EQ(circ.getColourLink(1), nullptr);
}

// Reads GR_PROPERTY lines of a script into a shape as the script reader does.
void readProperties(const std::string& script, AM_Shape& shape)
{
    for (size_t at = script.find("GR_PROPERTY"); at != std::string::npos;
         at = script.find("GR_PROPERTY", at + 1)) {
        const std::string line = script.substr(at, script.find('\n', at) - at);
        auto field = [&line](const std::string& key) {
            const size_t start = line.find(" " + key + "='") + key.size() + 3;
            return line.substr(start, line.find('\'', start) - start);
        };
        shape.setProperty(field("name").c_str(), std::stoi(field("id")), field("value").c_str());
    }
}

TEST_F(Shapes, ScriptLinesRoundTripWithColours)
{
    AM_Colour* red = services.addColour("red", 0xff0000ff);
    AM_Colour* blue = services.addColour("blue", 0x0000ffff);
    for (const char* type : {"circ", "box", "rounded rect"}) {
        std::unique_ptr<AM_Shape> written(AM_Shape::create(&services, type, 0));
        for (int i = 0; i < written->getLinkCount(); ++i)
            written->setColourLink(i, nullptr);
        written->setColourLink(0, red);
        written->setColourLink(written->getLinkCount() - 1, blue);
        for (int i = 0; i < written->getValueCount(); ++i)
            written->setValue(i, 0.125f * float(i) + 0.25f);
        written->load(0);
        std::string script;
        written->receiveMessage(nullptr, kGuiMsgSaveObjects, 0, &script);
        EXPECT_NE(script.find("\n\nGRAPHIC name='" + std::string(written->getName()) +
                              "' path='0' type='" + type + "'"),
                  std::string::npos);
        EXPECT_NE(script.find("name='colour' id='0' value='red'"), std::string::npos) << type;

        std::unique_ptr<AM_Shape> read(AM_Shape::create(&services, type, 0));
        for (int i = 0; i < read->getLinkCount(); ++i)
            read->setColourLink(i, nullptr);
        readProperties(script, *read);
        for (int i = 0; i < read->getLinkCount(); ++i)
            EXPECT_EQ(read->getColourLink(i), written->getColourLink(i)) << type << " link " << i;
        for (int i = 0; i < read->getValueCount(); ++i)
            EXPECT_NEAR(read->getValue(i), written->getValue(i), 0.005f) << type << " " << i;
        // The graphic's own keys are not the shape's.
        read->setProperty("width", 0, "12");
        EXPECT_EQ(read->getWidth(), 256.0f);
    }
}

TEST_F(Shapes, ColourIdsOutOfRangeAreRefused)
{
    services.addColour("red", 0xff0000ff);
    AM_RoundRect round(&services, 0);
    trace.clear();
    round.setProperty("colour", 2, "red");
    round.setProperty("colour", -1, "red");
    EXPECT_EQ(round.getColourLink(0), nullptr);
    EXPECT_EQ(round.getColourLink(1), nullptr);
    EXPECT_EQ(trace.count("out of range"), 2);
    round.setProperty("colour", 1, "no such colour");
    EXPECT_EQ(round.getColourLink(1), nullptr);
    AM_ShapeCirc circ(&services, 0);
    circ.setProperty("angles", 4, "10");
    EXPECT_EQ(trace.count("out of range"), 3);
}

TEST_F(Shapes, BoxWithoutColoursFillsAndOutlinesInBlack)
{
    AM_ShapeBox box(&services, 0);
    RecordingContext context;
    const AM_Rect r{10, 20, 100, 50};
    box.draw(&context, &r, 0.7f);
    ASSERT_EQ(context.calls.size(), 3u);
    EXPECT_EQ(context.calls[0].what, "colour");
    EXPECT_EQ(context.calls[0].numbers, (std::vector<float>{0, 0, 0, 1}));
    EXPECT_EQ(context.calls[1].what, "fill");
    EXPECT_EQ(context.calls[1].numbers, (std::vector<float>{10, 20, 100, 50}));
    EXPECT_EQ(context.calls[2].what, "frame");
    EXPECT_EQ(context.calls[2].numbers, (std::vector<float>{10.5f, 20.5f, 99, 49}));
}

TEST_F(Shapes, RingAndRoundedRectangleGeometry)
{
    AM_Colour* pointer = services.addColour("defaultCirc4", 0xffffffff);
    AM_ShapeCirc circ(&services, 0);
    RecordingContext context;
    const AM_Rect r{0, 0, 100, 100};
    circ.draw(&context, &r, 1);
    ASSERT_GE(context.calls.size(), 4u);
    EXPECT_EQ(context.calls[1].what, "ring");
    EXPECT_EQ(context.calls[1].numbers, (std::vector<float>{50, 50, 45, 45, -135, 135}));
    EXPECT_EQ(context.calls[2].what, "colour");
    EXPECT_EQ(context.calls[2].numbers[0], pointer->r);
    EXPECT_EQ(context.calls[3].what, "line");

    services.addColour("fill", 0x336699ff);
    services.addColour("border", 0xffffffff);
    AM_RoundRect round(&services, 0);
    round.setProperty("colour", 0, "fill");
    round.setProperty("colour", 1, "border");
    context.calls.clear();
    const AM_Rect small{0, 0, 30, 30};
    round.draw(&context, &small, 0);
    ASSERT_EQ(context.calls.size(), 4u);
    EXPECT_EQ(context.calls[1].what, "polygon");
    EXPECT_EQ(context.calls[1].numbers[0], 28.0f); // R - B = 7.5: 7 points a corner
    EXPECT_EQ(context.calls[3].what, "polyline");
    EXPECT_EQ(context.calls[3].numbers, (std::vector<float>{40, 2.5f, 1}));
    // Without a whole unit of radius the rectangles are plain.
    round.setValue(1, 0.005f);
    context.calls.clear();
    round.draw(&context, &small, 0);
    EXPECT_EQ(context.calls[1].what, "fill");
    EXPECT_EQ(context.calls[3].what, "frame");
}

TEST_F(Shapes, ChangesReachTheControls)
{
    // A control listening on the host counts the redraw requests.
    struct Control : AM_Object {
        explicit Control(AM_ObjectHost* h) : AM_Object(h)
        {
            mask_ = kGuiControlBit;
            setHost(h);
        }
        void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
        {
            if (message == 33)
                redraws.push_back(ptr);
            AM_Object::receiveMessage(sender, message, arg, ptr);
        }
        std::vector<void*> redraws;
    } control(host.get());
    AM_Colour* fill = services.addColour("fill", 0x336699ff);
    AM_Colour stranger(nullptr, "stranger", 0);
    AM_ShapeBox box(&services, 0);
    box.setHost(host.get());
    box.setColourLink(0, fill);
    EXPECT_EQ(control.redraws, (std::vector<void*>{&box}));
    box.receiveMessage(nullptr, 35, 0, fill);
    box.receiveMessage(nullptr, 35, 0, &stranger);
    EXPECT_EQ(control.redraws.size(), 2u);

    box.editParameters(4, -30);
    EXPECT_EQ(control.redraws.size(), 3u);
    EXPECT_EQ(services.infoLine, 1);
    EXPECT_EQ(services.infoSubject, &box);
    EXPECT_EQ(services.infoTitle, "BoxParam");
    EXPECT_EQ(services.infoText, "right0: 0.70");
    box.editParameters(9, 1);
    EXPECT_EQ(control.redraws.size(), 3u);

    AM_ShapeCirc circ(&services, 0);
    circ.editParameters(3, 100);
    EXPECT_FLOAT_EQ(circ.getValue(3), 0.499f);
    EXPECT_EQ(services.infoTitle, "CircParam");
    EXPECT_EQ(services.infoText, "minRadiusOuter: 0.50");
}

// Shapes drawn by the software renderer at zooms 1 and 2.
TEST_F(Shapes, ShapesPictureAtZoomsOneAndTwo)
{
    services.addColour("defaultCirc1", 0x30506080);
    services.addColour("defaultCirc2", 0xe0a030ff);
    services.addColour("defaultCirc3", 0xf05020ff);
    services.addColour("defaultCirc4", 0xffffffff);
    services.addColour("panel", 0x2c3036ff);
    services.addColour("edge", 0x8090a0ff);
    services.addColour("lit", 0x40c0f0ff);
    AM_ShapeCirc ring(&services, 0);
    ring.setValue(2, 0.3f);
    ring.setValue(6, 0.3f);
    AM_RoundRect round(&services, 0);
    round.setProperty("colour", 0, "panel");
    round.setProperty("colour", 1, "edge");
    AM_ShapeBox box(&services, 0);
    box.setProperty("colour", 0, "panel");
    box.setProperty("colour", 2, "lit");
    box.setProperty("colour", 3, "edge");
    box.setProperty("top", 0, "1");
    for (const float zoom : {1.0f, 2.0f}) {
        testsupport::HeadlessCanvas canvas(260, 100, zoom);
        canvas.begin();
        canvas.clear(0x1c1f24ff);
        AM_AGG_Context& c = canvas.context();
        const AM_Rect r1{10, 10, 80, 80};
        round.draw(&c, &r1, 0);
        ring.draw(&c, &r1, 0.7f);
        const AM_Rect r2{100, 10, 70, 80};
        round.draw(&c, &r2, 0);
        const AM_Rect r3{180, 10, 24, 80};
        box.draw(&c, &r3, 0.6f);
        const AM_Rect r4{214, 10, 24, 80};
        box.draw(&c, &r4, 0.2f);
        EXPECT_EQ(canvas.compare("shapes_z" + std::to_string(int(zoom)), 1), "");
    }
}

} // namespace
