#include "editor/forms/AM_SaveFormOverlay.h"

#include "editor/forms/AM_FontSizeScope.h"
#include "editor/forms/AM_FormsLook.h"
#include "editor/forms/AM_TextFieldView.h"

#include "OverlayFixture.h"

#include <gtest/gtest.h>

namespace {

using formstest::OverlayFixture;
using namespace platform;

// A client that refuses the first save with an error and closes the form
// on the second, as the view manager does with a name that cannot be a
// file name.
struct FormClient : SaveFormClient {
    void saveFormAccepted(const SaveFormFields& fields) override
    {
        saved.push_back(fields);
        if (saved.size() == 1 && refuseFirst) {
            form->showError("A preset name cannot hold / or \\");
        } else {
            form->close();
        }
    }
    void saveFormCancelled() override { ++cancelled; }
    SaveForm* form = nullptr;
    bool refuseFirst = true;
    std::vector<SaveFormFields> saved;
    int cancelled = 0;
};

struct SaveFormTest : OverlayFixture {
    void openForm(SaveFormLimits limits = {})
    {
        client.form = &forms->saveForm();
        ASSERT_TRUE(forms->saveForm().open(SaveFormFields{"Warm Pad", "Someone",
                                                          "Slow strings\nwith a soft attack",
                                                          "Mod wheel opens the filter"},
                                           limits, &client));
    }
    AM_SaveFormOverlay& form() { return forms->saveFormOverlay(); }
    FormClient client;
};

TEST_F(SaveFormTest, LooksRightWithAnError)
{
    for (const float zoom : {1.0f, 2.0f}) {
        make(480, 360, zoom);
        client = FormClient{};
        openForm();
        key(kVirtualKeyEnd);
        type("/2");
        key(kVirtualKeyReturn);
        pump();
        ASSERT_EQ(client.saved.size(), 1u);
        EXPECT_TRUE(forms->saveForm().isOpen());
        EXPECT_EQ(compare(zoom == 1.0f ? "save_form_error_z1" : "save_form_error_z2"), "");
        forms->closeAll();
    }
}

// Texts longer than their fields open at their beginning; the caret walks
// through them and the view follows it. An error longer than a line wraps
// at spaces, every word shown, and the form grows to hold it.
TEST_F(SaveFormTest, LongTextsShowTheirBeginningAndLongErrorsEveryWord)
{
    const std::string longLine = "One saw through a resonant 24 dB filter with a snappy "
                                 "envelope and legato glide, for sixteenth-note lines";
    const std::string error = "Not saved: a preset of that name exists. Choose another name.";
    for (const float zoom : {1.0f, 2.0f}) {
        SCOPED_TRACE(zoom);
        make(480, 400, zoom);
        client = FormClient{};
        client.form = &forms->saveForm();
        ASSERT_TRUE(forms->saveForm().open(
            SaveFormFields{"A name longer than the field shows at once", "Someone", longLine,
                           longLine},
            {}, &client));
        for (int i = 0; i < AM_SaveFormOverlay::kFieldCount; ++i) {
            EXPECT_EQ(form().field(i).caret(), 0u) << i;
            EXPECT_EQ(form().fieldView(i).scrollX, 0.0f) << i;
        }
        const float oneLineHeight = form().overlayBounds().h;
        forms->saveForm().showError(error);
        const std::vector<std::string>& lines = form().errorLines();
        ASSERT_GT(lines.size(), 1u);
        std::string joined;
        {
            AM_FontSizeScope font(*frame, AM_FormsLook::kFontSize);
            for (const std::string& line : lines) {
                EXPECT_LE(AM_TextFieldView::measure(*frame, line), form().errorLine().w) << line;
                joined += (joined.empty() ? "" : " ") + line;
            }
        }
        EXPECT_EQ(joined, error);
        EXPECT_FLOAT_EQ(form().overlayBounds().h,
                        oneLineHeight + float(lines.size() - 1) * AM_FormsLook::kLineHeight);
        pump();
        EXPECT_EQ(compare(zoom == 1.0f ? "save_form_long_z1" : "save_form_long_z2"), "");

        // Into the description: all of it selected, its beginning shown.
        key(kVirtualKeyTab);
        key(kVirtualKeyTab);
        pump();
        ASSERT_EQ(form().focus(), 2);
        EXPECT_EQ(form().fieldView(2).scrollX, 0.0f);
        struct Step {
            int key;
            size_t caret;
            bool scrolled;
        } steps[] = {{kVirtualKeyEnd, longLine.size(), true},
                     {kVirtualKeyLeft, longLine.size() - 1, true},
                     {kVirtualKeyHome, 0, false},
                     {kVirtualKeyRight, 1, false}};
        for (const Step& step : steps) {
            key(step.key);
            pump();
            EXPECT_EQ(form().field(2).caret(), step.caret) << step.key;
            EXPECT_EQ(form().fieldView(2).scrollX > 0.0f, step.scrolled) << step.key;
        }
        forms->closeAll();
    }
}

// Tab walks the fields and buttons; what is typed lands in the focused
// field; Save hands over all four and the form stays open until the client
// closes it; nothing typed is lost when a save is refused.
TEST_F(SaveFormTest, TheFieldsAreFilledAndSaved)
{
    make(480, 360, 1.0f);
    openForm();
    type("Dark Pad");
    key(kVirtualKeyTab);
    type("Me");
    key(kVirtualKeyTab);
    type("and more");
    key(kVirtualKeyTab, 0, 0);
    key(kVirtualKeyTab, 0, kModifierShift);
    key(kVirtualKeyTab, 0, 0);
    type("Aftertouch too");
    key(kVirtualKeyReturn, 0, kModifierControl);
    pump();
    ASSERT_EQ(client.saved.size(), 1u);
    EXPECT_EQ(client.saved[0].name, "Dark Pad");
    EXPECT_EQ(client.saved[0].author, "Me");
    EXPECT_EQ(client.saved[0].description, "and more");
    EXPECT_EQ(client.saved[0].usage, "Aftertouch too");
    EXPECT_TRUE(forms->saveForm().isOpen());
    EXPECT_FALSE(form().error().empty());
    // The refused save kept everything; Save again closes it.
    clickMiddle(form().saveButton());
    pump();
    ASSERT_EQ(client.saved.size(), 2u);
    EXPECT_EQ(client.saved[1].usage, "Aftertouch too");
    EXPECT_FALSE(forms->saveForm().isOpen());
    EXPECT_EQ(client.cancelled, 0);
}

TEST_F(SaveFormTest, TheMultiLineFieldsKeepTheirLinesAndTheLimitsHold)
{
    make(480, 360, 1.0f);
    SaveFormLimits limits;
    limits.name = 4;
    openForm(limits);
    EXPECT_EQ(form().field(0).text(), "Warm");
    clickMiddle(form().fieldBox(2));
    key(kVirtualKeyReturn);
    type("x");
    key(kVirtualKeyTab, 0, kModifierShift);
    key(kVirtualKeyTab, 0, kModifierShift);
    type("Longer");
    // Focus on a button: Return presses it.
    key(kVirtualKeyTab, 0, kModifierShift);
    key(kVirtualKeyTab, 0, kModifierShift);
    EXPECT_TRUE(forms->saveForm().isOpen());
    key(kVirtualKeyReturn);
    pump();
    EXPECT_EQ(form().focus(), AM_SaveFormOverlay::kSave);
    ASSERT_EQ(client.saved.size(), 1u);
    EXPECT_EQ(client.saved[0].name, "Long");
    EXPECT_NE(client.saved[0].description.find('\n'), std::string::npos);
    EXPECT_NE(client.saved[0].description.find('x'), std::string::npos);
}

TEST_F(SaveFormTest, CancelEscapeAndCloseAll)
{
    make(480, 360, 1.0f);
    struct Case {
        const char* what;
        int how; // 0 Cancel button, 1 Escape, 2 closeAll
        int cancelled;
    } cases[] = {{"Cancel", 0, 1}, {"Escape", 1, 1}, {"closeAll", 2, 0}};
    const std::vector<uint8_t> before = windowPixels();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        client = FormClient{};
        openForm();
        if (c.how == 0) {
            clickMiddle(form().cancelButton());
        } else if (c.how == 1) {
            key(kVirtualKeyEscape);
        }
        pump();
        if (c.how == 2) {
            forms->closeAll();
        }
        EXPECT_FALSE(forms->saveForm().isOpen());
        EXPECT_EQ(client.cancelled, c.cancelled);
        EXPECT_TRUE(client.saved.empty());
        EXPECT_TRUE(windowPixels() == before);
    }
}

} // namespace
