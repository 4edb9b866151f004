#include "DisplayFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_Hotspot.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/views/AM_ControlMessages.h"

namespace {

using namespace controltest;

class HotspotTest : public ControlTest {
protected:
    Panel* panel(AM_Rect bounds)
    {
        auto* p = new Panel(vm.get(), &bounds);
        vm->registerControl(p, nullptr);
        p->setVisible(true, kAllLayers, false);
        p->setEditMode(false);
        return p;
    }
};

TEST_F(HotspotTest, TypeSlotsAndName)
{
    auto* spot = make<AM_View_Hotspot>("Hotspot", {0, 0, 24, 24});
    ASSERT_NE(spot, nullptr);
    EXPECT_STREQ(spot->getTypeName(), "Hotspot");
    EXPECT_EQ(spot->getNumPorts(), 0);
    EXPECT_EQ(spot->getColourCount(), 0);
    EXPECT_STREQ(spot->getGraphicName(0), "HotSpotBackground");
    EXPECT_EQ(std::string(spot->getName()).rfind("Hotspot ", 0), 0u);
}

TEST_F(HotspotTest, TwoHotspotsInAPaneWriteTheImageMap)
{
    Panel* main = panel({100, 50, 400, 300});
    auto* picture = new BadgeGraphic(vm.get(), "Main");
    vm->addGraphic(picture);
    main->setGraphic(picture, 0);
    auto* cutoff = make<AM_View_Hotspot>("Hotspot", {130, 70, 24, 24}, main);
    auto* reso = make<AM_View_Hotspot>("Hotspot", {260.5f, 180.9f, 24, 20}, main);
    cutoff->setName("cutoff");
    reso->setName("reso");

    testsupport::TraceCapture trace;
    const float point[2] = {140, 80};
    EXPECT_TRUE(cutoff->onMouseDown(point, 0));
    const std::string expected =
        "<HTML><HEAD></HEAD><BODY>\n"
        "<style type=\"text/css\">\n"
        "DIV.image_map {display:block; width:400px; height:300px; "
        "background:url(images/Main.jpg); position:relative; margin:2px auto 2px auto;}\n"
        "a.HotSpot { display:block;width: 24px; height: 24px; background:url(images/HotSpot.png); "
        "padding-top:2px; overflow:visible; }\n"
        "#hotspot_cutoff { display:block; left: 30px; top: 20px; width: 24px; height: 24px; "
        "padding-top:2px; overflow:hidden; position:absolute;}\n"
        "#hotspot_reso { display:block; left: 160px; top: 130px; width: 24px; height: 20px; "
        "padding-top:2px; overflow:hidden; position:absolute;}\n"
        "</style>\n"
        "<DIV class=\"image_map\">\n"
        "\t<DIV id=\"hotspot_cutoff\"><a class=\"HotSpot\" "
        "rel=\"{content:'tipContainer_cutoff',position:-1}\"></a></DIV>\n"
        "\t<DIV id=\"hotspot_reso\"><a class=\"HotSpot\" "
        "rel=\"{content:'tipContainer_reso',position:-1}\"></a></DIV>\n"
        "</DIV>\n"
        "\t<DIV id=\"tipContainer_cutoff\" class=\"tipContainer\">\n"
        "\t\t<H3>cutoff</H3>\n"
        "\t\tsome text about cutoff\n"
        "\t</DIV>\n"
        "\t<DIV id=\"tipContainer_reso\" class=\"tipContainer\">\n"
        "\t\t<H3>reso</H3>\n"
        "\t\tsome text about reso\n"
        "\t</DIV>\n";
    EXPECT_EQ(trace.text(), expected);
}

TEST_F(HotspotTest, WithoutAParentOnlyTheHeadIsWritten)
{
    auto* spot = make<AM_View_Hotspot>("Hotspot", {3, 4, 24, 24});
    spot->setName("alone");
    testsupport::TraceCapture trace;
    spot->writeImageMap();
    const std::string expected =
        "<HTML><HEAD></HEAD><BODY>\n"
        "<style type=\"text/css\">\n"
        "DIV.image_map {display:block; width:24px; height:24px; "
        "background:url(images/alone.jpg); position:relative; margin:2px auto 2px auto;}\n"
        "a.HotSpot { display:block;width: 24px; height: 24px; background:url(images/HotSpot.png); "
        "padding-top:2px; overflow:visible; }\n"
        "</style>\n"
        "<DIV class=\"image_map\">\n"
        "</DIV>\n";
    EXPECT_EQ(trace.text(), expected);
}

TEST_F(HotspotTest, AParentWithoutPictureNamesAPlaceholder)
{
    Panel* plain = panel({0, 0, 200, 100});
    auto* spot = make<AM_View_Hotspot>("Hotspot", {10, 10, 24, 24}, plain);
    testsupport::TraceCapture trace;
    spot->writeImageMap();
    EXPECT_TRUE(trace.contains("width:200px; height:100px; background:url(images/bg_graphicname.jpg)"));
}

TEST_F(HotspotTest, AnswersNoMessageButTheImageMap)
{
    auto* spot = make<AM_View_Hotspot>("Hotspot", {0, 0, 24, 24});
    std::string script;
    // The save messages write nothing, and a going-away message is ignored.
    spot->receiveMessage(nullptr, kGuiMsgSaveObjects, 0, &script);
    spot->receiveMessage(nullptr, kGuiMsgSaveProperties, 0, &script);
    EXPECT_EQ(script, "");
    testsupport::TraceCapture trace;
    spot->receiveMessage(nullptr, AM_View_Hotspot::kMsgImageMap, 2, nullptr);
    EXPECT_TRUE(trace.contains("some text about"));
    trace.clear();
    spot->receiveMessage(nullptr, AM_View_Hotspot::kMsgImageMap, 3, nullptr);
    EXPECT_EQ(trace.text(), "");
}

TEST_F(HotspotTest, HotspotsMatchTheirReferencePictures)
{
    Panel* main = panel({0, 0, 80, 40});
    auto* badge = new BadgeGraphic(vm.get(), "Badge");
    vm->addGraphic(badge);
    auto* a = make<AM_View_Hotspot>("Hotspot", {8, 8, 24, 24}, main);
    auto* b = make<AM_View_Hotspot>("Hotspot", {44, 8, 24, 24}, main);
    a->setGraphic(badge, 0);
    b->setGraphic(nullptr, 0); // draws nothing
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(main, 80, 40, "hotspots", zoom), "") << zoom;
}

} // namespace
