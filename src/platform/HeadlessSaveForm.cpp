#include "platform/HeadlessSaveForm.h"

#include "platform/Utf8Limit.h"

namespace platform {

bool HeadlessSaveForm::open(const SaveFormFields& fields, const SaveFormLimits& limits,
                            SaveFormClient* client)
{
    close();
    client_ = client;
    fields_ = fields;
    limits_ = limits;
    openings_.push_back(fields);
    return true;
}

void HeadlessSaveForm::showError(const std::string& text)
{
    if (!isOpen()) {
        return;
    }
    error_ = text;
    if (!text.empty()) {
        errors_.push_back(text);
    }
}

void HeadlessSaveForm::close()
{
    client_ = nullptr;
    error_.clear();
}

void HeadlessSaveForm::setField(Field field, const std::string& text)
{
    std::string* target = nullptr;
    size_t limit = 0;
    switch (field) {
    case Field::kName:
        target = &fields_.name;
        limit = limits_.name;
        break;
    case Field::kAuthor:
        target = &fields_.author;
        limit = limits_.author;
        break;
    case Field::kDescription:
        target = &fields_.description;
        limit = limits_.description;
        break;
    case Field::kUsage:
        target = &fields_.usage;
        limit = limits_.usage;
        break;
    }
    *target = text.substr(0, utf8PrefixLength(text.data(), text.size(), limit));
}

void HeadlessSaveForm::pressSave()
{
    if (isOpen()) {
        // The client closes the form or keeps it open with an error.
        client_->saveFormAccepted(fields_);
    }
}

void HeadlessSaveForm::pressCancel()
{
    if (!isOpen()) {
        return;
    }
    SaveFormClient* client = client_;
    close();
    client->saveFormCancelled();
}

} // namespace platform
