#pragma once
// Where the default trace and standard-output sinks write: the destination
// that the environment variable KESTANK4_TRACE names ("stderr", "stdout" or a
// file the text is appended to), looked up at the first write. One file per
// platform (TraceDestination.cpp, win32/Win32TraceDestination.cpp); Trace.cpp
// calls it under its sink mutex, so the calls never overlap.

namespace platform {

// Sends text to the destination. debugChannel is true for the trace and false
// for the standard-output channel (a platform may show the trace elsewhere
// as well).
void writeTraceDestination(const char* text, bool debugChannel);
// Makes the destination's state exist (at module load, so it outlives every
// later write).
void prepareTraceDestination();
// Closes a destination file; the next write looks the variable up again.
void closeTraceDestination();

} // namespace platform
