// The start-up loader of init. This engine loads no start-up files: every
// instance starts from the defaults of its parameters.

#include "engine/AM_AudioMan.h"

void AM_AudioMan::loadStartupFiles() {}
