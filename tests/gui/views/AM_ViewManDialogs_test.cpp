// The editor's dialogs: the text prompt round trip to the prompting control
// (message 43), the preset-save form and the "Preset exists" question.

#include "MenuFixture.h"
#include "TraceCapture.h"

#include "gui/views/AM_PromptText.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/UserName.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

using namespace viewtest;

namespace {

// A control that records message 43 and the text of its buffer then.
class PromptedControl : public AM_ViewControl {
public:
    using AM_ViewControl::AM_ViewControl;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        if (message == 43) {
            ended.push_back({arg, ptr, buffer});
        }
        AM_ViewControl::receiveMessage(sender, message, arg, ptr);
    }
    struct Ended {
        uint32_t arg;
        void* data;
        std::string text;
    };
    std::vector<Ended> ended;
    char buffer[8] = "old";
};

PromptedControl* addPrompted(AM_ViewMan* vm)
{
    const AM_Rect bounds{10, 20, 30, 12};
    auto* control = new PromptedControl(vm, &bounds);
    vm->registerControl(control, nullptr);
    return control;
}

TEST_F(EditorTest, APromptRoundTripReachesThePromptingControl)
{
    vm->setZoom(2.0f);
    PromptedControl* control = addPrompted(vm.get());
    int userValue = 0;
    EXPECT_TRUE(
        vm->beginTextEntry(control, 7, control->buffer, sizeof control->buffer, &userValue));
    ASSERT_TRUE(prompt.isOpen());
    const platform::TextPromptRequest& request = prompt.requests().back();
    EXPECT_EQ(request.text, "old");
    EXPECT_FALSE(request.multiLine);
    EXPECT_EQ(request.maxBytes, 7u);
    EXPECT_EQ(request.place.x, 20);
    EXPECT_EQ(request.place.y, 40);
    EXPECT_EQ(request.place.w, 60);
    EXPECT_EQ(request.place.h, 24);
    EXPECT_TRUE(vm->isTextEntryOpen());

    prompt.type("abc");
    prompt.pressReturn();
    ASSERT_EQ(control->ended.size(), 1u);
    EXPECT_EQ(control->ended[0].arg, 0u);
    EXPECT_EQ(control->ended[0].data, &userValue);
    EXPECT_EQ(control->ended[0].text, "abc");
    EXPECT_FALSE(vm->isTextEntryOpen());
}

// A prompt form that hands over whatever it is given, ignoring the limit.
class CarelessPrompt : public platform::TextPrompt {
public:
    bool open(const platform::TextPromptRequest&, platform::TextPromptClient* c) override
    {
        client = c;
        return true;
    }
    void close() override { client = nullptr; }
    bool isOpen() const override { return client != nullptr; }
    void accept(const std::string& text)
    {
        platform::TextPromptClient* c = client;
        client = nullptr;
        c->textPromptAccepted(text);
    }
    platform::TextPromptClient* client = nullptr;
};

TEST_F(EditorTest, TheResultIsBoundedByTheReceivingBuffer)
{
    testsupport::TraceCapture trace;
    PromptedControl* control = addPrompted(vm.get());
    vm->beginTextEntry(control, 0, control->buffer, sizeof control->buffer, nullptr);
    prompt.type("0123456789");
    EXPECT_EQ(prompt.text(), "0123456");
    prompt.pressReturn();
    EXPECT_EQ(control->ended.back().text, "0123456");

    // A form that ignores the limit cannot overrun the buffer either, nor
    // leave half a character in it.
    CarelessPrompt careless;
    AM_PlatformDialogs dialogs;
    dialogs.prompt = &careless;
    vm->setDialogs(dialogs);
    const std::string longText(5000, 'x');
    vm->beginTextEntry(control, 0, control->buffer, sizeof control->buffer, nullptr);
    careless.accept(longText);
    EXPECT_EQ(control->ended.back().text, "xxxxxxx");
    vm->beginTextEntry(control, 0, control->buffer, 4, nullptr);
    careless.accept("a\xC3\xA9\xC3\xA9");
    EXPECT_EQ(control->ended.back().text, "a\xC3\xA9");
    EXPECT_TRUE(trace.contains("the entered text was cut to 3 bytes"));
    vm->setDialogs({});
}

TEST(PromptTextTest, LineEndsAreLineFeedsInTheFieldAndBack)
{
    EXPECT_EQ(AM_toPromptText("a\r\nb\rc\nd", true), "a\nb\nc\nd");
    EXPECT_EQ(AM_toPromptText("a\r\nb\nc", false), "a b c");
    EXPECT_EQ(AM_toPromptText(nullptr, true), "");
    EXPECT_EQ(AM_fromPromptText("x\r\ny\rz\n"), "x\ny\nz\n");
}

TEST_F(EditorTest, AMultiLinePromptConvertsItsLineEnds)
{
    PromptedControl* control = addPrompted(vm.get());
    char text[32] = "one\r\ntwo";
    vm->beginTextEntry(control, 0, text, sizeof text, text, true);
    EXPECT_EQ(prompt.requests().back().text, "one\ntwo");
    EXPECT_TRUE(prompt.requests().back().multiLine);
    prompt.type("a");
    prompt.pressReturn();
    prompt.type("b");
    prompt.pressOk();
    EXPECT_STREQ(text, "a\nb");
    ASSERT_EQ(control->ended.size(), 1u);
    EXPECT_EQ(control->ended[0].data, text);
}

TEST_F(EditorTest, ACancelledReplacedOrOrphanedPromptDeliversNothing)
{
    PromptedControl* first = addPrompted(vm.get());
    PromptedControl* second = addPrompted(vm.get());
    vm->beginTextEntry(first, 0, first->buffer, sizeof first->buffer, nullptr);
    prompt.type("x");
    prompt.pressEscape();
    EXPECT_FALSE(vm->isTextEntryOpen());
    EXPECT_STREQ(first->buffer, "old");

    vm->beginTextEntry(first, 0, first->buffer, sizeof first->buffer, nullptr);
    vm->beginTextEntry(second, 0, second->buffer, sizeof second->buffer, nullptr);
    prompt.type("new");
    prompt.pressReturn();
    EXPECT_TRUE(first->ended.empty());
    ASSERT_EQ(second->ended.size(), 1u);

    vm->beginTextEntry(second, 0, second->buffer, sizeof second->buffer, nullptr);
    second->unlink();
    delete second;
    EXPECT_FALSE(prompt.isOpen());
    EXPECT_FALSE(vm->isTextEntryOpen());
    EXPECT_EQ(vm->getTextEntryControl(), nullptr);
}

TEST_F(EditorTest, RenameThroughAScriptedPromptValidatesTheName)
{
    addControl("Top", 0, 0);
    MenuControl* knob = addControl("Knob 1", 10, 10);
    knob->setEditMode(true);
    menus.choosePath({"Rename Control"});
    knob->rightPress(12, 12);
    ASSERT_TRUE(prompt.isOpen());
    EXPECT_EQ(prompt.requests().back().text, "Knob 1");
    EXPECT_EQ(prompt.requests().back().maxBytes, size_t(kGuiNameBytes - 1));
    prompt.type("Cutoff");
    prompt.pressReturn();
    EXPECT_STREQ(knob->getName(), "Cutoff");

    // A name that is too short or already taken is refused.
    for (const char* refused : {"ab", "Top"}) {
        menus.choosePath({"Rename Control"});
        knob->rightPress(12, 12);
        prompt.type(refused);
        prompt.pressReturn();
        EXPECT_STREQ(knob->getName(), "Cutoff") << refused;
    }
}

// An interface with the patch's meta texts and a recorded preset save.
class MetaInterface : public RecordingInterface {
public:
    static constexpr int32_t kMetaIndex = 40;

    MetaInterface()
    {
        for (int32_t i = 0; i < 3; ++i) {
            AM_ParamInfo& info = infos[i];
            std::memset(&info, 0, sizeof info);
            info.index = uint32_t(kMetaIndex + i);
            info.type = k_typeTextData;
            info.max = i == 0 ? 128.0f : 512.0f;
        }
    }
    AM_ParamInfo* findParameter(const char* module, const char* name) override
    {
        if (std::strcmp(module, "PCore") == 0 && std::strcmp(name, "MetaA") == 0) {
            return &infos[0];
        }
        return nullptr;
    }
    AM_ParamInfo* getParameterInfo(int32_t index, bool) override
    {
        const int32_t i = index - kMetaIndex;
        return i >= 0 && i < 3 ? &infos[i] : nullptr;
    }
    const void* getParameterValue(int32_t index) override
    {
        auto found = texts.find(index);
        return found != texts.end() ? found->second.c_str() : nullptr;
    }
    void setParameterValue(int32_t index, const void* value) override
    {
        texts[index] = static_cast<const char*>(value);
    }
    const char* getCurrentPresetName(const char*) override { return current.c_str(); }
    PresetSaveResult savePreset(char* name, const char* modulePath, bool force) override
    {
        saves.push_back(std::string(modulePath != nullptr ? modulePath : "patch") + ":" + name +
                        (force ? " forced" : ""));
        return saveResult;
    }
    PresetSaveResult saveSelectedModulePreset(const char* name, bool force) override
    {
        // A preset that exists is saved only as the question answers.
        if (!force && existing.count(name) != 0) {
            const int32_t answer = askThreeWay(name);
            if (answer == k_answerCancel) {
                return PresetSaveResult::kCancelled;
            }
            saves.push_back(std::string(name) +
                            (answer == k_answerOverwrite ? " overwritten" : " backed up"));
            return saveResult;
        }
        saves.push_back(std::string(name) + (force ? " forced" : ""));
        return saveResult;
    }

    std::set<std::string> existing;
    AM_ParamInfo infos[3];
    std::map<int32_t, std::string> texts;
    std::string current;
    std::vector<std::string> saves;
    PresetSaveResult saveResult = PresetSaveResult::kSaved;
};

class SaveFormTest : public EditorTest {
protected:
    SaveFormTest()
    {
        vm.reset();
        // The author typed at an earlier save is process-wide.
        AM_ViewMan::resetProcessState();
        meta = std::make_unique<MetaInterface>();
        vm = std::make_unique<EditorViewMan>(meta.get());
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        AM_PlatformDialogs dialogs;
        dialogs.saveForm = &form;
        dialogs.question = &question;
        vm->setDialogs(dialogs);
    }
    ~SaveFormTest() override { vm.reset(); }

    std::unique_ptr<MetaInterface> meta;
};

TEST_F(SaveFormTest, TheFormOpensWithThePresetNameAndThePatchTexts)
{
    testsupport::TraceCapture trace;
    meta->current = "Bright Pad";
    meta->texts[40] = "Ann \\\"A\\\"";
    meta->texts[41] = "warm\\nslow";
    meta->texts[42] = "use the wheel";
    EXPECT_TRUE(vm->presetSaveDialog("Osc1", "Save", nullptr));
    EXPECT_EQ(meta->selectedModules, std::vector<std::string>{"Osc1"});
    ASSERT_TRUE(form.isOpen());
    EXPECT_EQ(form.fields().name, "Bright Pad");
    EXPECT_EQ(form.fields().author, platform::currentUserName())
        << "the one saving signs, not the loaded preset's maker";
    EXPECT_EQ(form.fields().description, "warm\nslow");
    EXPECT_EQ(form.fields().usage, "use the wheel");
    EXPECT_TRUE(trace.contains("PCore:MetaA is id 40\n"));
}

TEST_F(SaveFormTest, WithoutAPresetNameTheFormTakesUntitledAndTheAuthorLastTyped)
{
    meta->texts[40] = "KestanK4 Factory";
    ASSERT_TRUE(vm->setAuthor("Sam"));
    vm->presetSaveDialog("Osc1", "Save", nullptr);
    EXPECT_EQ(form.fields().name, "untitled");
    EXPECT_EQ(form.fields().author, "Sam");
}

TEST_F(SaveFormTest, SaveStoresTheTextsEscapedAndSavesUnderTheName)
{
    testsupport::TraceCapture trace;
    vm->presetSaveDialog("Osc1", "Save", nullptr);
    form.setField(platform::HeadlessSaveForm::Field::kName, "Bright Pad");
    form.setField(platform::HeadlessSaveForm::Field::kAuthor, "Jo \"J\"");
    form.setField(platform::HeadlessSaveForm::Field::kDescription, "line 1\nline 2");
    form.setField(platform::HeadlessSaveForm::Field::kUsage, "wheel");
    form.pressSave();
    EXPECT_FALSE(form.isOpen());
    EXPECT_EQ(meta->saves, std::vector<std::string>{"Bright Pad"});
    EXPECT_EQ(meta->texts[40], "Jo \\\"J\\\"");
    EXPECT_EQ(meta->texts[41], "line 1\\nline 2");
    EXPECT_EQ(meta->texts[42], "wheel");
    EXPECT_STREQ(vm->getAuthor(), "Jo \\\"J\\\"");
    EXPECT_TRUE(trace.contains("MetaA'Jo \\\"J\\\"'\n"));
    EXPECT_TRUE(trace.contains("MetaD'line 1\\nline 2'\n"));
    EXPECT_TRUE(trace.contains("MetaU'wheel'\n"));
}

TEST_F(SaveFormTest, AFormOpenedWithoutAModuleSavesTheWholePatch)
{
    // Such a form once went to the selected module's save, which refuses
    // without a module: the whole patch could not be saved through it.
    vm->presetSaveDialog(nullptr, nullptr, nullptr);
    form.setField(platform::HeadlessSaveForm::Field::kName, "Whole");
    form.pressSave();
    EXPECT_FALSE(form.isOpen());
    vm->presetSaveDialog("Osc1", "Save", nullptr);
    form.setField(platform::HeadlessSaveForm::Field::kName, "Part");
    form.pressSave();
    EXPECT_EQ(meta->saves, (std::vector<std::string>{"patch:Whole", "Part"}));
}

TEST_F(SaveFormTest, LongTextsAreCutWithoutSplittingAnEscape)
{
    vm->presetSaveDialog("Osc1", "Save", nullptr);
    // 126 letters and a quote: the quote's escape would end past 127 bytes.
    form.setField(platform::HeadlessSaveForm::Field::kAuthor, std::string(126, 'a') + "\"");
    form.pressSave();
    EXPECT_EQ(meta->texts[40], std::string(126, 'a'));
}

TEST_F(SaveFormTest, TheNameTakesWhatTheLibrarySavesAndNoMore)
{
    // The library saves names of up to 63 bytes; the field stops there,
    // never inside a character.
    const std::string e = "\xc3\xa9"; // two bytes
    const struct {
        std::string typed;
        std::string saved;
    } cases[] = {
        {std::string(63, 'a'), std::string(63, 'a')},
        {std::string(70, 'a'), std::string(63, 'a')},
        {std::string(62, 'a') + e, std::string(62, 'a')},
        {std::string(61, 'a') + e, std::string(61, 'a') + e},
    };
    for (const auto& c : cases) {
        vm->presetSaveDialog("Osc1", "Save", nullptr);
        form.setField(platform::HeadlessSaveForm::Field::kName, c.typed);
        form.pressSave();
        EXPECT_FALSE(form.isOpen()) << c.typed;
        ASSERT_FALSE(meta->saves.empty());
        EXPECT_EQ(meta->saves.back(), c.saved);
    }
}

TEST_F(SaveFormTest, NamesThatCannotBeFileNamesKeepTheFormOpenAndChangeNothing)
{
    for (const char* name : {"", "..", "a/b", "back\\slash", "tab\there"}) {
        vm->presetSaveDialog("Osc1", "Save", nullptr);
        form.setField(platform::HeadlessSaveForm::Field::kName, name);
        form.setField(platform::HeadlessSaveForm::Field::kUsage, "changed");
        form.pressSave();
        EXPECT_TRUE(form.isOpen()) << name;
        EXPECT_FALSE(form.error().empty()) << name;
    }
    EXPECT_TRUE(meta->saves.empty());
    EXPECT_TRUE(meta->texts.empty());
}

TEST_F(SaveFormTest, ASaveThatDidNotHappenKeepsTheFormOpenWithItsReason)
{
    const PresetSaveResult results[] = {PresetSaveResult::kCancelled, PresetSaveResult::kRefused,
                                        PresetSaveResult::kFailed};
    for (const PresetSaveResult result : results) {
        meta->saveResult = result;
        vm->presetSaveDialog("Osc1", "Save", nullptr);
        form.setField(platform::HeadlessSaveForm::Field::kName, "Pad");
        form.pressSave();
        EXPECT_TRUE(form.isOpen());
        EXPECT_FALSE(form.error().empty());
    }
    meta->saveResult = PresetSaveResult::kSaved;
    form.pressSave();
    EXPECT_FALSE(form.isOpen());
    EXPECT_EQ(meta->saves.size(), 4u);
}

TEST_F(SaveFormTest, CancelSavesNothing)
{
    vm->presetSaveDialog("Osc1", "Save", nullptr);
    form.pressCancel();
    EXPECT_FALSE(form.isOpen());
    EXPECT_TRUE(meta->saves.empty());
    EXPECT_TRUE(meta->texts.empty());
}

// The question of a save that finds the preset is answered later: the save
// writes nothing and the form stays open without a note until the answer
// comes; then the save runs again as the answer says, or the form shows why
// nothing was saved.
TEST_F(SaveFormTest, AQuestionAnsweredLaterFinishesTheFormsSave)
{
    struct Case {
        platform::QuestionAnswer answer;
        const char* saved; // null: nothing
    };
    const Case cases[] = {
        {platform::QuestionAnswer::kOther, "Pad overwritten"},
        {platform::QuestionAnswer::kAccept, "Pad backed up"},
        {platform::QuestionAnswer::kCancel, nullptr},
    };
    meta->existing = {"Pad"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved != nullptr ? c.saved : "cancel");
        meta->saves.clear();
        question.hold();
        vm->presetSaveDialog("Osc1", "Save", nullptr);
        form.setField(platform::HeadlessSaveForm::Field::kName, "Pad");
        form.pressSave();
        EXPECT_TRUE(question.isAsking());
        EXPECT_TRUE(vm->isQuestionShown());
        EXPECT_TRUE(form.isOpen());
        EXPECT_EQ(form.error(), "");
        EXPECT_TRUE(meta->saves.empty());

        ASSERT_TRUE(question.answerHeld(c.answer));
        EXPECT_FALSE(vm->isQuestionShown());
        if (c.saved != nullptr) {
            EXPECT_EQ(meta->saves, std::vector<std::string>{c.saved});
            EXPECT_FALSE(form.isOpen());
        } else {
            EXPECT_TRUE(meta->saves.empty());
            EXPECT_TRUE(form.isOpen());
            EXPECT_NE(form.error().find("exists"), std::string::npos);
            form.pressCancel();
        }
    }
    // A later save of the same name asks again.
    question.answer(platform::QuestionAnswer::kOther);
    meta->saves.clear();
    vm->presetSaveDialog("Osc1", "Save", nullptr);
    form.setField(platform::HeadlessSaveForm::Field::kName, "Pad");
    form.pressSave();
    EXPECT_EQ(meta->saves, std::vector<std::string>{"Pad overwritten"});
    EXPECT_EQ(question.asked().size(), 4u);
}

// The form going away, or the view manager, takes its question down: a late
// answer saves nothing.
TEST_F(SaveFormTest, AQuestionGoesDownWithItsFormOrItsViewManager)
{
    meta->existing = {"Pad"};
    question.hold();
    vm->presetSaveDialog("Osc1", "Save", nullptr);
    form.setField(platform::HeadlessSaveForm::Field::kName, "Pad");
    form.pressSave();
    ASSERT_TRUE(question.isAsking());
    form.pressCancel();
    EXPECT_FALSE(question.isAsking());
    EXPECT_FALSE(question.answerHeld(platform::QuestionAnswer::kOther));
    EXPECT_TRUE(meta->saves.empty());

    question.hold();
    vm->presetSaveDialog("Osc1", "Save", nullptr);
    form.setField(platform::HeadlessSaveForm::Field::kName, "Pad");
    form.pressSave();
    ASSERT_TRUE(question.isAsking());
    vm.reset();
    EXPECT_FALSE(question.isAsking());
    EXPECT_TRUE(meta->saves.empty());
}

TEST_F(SaveFormTest, TheQuestionAnswersByItsButtonsAndCancelWhenClosedOtherwise)
{
    struct Case {
        bool closeWindow;
        platform::QuestionAnswer answer;
        int32_t expected;
    };
    const Case cases[] = {
        {false, platform::QuestionAnswer::kAccept, k_answerBackupAndSave},
        {false, platform::QuestionAnswer::kOther, k_answerOverwrite},
        {false, platform::QuestionAnswer::kCancel, k_answerCancel},
        {true, platform::QuestionAnswer::kCancel, k_answerCancel},
    };
    for (const Case& c : cases) {
        if (c.closeWindow) {
            question.closeWindow();
        } else {
            question.answer(c.answer);
        }
        EXPECT_EQ(vm->askThreeWay("Pad"), c.expected);
    }
    const platform::QuestionText& asked = question.asked().back();
    EXPECT_EQ(asked.title, "Preset exists");
    EXPECT_NE(asked.text.find("\"Pad\""), std::string::npos);
    EXPECT_EQ(asked.acceptButton, "Backup + Save");
    EXPECT_EQ(asked.cancelButton, "Cancel");
    EXPECT_EQ(asked.otherButton, "Overwrite");

    vm->setDialogs({});
    EXPECT_EQ(vm->askThreeWay("Pad"), k_answerCancel);
}

} // namespace

namespace {

// A control that copies the text message 43 hands it.
class TextTaker : public AM_ViewControl {
public:
    using AM_ViewControl::AM_ViewControl;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        if (message == 43 && ptr != nullptr) {
            taken.push_back(static_cast<const char*>(ptr));
        }
        AM_ViewControl::receiveMessage(sender, message, arg, ptr);
    }
    std::vector<std::string> taken;
};

TEST_F(EditorTest, WithoutABufferOrUserDataTheControlGetsTheAcceptedText)
{
    const AM_Rect bounds{0, 0, 50, 12};
    auto* label = new TextTaker(vm.get(), &bounds);
    vm->registerControl(label, nullptr);
    char shown[8] = "Label";
    vm->beginTextEntry(label, 0, shown, 0, nullptr);
    EXPECT_EQ(prompt.requests().back().text, "Label");
    prompt.type("a much longer text");
    prompt.pressReturn();
    ASSERT_EQ(label->taken.size(), 1u);
    EXPECT_EQ(label->taken[0], "a much longer text");
    EXPECT_STREQ(shown, "Label"); // no receiving buffer: left alone
}

} // namespace
