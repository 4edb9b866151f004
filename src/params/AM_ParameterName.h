#pragma once
// The "module:parameter" names of the start-up files (the MIDI controller
// map and the published-parameter numbering): a module short name and a
// parameter short name, each at most 7 characters, separated by ':'.
//
// Pure; any thread.

#include <cstdint>

// Short names of at most 7 characters and a terminator.
constexpr int32_t k_nameFieldBytes = 8;

// What ends the parameter short name, besides the end of the text: a blank
// (the controller map, whose word is "module:parameter"), or a blank or a
// ':' (the published numbering, whose lines may read "module:parameter:").
enum class AM_ParameterNameEnd { kBlank, kBlankOrColon };

// Splits text at the first ':', which must stand within its first 8
// characters: the module short name before it, the parameter short name
// after it up to the first character that ends it. False (both outputs
// empty) when there is no such ':' or when the parameter name is longer
// than 7 characters; the outputs are always terminated.
bool AM_splitParameterName(const char* text, char (&module)[k_nameFieldBytes],
                           char (&parameter)[k_nameFieldBytes], AM_ParameterNameEnd end);
