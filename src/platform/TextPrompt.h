#pragma once
// The editor's text prompt: a modeless entry field over a place of the
// editor's window, single- or multi-line. While it is open it takes the
// keys; Return (in the multi-line form, its OK) accepts the text and
// Escape cancels. The answer reaches the client once, then the prompt is
// closed. Text is UTF-8 with LF line ends.
//
// The X11 prompt is drawn inside the editor's window; HeadlessTextPrompt is
// typed into by a test.
//
// GUI thread only.

#include "platform/Surface.h"

#include <cstddef>
#include <string>

namespace platform {

struct TextPromptRequest {
    // The text the field starts with (selected, so typing replaces it).
    std::string text;
    bool multiLine = false;
    // Where the field is placed, window pixels.
    PixelRect place;
    // The most bytes the answer may have; typing stops there.
    size_t maxBytes = 1023;
};

class TextPromptClient {
public:
    virtual ~TextPromptClient() = default;
    // The user accepted the text.
    virtual void textPromptAccepted(const std::string& text) = 0;
    // The user cancelled the prompt.
    virtual void textPromptCancelled() = 0;
};

class TextPrompt {
public:
    virtual ~TextPrompt() = default;
    // Opens the prompt for the client; a prompt that is open already is
    // closed first without an answer. False when it cannot be shown.
    virtual bool open(const TextPromptRequest& request, TextPromptClient* client) = 0;
    // Closes the prompt without an answer.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

} // namespace platform
