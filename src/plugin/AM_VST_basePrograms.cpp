// The plug-in class: the one program and its name.
//
// The name field belongs to the host's other threads; a name chosen by a
// MIDI program change on the audio thread waits in a mailbox until one of
// them next asks for the name (or the chunk).

#include "plugin/AM_VST_base.h"

#include "plugin/vst/VstStrings.h"

#include <cstring>

namespace {

constexpr char kEllipsis[] = "...";

// The name as the host sees it: a name longer than 23 characters is cut to
// 20 and "..." (24 bytes with the terminator, the published limit).
void reportName(char* out, const char* name)
{
    const size_t length = vst::boundedLength(name, AM_VST_base::kProgramNameBytes);
    if (length <= AM_VST_base::kLongestProgramName) {
        vst::copyString(out, name, kVstMaxProgNameLen);
        return;
    }
    std::memcpy(out, name, AM_VST_base::kShortenedNameChars);
    std::memcpy(out + AM_VST_base::kShortenedNameChars, kEllipsis, sizeof(kEllipsis));
}

} // namespace

void AM_VST_base::takePendingProgramName()
{
    char name[AM_ProgramNameMailbox::kNameBytes];
    if (pendingProgramName_.take(name))
        storeProgramName(name, kLongestProgramName);
}

void AM_VST_base::storeProgramName(const char* name, uint32_t maxChars)
{
    const size_t length = vst::boundedLength(name, maxChars);
    std::memmove(programName_, name, length);
    std::memset(programName_ + length, 0, kProgramNameBytes - length);
}

void AM_VST_base::setProgram(VstInt32 program)
{
    programIndex_ = program;
}

void AM_VST_base::setProgramName(char* name)
{
    if (name == nullptr)
        return;
    takePendingProgramName();
    // At most the field's size: the host's text may be longer than its
    // published limit or unterminated.
    const size_t length = vst::boundedLength(name, kProgramNameBytes - 1);
    if (length == vst::boundedLength(programName_, kProgramNameBytes) &&
        std::memcmp(name, programName_, length) == 0)
        return;
    storeProgramName(name, kProgramNameBytes - 1);
    notifyEditor({AM_EditorNotification::kProgramNameChanged, 0, 0.0f, false});
}

void AM_VST_base::getProgramName(char* name)
{
    if (name == nullptr)
        return;
    takePendingProgramName();
    reportName(name, programName_);
}

bool AM_VST_base::getProgramNameIndexed(VstInt32, VstInt32, char* text)
{
    getProgramName(text);
    return true;
}

void AM_VST_base::presetChanged(const char* name)
{
    if (name == nullptr)
        return;
    takePendingProgramName();
    storeProgramName(name, kLongestProgramName);
    updateDisplay();
}
