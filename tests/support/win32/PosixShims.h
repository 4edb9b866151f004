#pragma once
// The few POSIX calls the shared test support and tests use, for the
// Windows test programs (forced into every test file there).

#ifdef __cplusplus
extern "C" {
#endif

// Creates a new folder from a template ending in "XXXXXX"; null on failure.
char* mkdtemp(char* pattern);
int setenv(const char* name, const char* value, int overwrite);
int unsetenv(const char* name);

#ifdef __cplusplus
}
#endif
