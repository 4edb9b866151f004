// The menus that the controls of a tree fill for another control: the
// controls that list themselves (messages 26, 28, 29), the colour choice of
// a colour slot (30) and the ports offered to a listener entry (31), read
// back from the view manager's menu table.

#include "PortFixture.h"

#include "TraceCapture.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_MenuTable.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace viewtest;

// A pane with a number of layers.
class LayeredPane : public PaintControl {
public:
    LayeredPane(AM_ViewMan* viewMan, const AM_Rect& bounds, uint8_t layers)
        : PaintControl(viewMan, bounds, true)
    {
        numLayers_ = layers;
    }
};

struct Row {
    std::string text;
    uint32_t subMenu;
    uint32_t command;
    uint32_t flags; // without the submenu byte
    void* userData;

    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << "{'" << row.text << "' sub " << row.subMenu << " cmd 0x" << std::hex << row.command
        << " flags 0x" << row.flags << std::dec << " data " << row.userData << "}";
}

// Whether the lines occur in the text in this order.
bool inOrder(const std::string& text, const std::vector<std::string>& lines)
{
    size_t from = 0;
    for (const std::string& line : lines) {
        const size_t at = text.find(line, from);
        if (at == std::string::npos) {
            return false;
        }
        from = at + line.size();
    }
    return true;
}

class ControlMenusTest : public ParameterTest {
protected:
    ControlMenusTest()
    {
        vm = open();
        root = addPaintControl(vm, nullptr, "Root", {0, 0, 400, 300}, true);
    }

    LayeredPane* addPane(const char* name, uint8_t layers)
    {
        auto* pane = new LayeredPane(vm, {10, 10, 100, 100}, layers);
        pane->setName(name);
        root->addControl(pane, kAllLayers, true);
        return pane;
    }

    // A fresh edit menu with `subMenus` submenus under the top level.
    void beginMenu(uint32_t subMenus = 0)
    {
        const float point[2] = {5, 5};
        vm->beginMenu(nullptr, point, kEditMenuId);
        for (uint32_t k = 0; k < subMenus; ++k) {
            vm->addSubMenu(0, ("sub " + std::to_string(k + 1)).c_str());
        }
    }

    // The items of the table that are no submenu entries.
    std::vector<Row> items() const
    {
        std::vector<Row> rows;
        const AM_MenuTable& table = vm->getMenuTable();
        for (uint32_t k = 1; k <= table.itemCount(); ++k) {
            const AM_MenuItem* item = table.item(k);
            if (!item->isSubMenuEntry()) {
                rows.push_back({item->text, item->subMenu(), item->command,
                                item->itemFlags & ~kMenuSubMenuMask, item->userData});
            }
        }
        return rows;
    }

    TestViewMan* vm = nullptr;
    PaintControl* root = nullptr;
};

TEST_F(ControlMenusTest, PanesContainersAndControlsOfATypeListThemselvesWithTheChosenOneChecked)
{
    LayeredPane* twoLayers = addPane("Two", 2);
    LayeredPane* oneLayer = addPane("One", 1);
    LayeredPane* gone = addPane("Gone", 3);
    gone->setState(gone->getState() | kStateDisposed);
    PaintControl* plain = addPaintControl(vm, root, "Plain", {0, 0, 10, 10});
    PortControl* port = addPortControl(vm, "_Port");

    // The asker of each message is a control that the answer leaves out.
    AM_ViewControl* asker = port;
    const uint32_t attach = AM_menuCommand(0, kMenuCodeAttachControl);

    // 26: containers with two or more layers.
    beginMenu(1);
    asker->sendMessage(kGuiControlBit, kCtlMsgLayerMenu, 1, twoLayers);
    EXPECT_EQ(items(), (std::vector<Row>{{"Two", 1, attach, kMenuChecked, twoLayers}}));

    // 29: every container; none chosen.
    beginMenu(1);
    asker->sendMessage(kGuiControlBit, kCtlMsgContainerMenu, 1, nullptr);
    EXPECT_EQ(items(), (std::vector<Row>{{"Root", 1, attach, 0, root},
                                         {"Two", 1, attach, 0, twoLayers},
                                         {"One", 1, attach, 0, oneLayer}}));

    // 28: the controls of one type; the chosen one is checked.
    AM_TypeMenuRequest request{};
    std::strncpy(request.typeName, "TestPaint", sizeof request.typeName);
    request.chosen = plain;
    beginMenu(2);
    asker->sendMessage(kGuiControlBit, kCtlMsgTypeMenu, 2, &request);
    EXPECT_EQ(items(), (std::vector<Row>{{"Root", 2, attach, 0, root},
                                         {"Two", 2, attach, 0, twoLayers},
                                         {"One", 2, attach, 0, oneLayer},
                                         {"Plain", 2, attach, kMenuChecked, plain}}));

    std::strncpy(request.typeName, "TestPort", sizeof request.typeName);
    beginMenu();
    plain->sendMessage(kGuiControlBit, kCtlMsgTypeMenu, 0, &request);
    EXPECT_EQ(items(), (std::vector<Row>{{"_Port", 0, attach, 0, port}}));

    // A type name that fills all 32 bytes is read no further.
    std::memset(request.typeName, 'x', sizeof request.typeName);
    beginMenu();
    asker->sendMessage(kGuiControlBit, kCtlMsgTypeMenu, 0, &request);
    EXPECT_TRUE(items().empty());
}

TEST_F(ControlMenusTest,
       ColoursGoToTheStandardDefaultOrEditorListOfTheSlotAndTheSlotsColourIsChecked)
{
    auto* red = new AM_Colour(vm, "Red", 0xFF0000FF);
    auto* defaultGrey = new AM_Colour(vm, "default grey", 0x808080FF);
    auto* editorBlue = new AM_Colour(vm, "default editor", 0x0000FFFF);
    editorBlue->setMarks(false, true, false);
    vm->addColour(red);
    vm->addColour(defaultGrey);
    vm->addColour(editorBlue);
    PaintControl* plain = addPaintControl(vm, root, "Plain", {0, 0, 10, 10});
    plain->setColour(defaultGrey, 1);

    // Slot 1's lists are submenus 4 (standard), 5 (editor) and 6 (default).
    beginMenu(6);
    const AM_ColourMenuRequest request{4, 1};
    for (AM_Colour* colour : {red, defaultGrey, editorBlue}) {
        plain->receiveMessage(colour, kCtlMsgColourMenu, 0,
                              const_cast<AM_ColourMenuRequest*>(&request));
    }
    const uint32_t choice = AM_menuCommand(1, kMenuCodeColourChoice);
    EXPECT_EQ(items(),
              (std::vector<Row>{{"Red", 4, choice, kMenuCheckable, red},
                                {"default grey", 6, choice, kMenuChecked, defaultGrey},
                                {"default editor", 5, choice, kMenuCheckable, editorBlue}}));

    // A sender that is no colour, or no request, adds nothing.
    beginMenu(6);
    plain->receiveMessage(root, kCtlMsgColourMenu, 0, const_cast<AM_ColourMenuRequest*>(&request));
    plain->receiveMessage(red, kCtlMsgColourMenu, 0, nullptr);
    EXPECT_TRUE(items().empty());
}

TEST_F(ControlMenusTest, ControlsNamedWithAnUnderscoreOfferThePortsThatTheListenerAccepts)
{
    PortControl* asker = addPortControl(vm, "Asker");
    PortControl* provider = addPortControl(vm, "_Provider");
    addPortControl(vm, "Hidden"); // no leading '_': offers nothing
    PortControl* gone = addPortControl(vm, "_Gone");
    gone->setState(gone->getState() | kStateDisposed);

    testsupport::TraceCapture trace;
    beginMenu(3);
    uint32_t listeners = 3;
    asker->sendMessage(kGuiControlBit, kCtlMsgOfferPorts, 0, &listeners);

    // Listener 0 follows continuous ports: only port 0 "value" of the
    // provider accepts them; the provider's submenu is the fourth.
    const AM_MenuTable& table = vm->getMenuTable();
    ASSERT_EQ(table.subMenuCount(), 4u);
    const AM_MenuItem* entry = table.item(4);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->isSubMenuEntry());
    EXPECT_EQ(entry->text, "_Provider");
    EXPECT_EQ(entry->subMenu(), 3u);
    EXPECT_EQ(items(), (std::vector<Row>{{"value", 4, AM_menuCommand(0, kMenuCodeListenTo), 0,
                                          provider->getPort(0)}}));

    EXPECT_TRUE(trace.contains("potential PortProvider: _Provider"));
    EXPECT_FALSE(trace.contains("potential PortProvider: Hidden"));
    EXPECT_FALSE(trace.contains("potential PortProvider: _Gone"));
    // Port 0: the listener's type is compared with each of the port's
    // types until one is equal; port 1 and the others fail.
    const std::string f = std::to_string(k_kindFloat);
    EXPECT_TRUE(
        inOrder(trace.text(),
                {"testing for Port 0", "testing for ListenerParamType 0, being " + f,
                 "testing for ProviderParamType 0 which is " + std::to_string(k_kindInteger),
                 "fail", "testing for ProviderParamType 1 which is " + f, "found...",
                 "testing for Port 1", "testing for ListenerParamType 0, being " + f,
                 "testing for ProviderParamType 0 which is " + std::to_string(k_typeBinaryData),
                 "fail", "testing for Port 2", "testing for Port 3", "testing for Port 4"}))
        << trace.text();
    EXPECT_EQ(trace.count("found..."), 1);

    // A listener index the asker does not have, or no submenu: nothing.
    beginMenu(3);
    asker->sendMessage(kGuiControlBit, kCtlMsgOfferPorts, 1, &listeners);
    asker->sendMessage(kGuiControlBit, kCtlMsgOfferPorts, 0, nullptr);
    EXPECT_EQ(table.itemCount(), 3u);
}

TEST_F(ControlMenusTest, AProviderWithoutAMatchingPortAddsNoSubmenu)
{
    PortControl* asker = addPortControl(vm, "Asker");
    auto* meterOnly = new PaintControl(vm, {0, 0, 10, 10}); // no ports
    meterOnly->setName("_Empty");
    root->addControl(meterOnly, kAllLayers, true);

    beginMenu(1);
    uint32_t listeners = 1;
    asker->sendMessage(kGuiControlBit, kCtlMsgOfferPorts, 0, &listeners);
    EXPECT_EQ(vm->getMenuTable().subMenuCount(), 1u);
    EXPECT_TRUE(items().empty());
}

} // namespace
