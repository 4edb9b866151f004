#include "ControlFixture.h"

#include "gui/controls/AM_View_Keyboard.h"
#include "gui/graphics/AM_Colour.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

using namespace controltest;

// A keyboard that records what it sends to its ports.
class RecordingKeyboard : public AM_View_Keyboard {
public:
    using AM_View_Keyboard::AM_View_Keyboard;
    void setValueFromUser(int32_t i, const void* value) override
    {
        float v = 0;
        std::memcpy(&v, value, sizeof v);
        sent.emplace_back(i, v);
        AM_View_Keyboard::setValueFromUser(i, value);
    }
    std::vector<std::pair<int32_t, float>> sent;
};

using Sent = std::vector<std::pair<int32_t, float>>;

class KeyboardTest : public ControlTest {
protected:
    // The registry's 720 x 108 keyboard at the origin: white keys 20 wide,
    // octaves 140, black keys 13 wide and 70 long.
    RecordingKeyboard* keyboard(AM_Rect bounds = {0, 0, 720, 108})
    {
        auto* k = new RecordingKeyboard(vm.get(), &bounds);
        vm->registerControl(k, nullptr);
        k->setVisible(true, kAllLayers, false);
        k->setEditMode(false);
        return k;
    }
    // Notes held in the engine's map (the fixture's 8-byte block).
    void hold(std::initializer_list<int> notes)
    {
        std::vector<uint8_t> map(kCurveBytes, 0);
        for (const int n : notes)
            map[static_cast<size_t>(n / 8)] |= static_cast<uint8_t>(1u << (n % 8));
        interface.setBlock(kCurve, map);
    }
};

TEST_F(KeyboardTest, RegistryMakesKeyboardsWithTheirPortsAndSlots)
{
    AM_View_Keyboard* k = make<AM_View_Keyboard>("Keyboard", {0, 0, 720, 108});
    ASSERT_NE(k, nullptr);
    EXPECT_STREQ(k->getTypeName(), "Keyboard");
    EXPECT_EQ(std::string(k->getName()), "Keyboard " + std::to_string(k->getId()));
    ASSERT_EQ(k->getNumPorts(), 5);
    const char* ports[] = {"KeyMeter", "VelMeter", "RemoteKey", "RemoteVel", "KeyPressed"};
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_STREQ(k->getPortDescriptor(i)->name, ports[i]);
    ASSERT_EQ(k->getColourCount(), 3);
    ASSERT_EQ(k->getGraphicCount(), 16);
    EXPECT_STREQ(k->getGraphicName(3), "key_wp");
    EXPECT_STREQ(k->getGraphicName(4), "key_cp");
    EXPECT_STREQ(k->getGraphicName(15), "key_hp");
    EXPECT_TRUE(k->hasTimer());
    EXPECT_FLOAT_EQ(k->getKeyMeter(), 60.0f);
    EXPECT_FLOAT_EQ(k->getVelocityMeter(), 64.0f);
    k->setPortParameter(4, interface.param(kCurve));
    EXPECT_NE(k->getPort(4)->parameter, nullptr);
    k->setPortParameter(2, interface.param(kTune));
    EXPECT_EQ(k->getPort(2)->parameter, nullptr);
}

TEST_F(KeyboardTest, GeometryFollowsTheBounds)
{
    RecordingKeyboard* k = keyboard();
    EXPECT_EQ(k->getKeyCount(), 61);
    EXPECT_EQ(k->getOctaveCount(), 5);
    EXPECT_EQ(k->getWhiteCount(), 36);
    EXPECT_EQ(k->getBlackCount(), 25);
    EXPECT_FLOAT_EQ(k->getWhiteWidth(), 20.0f);
    EXPECT_FLOAT_EQ(k->getOctaveWidth(), 140.0f);
    EXPECT_NEAR(k->getBlackWidth(), 13.0f, 1e-4);
    EXPECT_FLOAT_EQ(k->getBlackLength(), 70.0f);
    EXPECT_FLOAT_EQ(k->getKeyEdge(0), 0.0f);
    EXPECT_NEAR(k->getKeyEdge(1), 13.0f, 1e-3);
    EXPECT_NEAR(k->getKeyEdge(2), 26.0f, 1e-3);
    EXPECT_NEAR(k->getKeyEdge(3), 35.0f, 1e-3);
    EXPECT_FLOAT_EQ(k->getKeyEdge(5), 60.0f);
    EXPECT_NEAR(k->getKeyEdge(6), 72.0f, 1e-3);
    EXPECT_NEAR(k->getKeyEdge(10), 115.0f, 1e-3);
    k->growBy(0, 0, -360, -8, false);
    EXPECT_FLOAT_EQ(k->getWhiteWidth(), 10.0f);
    EXPECT_FLOAT_EQ(k->getBlackLength(), 65.0f);
}

TEST_F(KeyboardTest, TheKeyUnderThePointerAndItsVelocity)
{
    RecordingKeyboard* k = keyboard();
    struct Case {
        const char* what;
        float x, y;
        int32_t note, velocity;
    };
    const Case cases[] = {
        {"C, lower part", 10, 100, 36, 128 - 117},
        {"C at the very top", 10, 0, 36, 127},
        {"C at the bottom edge", 10, 108, 36, 1},
        {"C sharp", 15, 35, 37, 128 - 63},
        {"D between the black keys", 30, 20, 38, 128 - 23},
        {"F sharp", 75, 10, 42, 128 - 18},
        {"E beside D sharp", 55, 20, 40, 128 - 23},
        {"second octave C", 150, 100, 48, 11},
        {"B of the fourth octave", 699.9f, 100, 95, 11},
        // The last key is a lone C: no key past it, even where a black key
        // would sit.
        {"top C", 715, 100, 96, 11},
        {"top C, upper part", 715, 10, 96, 128 - 11},
    };
    for (const Case& c : cases) {
        const float point[2] = {c.x, c.y};
        const AM_View_Keyboard::Hit hit = k->keyAt(point);
        EXPECT_EQ(hit.note, c.note) << c.what;
        EXPECT_EQ(hit.velocity, c.velocity) << c.what;
    }
}

TEST_F(KeyboardTest, ClicksPlayReleaseTheLastKeyAndReleaseSoundingKeys)
{
    for (const float zoom : {1.0f, 2.0f}) {
        RecordingKeyboard* k = keyboard();
        hold({});
        k->setPortParameter(AM_View_Keyboard::kKeyPressedPort, interface.param(kCurve));
        vm->setZoom(zoom);
        vm->setEditMode(false);
        // Middle C (note 60), lower part: the last key (0) is released first.
        vm->handleMouseDown(290 * zoom, 100 * zoom, 0);
        vm->handleMouseUp(290 * zoom, 100 * zoom, 0);
        EXPECT_EQ(k->sent, (Sent{{2, 0}, {3, 0}, {2, 60}, {3, 11}})) << zoom;
        EXPECT_FLOAT_EQ(k->getRemoteKey(), 60.0f);
        EXPECT_FLOAT_EQ(k->getRemoteVelocity(), 11.0f);
        // The next key releases middle C before it plays.
        k->sent.clear();
        vm->handleMouseDown(310 * zoom, 90 * zoom, 0);
        EXPECT_EQ(k->sent, (Sent{{2, 60}, {3, 0}, {2, 62}, {3, 128 - 105}})) << zoom;
        // A key the engine holds is released, and nothing else.
        hold({40});
        k->onTimer();
        EXPECT_TRUE(k->isHeld(40));
        k->sent.clear();
        vm->handleMouseDown(55 * zoom, 100 * zoom, 0);
        EXPECT_EQ(k->sent, (Sent{{2, 40}, {3, 0}})) << zoom;
        // A double click is one more click.
        k->sent.clear();
        vm->handleDoubleClick(10 * zoom, 100 * zoom, 0);
        EXPECT_EQ(k->sent.size(), 4u) << zoom;
        vm->setZoom(1.0f);
        delete k;
    }
}

TEST_F(KeyboardTest, TheTimerReadsTheMetersAndTheNoteMap)
{
    RecordingKeyboard* k = keyboard();
    k->setPortParameter(AM_View_Keyboard::kKeyMeterPort, interface.param(kLevel));
    k->setPortParameter(AM_View_Keyboard::kKeyPressedPort, interface.param(kCurve));
    interface.engineSets(kLevel, 64.0f);
    // The fixture's map is 8 bytes: notes 64 and up are never read from
    // past its end.
    hold({36, 63});
    k->onTimer();
    EXPECT_FLOAT_EQ(k->getKeyMeter(), 64.0f);
    EXPECT_TRUE(k->isHeld(36));
    EXPECT_TRUE(k->isHeld(63));
    EXPECT_FALSE(k->isHeld(64));
    EXPECT_FALSE(k->isHeld(200));
    hold({});
    k->onTimer();
    EXPECT_FALSE(k->isHeld(36));
    // Hidden: not polled.
    k->setVisible(false, kAllLayers, false);
    hold({50});
    k->onTimer();
    EXPECT_FALSE(k->isHeld(50));
}

TEST_F(KeyboardTest, EditMenuItemAndScriptLines)
{
    RecordingKeyboard* k = keyboard();
    const AM_ControlMenu items = k->buildEditItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].text, "vertical");
    EXPECT_EQ(items[1].command, (1u << 16) | 5);
    EXPECT_FALSE(items[1].checked);
    AM_MenuItem item;
    item.command = (1u << 16) | 5;
    EXPECT_TRUE(k->handleMenuCommand(nullptr, kEditMenuId, true, &item));
    EXPECT_EQ(k->getKeyCount(), 61);

    // The keyboard writes the base lines only; a direction line is read
    // without effect.
    const std::string first =
        readAndWrite("CONTROL type='Keyboard' name='Keys' bounds='0 0 720 108'\n"
                     "PROPERTY control='Keys' name='direction' id='0' value='vertical'\n");
    EXPECT_NE(first.find("type='Keyboard' name='Keys'"), std::string::npos);
    EXPECT_EQ(first.find("direction"), std::string::npos);
    EXPECT_EQ(readAndWrite(first), first);
}

TEST_F(KeyboardTest, KeyboardsMatchTheirReferencePictures)
{
    // A drawn keyboard holding a chord and a black key, middle C marked by
    // the key meter; below it one drawn by its colours only (the outlines).
    RecordingKeyboard* drawn = keyboard({4, 4, 720, 108});
    drawn->setPortParameter(AM_View_Keyboard::kKeyPressedPort, interface.param(kCurve));
    hold({36, 48, 52, 55, 61});
    drawn->onTimer();
    RecordingKeyboard* lined = keyboard({4, 120, 360, 60});
    AM_Colour background(vm.get(), "kb", 0xE8E4DAFF), border(vm.get(), "kf", 0x202226FF);
    lined->setColour(&background, 0);
    lined->setColour(&border, 1);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(drawn, 728, 184, "keyboards", zoom), "") << zoom;
    lined->setColour(nullptr, 0);
    lined->setColour(nullptr, 1);
}

} // namespace
