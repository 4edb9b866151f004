#pragma once
// A modal question with three buttons (such as "Backup + Save", "Cancel",
// "Overwrite"): ask shows it and waits for the answer. Closing the question
// any other way than with a button (Escape, the window going away) answers
// kCancel.
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

class ThreeWayQuestion {
public:
    virtual ~ThreeWayQuestion() = default;
    virtual QuestionAnswer ask(const QuestionText& question) = 0;
};

} // namespace platform
