#include "PortFixture.h"

#include "TraceCapture.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/views/AM_ControlMessages.h"

#include <string>

namespace {

using namespace viewtest;

class PropertiesTest : public ParameterTest {
protected:
    PropertiesTest()
    {
        vm = open();
        blue = new AM_Colour(vm, "Blue", 0x3050A0FF);
        vm->addColour(blue);
        face = new AM_Graphic(vm, 0);
        face->setName("KnobFace");
        vm->addGraphic(face);
        root = addPaintControl(vm, nullptr, "Root", {0, 0, 400, 300}, true);
    }

    AM_ViewMan* vm = nullptr;
    AM_Colour* blue = nullptr;
    AM_Graphic* face = nullptr;
    PaintControl* root = nullptr;
};

TEST_F(PropertiesTest, ControlLinesOfAFixtureTree)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {100, 50, 200, 100}, true);
    PaintControl* box = addPaintControl(vm, pane, "Box", {10, 10, 20, 20});
    box->setColour(blue, 0);
    box->setGraphic(face, 0);
    box->setLayerMask(0x3);

    PortControl* knob = addPortControl(vm, "Knob");
    knob->connectParameter("value", "Osc", "Tune", "generic");
    knob->setPortParameter(3, interface.param(kLevel));
    PortControl* display = addPortControl(vm, "Display");
    display->setListener(0, knob->getPort(0));
    display->setPrototype(knob);

    // An indexed binding moved by 4 still names its base parameter.
    PortControl* indexed = addPortControl(vm, "Indexed");
    indexed->setPortParameter(0, interface.param(kTune));
    int32_t offset = kAttack - kTune;
    knob->sendMessage(0, kCtlMsgIndexOffset, kTune, &offset);
    ASSERT_EQ(indexed->getPort(0)->parameter, interface.param(kAttack));
    int32_t back = 0;
    display->sendMessage(0, kCtlMsgIndexOffset, kTune, &back); // the knob follows back
    ASSERT_EQ(knob->getPort(0)->parameter, interface.param(kTune));

    std::string lines;
    box->writeControl(&lines);
    knob->writeControl(&lines);
    indexed->writeControl(&lines);
    display->writeProperties(&lines);
    knob->writeProperties(&lines);
    EXPECT_EQ(lines, "\n\nCONTROL type='TestPaint' name='Box' bounds='10.00 10.00 20.00 20.00' "
                     "parent='Pane' layerMask='3'"
                     "\nPROPERTY control='Box' name='colours' id='0' value='Blue'"
                     "\nPROPERTY control='Box' name='colours' id='1' value='none'"
                     "\nPROPERTY control='Box' name='graphics' id='0' value='KnobFace'"
                     "\n\nCONTROL type='TestPort' name='Knob' bounds='0.00 0.00 40.00 40.00' "
                     "layerMask='ffffffff'"
                     "\nPARAMETER control='Knob' port='value' module='Osc' parameter='Tune' "
                     "valuestring='generic'"
                     "\nPARAMETER control='Knob' port='meter' module='Osc' parameter='Level'"
                     "\n\nCONTROL type='TestPort' name='Indexed' bounds='0.00 0.00 40.00 40.00' "
                     "layerMask='ffffffff'"
                     "\nPARAMETER control='Indexed' port='value' module='Osc' parameter='Tune' "
                     "valuestring='generic'"
                     "\nPROPERTY control='Display' name='prototype' id='0' value='Knob'"
                     "\nLISTENER control='Display' port='follow' listento='Knob' extport='value'");
}

TEST_F(PropertiesTest, OnlyLiveControlsInEditModeAnswerTheSaveMessages)
{
    PaintControl* box = addPaintControl(vm, root, "Box", {10, 10, 20, 20});
    PaintControl* gone = addPaintControl(vm, root, "Gone", {10, 10, 20, 20});
    gone->setDisposeFlag(true, false);
    std::string script;
    root->sendMessage(kGuiControlBit, kGuiMsgSaveObjects, 0, &script);
    EXPECT_NE(script.find("name='Box'"), std::string::npos);
    EXPECT_EQ(script.find("name='Gone'"), std::string::npos);

    script.clear();
    box->setEditMode(false);
    root->sendMessage(kGuiControlBit, kGuiMsgSaveObjects, 0, &script);
    EXPECT_EQ(script, "");
}

TEST_F(PropertiesTest, SetPropertyReadsEveryBaseKeyBack)
{
    PaintControl* box = addPaintControl(vm, root, "Box", {10, 10, 20, 20});
    PaintControl* model = addPaintControl(vm, root, "Model", {10, 10, 20, 20});
    box->setProperty("colours", 1, "Blue");
    box->setProperty("graphics", 0, "KnobFace");
    box->setProperty("prototype", 0, "Model");
    EXPECT_EQ(box->getColour(1), blue);
    EXPECT_EQ(box->getGraphic(0), face);
    EXPECT_EQ(box->getPrototype(), model);

    {
        // A name that no resource has clears the slot and says so; "none"
        // clears it quietly.
        testsupport::TraceCapture missing;
        box->setProperty("colours", 1, "none");
        EXPECT_EQ(box->getColour(1), nullptr);
        box->setProperty("colours", 0, "NoSuchColour");
        EXPECT_EQ(box->getColour(0), nullptr);
        box->setProperty("graphics", 0, "none");
        EXPECT_EQ(box->getGraphic(0), nullptr);
        box->setProperty("graphics", 0, "NoSuchImage");
        EXPECT_EQ(box->getGraphic(0), nullptr);
        EXPECT_EQ(missing.text(),
                  "Box: no colour named NoSuchColour\nBox: no graphic named NoSuchImage\n");
    }
    box->setProperty("prototype", 0, "Nobody");
    EXPECT_EQ(box->getPrototype(), model) << "an unknown control changes nothing";

    testsupport::TraceCapture trace;
    box->setProperty("colours", 2, "Blue");
    box->setProperty("graphics", -1, "KnobFace");
    EXPECT_EQ(trace.count("Box: no "), 2);
    box->setProperty("prototype", 0, "Box");
    EXPECT_TRUE(trace.contains("Box cannot be its own prototype"));
    EXPECT_EQ(box->getPrototype(), model);
}

TEST_F(PropertiesTest, RenamesAreBoundedValidatedAndUnique)
{
    PaintControl* box = addPaintControl(vm, root, "Box", {10, 10, 20, 20});
    addPaintControl(vm, root, "Taken", {10, 10, 20, 20});
    struct Case {
        const char* name;
        bool taken;
    };
    const Case cases[] = {
        {"ab", false},
        {"Taken", false},
        {"a'b name", false},
        {"tab\there", false},
        {"0123456789012345678901234567890X", false}, // 32 characters
        {"0123456789012345678901234567890", true},   // 31 characters
        {"Cutoff", true},
        {"Cutoff", true}, // its own name again
    };
    for (const Case& c : cases) {
        const std::string before = box->getName();
        EXPECT_EQ(box->renameTo(c.name), c.taken) << c.name;
        EXPECT_EQ(std::string(box->getName()), c.taken ? std::string(c.name) : before) << c.name;
    }

    testsupport::TraceCapture trace;
    box->renameTo("Taken");
    EXPECT_TRUE(trace.contains("A Control called Taken already exists!\n"));

    // Message 43 applies a name entry only to the control that started it.
    PaintControl* other = addPaintControl(vm, root, "Other", {10, 10, 20, 20});
    char entered[] = "Resonance";
    box->beginRename();
    root->sendMessage(kGuiControlBit, kCtlMsgRename, 0, entered);
    EXPECT_STREQ(box->getName(), "Resonance");
    EXPECT_STREQ(other->getName(), "Other");
    EXPECT_FALSE(box->isRenamePending());
}

} // namespace
