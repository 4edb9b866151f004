#include "platform/HeadlessThreeWayQuestion.h"

namespace platform {

QuestionAnswer HeadlessThreeWayQuestion::ask(const QuestionText& question)
{
    asked_.push_back(question);
    if (script_.empty()) {
        return QuestionAnswer::kCancel;
    }
    const Scripted next = script_.front();
    script_.pop_front();
    return next.button ? next.answer : QuestionAnswer::kCancel;
}

void HeadlessThreeWayQuestion::answer(QuestionAnswer answer)
{
    script_.push_back({true, answer});
}

void HeadlessThreeWayQuestion::closeWindow()
{
    script_.push_back({false, QuestionAnswer::kCancel});
}

} // namespace platform
