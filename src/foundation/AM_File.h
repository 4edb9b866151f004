#pragma once
// AM_File: a file that can be opened, read and written.
//
// A file left open is closed when the object goes away. A copy names the
// same file but starts closed (handles are never shared).

#include "foundation/AM_FileObject.h"

#include <cstdint>

class AM_File : public AM_FileObject {
public:
    // Open modes.
    static constexpr int32_t kModeRead = 0;
    static constexpr int32_t kModeWrite = 1;
    static constexpr int32_t kModeReadWrite = 2;

    AM_File();
    explicit AM_File(const AM_String& path);
    AM_File(const AM_File& other);
    AM_File& operator=(const AM_File& other);
    ~AM_File() override;

    // Opens the existing file: mode 0 read, 1 write (the contents are
    // replaced: the file is emptied on opening), 2 read and write (contents
    // kept). A file already open is closed first. On failure the first
    // failing open of the process shows the "Orlen Error" message box.
    AM_FileErr open(int32_t mode);
    // Closes; the file is closed afterwards in every case (6 when it was not
    // open).
    AM_FileErr close();
    bool isOpen() const;
    // Reads up to count bytes (fewer only at the end); bytesRead is set to 0
    // first, then to the bytes read.
    AM_FileErr readBytes(void* buffer, uint32_t count, uint32_t& bytesRead);
    // Writes count bytes; bytesWritten as above.
    AM_FileErr writeBytes(const void* buffer, uint32_t count, uint32_t& bytesWritten);
    // Size of the open file in bytes.
    AM_FileErr size(uint64_t& bytes);

private:
    int handle_;
};
