#include "gui/graphics/AM_GuiObject.h"

#include "GuiFixtures.h"
#include "TraceCapture.h"
#include "params/object/AM_ObjectHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// A parent P with children A B C D.
struct Family {
    std::vector<std::string> deleted;
    TracedNode* parent = new TracedNode("P", &deleted);
    TracedNode* child[4];
    Family()
    {
        const char* names[] = {"A", "B", "C", "D"};
        for (int i = 0; i < 4; ++i) {
            child[i] = new TracedNode(names[i], &deleted);
            parent->addChild(child[i]);
        }
    }
    ~Family() { delete parent; }
};

} // namespace

TEST(GuiObject, NewObjectHasInitialMaskIdAndNoLinks)
{
    CountingServices services;
    AM_GuiObject first(&services);
    AM_GuiObject second(&services);
    AM_GuiObject orphan(nullptr);
    EXPECT_EQ(first.getFlags(), 0x80800u);
    EXPECT_EQ(first.getId(), 1u);
    EXPECT_EQ(second.getId(), 2u);
    EXPECT_EQ(orphan.getId(), 0u);
    EXPECT_STREQ(first.getName(), "");
    EXPECT_EQ(first.getParent(), nullptr);
    EXPECT_EQ(first.getNext(), nullptr);
    EXPECT_EQ(first.getPrevious(), nullptr);
    EXPECT_EQ(first.getFirstChild(), nullptr);
    EXPECT_EQ(first.getHost(), nullptr);
    EXPECT_TRUE(first.isMarked());
    EXPECT_TRUE(first.isSaveable());
}

TEST(GuiObject, LongNamesAreCutAtACharacterAndTraced)
{
    testsupport::TraceCapture trace;
    AM_GuiObject node(nullptr);
    node.setName("exactly thirty-one characters!!");
    EXPECT_STREQ(node.getName(), "exactly thirty-one characters!!");
    EXPECT_EQ(trace.text(), "");

    node.setName("a name that is much longer than thirty-one characters");
    EXPECT_EQ(std::strlen(node.getName()), 31u);
    EXPECT_NE(trace.text().find("GUI object name cut"), std::string::npos);

    // 30 ASCII bytes and a two-byte character: the character does not fit.
    const std::string utf8 = std::string(30, 'x') + "\xC3\xA9" + "tail";
    node.setName(utf8.c_str());
    EXPECT_EQ(std::string(node.getName()), std::string(30, 'x'));

    node.setName(nullptr);
    EXPECT_STREQ(node.getName(), "");
}

TEST(GuiObject, AddChildAppendsAtTheEndWithTheParent)
{
    Family family;
    EXPECT_EQ(siblingNames(family.parent->getFirstChild()), "A B C D");
    for (TracedNode* child : family.child)
        EXPECT_EQ(child->getParent(), family.parent);
}

TEST(GuiObject, FindByNameSearchesChildrenBeforeLaterSiblings)
{
    Family family;
    auto* nested = new TracedNode("C");
    family.child[1]->addChild(nested); // B's child named like the later sibling C
    auto* deeper = new TracedNode("X");
    nested->addChild(deeper);

    EXPECT_EQ(family.parent->findByName("P"), family.parent);
    EXPECT_EQ(family.parent->findByName("C"), nested);
    EXPECT_EQ(family.parent->findByName("X"), deeper);
    EXPECT_EQ(family.parent->findByName("D"), family.child[3]);
    EXPECT_EQ(family.child[2]->findByName("B"), nullptr); // not before the start
    EXPECT_EQ(family.parent->findByName("nothing"), nullptr);
    EXPECT_EQ(family.parent->findByName(nullptr), nullptr);
}

TEST(GuiObject, TreeEditing)
{
    struct Case {
        const char* what;
        void (*edit)(Family&);
        const char* expected;
    };
    const Case cases[] = {
        {"unlink the first", [](Family& f) { f.child[0]->unlink(); }, "B C D"},
        {"unlink a middle one", [](Family& f) { f.child[2]->unlink(); }, "A B D"},
        {"unlink the last", [](Family& f) { f.child[3]->unlink(); }, "A B C"},
        {"insert after", [](Family& f) { f.child[0]->insertAfter(f.child[2]); }, "B C A D"},
        {"insert after the last", [](Family& f) { f.child[1]->insertAfter(f.child[3]); },
         "A C D B"},
        {"insert before the first", [](Family& f) { f.child[3]->insertBefore(f.child[0]); },
         "D A B C"},
        {"insert before", [](Family& f) { f.child[0]->insertBefore(f.child[3]); }, "B C A D"},
        {"move to first", [](Family& f) { f.child[2]->moveToFirst(); }, "C A B D"},
        {"move to last", [](Family& f) { f.child[1]->moveToLast(); }, "A C D B"},
        {"move the first to first", [](Family& f) { f.child[0]->moveToFirst(); }, "A B C D"},
        {"move the last to last", [](Family& f) { f.child[3]->moveToLast(); }, "A B C D"},
    };
    for (const Case& c : cases) {
        Family family;
        c.edit(family);
        EXPECT_EQ(siblingNames(family.parent->getFirstChild()), c.expected) << c.what;
        EXPECT_EQ(family.parent->getFirstChild()->getPrevious(), nullptr) << c.what;
        for (TracedNode* child : family.child) {
            if (child->getParent() == nullptr) {
                EXPECT_EQ(child->getNext(), nullptr) << c.what;
                delete child; // unlinked: deleted alone
            } else {
                EXPECT_EQ(child->getParent(), family.parent) << c.what;
            }
        }
    }
}

TEST(GuiObject, SetMarksReachesDescendantsAndOnlyAskedSiblings)
{
    Family family;
    auto* grandchild = new TracedNode("G");
    family.child[1]->addChild(grandchild);
    auto* grandchildSibling = new TracedNode("H");
    grandchild->appendSibling(grandchildSibling);

    family.child[1]->setMarks(false, true, false);
    for (AM_GuiObject* node :
         {static_cast<AM_GuiObject*>(family.child[1]), static_cast<AM_GuiObject*>(grandchild),
          static_cast<AM_GuiObject*>(grandchildSibling)}) {
        EXPECT_FALSE(node->isMarked()) << node->getName();
        EXPECT_FALSE(node->isSaveable()) << node->getName();
    }
    for (int i : {0, 2, 3}) {
        EXPECT_TRUE(family.child[i]->isMarked());
        EXPECT_TRUE(family.child[i]->isSaveable());
    }
    family.child[1]->setMarks(true, false, true);
    EXPECT_TRUE(family.child[3]->isMarked());
    EXPECT_TRUE(grandchildSibling->isSaveable());
    EXPECT_EQ(family.child[0]->getFlags() & 0x100000u, 0u);
}

TEST(GuiObject, DeletingANodeDeletesItsSubtreeAndTheFollowingSiblings)
{
    Family family;
    family.child[2]->addChild(new TracedNode("C1", &family.deleted));
    delete family.child[1];
    EXPECT_EQ(siblingNames(family.parent->getFirstChild()), "A");
    EXPECT_EQ(family.child[0]->getNext(), nullptr);
    EXPECT_EQ(family.deleted, (std::vector<std::string>{"B", "C", "C1", "D"}));
}

TEST(GuiObject, DeletingTheFirstChildDeletesTheWholeList)
{
    Family family;
    family.child[0]->unlink();
    family.parent->addChild(family.child[0]); // A at the end now: B C D A
    AM_GuiObject* head = family.parent->getFirstChild();
    delete head;
    EXPECT_EQ(family.parent->getFirstChild(), nullptr);
    EXPECT_EQ(family.deleted, (std::vector<std::string>{"B", "C", "D", "A"}));
}

TEST(GuiObject, ALongSiblingListIsDeletedAndSearchedWithoutDeepRecursion)
{
    auto* head = new TracedNode("0");
    AM_GuiObject* last = head;
    for (int i = 1; i < 200000; ++i) {
        auto* node = new TracedNode(i == 199999 ? "last" : "n");
        node->insertAfter(last);
        last = node;
    }
    EXPECT_NE(head->findByName("last"), nullptr);
    delete head;
}

TEST(GuiObject, HostsFollowTheTree)
{
    AM_ObjectHost host(16);
    Family family;
    family.parent->setHost(&host);
    for (TracedNode* child : family.child)
        EXPECT_EQ(child->getHost(), &host);
    auto* late = new TracedNode("E");
    family.parent->addChild(late);
    EXPECT_EQ(late->getHost(), &host);
    auto* sibling = new TracedNode("S");
    family.parent->appendSibling(sibling);
    EXPECT_EQ(sibling->getHost(), &host);
    family.parent->setHost(nullptr);
    EXPECT_EQ(late->getHost(), nullptr);
    EXPECT_EQ(sibling->getHost(), nullptr);
}
