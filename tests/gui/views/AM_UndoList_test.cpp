#include "ParameterFixture.h"
#include "TraceCapture.h"

#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_UndoList.h"
#include "gui/views/AM_ViewControl_ParameterUndo.h"

#include <string>
#include <vector>

namespace {

// A step that changes a number of a shared state and logs what it does.
struct Log {
    std::vector<std::string> calls;
    int deleted = 0;
};

class NumberStep : public AM_UndoObject {
public:
    NumberStep(const char* name, Log* log, int* target, int after)
        : AM_UndoObject(name), log_(log), target_(target), after_(after)
    {
    }
    ~NumberStep() override { ++log_->deleted; }
    void prepare() override
    {
        before_ = *target_;
        log_->calls.push_back(std::string("prepare ") + getName());
    }
    bool commit() override
    {
        log_->calls.push_back(std::string("commit ") + getName());
        return *target_ != before_;
    }
    void undo() override
    {
        *target_ = before_;
        log_->calls.push_back(std::string("undo ") + getName());
    }
    void redo() override
    {
        *target_ = after_;
        log_->calls.push_back(std::string("redo ") + getName());
    }
    // The gesture's change.
    void apply() { *target_ = after_; }

private:
    Log* log_;
    int* target_;
    int after_;
    int before_ = 0;
};

class UndoListTest : public ::testing::Test {
protected:
    // One gesture of one step that sets `value` to `after` (or leaves it).
    void gesture(const char* name, int after, bool change = true)
    {
        auto* step = new NumberStep(name, &log, &value, after);
        list.add(step);
        if (change)
            step->apply();
        list.close();
    }

    Log log;
    int value = 0;
    AM_UndoList list;
};

TEST_F(UndoListTest, GestureStepsFormOneGroupUndoneAndRedoneInRecordedOrder)
{
    int a = 0, b = 0, c = 0;
    auto* first = new NumberStep("a", &log, &a, 1);
    auto* second = new NumberStep("b", &log, &b, 2);
    auto* third = new NumberStep("c", &log, &c, 3);
    for (NumberStep* step : {first, second, third}) {
        list.add(step);
        step->apply();
    }
    EXPECT_EQ(list.openGroup(), first);
    EXPECT_EQ(list.groupCount(), 0);
    EXPECT_TRUE(list.close());
    EXPECT_EQ(list.groupCount(), 1);
    EXPECT_EQ(list.openGroup(), nullptr);

    log.calls.clear();
    EXPECT_TRUE(list.undo());
    EXPECT_EQ(log.calls, (std::vector<std::string>{"undo a", "undo b", "undo c"}));
    EXPECT_EQ(a + b + c, 0);
    EXPECT_FALSE(first->isDone());
    EXPECT_FALSE(third->isDone());
    EXPECT_FALSE(list.canUndo());

    log.calls.clear();
    EXPECT_TRUE(list.redo());
    EXPECT_EQ(log.calls, (std::vector<std::string>{"redo a", "redo b", "redo c"}));
    EXPECT_EQ(a + b + c, 6);
    EXPECT_FALSE(list.canRedo());
}

TEST_F(UndoListTest, AGroupThatChangedNothingIsDropped)
{
    gesture("still", 5, false);
    EXPECT_EQ(list.groupCount(), 0);
    EXPECT_EQ(log.deleted, 1);
    EXPECT_FALSE(list.canUndo());
    EXPECT_FALSE(list.close()) << "no open group";
}

TEST_F(UndoListTest, AGroupKeepsItsUnchangedStepsWhenAnotherStepChanged)
{
    int other = 0;
    auto* moved = new NumberStep("moved", &log, &value, 4);
    auto* still = new NumberStep("still", &log, &other, 9);
    list.add(moved);
    list.add(still);
    moved->apply();
    EXPECT_TRUE(list.close());
    EXPECT_EQ(log.deleted, 0);
    list.undo();
    EXPECT_EQ(value, 0);
    EXPECT_EQ(other, 0);
}

TEST_F(UndoListTest, UndoAndRedoWalkTheGroupsInOrder)
{
    gesture("one", 1);
    gesture("two", 2);
    gesture("three", 3);
    EXPECT_EQ(list.groupCount(), 3);
    list.undo();
    EXPECT_EQ(value, 2);
    list.undo();
    EXPECT_EQ(value, 1);
    EXPECT_EQ(std::string(list.lastDone()->getName()), "one");
    EXPECT_EQ(std::string(list.firstUndone()->getName()), "two");
    list.redo();
    EXPECT_EQ(value, 2);
    list.undo();
    list.undo();
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(list.undo()) << "nothing left to undo";
    EXPECT_EQ(value, 0);
}

TEST_F(UndoListTest, ANewGestureAfterUndosDropsTheRedoTail)
{
    gesture("one", 1);
    gesture("two", 2);
    gesture("three", 3);
    list.undo();
    list.undo();
    gesture("four", 4);
    EXPECT_EQ(log.deleted, 2);
    EXPECT_EQ(list.groupCount(), 2);
    EXPECT_FALSE(list.canRedo());
    EXPECT_FALSE(list.redo());
    list.undo();
    EXPECT_EQ(value, 1);

    // After undoing everything the new group starts the list again.
    list.undo();
    gesture("five", 5);
    EXPECT_EQ(list.groupCount(), 1);
    EXPECT_EQ(std::string(list.first()->getName()), "five");
}

TEST_F(UndoListTest, UndoClosesAnOpenGestureFirst)
{
    gesture("one", 1);
    auto* open = new NumberStep("open", &log, &value, 7);
    list.add(open);
    list.setGestureOpen(true);
    open->apply();
    EXPECT_TRUE(list.undo());
    EXPECT_FALSE(list.isGestureOpen());
    EXPECT_EQ(value, 1) << "the open gesture was committed and then undone";
    EXPECT_EQ(list.groupCount(), 2);
}

TEST_F(UndoListTest, ClearDeletesTheOpenGroupAndTheList)
{
    gesture("one", 1);
    gesture("two", 2);
    list.add(new NumberStep("open", &log, &value, 7));
    list.clear();
    EXPECT_EQ(log.deleted, 3);
    EXPECT_EQ(list.first(), nullptr);
    EXPECT_EQ(list.openGroup(), nullptr);
    EXPECT_FALSE(list.canUndo());
}

// A step that keeps a given amount of memory.
class HeavyStep : public NumberStep {
public:
    HeavyStep(Log* log, int* target, int after, size_t bytes)
        : NumberStep("heavy", log, target, after), bytes_(bytes)
    {
    }
    size_t memoryBytes() const override { return bytes_; }

private:
    size_t bytes_;
};

TEST_F(UndoListTest, PastItsBoundsTheListDropsItsOldestGroups)
{
    testsupport::TraceCapture trace;
    constexpr int kExtra = 10;
    for (int i = 1; i <= AM_UndoList::kMaxGroups + kExtra; ++i)
        gesture("step", i);
    EXPECT_EQ(list.groupCount(), AM_UndoList::kMaxGroups);
    EXPECT_EQ(log.deleted, kExtra);
    EXPECT_EQ(trace.count("Undo list full"), 1) << "said once per list";
    // Everything kept undoes; the dropped steps' changes stay.
    for (int i = 0; i < AM_UndoList::kMaxGroups; ++i)
        ASSERT_TRUE(list.undo());
    EXPECT_FALSE(list.undo());
    EXPECT_EQ(value, kExtra);
    while (list.redo()) {
    }
    EXPECT_EQ(value, AM_UndoList::kMaxGroups + kExtra);

    // Memory: groups that keep a quarter of the bound each fit three at a
    // time; one group larger than the bound is kept alone.
    list.clear();
    log.deleted = 0;
    const size_t quarter = AM_UndoList::kMaxBytes / 4 + 1;
    for (int i = 1; i <= 5; ++i) {
        auto* step = new HeavyStep(&log, &value, 100 + i, quarter);
        list.add(step);
        step->apply();
        list.close();
    }
    EXPECT_EQ(list.groupCount(), 3);
    EXPECT_LE(list.bytes(), AM_UndoList::kMaxBytes);
    EXPECT_EQ(log.deleted, 2);
    auto* huge = new HeavyStep(&log, &value, 200, 2 * AM_UndoList::kMaxBytes);
    list.add(huge);
    huge->apply();
    list.close();
    EXPECT_EQ(list.groupCount(), 1);
    EXPECT_EQ(list.first(), huge);
    EXPECT_TRUE(list.undo());
    EXPECT_EQ(value, 105);
}

class ParameterUndoTest : public viewtest::ParameterTest {};

TEST_F(ParameterUndoTest, AWordParameterUndoesAndRedoesItsValue)
{
    using namespace viewtest;
    AM_ViewMan* vm = open();
    struct Case {
        int32_t index;
        float after;
    };
    for (const Case& c : {Case{kWave, 2.0f}, Case{kTune, -0.25f}, Case{kAttack, 0.75f}}) {
        interface.engineSets(c.index, 0.5f);
        AM_ViewControl_ParameterUndo step(vm, "Change Parameter", interface.param(c.index),
                                          nullptr);
        interface.engineSets(c.index, c.after);
        EXPECT_TRUE(step.commit()) << c.index;
        step.undo();
        EXPECT_EQ(interface.value(c.index), 0.5f) << c.index;
        step.redo();
        EXPECT_EQ(interface.value(c.index), c.after) << c.index;
    }
}

TEST_F(ParameterUndoTest, AnUnchangedValueDoesNotCommit)
{
    using namespace viewtest;
    AM_ViewMan* vm = open();
    interface.engineSets(kTune, 0.5f);
    AM_ViewControl_ParameterUndo step(vm, "Change Parameter", interface.param(kTune), nullptr);
    EXPECT_FALSE(step.commit());

    // Negative and positive zero are the same value.
    interface.engineSets(kTune, 0.0f);
    AM_ViewControl_ParameterUndo zero(vm, "Change Parameter", interface.param(kTune), nullptr);
    interface.engineSets(kTune, -0.0f);
    EXPECT_FALSE(zero.commit());
}

TEST_F(ParameterUndoTest, ABlockParameterUndoesAsAWholeBlock)
{
    using namespace viewtest;
    AM_ViewMan* vm = open();
    const std::vector<uint8_t> before{1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<uint8_t> after{1, 2, 3, 9, 9, 6, 7, 0};
    interface.setBlock(kCurve, before);
    AM_ViewControl_ParameterUndo step(vm, "Change Parameter", interface.param(kCurve), nullptr);
    EXPECT_EQ(step.getOldBlock(), before);
    EXPECT_FALSE(step.commit()) << "an identical block";
    interface.setBlock(kCurve, after);
    EXPECT_TRUE(step.commit());
    EXPECT_EQ(step.getNewBlock(), after);
    EXPECT_GE(step.memoryBytes(), sizeof step + before.size() + after.size())
        << "the list's memory bound counts both blocks";
    step.undo();
    EXPECT_EQ(interface.block(kCurve), before);
    step.redo();
    EXPECT_EQ(interface.block(kCurve), after);
}

TEST_F(ParameterUndoTest, ATextParameterIsABlockToo)
{
    using namespace viewtest;
    AM_ViewMan* vm = open();
    interface.setBlock(kName, std::vector<uint8_t>{'O', 'l', 'd', 0});
    AM_ViewControl_ParameterUndo step(vm, "Change Parameter", interface.param(kName), nullptr);
    interface.setBlock(kName, std::vector<uint8_t>{'N', 'e', 'w', 0});
    EXPECT_TRUE(step.commit());
    step.undo();
    EXPECT_STREQ(reinterpret_cast<const char*>(interface.block(kName).data()), "Old");
}

TEST_F(ParameterUndoTest, OnlyValueAndBlockKindsAreRecorded)
{
    for (uint32_t kind : {0u, 1u, 2u, 4u, 5u})
        EXPECT_TRUE(AM_ViewControl_ParameterUndo::recordsKind(kind)) << kind;
    for (uint32_t kind : {3u, 6u, 7u, 0xffu})
        EXPECT_FALSE(AM_ViewControl_ParameterUndo::recordsKind(kind)) << kind;
}

TEST_F(ParameterUndoTest, UndoingTheChangeOfAHiddenControlAsksItsParentToShowIt)
{
    using namespace viewtest;
    AM_ViewMan* vm = open();
    auto* parent = new RecordingControl(vm, nullptr);
    vm->registerControl(parent, nullptr);
    auto* child = new AM_ViewControl(vm, nullptr);
    parent->addControl(child, kAllLayers, false);
    child->setVisible(false, kAllLayers, false);

    AM_ViewControl_ParameterUndo step(vm, "Change Parameter", interface.param(kTune), child);
    interface.engineSets(kTune, 0.3f);
    ASSERT_TRUE(step.commit());
    step.undo();
    int asked = 0;
    for (const auto& r : parent->received)
        asked += r.message == kCtlMsgBringIntoView ? 1 : 0;
    EXPECT_EQ(asked, 1);

    // A control that went away is not asked about.
    step.forgetControl(child);
    step.redo();
    EXPECT_EQ(interface.value(kTune), 0.3f);
    delete parent;
}

} // namespace
