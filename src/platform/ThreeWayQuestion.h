#pragma once
// A question with three buttons (such as "Backup + Save", "Cancel",
// "Overwrite"). Asking never holds the caller: the question is shown and
// the answer comes back through a callback once the user pressed a button.
// Closing the question any other way than with a button (Escape, the
// window going away, the editor closing) answers kCancel.
//
// GUI thread only.

#include <string>

namespace platform {

enum class QuestionAnswer {
    kAccept, // the first button (the default)
    kCancel, // the second button, or the question closed otherwise
    kOther,  // the third button
};

struct QuestionText {
    std::string title;
    std::string text;
    std::string acceptButton;
    std::string cancelButton;
    std::string otherButton;
};

// Told the answer of a question.
class ThreeWayQuestionClient {
public:
    virtual ~ThreeWayQuestionClient() = default;
    virtual void questionAnswered(QuestionAnswer answer) = 0;
};

class ThreeWayQuestion {
public:
    virtual ~ThreeWayQuestion() = default;
    // Shows the question and returns at once: the answer reaches the client
    // once, from a later call of the editor (its idle call handling the
    // click or key); a question answered at once (a test's) may answer
    // before ask returns. False when it cannot be shown (a question is open
    // already, the window is gone): the client hears nothing.
    virtual bool ask(const QuestionText& question, ThreeWayQuestionClient* client) = 0;
    // Takes the open question down; its client is told nothing.
    virtual void close() = 0;
    virtual bool isAsking() const = 0;
};

} // namespace platform
