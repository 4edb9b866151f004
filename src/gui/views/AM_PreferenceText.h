#pragma once
// The value of a stored preference in the UI preference file: its type,
// property and value joined by ':' ("type:property:value"). A ':' that
// belongs to one of the texts is written with a backslash before it; the
// backslash stays part of the text when it is read back.
//
// Any thread.

#include <string>
#include <vector>

// Longest joined text that is taken apart (longer text is cut first).
constexpr size_t kPreferenceTextChars = 254;

// Cuts text (at most kPreferenceTextChars of it) at every ':' that is not
// preceded by a backslash; a ':' in the first place never cuts. Answers the
// parts in order.
std::vector<std::string> AM_splitPreferenceText(const char* text);

// "type:property:value".
std::string AM_joinPreferenceText(const std::string& type, const std::string& property,
                                  const std::string& value);
