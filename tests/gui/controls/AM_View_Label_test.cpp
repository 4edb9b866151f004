#include "ControlFixture.h"

#include "gui/controls/AM_View_Label.h"
#include "gui/views/AM_ControlMessages.h"

#include <cstring>

namespace {

using namespace controltest;

class LabelTest : public ControlTest {};

// A parent that records the presses a label hands on.
class PressParent : public AM_ViewControl {
public:
    using AM_ViewControl::AM_ViewControl;
    const char* getTypeName() const override { return "TestParent"; }
    bool onMouseDown(const float*, uint32_t buttons) override
    {
        presses.push_back(buttons);
        return keep;
    }
    void onMouseDrag(const float*, uint32_t) override { ++drags; }
    void onMouseUp(const float*, uint32_t) override { ++releases; }
    bool keep = true;
    std::vector<uint32_t> presses;
    int drags = 0;
    int releases = 0;
};

TEST_F(LabelTest, NewLabelsTakeTheirNameAsTextAndTheDefaultSettings)
{
    vm->addPreference("Label", "labelTextAlignment", "0", 0, 0);
    vm->addPreference("Label", "labelTextSize", "11.5", 0, 0);
    AM_View_Label* label = make<AM_View_Label>("Label", {0, 0, 64, 12});
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(label->getTypeName(), "Label");
    EXPECT_EQ(std::string(label->getText()), "Label " + std::to_string(label->getId()));
    EXPECT_EQ(label->getTextAlignment(), 0);
    EXPECT_EQ(label->getTextVAlignment(), 1);
    EXPECT_FLOAT_EQ(label->getTextSize(), 11.5f);
    EXPECT_FLOAT_EQ(label->getTextVOffset(), -2.0f);
    EXPECT_STREQ(label->getColourName(0), "LabelBackground");
    EXPECT_STREQ(label->getColourName(1), "Text");
    ASSERT_NE(label->getColour(1), nullptr);
    EXPECT_STREQ(label->getColour(1)->getName(), "black");
    EXPECT_STREQ(label->getGraphicName(0), "LabelBackground");
    EXPECT_STREQ(label->getPortDescriptor(0)->name, "Text");
}

TEST_F(LabelTest, SetTextKeepsThirtyCharactersAndMessageEightSetsIt)
{
    AM_View_Label* label = make<AM_View_Label>("Label", {0, 0, 64, 12});
    label->setText("0123456789012345678901234567890123456789");
    EXPECT_STREQ(label->getText(), "012345678901234567890123456789");
    label->receiveMessage(nullptr, 8, 0, const_cast<char*>("Cutoff"));
    EXPECT_STREQ(label->getText(), "Cutoff");
    label->setText(nullptr);
    EXPECT_STREQ(label->getText(), "");
}

TEST_F(LabelTest, ScriptLinesWriteTextAndOnlySettingsThatDifferFromTheDefaults)
{
    vm->addPreference("Label", "labelTextAlignment", "1", 0, 0);
    vm->addPreference("Label", "labelTextVAlignment", "1", 0, 0);
    vm->addPreference("Label", "labelTextSize", "9.00", 0, 0);
    vm->addPreference("Label", "labelTextVOffset", "-2.00", 0, 0);
    AM_View_Label* label = make<AM_View_Label>("Label", {0, 0, 64, 12});
    label->setName("Title");
    label->setText("Filter");
    std::string script;
    label->writeControl(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Title' name='labeltext' id='0' value='Filter'"),
              std::string::npos);
    EXPECT_EQ(script.find("labelText"), std::string::npos) << script;

    label->setTextAlignment(2);
    label->setTextSize(12);
    label->setParentLabel(true);
    script.clear();
    label->writeControl(&script);
    EXPECT_NE(script.find("name='labelTextAlignment' id='0' value='2'"), std::string::npos);
    EXPECT_NE(script.find("name='labelTextSize' id='0' value='12.00'"), std::string::npos);
    EXPECT_EQ(script.find("labelTextVAlignment"), std::string::npos);
    EXPECT_NE(script.find("name='parentLabel' id='0' value='yes'"), std::string::npos);

    // Bound to a text parameter: no labeltext line.
    label->setPortParameter(0, interface.param(kName));
    script.clear();
    label->writeControl(&script);
    EXPECT_EQ(script.find("labeltext"), std::string::npos);
}

TEST_F(LabelTest, PropertiesAreReadBack)
{
    AM_View_Label* label = make<AM_View_Label>("Label", {0, 0, 64, 12});
    label->setProperty("labeltext", 0, "A text longer than the thirty-two bytes it holds");
    EXPECT_STREQ(label->getText(), "A text longer than the thirty-t");
    label->setProperty("labelTextAlignment", 0, "2");
    label->setProperty("labelTextVAlignment", 0, "0");
    label->setProperty("labelTextSize", 0, "12.5");
    label->setProperty("labelTextVOffset", 0, "1.25");
    label->setProperty("parentLabel", 0, "YES");
    EXPECT_FALSE(label->isParentLabel());
    label->setProperty("parentLabel", 0, "yes");
    EXPECT_TRUE(label->isParentLabel());
    EXPECT_EQ(label->getTextAlignment(), 2);
    EXPECT_EQ(label->getTextVAlignment(), 0);
    EXPECT_FLOAT_EQ(label->getTextSize(), 12.5f);
    EXPECT_FLOAT_EQ(label->getTextVOffset(), 1.25f);

    label->setValueLabel(true);
    label->setProperty("labeltext", 0, "Ignored");
    EXPECT_STRNE(label->getText(), "Ignored");
}

TEST_F(LabelTest, BoundTextsFollowTheParameterAndEntriesWriteIt)
{
    AM_View_Label* label = make<AM_View_Label>("Label", {0, 0, 64, 12});
    label->setPortParameter(0, interface.param(kName));
    EXPECT_EQ(label->getCapacity(), 16);
    interface.setBlock(kName, std::vector<uint8_t>(16, 'x'));
    const std::vector<uint8_t> sixteen(16, 'x');
    label->setParameterValue(0, sixteen.data()); // not terminated
    EXPECT_STREQ(label->getText(), "xxxxxxxxxxxxxxxx");

    // Run mode: a double click opens the entry; its end writes the parameter.
    const float point[2] = {5, 5};
    label->onDoubleClick(point, 0);
    ASSERT_EQ(vm->entries.size(), 1u);
    label->receiveMessage(nullptr, kCtlMsgRename, 0, const_cast<char*>("Lead"));
    const std::vector<uint8_t> block = interface.block(kName);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data())), "Lead");
    EXPECT_STREQ(label->getText(), "Lead");
}

TEST_F(LabelTest, DoubleClickInRunModeNeedsABinding)
{
    AM_View_Label* label = make<AM_View_Label>("Label", {0, 0, 64, 12});
    const float point[2] = {5, 5};
    label->onDoubleClick(point, 0);
    EXPECT_TRUE(vm->entries.empty());
    label->setEditMode(true);
    label->onDoubleClick(point, 0);
    EXPECT_EQ(vm->entries.size(), 1u);
    // The entry's end in edit mode takes the text.
    label->receiveMessage(nullptr, kCtlMsgRename, 0, const_cast<char*>("Edited"));
    EXPECT_STREQ(label->getText(), "Edited");
}

TEST_F(LabelTest, PressesGoOnToTheParent)
{
    const AM_Rect bounds{0, 0, 60, 60};
    auto* parent = new PressParent(vm.get(), &bounds);
    vm->registerControl(parent, nullptr);
    AM_View_Label* label = make<AM_View_Label>("Label", {0, 40, 60, 12}, parent);
    const float point[2] = {5, 45};
    EXPECT_TRUE(label->onMouseDown(point, 1));
    EXPECT_TRUE(label->isPassThrough());
    label->onMouseDrag(point, 0);
    label->onMouseUp(point, 0);
    EXPECT_EQ(parent->presses, std::vector<uint32_t>{1});
    EXPECT_EQ(parent->drags, 1);
    EXPECT_EQ(parent->releases, 1);
    EXPECT_FALSE(label->isPassThrough());

    parent->keep = false;
    EXPECT_FALSE(label->onMouseDown(point, 0));
    label->onMouseDrag(point, 0);
    label->onMouseUp(point, 0);
    EXPECT_EQ(parent->drags, 1);
    EXPECT_EQ(parent->releases, 1);
}

TEST_F(LabelTest, PlusAndMinusResizeTheTextInEditModeOnly)
{
    AM_View_Label* label = make<AM_View_Label>("Label", {0, 0, 64, 12});
    EXPECT_FALSE(label->onKeyDown('+', 0));
    label->setEditMode(true);
    EXPECT_TRUE(label->onKeyDown('+', 0));
    EXPECT_FLOAT_EQ(label->getTextSize(), 10.0f);
    label->setTextSize(3.5f);
    EXPECT_TRUE(label->onKeyDown('-', 0));
    EXPECT_FLOAT_EQ(label->getTextSize(), 2.5f);
    EXPECT_TRUE(label->onKeyDown('-', 0));
    EXPECT_FLOAT_EQ(label->getTextSize(), 2.5f);
    EXPECT_FALSE(label->onKeyDown('a', 0));
}

TEST_F(LabelTest, EditCommandsToggleFlagsAndAlign)
{
    AM_View_Label* label = make<AM_View_Label>("Label", {0, 0, 64, 12});
    EXPECT_TRUE(label->applyEditCommand(AM_controlCommand(1)));
    EXPECT_TRUE(label->isPassThrough());
    EXPECT_TRUE(label->applyEditCommand(AM_controlCommand(3)));
    EXPECT_EQ(label->getTextAlignment(), 0);
    EXPECT_TRUE(label->applyEditCommand(AM_controlCommand(5)));
    EXPECT_EQ(label->getTextAlignment(), 2);
    EXPECT_FALSE(label->applyEditCommand(AM_controlCommand(3, 16)));
    const AM_ControlMenu items = label->buildEditItems();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].text, "parentClickThrough");
    EXPECT_TRUE(items[0].checked);
    EXPECT_EQ(items[2].text, "-");
    EXPECT_EQ(items[5].text, "align right");
    EXPECT_TRUE(items[5].checked);
    EXPECT_FALSE(items[4].checked);
}

// A meta display with texts under "PCore"/"MetaA" and the two parameters
// after it.
class MetaInterface : public NamedInterface {
public:
    MetaInterface()
    {
        for (int i = 0; i < 3; ++i) {
            metas[i] = AM_makeParamInfo(0, i == 0 ? "MetaA" : "MetaB", "Meta", k_typeTextData, 0,
                                        512, 0, 0, 0);
            metas[i].index = static_cast<uint32_t>(100 + i);
        }
    }
    AM_ParamInfo* findParameter(const char* module, const char* name) override
    {
        if (std::strcmp(module, "PCore") == 0 && std::strcmp(name, "MetaA") == 0 && present)
            return &metas[0];
        return NamedInterface::findParameter(module, name);
    }
    AM_ParamInfo* getParameterInfo(int32_t index, bool published = false) override
    {
        if (index >= 100 && index < 103)
            return &metas[index - 100];
        return NamedInterface::getParameterInfo(index, published);
    }
    const void* getParameterValue(int32_t index) override
    {
        if (index >= 100 && index < 103)
            return texts[index - 100].c_str();
        return NamedInterface::getParameterValue(index);
    }
    AM_ParamInfo metas[3];
    std::string texts[3];
    bool present = true;
};

class MetaLabelTest : public ::testing::Test {
protected:
    MetaLabelTest()
    {
        ControlTestAccess::reset();
        vm = std::make_unique<MenuViewMan>(&interface, nullptr, nullptr);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installStandardControls(vm.get());
    }
    ~MetaLabelTest() override
    {
        vm.reset();
        ControlTestAccess::reset();
    }
    std::string metaText(const char* title, const char* description, const char* usage)
    {
        interface.texts[0] = title;
        interface.texts[1] = description;
        interface.texts[2] = usage;
        const AM_Rect bounds{0, 0, 100, 40};
        auto* label = dynamic_cast<AM_View_Label*>(vm->createControl("Label", &bounds));
        vm->registerControl(label, nullptr);
        label->showMetaInfo();
        return label->getLongText();
    }
    MetaInterface interface;
    std::unique_ptr<MenuViewMan> vm;
};

TEST_F(MetaLabelTest, MetaTextJoinsDescriptionUsageAndTitle)
{
    EXPECT_EQ(metaText("Title", "About", "Use"), "About\n\nUse\n\nTitle");
    EXPECT_EQ(metaText("a", "", "c"), "c\n\na");
    EXPECT_EQ(metaText("", "", ""), "- no information available -");
    EXPECT_EQ(metaText("", "Line\\none", ""), "Line\r\none");
    interface.present = false;
    EXPECT_EQ(metaText("x", "y", "z"), "");
}

TEST_F(MetaLabelTest, MetaDisplayGrowsWithItsContainerSixteenUnitsATick)
{
    const AM_Rect paneBounds{0, 0, 120, 60};
    auto* pane = new PressParent(vm.get(), &paneBounds);
    vm->registerControl(pane, nullptr);
    const AM_Rect bounds{0, 10, 100, 40};
    auto* label = dynamic_cast<AM_View_Label*>(vm->createControl("Label", &bounds));
    pane->addControl(label, kAllLayers, false);
    label->setProperty("metaDisplay", 0, "yes");
    EXPECT_TRUE(label->isMetaDisplay());
    // Text block 100 high: 40 -> 56 -> 72 -> 88 -> 96.
    interface.texts[1] = std::string(60, 'w');
    testsupport::HeadlessCanvas canvas(120, 200, 1);
    canvas.begin();
    label->draw(&canvas.context());
    const float block = label->getTextHeight();
    ASSERT_GT(block, 0.0f);
    std::vector<float> heights;
    for (int tick = 0; tick < 8 && label->getBounds().h + 4 != block; ++tick) {
        label->onTimer();
        heights.push_back(label->getBounds().h);
    }
    EXPECT_FLOAT_EQ(label->getBounds().h + 4, block);
    for (size_t i = 0; i + 1 < heights.size(); ++i)
        EXPECT_FLOAT_EQ(heights[i + 1] - heights[i], heights.size() > i + 2 ? 16.0f : heights[i + 1] - heights[i]);
    EXPECT_FLOAT_EQ(pane->getBounds().h - label->getBounds().h, 20.0f);
    EXPECT_FALSE(label->hasTimer());
}

TEST_F(LabelTest, CloneWithTextCarriesTheTextAndItsSettings)
{
    AM_ViewControl* from = make<AM_ViewControl>("Pane", {0, 0, 100, 60});
    AM_ViewControl* to = make<AM_ViewControl>("Pane", {200, 0, 100, 60});
    AM_View_Label* label = make<AM_View_Label>("Label", {10, 40, 64, 12}, from);
    label->setText("Resonance");
    label->setTextSize(12.0f);
    label->setTextAlignment(2);
    label->setTextVAlignment(0);
    label->setTextVOffset(1.5f);
    label->setParentLabel(true);

    struct Case {
        const char* name;
        AM_ViewControl* parent; // null: the label's own parent
        bool parentLabel;
        AM_ViewControl* expectedParent;
        float x;
    };
    const Case cases[] = {
        {"into another container", to, true, to, 215},
        {"beside itself", nullptr, false, from, 15},
    };
    for (const Case& c : cases) {
        AM_View_Label* copy = label->cloneWithText(5, 3, c.parent);
        ASSERT_NE(copy, nullptr) << c.name;
        EXPECT_NE(copy, label) << c.name;
        EXPECT_EQ(copy->getParentControl(), c.expectedParent) << c.name;
        EXPECT_FLOAT_EQ(copy->getBounds().x, c.x) << c.name;
        EXPECT_FLOAT_EQ(copy->getBounds().y, 43) << c.name;
        EXPECT_STREQ(copy->getText(), "Resonance") << c.name;
        EXPECT_FLOAT_EQ(copy->getTextSize(), 12.0f) << c.name;
        EXPECT_EQ(copy->getTextAlignment(), 2) << c.name;
        EXPECT_EQ(copy->getTextVAlignment(), 0) << c.name;
        EXPECT_FLOAT_EQ(copy->getTextVOffset(), 1.5f) << c.name;
        EXPECT_EQ(copy->isParentLabel(), c.parentLabel) << c.name;
        EXPECT_EQ(copy->getPrototype(), label) << c.name;
    }
}

TEST_F(LabelTest, LabelsMatchTheirReferencePictures)
{
    AM_View_Label* first = make<AM_View_Label>("Label", {4, 4, 112, 14});
    first->setText("Cutoff");
    AM_View_Label* left = make<AM_View_Label>("Label", {4, 22, 112, 14});
    left->setText("Resonance (left)");
    left->setTextAlignment(0);
    AM_View_Label* big = make<AM_View_Label>("Label", {4, 40, 112, 20});
    big->setText("Filter 1");
    big->setTextSize(14);
    auto* dark = new AM_Colour(vm.get(), "Panel", 0x2B2F36FF);
    auto* light = new AM_Colour(vm.get(), "Ink", 0xE8EAEDFF);
    vm->addColour(dark);
    vm->addColour(light);
    AM_View_Label* inverse = make<AM_View_Label>("Label", {4, 64, 112, 14});
    inverse->setText("Env Amount");
    inverse->setColour(dark, 0);
    inverse->setColour(light, 1);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(first, 120, 82, "labels", zoom), "") << zoom;
}

} // namespace
