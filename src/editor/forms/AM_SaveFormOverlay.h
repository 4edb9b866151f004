#pragma once
// The preset-save form drawn in the middle of the editor's window: Name and
// Author on one line each, Description and Usage on several (each field
// opens showing the beginning of its text), the lines of an error the
// client shows (wrapped at spaces; the form grows with them), and Save and
// Cancel. Tab and Shift+Tab walk the fields and buttons; Return saves (in
// the multi-line fields it starts a new line, Control+Return saves); Escape
// cancels. Save leaves the form open until the client closes it, so nothing
// typed is lost when the save is refused. While open it takes every pointer
// and key event.
//
// GUI thread only.

#include "editor/forms/AM_Overlay.h"
#include "editor/forms/AM_TextField.h"
#include "editor/forms/AM_TextFieldView.h"
#include "platform/SaveForm.h"

#include <array>
#include <string>
#include <vector>

class AM_OverlaySurface;

class AM_SaveFormOverlay final : public platform::SaveForm, public AM_Overlay {
public:
    explicit AM_SaveFormOverlay(AM_OverlaySurface& surface);
    ~AM_SaveFormOverlay() override;

    bool open(const platform::SaveFormFields& fields, const platform::SaveFormLimits& limits,
              platform::SaveFormClient* client) override;
    void showError(const std::string& text) override;
    void close() override;
    bool isOpen() const override { return open_; }

    bool overlayShown() const override { return open_; }
    AM_Rect overlayBounds() const override { return bounds_; }
    void drawOverlay(AM_AGG_Context& context, bool caretOn) override;
    bool overlayEvent(const platform::WindowEvent& event) override;

    static constexpr int kFieldCount = 4;
    // Focus: the fields 0..3 (name, author, description, usage), then Save
    // (4) and Cancel (5).
    static constexpr int kSave = 4;
    static constexpr int kCancel = 5;
    int focus() const { return focus_; }
    const AM_TextField& field(int i) const { return fields_[static_cast<size_t>(i)]; }
    const AM_Rect& fieldBox(int i) const { return views_[static_cast<size_t>(i)].box; }
    const AM_Rect& saveButton() const { return save_; }
    const AM_Rect& cancelButton() const { return cancel_; }
    const std::string& error() const { return error_; }
    // The error as drawn: its lines, and where the first is.
    const std::vector<std::string>& errorLines() const { return errorLines_; }
    const AM_Rect& errorLine() const { return errorLine_; }
    const AM_TextFieldView& fieldView(int i) const { return views_[static_cast<size_t>(i)]; }
    platform::SaveFormFields values() const;

private:
    void layout();
    void save();
    void cancel();
    void changed();
    void setFocus(int focus);
    int buttonAt(float x, float y) const;

    AM_OverlaySurface& surface_;
    std::array<AM_TextField, kFieldCount> fields_;
    std::array<AM_TextFieldView, kFieldCount> views_;
    AM_Rect bounds_{};
    AM_Rect save_{};
    AM_Rect cancel_{};
    AM_Rect errorLine_{};
    std::string error_;
    std::vector<std::string> errorLines_;
    platform::SaveFormClient* client_ = nullptr;
    bool open_ = false;
    int focus_ = 0;
    int pressed_ = -1;
    bool selecting_ = false;
};
