#pragma once
// The narrow (UTF-8) form of an AM_String path for the platform's file
// calls. Internal to the foundation's file classes.

#include "foundation/AM_FileObject.h"

#include <string>

class AM_NarrowPath {
public:
    explicit AM_NarrowPath(const AM_String& path);
    const char* c_str() const { return text_.c_str(); }
    // 0, or 206 when the path is longer than the platform handles.
    AM_FileErr error() const { return error_; }

private:
    std::string text_;
    AM_FileErr error_ = 0;
};
