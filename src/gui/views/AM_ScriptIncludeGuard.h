#pragma once
// The files a GUI-script load is reading, outermost first: a script that
// INCLUDEs a file (or loads a THEME) reads it while it is still open itself.
// A file that is already open further up (a script that includes itself, or
// a cycle of scripts) and a chain deeper than kMaxDepth are refused, with a
// line on the trace, so a load always ends. One load reads each file at
// most once: a file that was read already since the outermost file was
// opened is refused too, so scripts that include each other many times over
// cost no more than reading each of them once.
//
// GUI thread only.

#include <string>
#include <unordered_set>
#include <vector>

class AM_ScriptIncludeGuard {
public:
    // Most files open at once (the outermost one counted).
    static constexpr size_t kMaxDepth = 8;

    // Opens path for reading: false (traced) when it is open already, the
    // chain is full, or this load has read it already. Opening an outermost
    // file starts a new load.
    bool enter(const char* path);
    // Closes the innermost file.
    void leave();

    // Files open now (0 when no load is running).
    size_t depth() const { return open_.size(); }
    // The outermost and the innermost file ("" when no load is running).
    const std::string& outermost() const;
    const std::string& innermost() const;

    // The form paths are compared in: '\' read as '/', "." and ".." and
    // repeated separators resolved by their text.
    static std::string normalise(const char* path);

    // Files opened since the outermost file was (it counted).
    size_t filesRead() const { return read_.size(); }

private:
    std::vector<std::string> open_;
    std::unordered_set<std::string> read_;
};
