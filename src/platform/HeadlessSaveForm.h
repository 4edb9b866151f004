#pragma once
// A preset-save form without a window that a test fills in:
//
//   form.setField(HeadlessSaveForm::Field::kName, "Bright Pad");
//   form.pressSave();
//
// setField replaces the field's text, cut to the form's limit for it.
//
// GUI thread only.

#include "platform/SaveForm.h"

#include <string>
#include <vector>

namespace platform {

class HeadlessSaveForm final : public SaveForm {
public:
    enum class Field { kName, kAuthor, kDescription, kUsage };

    bool open(const SaveFormFields& fields, const SaveFormLimits& limits,
              SaveFormClient* client) override;
    void showError(const std::string& text) override;
    void close() override;
    bool isOpen() const override { return client_ != nullptr; }

    void setField(Field field, const std::string& text);
    void pressSave();
    void pressCancel();

    // What the form shows now.
    const SaveFormFields& fields() const { return fields_; }
    const std::string& error() const { return error_; }
    // The fields of every opening, and every error shown.
    const std::vector<SaveFormFields>& openings() const { return openings_; }
    const std::vector<std::string>& errors() const { return errors_; }

private:
    SaveFormClient* client_ = nullptr;
    SaveFormFields fields_;
    SaveFormLimits limits_;
    std::string error_;
    std::vector<SaveFormFields> openings_;
    std::vector<std::string> errors_;
};

} // namespace platform
