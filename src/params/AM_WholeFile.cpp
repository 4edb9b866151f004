#include "params/AM_WholeFile.h"

#include "foundation/AM_File.h"
#include "foundation/AM_FileOperations.h"
#include "platform/FileErrors.h"

#include <cstddef>
#include <new>

AM_WholeFileResult AM_readWholeFile(const AM_String& path, std::vector<char>& out,
                                    uint64_t maxBytes)
{
    out.clear();
    AM_WholeFileResult result;
    AM_File file(path);
    if (const AM_FileErr error = file.open(AM_File::kModeRead)) {
        result.step = AM_WholeFileStep::kOpen;
        result.error = error;
        return result;
    }
    uint64_t size = 0;
    if (const AM_FileErr error = file.size(size)) {
        result.step = AM_WholeFileStep::kSize;
        result.error = error;
        return result;
    }
    // The count of one read is 32 bits wide.
    if (size > maxBytes || size >= UINT32_MAX) {
        result.step = AM_WholeFileStep::kAllocate;
        return result;
    }
    try {
        out.assign(static_cast<size_t>(size) + 1, '\0');
    } catch (const std::bad_alloc&) {
        out.clear();
        result.step = AM_WholeFileStep::kAllocate;
        return result;
    }
    uint32_t read = 0;
    const AM_FileErr error = file.readBytes(out.data(), static_cast<uint32_t>(size), read);
    if (error != 0 || read != size) {
        out.clear();
        result.step = AM_WholeFileStep::kRead;
        result.error = error;
        return result;
    }
    file.close();
    return result;
}

AM_WholeFileResult AM_writeWholeFile(AM_Directory& folder, const AM_String& name, const void* data,
                                     uint32_t size)
{
    AM_WholeFileResult result;
    AM_String path(folder.path());
    path.append(name);
    if (const AM_FileErr error = AM_writeFileReplacing(path, data, size)) {
        result.step = error == platform::fileerror::kDiskFull ? AM_WholeFileStep::kWrite
                                                               : AM_WholeFileStep::kCreate;
        result.error = error;
    }
    return result;
}
