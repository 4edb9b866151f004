#pragma once
// Opens a web address in the user's browser through the desktop's opener
// program ("xdg-open"), started directly (posix_spawn), never through a shell.
//
// GUI thread only.

namespace platform {

inline constexpr char kDefaultUrlOpener[] = "xdg-open";

// Starts the opener for the address and returns at once; false (with a trace
// line) when the address is unfit or the program could not be started.
// Addresses that are empty, longer than kMaxUrlLength, begin with '-' (they
// would be read as an option) or hold control characters or spaces are
// refused. Finished openers of earlier calls are reaped.
bool openUrl(const char* url);

inline constexpr int kMaxUrlLength = 4096;

// The same with another program (searched in PATH); tests use it.
bool openUrlWith(const char* program, const char* url);

// Waits for every opener started so far (tests; the editor's close).
// Returns how many were reaped.
int reapUrlOpeners(bool wait);

} // namespace platform
