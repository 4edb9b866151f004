// The image generator: the strips and images the surface names, at twice
// their size in GUI units, in straight alpha, the same bytes every run.

#include "ImageGroups.h"
#include "TempDir.h"

#include "gui/graphics/image/AM_PngFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using imagemaker::ImageCanvas;
using imagemaker::ImageSet;

std::string fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ImageMakerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        imagemaker::addAllImages(set());
        std::string error;
        ASSERT_TRUE(set().writeAll(folder().path(), &error)) << error;
    }
    static ImageSet& set()
    {
        static ImageSet images;
        return images;
    }
    static const testsupport::TempDir& folder()
    {
        static const testsupport::TempDir dir;
        return dir;
    }
};

TEST_F(ImageMakerTest, StripsHaveTheirFramesAllOfOneSizeAtTwicePixelsPerUnit)
{
    struct Strip {
        const char* name;
        size_t frames;
        uint32_t width;
        uint32_t height;
    };
    const Strip strips[] = {
        {"KnobUni", 65, 68, 68}, {"KnobBi", 65, 68, 68},      {"KnobBigUni", 65, 88, 88},
        {"Fader", 49, 40, 192},  {"ButtonLamp", 2, 80, 32},
    };
    for (const Strip& strip : strips) {
        const fs::path dir = fs::path(folder().path()) / "Animations" / strip.name;
        std::set<std::string> frames;
        for (const auto& entry : fs::directory_iterator(dir))
            frames.insert(entry.path().filename().string());
        EXPECT_EQ(frames.size(), strip.frames) << strip.name;
        for (const std::string& frame : frames) {
            AM_PixelMap image;
            ASSERT_TRUE(AM_readPngFile((dir / frame).c_str(), image)) << frame;
            EXPECT_EQ(image.width(), strip.width) << strip.name << "/" << frame;
            EXPECT_EQ(image.height(), strip.height) << strip.name << "/" << frame;
        }
        // Frames load in name order: the first and the last keep their places.
        EXPECT_EQ(*frames.begin(), "f000.png") << strip.name;
    }
}

TEST_F(ImageMakerTest, TheSingleImagesAreWhereTheScriptsLookForThem)
{
    for (const char* path : {"Panes/HeaderBack.png", "Panes/SectionTitle.png",
                             "Panes/DisplayWindow.png", "Icons/SizeSwitch.png", "Icons/MeterDot.png",
                             "Icons/UndoHighlight.png", "Icons/RedoHighlight.png"}) {
        AM_PixelMap image;
        EXPECT_TRUE(AM_readPngFile((fs::path(folder().path()) / path).c_str(), image)) << path;
        EXPECT_GT(image.width(), 0u) << path;
    }
    std::set<std::string> paths;
    for (const imagemaker::ImageSpec& image : set().images())
        EXPECT_TRUE(paths.insert(image.path).second) << image.path << " is drawn twice";
}

TEST_F(ImageMakerTest, ASecondRunWritesTheSameBytes)
{
    testsupport::TempDir again;
    std::string error;
    ASSERT_TRUE(set().writeAll(again.path(), &error)) << error;
    for (const imagemaker::ImageSpec& image : set().images())
        EXPECT_EQ(fileBytes(fs::path(again.path()) / image.path),
                  fileBytes(fs::path(folder().path()) / image.path))
            << image.path;
}

// The renderer blends onto the transparent start as premultiplied colour;
// written as it is, every soft edge would come out darker than its shape.
TEST(ImageCanvasTest, SoftEdgesKeepTheirColourInStraightAlpha)
{
    constexpr int kCoarseAlpha = 48;
    ImageCanvas canvas(20, 20);
    canvas.fillCircle(10, 10, 7.3f, 0xF2A541FF);
    const uint8_t* p = canvas.straightPixels();
    int edges = 0;
    for (int i = 0; i < canvas.pixelWidth() * canvas.pixelHeight(); ++i, p += 4) {
        if (p[3] == 0) {
            EXPECT_EQ(p[0] | p[1] | p[2], 0) << "pixel " << i;
            continue;
        }
        // Eight bits of premultiplied colour leave the faintest pixels coarse.
        if (p[3] < kCoarseAlpha)
            continue;
        edges += p[3] < 255 ? 1 : 0;
        const int tolerance = 2 + 255 / p[3];
        EXPECT_NEAR(p[2], 0xF2, tolerance) << "pixel " << i << " alpha " << int(p[3]);
        EXPECT_NEAR(p[1], 0xA5, tolerance) << "pixel " << i << " alpha " << int(p[3]);
        EXPECT_NEAR(p[0], 0x41, tolerance) << "pixel " << i << " alpha " << int(p[3]);
    }
    EXPECT_GT(edges, 10) << "the circle's edge is anti-aliased";
}

TEST(ImageCanvasTest, AnUnwritableFolderIsReportedNotIgnored)
{
    ImageSet one;
    one.add("Icons/Dot.png", 4, 4, [](ImageCanvas& c) { c.fillCircle(2, 2, 1, 0xFFFFFFFF); });
    testsupport::TempDir dir;
    dir.writeFile("blocked", "a file where the folder should be");
    std::string error;
    EXPECT_FALSE(one.writeAll(dir.file("blocked"), &error));
    EXPECT_NE(error.find("blocked"), std::string::npos) << error;
}

} // namespace
