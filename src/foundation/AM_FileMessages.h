#pragma once
// The two user-visible file failure messages: a message box titled
// "Orlen Error" for the first file in the process that cannot be opened, and
// one for the first file that cannot be created. Each is shown at most once
// per process (until reset). Any thread.

#include "foundation/AM_String.h"

#include <cstdint>

class AM_FileMessages {
public:
    // "file couldn't be opened <path> - <access>" (read) or "file couldn't be
    // written to <path> - <access>" (write or read-write), access being 1, 2
    // or 3; only the first call in the process shows it.
    static void openFailed(const AM_String& path, int32_t mode, int32_t access);
    // "file couldn't be created to <path>"; only the first call shows it.
    static void createFailed(const AM_String& path);
    // Arms both messages again (tests).
    static void reset();
};
