// The editor's dialogs: the text prompt over the prompting control, the
// preset-save form and the "Preset exists" question.

#include "foundation/AM_STD.h"
#include "gui/views/AM_AGG_ViewMan.h"
#include "gui/views/AM_ImageFolderScan.h"
#include "gui/views/AM_PromptText.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/ThreeWayQuestion.h"
#include "platform/UserName.h"
#include "platform/Utf8Limit.h"
#include "presets/AM_View_Interface.h"
#include "presets/library/ModulePresetList.h"
#include "presets/library/PresetNameRules.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The module and parameter that hold the patch's author; description and
// usage are the two parameters after it.
constexpr char kMetaModule[] = "PCore";
constexpr char kMetaAuthor[] = "MetaA";
constexpr int32_t kMetaTexts = 3;
// Bytes of the stored (escaped) texts, terminator not counted.
constexpr size_t kMetaAuthorBytes = 127;
constexpr size_t kMetaTextBytes = 511;
// The preset name's limit, terminator not counted: what the library saves.
constexpr size_t kPresetNameBytes = ModulePresetList::kMaxPresetNameBytes;
constexpr char kUntitled[] = "untitled";
constexpr char kExistsNote[] = "Not saved: a preset of that name exists. Choose another name.";

// The stored text of a text parameter, unescaped, with LF line ends.
std::string storedText(AM_View_Interface* interface, int32_t index, bool multiLine)
{
    const AM_ParamInfo* info = interface->getParameterInfo(index);
    const auto* text = static_cast<const char*>(interface->getParameterValue(index));
    if (info == nullptr || text == nullptr || info->max < 1.0f) {
        return {};
    }
    std::vector<char> buffer(size_t(info->max) + 1, 0);
    std::memcpy(buffer.data(), text, strnlen(text, size_t(info->max)));
    AM_STD::unescapeString(buffer.data());
    return AM_toPromptText(buffer.data(), multiLine);
}

// The text escaped for storing and cut to maxBytes without splitting an
// escape or a character.
std::string escapedText(const std::string& text, size_t maxBytes)
{
    std::vector<char> buffer(text.size() * 2 + 1, 0);
    std::memcpy(buffer.data(), text.data(), text.size());
    AM_STD::escapeString(buffer.data(), uint32_t(buffer.size()));
    const size_t length = std::strlen(buffer.data());
    size_t cut = platform::utf8PrefixLength(buffer.data(), length, maxBytes);
    if (cut < length) {
        size_t backslashes = 0;
        while (backslashes < cut && buffer[cut - 1 - backslashes] == '\\') {
            ++backslashes;
        }
        if (backslashes % 2 != 0) {
            --cut;
        }
    }
    return std::string(buffer.data(), cut);
}

} // namespace

bool AM_AGG_ViewMan::beginTextEntry(AM_ViewControl* control, uint32_t id, char* text,
                                    uint32_t textBytes, void* userData, bool multiLine)
{
    if (dialogs_.prompt != nullptr && dialogs_.prompt->isOpen()) {
        dialogs_.prompt->close();
    }
    AM_ViewMan::beginTextEntry(control, id, text, textBytes, userData, multiLine);
    if (dialogs_.prompt == nullptr) {
        AM_STD::printv("no text prompt: the entry is not shown\n");
        cancelTextEntry();
        return false;
    }
    platform::TextPromptRequest request;
    request.text = AM_toPromptText(text, multiLine);
    request.multiLine = multiLine;
    if (text != nullptr && textBytes > 0) {
        request.maxBytes = textBytes - 1;
    }
    if (control != nullptr) {
        const AM_Rect bounds = control->getBounds();
        const float zoom = getZoom();
        request.place.x = int(std::floor(bounds.x * zoom));
        request.place.y = int(std::floor(bounds.y * zoom));
        request.place.w = int(std::ceil(bounds.w * zoom));
        request.place.h = int(std::ceil(bounds.h * zoom));
    }
    if (!dialogs_.prompt->open(request, this)) {
        AM_STD::printv("the text prompt could not be opened\n");
        AM_ViewMan::cancelTextEntry();
        return false;
    }
    return true;
}

void AM_AGG_ViewMan::endTextEntry()
{
    if (dialogs_.prompt != nullptr && dialogs_.prompt->isOpen()) {
        dialogs_.prompt->close();
    }
    AM_ViewMan::endTextEntry();
}

void AM_AGG_ViewMan::cancelTextEntry()
{
    if (dialogs_.prompt != nullptr && dialogs_.prompt->isOpen()) {
        dialogs_.prompt->close();
    }
    AM_ViewMan::cancelTextEntry();
}

void AM_AGG_ViewMan::textPromptAccepted(const std::string& text)
{
    acceptTextEntry(text);
}

void AM_AGG_ViewMan::textPromptCancelled()
{
    AM_ViewMan::cancelTextEntry();
}

bool AM_AGG_ViewMan::presetSaveDialog(const char* modulePath, const char* title, const char* name)
{
    AM_ViewMan::presetSaveDialog(modulePath, title, name);
    if (dialogs_.saveForm == nullptr || interface_ == nullptr) {
        AM_STD::printv("no preset-save form: nothing is saved\n");
        return false;
    }
    saveFormForPatch_ = modulePath == nullptr;
    platform::SaveFormFields fields;
    const char* current = interface_->getCurrentPresetName(modulePath);
    fields.name = current != nullptr && current[0] != 0 ? current : kUntitled;
    metaAuthorIndex_ = -1;
    if (const AM_ParamInfo* author = interface_->findParameter(kMetaModule, kMetaAuthor)) {
        metaAuthorIndex_ = int32_t(author->index);
        AM_STD::printv("PCore:MetaA is id %d\n", metaAuthorIndex_);
        fields.description = storedText(interface_, metaAuthorIndex_ + 1, true);
        fields.usage = storedText(interface_, metaAuthorIndex_ + 2, true);
    }
    // The one saving signs: the name typed at the last save, else the
    // login's. The patch's own author (a loaded preset's maker) is not
    // offered, so nobody signs another's name by leaving the field alone.
    std::vector<char> author(kMetaAuthorBytes + 1, 0);
    std::strncpy(author.data(), getAuthor(), kMetaAuthorBytes);
    AM_STD::unescapeString(author.data());
    fields.author = AM_toPromptText(author.data(), false);
    if (fields.author.empty()) {
        fields.author = AM_toPromptText(platform::currentUserName().c_str(), false);
    }
    fields.author.resize(
        platform::utf8PrefixLength(fields.author.data(), fields.author.size(), kMetaAuthorBytes));
    platform::SaveFormLimits limits;
    limits.name = kPresetNameBytes;
    limits.author = kMetaAuthorBytes;
    limits.description = kMetaTextBytes;
    limits.usage = kMetaTextBytes;
    if (!dialogs_.saveForm->open(fields, limits, this)) {
        AM_STD::printv("the preset-save form could not be opened\n");
        return false;
    }
    return true;
}

void AM_AGG_ViewMan::saveFormAccepted(const platform::SaveFormFields& fields)
{
    platform::SaveForm* form = dialogs_.saveForm;
    if (form == nullptr || interface_ == nullptr) {
        return;
    }
    if (fields.name.size() > kPresetNameBytes) {
        form->showError("Not saved: the name is too long. A preset name takes at most " +
                        std::to_string(kPresetNameBytes) +
                        " bytes (a character outside ASCII takes two to four).");
        return;
    }
    if (!isValidPathComponent(fields.name.c_str(), kPresetNameBytes, "preset")) {
        form->showError("A preset name must not be empty, \".\" or \"..\", nor hold '/', '\\' "
                        "or control characters.");
        return;
    }
    const std::string author = escapedText(fields.author, kMetaAuthorBytes);
    const std::string description = escapedText(fields.description, kMetaTextBytes);
    const std::string usage = escapedText(fields.usage, kMetaTextBytes);
    AM_STD::printv("MetaA'%s'\n", author.c_str());
    AM_STD::printv("MetaD'%s'\n", description.c_str());
    AM_STD::printv("MetaU'%s'\n", usage.c_str());
    if (metaAuthorIndex_ >= 0) {
        const std::string* texts[kMetaTexts] = {&author, &description, &usage};
        for (int32_t i = 0; i < kMetaTexts; ++i) {
            interface_->setParameterValue(metaAuthorIndex_ + i, texts[i]->c_str());
        }
    }
    setAuthor(author.c_str());
    // A form opened without a module saves into the whole patch's list; a
    // module's form only into that module's.
    PresetSaveResult result = PresetSaveResult::kRefused;
    if (saveFormForPatch_) {
        std::vector<char> name(fields.name.begin(), fields.name.end());
        name.resize(std::max<size_t>(name.size(), kPresetNameBytes) + 2, '\0');
        result = interface_->savePreset(name.data(), nullptr, false);
    } else {
        result = interface_->saveSelectedModulePreset(fields.name.c_str(), false);
    }
    switch (result) {
    case PresetSaveResult::kSaved:
    case PresetSaveResult::kNothing:
        form->close();
        break;
    case PresetSaveResult::kCancelled:
        if (questionPending_) {
            // The question is up: the save runs again with its answer.
            waitingSave_ = fields;
            break;
        }
        form->showError(kExistsNote);
        break;
    case PresetSaveResult::kRefused:
    case PresetSaveResult::kFailed:
        form->showError(presetSaveFailureText(result));
        break;
    }
}

void AM_AGG_ViewMan::saveFormCancelled()
{
    metaAuthorIndex_ = -1;
    // A question of the form's save goes with it.
    if (waitingSave_) {
        closeQuestion();
    }
}

namespace {

int32_t interfaceAnswer(platform::QuestionAnswer answer)
{
    switch (answer) {
    case platform::QuestionAnswer::kAccept:
        return k_answerBackupAndSave;
    case platform::QuestionAnswer::kOther:
        return k_answerOverwrite;
    case platform::QuestionAnswer::kCancel:
        break;
    }
    return k_answerCancel;
}

} // namespace

int32_t AM_AGG_ViewMan::askThreeWay(const char* name)
{
    const std::string asked = name != nullptr ? name : "";
    // The save that waited for the question runs again with its answer.
    if (givenAnswer_ && asked == questionName_) {
        const int32_t answer = *givenAnswer_;
        givenAnswer_.reset();
        return answer;
    }
    platform::ThreeWayQuestion* question = dialogs_.question;
    if (question == nullptr) {
        AM_STD::printv("no question dialog: answered Cancel\n");
        return k_answerCancel;
    }
    if (questionShown_ || question->isAsking()) {
        AM_STD::printv("a question is open already: answered Cancel\n");
        return k_answerCancel;
    }
    platform::QuestionText text;
    text.title = "Preset exists";
    text.text = "The preset \"" + asked + "\" exists already. Keep a backup of it, or overwrite it?";
    text.acceptButton = "Backup + Save";
    text.cancelButton = "Cancel";
    text.otherButton = "Overwrite";
    questionShown_ = true;
    questionPending_ = false;
    immediateAnswer_.reset();
    questionName_ = asked;
    if (!question->ask(text, this)) {
        questionShown_ = false;
        return k_answerCancel;
    }
    if (immediateAnswer_) {
        // Answered before ask returned.
        const platform::QuestionAnswer answer = *immediateAnswer_;
        immediateAnswer_.reset();
        return interfaceAnswer(answer);
    }
    // The answer comes on a later call: nothing is written now.
    questionPending_ = true;
    return k_answerCancel;
}

void AM_AGG_ViewMan::questionAnswered(platform::QuestionAnswer answer)
{
    if (!questionShown_) {
        return;
    }
    questionShown_ = false;
    if (!questionPending_) {
        immediateAnswer_ = answer;
        return;
    }
    questionPending_ = false;
    std::optional<platform::SaveFormFields> fields = std::move(waitingSave_);
    waitingSave_.reset();
    platform::SaveForm* form = dialogs_.saveForm;
    if (!fields || form == nullptr || !form->isOpen()) {
        AM_STD::printv("the question was answered, but no save waits for it\n");
        return;
    }
    if (answer == platform::QuestionAnswer::kCancel) {
        form->showError(kExistsNote);
        return;
    }
    givenAnswer_ = interfaceAnswer(answer);
    saveFormAccepted(*fields);
    givenAnswer_.reset();
}

void AM_AGG_ViewMan::closeQuestion()
{
    if (questionShown_ && dialogs_.question != nullptr && dialogs_.question->isAsking()) {
        dialogs_.question->close();
    }
    questionShown_ = false;
    questionPending_ = false;
    immediateAnswer_.reset();
    waitingSave_.reset();
    givenAnswer_.reset();
}

void AM_AGG_ViewMan::loadImages(const char* folder, uint32_t alternative)
{
    if (folder == nullptr) {
        return;
    }
    AM_ImageFolderScan(*this, alternative).scan(folder);
}
