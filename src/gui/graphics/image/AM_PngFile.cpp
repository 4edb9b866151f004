#include "gui/graphics/image/AM_PngFile.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/image/AM_PngDecoder.h"
#include "platform/FileSystem.h"
#include "platform/Trace.h"

#include <memory>
#include <new>

namespace {

constexpr char kMessageTitle[] = "PNG loading";

// The whole file, or false when it cannot be read or is too large.
bool readWholeFile(platform::FileHandle file, std::unique_ptr<uint8_t[]>& bytes, size_t& size)
{
    uint64_t fileSize = 0;
    if (platform::getFileSize(file, fileSize) != platform::fileerror::kNone ||
        fileSize > kPngMaxFileBytes)
        return false;
    size = size_t(fileSize);
    bytes.reset(new (std::nothrow) uint8_t[size > 0 ? size : 1]);
    if (bytes == nullptr)
        return false;
    size_t done = 0;
    return platform::readFile(file, bytes.get(), size, done) == platform::fileerror::kNone &&
           done == size;
}

} // namespace

bool AM_readPngFile(const char* path, AM_PixelMap& image, AM_PngBudget* budget)
{
    image.clear();
    const char* shownPath = path != nullptr ? path : "";
    platform::FileHandle file = platform::kNoFile;
    if (path == nullptr || platform::openFile(path, platform::FileAccess::read, false, file) !=
                               platform::fileerror::kNone) {
        AM_STD::printv("Can't open '%s'", shownPath);
        return false;
    }
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    const bool read = readWholeFile(file, bytes, size);
    platform::closeFile(file);

    const AM_PngStatus status =
        read ? AM_decodePng(bytes.get(), size, image, budget) : AM_PngStatus::corrupt;
    switch (status) {
    case AM_PngStatus::ok:
        return true;
    case AM_PngStatus::overBudget:
        return false;
    case AM_PngStatus::noReadStruct:
        platform::messageBox(kMessageTitle, "png_ptr == NULL");
        return false;
    case AM_PngStatus::noInfoStruct:
        platform::messageBox(kMessageTitle, "info_ptr == NULL");
        return false;
    case AM_PngStatus::corrupt:
        break;
    }
    AM_STD::printv("problem reading '%s'", shownPath);
    return false;
}
