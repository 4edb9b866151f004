#include "platform/HeadlessTextPrompt.h"

#include "platform/Utf8Limit.h"

namespace platform {

bool HeadlessTextPrompt::open(const TextPromptRequest& request, TextPromptClient* client)
{
    close();
    requests_.push_back(request);
    client_ = client;
    text_ = request.text;
    selected_ = true;
    return true;
}

void HeadlessTextPrompt::close()
{
    client_ = nullptr;
    text_.clear();
    selected_ = false;
}

void HeadlessTextPrompt::type(const std::string& text)
{
    if (!isOpen()) {
        return;
    }
    if (selected_) {
        text_.clear();
        selected_ = false;
    }
    std::string typed = text;
    if (!requests_.back().multiLine) {
        std::erase_if(typed, [](char c) { return c == '\n' || c == '\r'; });
    }
    text_ += typed;
    text_.resize(utf8PrefixLength(text_.data(), text_.size(), requests_.back().maxBytes));
}

void HeadlessTextPrompt::pressReturn()
{
    if (isOpen() && requests_.back().multiLine) {
        type("\n");
        return;
    }
    finish(true);
}

void HeadlessTextPrompt::pressOk()
{
    finish(true);
}

void HeadlessTextPrompt::pressEscape()
{
    finish(false);
}

void HeadlessTextPrompt::finish(bool accepted)
{
    if (!isOpen()) {
        return;
    }
    TextPromptClient* client = client_;
    const std::string text = text_;
    close();
    // The client may open the next prompt while it handles the answer.
    if (accepted) {
        client->textPromptAccepted(text);
    } else {
        client->textPromptCancelled();
    }
}

} // namespace platform
