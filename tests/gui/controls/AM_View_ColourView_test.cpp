#include "DisplayFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_ColourView.h"
#include "gui/controls/AM_View_Knob.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/views/AM_ControlMessages.h"

namespace {

using namespace controltest;

class ColourViewTest : public ShowingTest {
protected:
    AM_View_ColourView* view(AM_Rect bounds = {10, 10, 100, 100})
    {
        return make<AM_View_ColourView>("ColourView", bounds);
    }
    AM_Colour* colour(const char* name, uint32_t packed)
    {
        auto* c = new AM_Colour(vm.get(), name, packed);
        vm->addColour(c);
        return c;
    }
    static void send(AM_View_ColourView* v, int32_t i, float value)
    {
        v->listenerValueChanged(i, &value);
    }
};

TEST_F(ColourViewTest, TypeListenersAndSlots)
{
    AM_View_ColourView* v = view();
    ASSERT_NE(v, nullptr);
    EXPECT_STREQ(v->getTypeName(), "ColourView");
    EXPECT_EQ(v->getNumPorts(), 0);
    ASSERT_EQ(v->getNumListeners(), 4);
    const char* names[] = {"Red", "Green", "Blue", "Alpha"};
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_STREQ(v->getListenerDescriptor(i)->name, names[i]);
        EXPECT_EQ(v->getListenerDescriptor(i)->types[0], uint32_t(k_kindFloat));
    }
    EXPECT_STREQ(v->getColourName(0), "Background");
    EXPECT_STREQ(v->getGraphicName(0), "Background");
}

TEST_F(ColourViewTest, ListenedComponentsEditTheColourAndFillTheInfoLine)
{
    AM_View_ColourView* v = view();
    AM_Colour* c = colour("Accent", 0x000000FF);
    v->setEditColour(c);
    send(v, AM_View_ColourView::kRed, 1.0f);
    send(v, AM_View_ColourView::kGreen, 0.5f);
    send(v, AM_View_ColourView::kBlue, 0.0f);
    send(v, AM_View_ColourView::kAlpha, 1.0f);
    EXPECT_FLOAT_EQ(c->g, 0.5f);
    const AM_InfoLine* line = vm->getInfoLine(1);
    EXPECT_STREQ(line->text, "RGBA: FF7F00FF");
    EXPECT_STREQ(line->title, "Accent");
    EXPECT_EQ(line->subject, v);
    EXPECT_TRUE(line->shown);
}

TEST_F(ColourViewTest, ComponentsOutsideTheUnitRangeAreHeldToIt)
{
    AM_View_ColourView* v = view();
    AM_Colour* c = colour("Accent", 0x10203040);
    v->setEditColour(c);
    send(v, AM_View_ColourView::kRed, 1.7f);
    send(v, AM_View_ColourView::kGreen, -0.3f);
    send(v, AM_View_ColourView::kBlue, std::nanf(""));
    send(v, 7, 0.5f); // no such component: nothing changes
    EXPECT_STREQ(vm->getInfoLine(1)->text, "RGBA: FF000040");
}

TEST_F(ColourViewTest, WithoutAColourListenedValuesOnlyRedraw)
{
    AM_View_ColourView* v = view();
    send(v, 0, 0.5f);
    EXPECT_STREQ(vm->getInfoLine(1)->text, "");
}

TEST_F(ColourViewTest, ListenerTargetsShowTheComponents)
{
    AM_View_ColourView* v = view();
    AM_View_Knob* red = make<AM_View_Knob>("Knob", {0, 120, 28, 28});
    AM_View_Knob* alpha = make<AM_View_Knob>("Knob", {40, 120, 28, 28});
    ASSERT_TRUE(v->setListener(AM_View_ColourView::kRed, red->getPort(0)));
    ASSERT_TRUE(v->setListener(AM_View_ColourView::kAlpha, alpha->getPort(0)));
    v->setEditColour(colour("Accent", 0xFF7F0080));
    EXPECT_FLOAT_EQ(red->getValue(), 1.0f);
    EXPECT_NEAR(alpha->getValue(), 0.502f, 0.001f);
    EXPECT_STREQ(vm->getInfoLine(1)->text, "RGBA: FF7F0080");
}

TEST_F(ColourViewTest, ThePickMenuListsSaveableColoursAndTakesTheChosenOne)
{
    AM_View_ColourView* v = view();
    AM_Colour* accent = colour("Accent", 0xFF0000FF);
    AM_Colour* hidden = colour("EditorOnly", 0x00FF00FF);
    hidden->setMarks(false, true, false);
    v->setEditColour(accent);

    const float point[2] = {20, 20};
    menus->answer = 0;
    EXPECT_FALSE(v->onMouseDown(point, 0));
    ASSERT_NE(menus->find("create new"), nullptr);
    ASSERT_NE(menus->find("Rename Accent"), nullptr);
    EXPECT_EQ(menus->find("Rename Accent")->command, (1u << 16) | 5);
    const AM_MenuItem* listed = menus->find("Accent");
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->userData, accent);
    EXPECT_EQ(listed->command, 18u);
    EXPECT_EQ(menus->find("EditorOnly"), nullptr);

    AM_Colour* other = colour("Other", 0x0000FFFF);
    menus->answer = 18;
    // The first item of command 18 is "create new": a new colour is made.
    const uint32_t before = AM_Colour::colourCounter();
    v->onMouseDown(point, 0);
    ASSERT_NE(v->getEditColour(), nullptr);
    EXPECT_NE(v->getEditColour(), accent);
    EXPECT_EQ(AM_Colour::colourCounter(), before + 1);
    EXPECT_EQ(vm->getColour(v->getEditColour()->getName()), v->getEditColour());
    EXPECT_EQ(v->getEditColour()->getPacked(), 0x000000FFu);

    // A listed colour is taken by its user data.
    const AM_MenuItem item{"Other", 0, 18, other, 0};
    EXPECT_TRUE(v->handleMenuCommand(point, kRunMenuId, true, &item));
    EXPECT_EQ(v->getEditColour(), other);
    EXPECT_STREQ(vm->getInfoLine(1)->title, "Other");
}

TEST_F(ColourViewTest, RenameGoesThroughAPromptAndIsValidated)
{
    AM_View_ColourView* v = view();
    AM_Colour* accent = colour("Accent", 0xFF0000FF);
    colour("Taken", 0x00FF00FF);
    v->setEditColour(accent);
    const float point[2] = {20, 20};
    menus->answer = (1 << 16) | 5;
    v->onMouseDown(point, 0);
    ASSERT_EQ(menus->entries.size(), 1u);
    EXPECT_EQ(menus->entries[0].text, "Accent");

    char taken[] = "Taken";
    testsupport::TraceCapture trace;
    v->receiveMessage(nullptr, kCtlMsgRename, 0, taken);
    EXPECT_STREQ(accent->getName(), "Accent");
    EXPECT_TRUE(trace.contains("there is a colour named 'Taken' already"));

    // Only a rename begun from the menu applies.
    char fresh[] = "Lead Glow";
    v->receiveMessage(nullptr, kCtlMsgRename, 0, fresh);
    EXPECT_STREQ(accent->getName(), "Accent");
    v->onMouseDown(point, 0);
    v->receiveMessage(nullptr, kCtlMsgRename, 0, fresh);
    EXPECT_STREQ(accent->getName(), "Lead Glow");

    char quoted[] = "it's";
    v->onMouseDown(point, 0);
    v->receiveMessage(nullptr, kCtlMsgRename, 0, quoted);
    EXPECT_STREQ(accent->getName(), "Lead Glow");
}

TEST_F(ColourViewTest, TheEditedColourIsWrittenAndReadBack)
{
    AM_View_ColourView* v = view();
    v->setName("Picker");
    colour("Accent", 0xFF0000FF);
    v->setProperty("editColour", 0, "Accent");
    std::string script;
    v->writeControl(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Picker' name='editColour' id='0' value='Accent'"),
              std::string::npos);

    AM_View_ColourView* copy = view();
    EXPECT_EQ(copy->getEditColour(), nullptr);
    copy->setProperty("editColour", 0, "Accent");
    EXPECT_EQ(copy->getEditColour(), vm->getColour("Accent"));
    testsupport::TraceCapture trace;
    copy->setProperty("editColour", 0, "Missing");
    EXPECT_EQ(copy->getEditColour(), vm->getColour("Accent"));
    EXPECT_TRUE(trace.contains("no colour named 'Missing'"));

    // Without a colour no line is written.
    std::string plain;
    view()->writeControl(&plain);
    EXPECT_EQ(plain.find("editColour"), std::string::npos);
}

TEST_F(ColourViewTest, ColourViewsMatchTheirReferencePictures)
{
    // Half-transparent red, opaque orange, and an empty view (the checker).
    AM_View_ColourView* a = view({6, 6, 40, 40});
    AM_View_ColourView* b = view({52, 6, 40, 40});
    view({98, 6, 40, 40});
    a->setEditColour(colour("HalfRed", 0xFF000080));
    b->setEditColour(colour("Orange", 0xFF7F00FF));
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(a, 144, 52, "colour_views", zoom), "") << zoom;
}

} // namespace
