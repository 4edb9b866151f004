#include "platform/HeadlessThreeWayQuestion.h"

namespace platform {

bool HeadlessThreeWayQuestion::ask(const QuestionText& question, ThreeWayQuestionClient* client)
{
    if (held_) {
        return false;
    }
    asked_.push_back(question);
    QuestionAnswer answer = QuestionAnswer::kCancel;
    if (!script_.empty()) {
        const Scripted next = script_.front();
        script_.pop_front();
        if (next.step == Step::kHold) {
            held_ = true;
            heldClient_ = client;
            return true;
        }
        if (next.step == Step::kButton) {
            answer = next.answer;
        }
    }
    if (client != nullptr) {
        client->questionAnswered(answer);
    }
    return true;
}

void HeadlessThreeWayQuestion::close()
{
    held_ = false;
    heldClient_ = nullptr;
}

bool HeadlessThreeWayQuestion::answerHeld(QuestionAnswer answer)
{
    if (!held_) {
        return false;
    }
    ThreeWayQuestionClient* client = heldClient_;
    close();
    if (client != nullptr) {
        client->questionAnswered(answer);
    }
    return true;
}

void HeadlessThreeWayQuestion::answer(QuestionAnswer answer)
{
    script_.push_back({Step::kButton, answer});
}

void HeadlessThreeWayQuestion::closeWindow()
{
    script_.push_back({Step::kClosed, QuestionAnswer::kCancel});
}

void HeadlessThreeWayQuestion::hold()
{
    script_.push_back({Step::kHold, QuestionAnswer::kCancel});
}

} // namespace platform
