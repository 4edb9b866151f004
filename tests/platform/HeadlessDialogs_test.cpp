// The headless menu presenter, text prompt, save form and question that
// tests script, and the UTF-8 cut they share.

#include "platform/HeadlessMenuPresenter.h"
#include "platform/HeadlessSaveForm.h"
#include "platform/HeadlessTextPrompt.h"
#include "platform/HeadlessThreeWayQuestion.h"
#include "platform/Utf8Limit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {

MenuEntry item(const std::string& text, uint32_t id, bool enabled = true)
{
    MenuEntry entry;
    entry.text = text;
    entry.id = id;
    entry.enabled = enabled;
    return entry;
}

PopupMenu sampleMenu()
{
    PopupMenu menu;
    menu.entries.push_back(item("Knob 1", 1));
    MenuEntry separator;
    separator.kind = MenuEntry::Kind::kSeparator;
    menu.entries.push_back(separator);
    MenuEntry learn = item("MidiLearn", 2);
    learn.checkable = true;
    learn.checked = true;
    menu.entries.push_back(learn);
    MenuEntry sub;
    sub.kind = MenuEntry::Kind::kSubmenu;
    sub.text = "Parameters";
    sub.children.push_back(item("Cutoff", 4));
    sub.children.push_back(separator);
    sub.children.push_back(item("Locked", 5, false));
    menu.entries.push_back(sub);
    return menu;
}

struct MenuAnswers : MenuClient {
    void menuClosed(uint32_t chosen) override { answers.push_back(chosen); }
    std::vector<uint32_t> answers;
};

// Opens the menu and answers what its client was told (the scripted menus
// answer before open returns).
uint32_t show(HeadlessMenuPresenter& menus, const PopupMenu& menu, int x, int y)
{
    MenuAnswers client;
    EXPECT_TRUE(menus.open(menu, x, y, &client));
    EXPECT_EQ(client.answers.size(), 1u);
    return client.answers.empty() ? kNoMenuChoice : client.answers.front();
}

} // namespace

TEST(HeadlessMenuPresenterTest, DescribesTheTreeWithChecksSeparatorsAndSubmenus)
{
    EXPECT_EQ(describeMenu(sampleMenu()), "Knob 1\n"
                                          "-\n"
                                          "[x] MidiLearn\n"
                                          "> Parameters\n"
                                          "  Cutoff\n"
                                          "  -\n"
                                          "  Locked (disabled)\n");
}

TEST(HeadlessMenuPresenterTest, AnswersTheScriptedChoicesInOrder)
{
    HeadlessMenuPresenter menus;
    menus.choosePath({"Parameters", "Cutoff"});
    menus.chooseNth(2);
    menus.chooseId(1);
    menus.dismiss();
    const PopupMenu menu = sampleMenu();
    EXPECT_EQ(show(menus, menu, 10, 20), 4u);
    EXPECT_EQ(show(menus, menu, 0, 0), 2u);
    EXPECT_EQ(show(menus, menu, 0, 0), 1u);
    EXPECT_EQ(show(menus, menu, 0, 0), kNoMenuChoice);
    // Nothing scripted: dismissed.
    EXPECT_EQ(show(menus, menu, 0, 0), kNoMenuChoice);
    EXPECT_EQ(menus.unmatchedChoices(), 0);
    ASSERT_EQ(menus.shown().size(), 5u);
    EXPECT_EQ(menus.shown()[0].x, 10);
    EXPECT_EQ(menus.shown()[0].y, 20);
}

// A held menu stays up, refuses a second menu, and tells its client once,
// when the test answers it; closed, it tells nothing.
TEST(HeadlessMenuPresenterTest, AHeldMenuStaysUpUntilAnswered)
{
    HeadlessMenuPresenter menus;
    menus.hold();
    menus.hold();
    const PopupMenu menu = sampleMenu();
    MenuAnswers client;
    ASSERT_TRUE(menus.open(menu, 0, 0, &client));
    EXPECT_TRUE(menus.isOpen());
    EXPECT_TRUE(client.answers.empty());
    MenuAnswers other;
    EXPECT_FALSE(menus.open(menu, 0, 0, &other));
    EXPECT_TRUE(menus.answerHeld(2));
    EXPECT_FALSE(menus.answerHeld(1));
    EXPECT_EQ(client.answers, std::vector<uint32_t>{2});
    EXPECT_TRUE(other.answers.empty());

    ASSERT_TRUE(menus.open(menu, 0, 0, &client));
    menus.close();
    EXPECT_FALSE(menus.isOpen());
    EXPECT_EQ(client.answers.size(), 1u);
    EXPECT_EQ(menus.shown().size(), 2u);
}

TEST(HeadlessMenuPresenterTest, ChoicesOfNothingChoosableAnswerNoChoice)
{
    HeadlessMenuPresenter menus;
    menus.choosePath({"Parameters", "Locked"}); // disabled
    menus.choosePath({"Parameters"});           // a submenu entry
    menus.chooseId(99);                         // no such item
    menus.chooseNth(3);                         // only two items at the top
    const PopupMenu menu = sampleMenu();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(show(menus, menu, 0, 0), kNoMenuChoice) << i;
    }
    EXPECT_EQ(menus.unmatchedChoices(), 4);
}

namespace {

struct PromptAnswers : TextPromptClient {
    void textPromptAccepted(const std::string& text) override { accepted.push_back(text); }
    void textPromptCancelled() override { ++cancelled; }
    std::vector<std::string> accepted;
    int cancelled = 0;
};

} // namespace

TEST(HeadlessTextPromptTest, TypingReplacesTheSelectedTextThenAppends)
{
    HeadlessTextPrompt prompt;
    PromptAnswers answers;
    ASSERT_TRUE(prompt.open({"old name", false, {}, 31}, &answers));
    prompt.type("ab");
    prompt.type("c");
    prompt.pressReturn();
    EXPECT_FALSE(prompt.isOpen());
    EXPECT_EQ(answers.accepted, std::vector<std::string>{"abc"});
    // Keys after the prompt closed go nowhere.
    prompt.type("x");
    prompt.pressReturn();
    EXPECT_EQ(answers.accepted.size(), 1u);
}

TEST(HeadlessTextPromptTest, SingleLineDropsLineBreaksAndMultiLineKeepsThem)
{
    HeadlessTextPrompt prompt;
    PromptAnswers answers;
    prompt.open({"", false, {}, 100}, &answers);
    prompt.type("a\nb\r\nc");
    prompt.pressReturn();
    prompt.open({"", true, {}, 100}, &answers);
    prompt.type("a");
    prompt.pressReturn();
    prompt.type("b");
    prompt.pressOk();
    EXPECT_EQ(answers.accepted, (std::vector<std::string>{"abc", "a\nb"}));
}

TEST(HeadlessTextPromptTest, TypingStopsAtTheLimitBeforeASplitCharacter)
{
    HeadlessTextPrompt prompt;
    PromptAnswers answers;
    prompt.open({"", false, {}, 4}, &answers);
    prompt.type("ab\xC3\xA9\xC3\xA9"); // "abéé": the second é would not fit whole
    EXPECT_EQ(prompt.text(), "ab\xC3\xA9");
}

TEST(HeadlessTextPromptTest, EscapeCancelsAndAnOpenPromptIsReplacedWithoutAnAnswer)
{
    HeadlessTextPrompt prompt;
    PromptAnswers first;
    PromptAnswers second;
    prompt.open({"one", false, {}, 31}, &first);
    prompt.open({"two", false, {}, 31}, &second);
    prompt.pressEscape();
    EXPECT_TRUE(first.accepted.empty());
    EXPECT_EQ(first.cancelled, 0);
    EXPECT_EQ(second.cancelled, 1);
    EXPECT_EQ(prompt.requests().size(), 2u);
}

namespace {

struct FormAnswers : SaveFormClient {
    explicit FormAnswers(SaveForm& form, bool closeOnSave) : form_(form), close_(closeOnSave) {}
    void saveFormAccepted(const SaveFormFields& fields) override
    {
        saved.push_back(fields);
        if (close_) {
            form_.close();
        } else {
            form_.showError("name taken");
        }
    }
    void saveFormCancelled() override { ++cancelled; }
    SaveForm& form_;
    bool close_;
    std::vector<SaveFormFields> saved;
    int cancelled = 0;
};

} // namespace

TEST(HeadlessSaveFormTest, SaveHandsTheFieldsOverAndTheClientDecidesWhetherItCloses)
{
    HeadlessSaveForm form;
    FormAnswers keepOpen(form, false);
    SaveFormLimits limits;
    limits.name = 5;
    form.open({"untitled", "me", "", ""}, limits, &keepOpen);
    form.setField(HeadlessSaveForm::Field::kName, "Bright Pad");
    form.setField(HeadlessSaveForm::Field::kUsage, "mod wheel");
    form.pressSave();
    ASSERT_EQ(keepOpen.saved.size(), 1u);
    EXPECT_EQ(keepOpen.saved[0].name, "Brigh"); // cut to the limit
    EXPECT_EQ(keepOpen.saved[0].author, "me");
    EXPECT_EQ(keepOpen.saved[0].usage, "mod wheel");
    EXPECT_TRUE(form.isOpen());
    EXPECT_EQ(form.error(), "name taken");

    form.pressCancel();
    EXPECT_FALSE(form.isOpen());
    EXPECT_EQ(keepOpen.cancelled, 1);

    FormAnswers closing(form, true);
    form.open({"x", "", "", ""}, {}, &closing);
    form.pressSave();
    EXPECT_FALSE(form.isOpen());
    EXPECT_EQ(closing.cancelled, 0);
}

namespace {

struct QuestionAnswers : ThreeWayQuestionClient {
    void questionAnswered(QuestionAnswer answer) override { answers.push_back(answer); }
    std::vector<QuestionAnswer> answers;
};

// Asks and answers what the client was told (scripted questions answer
// before ask returns).
QuestionAnswer ask(HeadlessThreeWayQuestion& question, const QuestionText& text)
{
    QuestionAnswers client;
    EXPECT_TRUE(question.ask(text, &client));
    EXPECT_EQ(client.answers.size(), 1u);
    return client.answers.empty() ? QuestionAnswer::kAccept : client.answers.front();
}

} // namespace

TEST(HeadlessThreeWayQuestionTest, ButtonsAnswerThemselvesAndEverythingElseIsCancel)
{
    HeadlessThreeWayQuestion question;
    question.answer(QuestionAnswer::kAccept);
    question.answer(QuestionAnswer::kOther);
    question.answer(QuestionAnswer::kCancel);
    question.closeWindow();
    const QuestionText text{"Preset exists", "Pad", "Backup + Save", "Cancel", "Overwrite"};
    EXPECT_EQ(ask(question, text), QuestionAnswer::kAccept);
    EXPECT_EQ(ask(question, text), QuestionAnswer::kOther);
    EXPECT_EQ(ask(question, text), QuestionAnswer::kCancel);
    EXPECT_EQ(ask(question, text), QuestionAnswer::kCancel);
    EXPECT_EQ(ask(question, text), QuestionAnswer::kCancel); // nothing scripted
    EXPECT_EQ(question.asked().size(), 5u);
}

// A held question stays open, refuses a second one, and answers its client
// once when the test answers; closed, it tells nothing.
TEST(HeadlessThreeWayQuestionTest, AHeldQuestionAnswersWhenTheTestDoes)
{
    HeadlessThreeWayQuestion question;
    question.hold();
    question.hold();
    const QuestionText text{"Preset exists", "Pad", "Backup + Save", "Cancel", "Overwrite"};
    QuestionAnswers client;
    ASSERT_TRUE(question.ask(text, &client));
    EXPECT_TRUE(question.isAsking());
    QuestionAnswers other;
    EXPECT_FALSE(question.ask(text, &other));
    EXPECT_TRUE(question.answerHeld(QuestionAnswer::kOther));
    EXPECT_FALSE(question.answerHeld(QuestionAnswer::kAccept));
    EXPECT_EQ(client.answers, std::vector<QuestionAnswer>{QuestionAnswer::kOther});
    ASSERT_TRUE(question.ask(text, &client));
    question.close();
    EXPECT_FALSE(question.isAsking());
    EXPECT_EQ(client.answers.size(), 1u);
    EXPECT_TRUE(other.answers.empty());
}

TEST(Utf8LimitTest, CopiesAreCutBeforeASplitCharacterAndAlwaysTerminated)
{
    struct Case {
        std::string text;
        size_t bytes;
        std::string expected;
        bool whole;
    };
    const Case cases[] = {
        {"abc", 4, "abc", true},
        {"abcd", 4, "abc", false},
        {"a\xC3\xA9", 3, "a", false},                           // é needs two bytes
        {"\xE2\x82\xAC\xE2\x82\xAC", 5, "\xE2\x82\xAC", false}, // €€
        {"", 1, "", true},
    };
    for (const Case& c : cases) {
        char buffer[16];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        EXPECT_EQ(copyUtf8Bounded(c.text, buffer, c.bytes), c.whole) << c.text;
        EXPECT_EQ(std::string(buffer), c.expected) << c.text;
    }
    char untouched = 'x';
    EXPECT_FALSE(copyUtf8Bounded("a", &untouched, 0));
    EXPECT_EQ(untouched, 'x');
}
