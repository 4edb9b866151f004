#pragma once
// The name of the person using the computer, as a signature for what they
// save: the login's full name, else the login name. Not on a real-time thread.

#include <string>

namespace platform {

// The name to sign with, from a password entry's comment field (its first
// comma-separated part is the full name) and the login name: the full name
// with surrounding blanks removed when it is not empty, else the login name;
// either may be null. Empty when both are empty.
std::string personName(const char* gecos, const char* login);

// personName of the current user's password entry; when the system has no
// entry for the user, the login name of $USER or $LOGNAME; else empty.
std::string currentUserName();

} // namespace platform
