#include "gui/graphics/image/AM_PngWriter.h"

#include "GoldenImage.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A 3x2 picture in a buffer whose rows are wider than the picture, so the
// stride is honoured: every byte differs, alpha included.
struct Picture {
    static constexpr int kWidth = 3;
    static constexpr int kHeight = 2;
    static constexpr int kStride = kWidth * 4 + 8;
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kStride * kHeight, 0xEE);
    Picture()
    {
        for (int y = 0; y < kHeight; ++y)
            for (int i = 0; i < kWidth * 4; ++i)
                bytes[y * kStride + i] = static_cast<uint8_t>(40 * y + 3 * i + 1);
    }
};

TEST(PngWriter, WritesWhatTheReaderReadsBack)
{
    testsupport::TempDir dir;
    const Picture picture;
    const std::string path = dir.file("shot.png");
    std::string error;
    ASSERT_TRUE(AM_writePngFile(path.c_str(), picture.bytes.data(), Picture::kWidth,
                                Picture::kHeight, Picture::kStride, &error))
        << error;
    // Read back without any colour conversion: the bytes must be the same.
    testsupport::BgraPicture image;
    ASSERT_TRUE(testsupport::readPng(path, image));
    ASSERT_EQ(image.width, Picture::kWidth);
    ASSERT_EQ(image.height, Picture::kHeight);
    for (int y = 0; y < Picture::kHeight; ++y)
        for (int i = 0; i < Picture::kWidth * 4; ++i)
            EXPECT_EQ(image.pixels[size_t(y * Picture::kWidth * 4 + i)],
                      picture.bytes[size_t(y * Picture::kStride + i)])
                << "row " << y << " byte " << i;
}

TEST(PngWriter, RefusesBadSizesAndPaths)
{
    testsupport::TempDir dir;
    const Picture picture;
    const std::string path = dir.file("x.png");
    struct Case {
        const char* what;
        const char* path;
        const uint8_t* pixels;
        int width, height, stride;
    };
    const Case cases[] = {
        {"no pixels", path.c_str(), nullptr, 3, 2, 20},
        {"no path", nullptr, picture.bytes.data(), 3, 2, 20},
        {"empty", path.c_str(), picture.bytes.data(), 0, 2, 20},
        {"stride too small", path.c_str(), picture.bytes.data(), 3, 2, 11},
        {"missing folder", "/nonexistent-folder/x.png", picture.bytes.data(), 3, 2, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_FALSE(AM_writePngFile(c.path, c.pixels, c.width, c.height, c.stride, &error));
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
