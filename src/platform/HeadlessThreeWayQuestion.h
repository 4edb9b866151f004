#pragma once
// A three-button question without a window: it keeps every question asked
// and gives the answers a test scripted, in order, before ask returns. With
// nothing scripted, or after closeWindow, the question is closed without a
// button: kCancel. hold keeps the next question open until the test
// answers it with answerHeld.
//
// GUI thread only.

#include "platform/ThreeWayQuestion.h"

#include <deque>
#include <vector>

namespace platform {

class HeadlessThreeWayQuestion final : public ThreeWayQuestion {
public:
    bool ask(const QuestionText& question, ThreeWayQuestionClient* client) override;
    void close() override;
    bool isAsking() const override { return held_; }

    void answer(QuestionAnswer answer);
    // The next question is closed without a button.
    void closeWindow();
    // The next question stays open.
    void hold();
    // Answers the question held open; false when none is.
    bool answerHeld(QuestionAnswer answer);

    const std::vector<QuestionText>& asked() const { return asked_; }

private:
    enum class Step { kButton, kClosed, kHold };
    struct Scripted {
        Step step;
        QuestionAnswer answer;
    };
    std::deque<Scripted> script_;
    std::vector<QuestionText> asked_;
    bool held_ = false;
    ThreeWayQuestionClient* heldClient_ = nullptr;
};

} // namespace platform
