#pragma once
// A three-button question without a window: it keeps every question asked
// and gives the answers a test scripted, in order. With nothing scripted,
// or after closeWindow, the question is closed without a button: kCancel.
//
// GUI thread only.

#include "platform/ThreeWayQuestion.h"

#include <deque>
#include <vector>

namespace platform {

class HeadlessThreeWayQuestion final : public ThreeWayQuestion {
public:
    QuestionAnswer ask(const QuestionText& question) override;

    void answer(QuestionAnswer answer);
    // The next question is closed without a button.
    void closeWindow();

    const std::vector<QuestionText>& asked() const { return asked_; }

private:
    // False: closed without a button.
    struct Scripted {
        bool button;
        QuestionAnswer answer;
    };
    std::deque<Scripted> script_;
    std::vector<QuestionText> asked_;
};

} // namespace platform
