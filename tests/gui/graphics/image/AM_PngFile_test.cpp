#include "gui/graphics/image/AM_PngFile.h"

#include "PngEncoder.h"
#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string asText(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class PngFile : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    testsupport::TraceCapture trace;
};

TEST_F(PngFile, ReadsAnImageWithoutTraceLines)
{
    const std::vector<uint8_t> rgba = {1, 2, 3, 255, 4, 5, 6, 0};
    dir.writeFile("two.png", asText(pngfixture::encode(pngfixture::rgba8(2, 1, rgba))));
    AM_PixelMap image;
    ASSERT_TRUE(AM_readPngFile(dir.file("two.png").c_str(), image));
    EXPECT_EQ(image.width(), 2u);
    EXPECT_EQ(image.row(0)[kPixelMapBytesPerPixel + kPixelAlpha], 0);
    EXPECT_EQ(trace.text(), "");
    EXPECT_TRUE(trace.messageBoxes().empty());
}

TEST_F(PngFile, MissingFileOrFolderCannotBeOpened)
{
    dir.makeDir("folder.png");
    for (const std::string name : {"missing.png", "folder.png"}) {
        trace.clear();
        const std::string path = dir.file(name);
        AM_PixelMap image;
        EXPECT_FALSE(AM_readPngFile(path.c_str(), image));
        EXPECT_TRUE(image.empty());
        EXPECT_EQ(trace.text(), "Can't open '" + path + "'\n") << name;
    }
}

TEST_F(PngFile, DamagedFilesAreReportedAsProblems)
{
    pngfixture::Image square;
    square.width = 16;
    square.height = 16;
    square.samples.assign(16 * 16 * 3, 99);
    const std::vector<uint8_t> good = pngfixture::encode(square);
    std::vector<uint8_t> huge = good;
    pngfixture::patchHeaderSize(huge, 1u << 30, 1u << 30);
    dir.writeFile("truncated.png", asText({good.begin(), good.begin() + good.size() / 2}));
    dir.writeFile("empty.png", "");
    dir.writeFile("huge.png", asText(huge));
    for (const std::string name : {"truncated.png", "empty.png", "huge.png"}) {
        trace.clear();
        const std::string path = dir.file(name);
        AM_PixelMap image;
        EXPECT_FALSE(AM_readPngFile(path.c_str(), image));
        EXPECT_TRUE(image.empty());
        EXPECT_EQ(trace.text(), "problem reading '" + path + "'\n") << name;
        EXPECT_TRUE(trace.messageBoxes().empty());
    }
}

} // namespace
