// The view manager's index of control names: it answers as a walk of the
// tree from a control would, without the walk for a name one control has.

#include "PortFixture.h"

#include "gui/views/AM_ControlNameIndex.h"

#include <string>

namespace {

using namespace viewtest;

class ControlNameIndexTest : public ParameterTest {
protected:
    // Top
    //   A
    //     A1
    //       A11
    //     A2
    //   B
    //     B1
    //   C
    ControlNameIndexTest()
    {
        vm = open();
        top = addPaintControl(vm, nullptr, "Top", {0, 0, 400, 300}, true);
        a = addPaintControl(vm, top, "A", {0, 0, 100, 100}, true);
        a1 = addPaintControl(vm, a, "A1", {0, 0, 50, 50}, true);
        a11 = addPaintControl(vm, a1, "A11", {0, 0, 20, 20});
        a2 = addPaintControl(vm, a, "A2", {50, 0, 50, 50});
        b = addPaintControl(vm, top, "B", {100, 0, 100, 100}, true);
        b1 = addPaintControl(vm, b, "B1", {0, 0, 50, 50});
        c = addPaintControl(vm, top, "C", {200, 0, 100, 100});
    }
    // What the walk of the tree answers.
    static AM_ViewControl* walk(AM_ViewControl* from, const char* name)
    {
        return dynamic_cast<AM_ViewControl*>(from->findByName(name));
    }

    AM_ViewMan* vm = nullptr;
    PaintControl *top, *a, *a1, *a11, *a2, *b, *b1, *c;
};

TEST_F(ControlNameIndexTest, AUniqueNameIsAnsweredAsTheWalkAnswersWithoutIt)
{
    struct Case {
        const char* from;
        const char* name;
        bool found;
    };
    const Case cases[] = {
        {"Top", "A11", true}, // deep below
        {"A", "A", true},     // itself
        {"A1", "A2", true},   // a following sibling
        {"A2", "A1", false},  // a sibling before it
        {"A11", "B1", false}, // below a following sibling of an ancestor: not walked
        {"A", "B1", true},    // below a following sibling
        {"B", "A11", false},  // below a sibling before it
        {"A1", "Top", false}, // an ancestor
        {"C", "C", true},     // the last sibling itself
        {"Top", "Nobody", false},
    };
    for (const Case& k : cases) {
        auto* from = walk(top, k.from);
        ASSERT_NE(from, nullptr) << k.from;
        bool walked = true;
        AM_ViewControl* found = vm->controlNames().find(from, k.name, &walked);
        EXPECT_EQ(found, walk(from, k.name)) << k.from << " -> " << k.name;
        EXPECT_EQ(found != nullptr, k.found) << k.from << " -> " << k.name;
        EXPECT_FALSE(walked) << k.from << " -> " << k.name;
    }
}

TEST_F(ControlNameIndexTest, ItFollowsRenamesAndDeletionsAndLeavesSharedNamesToTheWalk)
{
    a2->setName("Renamed");
    EXPECT_EQ(vm->findControl(top, "A2"), nullptr);
    EXPECT_EQ(vm->findControl(top, "Renamed"), a2);

    // Two controls of one name: the walk decides which comes first.
    b1->setName("A11");
    bool walked = false;
    EXPECT_EQ(vm->controlNames().find(top, "A11", &walked), a11);
    EXPECT_TRUE(walked);
    EXPECT_EQ(vm->findControl(b, "A11"), b1);

    a1->unlink();
    delete a1; // with A11 below it
    EXPECT_EQ(vm->controlNames().find(top, "A11", &walked), b1);
    EXPECT_FALSE(walked) << "one control has the name again";
    EXPECT_EQ(vm->findControl(top, "A1"), nullptr);
}

} // namespace
