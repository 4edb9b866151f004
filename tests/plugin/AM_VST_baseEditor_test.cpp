// The editor seam with a probe editor: what the plug-in tells the editor
// reaches it only on its idle call, the wheel message, and the editor gone
// before the engine when the plug-in closes with its editor open.

#include "PluginFixture.h"

#include "plugin/AM_VST_EditorSeam.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace plugintest;

struct ViewCall {
    std::string what;
    int32_t index = 0;
    float value = 0.0f;
    bool published = false;
    std::thread::id thread;
};

class ProbeView : public AM_VST_ViewSeam {
public:
    void parameterChanged(int32_t index, float value, bool published) override
    {
        calls.push_back({"parameter", index, value, published, std::this_thread::get_id()});
    }
    void hostProgramChanged() override
    {
        calls.push_back({"program", 0, 0.0f, false, std::this_thread::get_id()});
    }
    void hostProgramNameChanged(const char* name) override
    {
        calls.push_back({std::string("name ") + name, 0, 0.0f, false, std::this_thread::get_id()});
    }
    std::vector<ViewCall> calls;
};

// What the probe saw of the engine while it was deleted.
struct Teardown {
    bool deleted = false;
    int32_t parametersSeen = -1;
};

class ProbeEditor : public AM_VST_EditorSeam {
public:
    ProbeEditor(AM_VST_base* effect, Teardown& teardown)
        : AM_VST_EditorSeam(effect), plugin_(effect), teardown_(teardown)
    {
    }
    ~ProbeEditor() override
    {
        // An editor closing may still reach the engine.
        teardown_.deleted = true;
        teardown_.parametersSeen = plugin_->getAudioMan() != nullptr
                                       ? plugin_->getAudioMan()->getParameterCount(true)
                                       : -1;
    }
    bool getRect(ERect** rect) override
    {
        *rect = &rect_;
        return true;
    }
    bool open(void* window) override
    {
        AEffEditor::open(window);
        return true;
    }
    bool onWheel(float distance) override
    {
        wheel = distance;
        return true;
    }
    AM_VST_ViewSeam* getViewInterface() override { return isOpen() ? &view : nullptr; }

    ProbeView view;
    float wheel = 0.0f;

private:
    AM_VST_base* plugin_;
    Teardown& teardown_;
    ERect rect_{0, 0, 400, 1000};
};

class PluginEditorTest : public PluginTest {
protected:
    AEffect* openWithEditor()
    {
        AEffect* e = open();
        editor = new ProbeEditor(&plugin(e), teardown);
        plugin(e).attachEditor(editor);
        return e;
    }
    static void openEditor(AEffect* e)
    {
        static int window = 0;
        ASSERT_EQ(dispatch(e, effEditOpen, 0, 0, &window), 1);
    }

    Teardown teardown;
    ProbeEditor* editor = nullptr;
};

TEST_F(PluginEditorTest, AttachedEditorIsAnnouncedAndOpened)
{
    AEffect* e = openWithEditor();
    EXPECT_NE(e->flags & effFlagsHasEditor, 0);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 1000);
    openEditor(e);
    EXPECT_TRUE(editor->isOpen());
}

TEST_F(PluginEditorTest, NotificationsArriveOnTheEditorsIdleCall)
{
    AEffect* e = openWithEditor();
    openEditor(e);
    const int32_t cutoff = id(e, "Kestan", "Cutoff");
    const int32_t published = engine(e).getPublishedIndex(cutoff);

    // Host automation and a learned controller on an audio thread of their
    // own: nothing reaches the editor there.
    plugin(e).setMidiLearnParameter(cutoff);
    std::thread audio([&] {
        e->setParameter(e, published, 0.5f);
        Player(e, host).send({{0, 0xB0, 30, 126}});
    });
    audio.join();
    dispatch(e, effSetProgramName, 0, 0, const_cast<char*>("Glass"));
    EXPECT_TRUE(editor->view.calls.empty());

    dispatch(e, effEditIdle);
    const auto& calls = editor->view.calls;
    ASSERT_EQ(calls.size(), 3u);
    const AM_ParamInfo* info = engine(e).getParameterDescriptor(cutoff, false);
    EXPECT_EQ(calls[0].what, "parameter");
    EXPECT_EQ(calls[0].index, published);
    EXPECT_TRUE(calls[0].published);
    EXPECT_FLOAT_EQ(calls[0].value, (info->max - info->min) * 0.5f + info->min);
    EXPECT_EQ(calls[1].what, "parameter");
    EXPECT_EQ(calls[1].index, cutoff);
    EXPECT_FALSE(calls[1].published);
    EXPECT_FLOAT_EQ(calls[1].value, info->max);
    EXPECT_EQ(calls[2].what, "name Glass");
    for (const ViewCall& call : calls)
        EXPECT_EQ(call.thread, std::this_thread::get_id());

    // A restored state is announced as a program change.
    EXPECT_EQ(setChunk(e, chunk(e, true), true), 1);
    dispatch(e, effEditIdle);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[3].what, "program");
}

TEST_F(PluginEditorTest, BankChunkWithAnotherNameRenamesTheProgramBeforeTheProgramChange)
{
    AEffect* e = openWithEditor();
    openEditor(e);
    const std::string state = chunk(e, true);
    const auto& calls = editor->view.calls;

    struct Case {
        const char* chunkName;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"Brass", {"name Brass", "program"}},
        // The same name again is no rename.
        {"Brass", {"program"}},
        {"initialize", {"name initialize", "program"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chunkName);
        editor->view.calls.clear();
        EXPECT_EQ(setChunk(e, std::string("#pgm=") + c.chunkName + "\n" + state, false), 1);
        dispatch(e, effEditIdle);
        std::vector<std::string> seen;
        for (const ViewCall& call : calls)
            seen.push_back(call.what);
        EXPECT_EQ(seen, c.expected);
    }
}

TEST_F(PluginEditorTest, NothingIsQueuedWhileTheEditorIsClosedAndAFullQueueDropsTheNewest)
{
    AEffect* e = openWithEditor();
    e->setParameter(e, 0, 0.5f);
    openEditor(e);
    dispatch(e, effEditIdle);
    EXPECT_TRUE(editor->view.calls.empty());

    const uint32_t capacity = AM_EditorNotificationQueue::kCapacity;
    for (uint32_t i = 0; i < capacity + 10; ++i)
        e->setParameter(e, 0, 0.001f * static_cast<float>(i));
    EXPECT_EQ(plugin(e).droppedNotifications(), 10u);
    dispatch(e, effEditIdle);
    EXPECT_EQ(editor->view.calls.size(), capacity);

    dispatch(e, effEditClose);
    e->setParameter(e, 0, 0.25f);
    openEditor(e);
    dispatch(e, effEditIdle);
    EXPECT_EQ(editor->view.calls.size(), capacity);
}

TEST_F(PluginEditorTest, WheelMessageReachesOnlyAnOpenEditor)
{
    AEffect* e = openWithEditor();
    const VstInt32 wheel = AM_VST_Edit::kWheelIndex;
    const VstIntPtr whee = AM_VST_Edit::kWheelValue;
    EXPECT_EQ(dispatch(e, effVendorSpecific, wheel, whee, nullptr, 2.0f), 0);
    openEditor(e);
    EXPECT_EQ(dispatch(e, effVendorSpecific, wheel, whee, nullptr, -1.5f), 1);
    EXPECT_EQ(editor->wheel, -1.5f);
    EXPECT_EQ(dispatch(e, effVendorSpecific, wheel + 1, whee, nullptr, 3.0f), 0);
    EXPECT_EQ(dispatch(e, effVendorSpecific, wheel, whee + 1, nullptr, 3.0f), 0);
    EXPECT_EQ(editor->wheel, -1.5f);
}

TEST_F(PluginEditorTest, ClosingWithTheEditorOpenDeletesTheEditorWhileTheEngineLives)
{
    AEffect* e = openWithEditor();
    openEditor(e);
    const int32_t parameters = e->numParams;
    close(e);
    EXPECT_TRUE(teardown.deleted);
    EXPECT_EQ(teardown.parametersSeen, parameters);
}

} // namespace
