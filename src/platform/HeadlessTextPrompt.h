#pragma once
// A text prompt without a window that a test types into:
//
//   prompt.type("abc");
//   prompt.pressReturn();   // the client gets "abc"
//
// The field starts with the request's text selected, so the first type()
// replaces it; later ones append. Line breaks typed into a single-line
// prompt are dropped, and typing stops at the request's byte limit (never
// inside a UTF-8 character).
//
// GUI thread only.

#include "platform/TextPrompt.h"

#include <string>
#include <vector>

namespace platform {

class HeadlessTextPrompt final : public TextPrompt {
public:
    bool open(const TextPromptRequest& request, TextPromptClient* client) override;
    void close() override;
    bool isOpen() const override { return client_ != nullptr; }

    // Keys of the user.
    void type(const std::string& text);
    // Single-line: accepts. Multi-line: a line break.
    void pressReturn();
    // The multi-line prompt's OK (accepts either form).
    void pressOk();
    void pressEscape();

    const std::string& text() const { return text_; }
    // Every request the prompt was opened with.
    const std::vector<TextPromptRequest>& requests() const { return requests_; }

private:
    void finish(bool accepted);

    TextPromptClient* client_ = nullptr;
    std::string text_;
    bool selected_ = false;
    std::vector<TextPromptRequest> requests_;
};

} // namespace platform
