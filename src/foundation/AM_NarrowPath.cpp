#include "foundation/AM_NarrowPath.h"

#include "platform/FileErrors.h"
#include "platform/Paths.h"

AM_NarrowPath::AM_NarrowPath(const AM_String& path)
{
    const int32_t bytes = path.getNarrowLength();
    if (static_cast<size_t>(bytes) >= platform::kMaxPathBytes) {
        error_ = platform::fileerror::kNameTooLong;
        return;
    }
    text_.resize(static_cast<size_t>(bytes) + 1);
    path.getNarrow(text_.data(), bytes);
    text_.resize(static_cast<size_t>(bytes));
}
