// The view manager's side of the text prompt: remembering it, delivering it
// to the prompting control (message 43) and forgetting it. The platform
// view manager shows the field.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_PromptText.h"
#include "gui/views/AM_ViewMan.h"
#include "platform/Utf8Limit.h"

#include <string>
#include <utility>

namespace {

// The longest text a prompt hands over, terminator included.
constexpr size_t kPromptResultBytes = 1024;

} // namespace

bool AM_ViewMan::beginTextEntry(AM_ViewControl* control, uint32_t id, char* text,
                                uint32_t textBytes, void* userData, bool multiLine)
{
    if (textEntry_.open) {
        cancelTextEntry();
    }
    textEntry_.open = true;
    textEntry_.control = control;
    textEntry_.id = id;
    textEntry_.buffer = text;
    textEntry_.bufferBytes = text != nullptr ? textBytes : 0;
    textEntry_.userData = userData;
    textEntry_.multiLine = multiLine;
    return false;
}

void AM_ViewMan::endTextEntry()
{
    const TextEntry entry = textEntry_;
    std::string result;
    result.swap(textEntryResult_);
    textEntry_ = TextEntry{};
    // Forgotten first: the control may open the next prompt.
    if (entry.open && entry.control != nullptr) {
        void* data = entry.userData != nullptr ? entry.userData : result.data();
        entry.control->receiveMessage(this, kCtlMsgRename, 0, data);
    }
}

void AM_ViewMan::cancelTextEntry()
{
    textEntry_ = TextEntry{};
    textEntryResult_.clear();
}

void AM_ViewMan::acceptTextEntry(const std::string& text)
{
    if (!textEntry_.open) {
        return;
    }
    std::string result = AM_fromPromptText(text);
    result.resize(platform::utf8PrefixLength(result.data(), result.size(), kPromptResultBytes - 1));
    if (textEntry_.buffer != nullptr && textEntry_.bufferBytes > 0 &&
        !platform::copyUtf8Bounded(result, textEntry_.buffer, textEntry_.bufferBytes)) {
        AM_STD::printv("the entered text was cut to %d bytes\n", int(textEntry_.bufferBytes) - 1);
    }
    textEntryResult_ = std::move(result);
    endTextEntry();
}

void AM_ViewMan::showAlert(const char* title, const char* text)
{
    AM_STD::printv("%s: %s", title != nullptr ? title : "", text != nullptr ? text : "");
}

void AM_ViewMan::loadImages(const char* folder, uint32_t alternative)
{
    (void)folder;
    (void)alternative;
}
