#include "gui/graphics/AM_AGG_Graphic.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/graphics/image/AM_ImageCache.h"

#include "GraphicFixtures.h"
#include "GuiTestKit.h"
#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

class Graphics : public ::testing::Test {
protected:
    void SetUp() override
    {
        AM_Graphic::resetCounter();
        AM_ImageCache::reset();
    }
    void TearDown() override { AM_ImageCache::reset(); }

    // An image file of side x side pixels: a gradient, opaque or with a
    // transparent corner.
    std::string imageFile(const std::string& name, int side, bool transparentCorner = false)
    {
        std::vector<uint8_t> bgra(size_t(side) * side * 4);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                uint8_t* p = &bgra[(size_t(y) * side + x) * 4];
                p[0] = uint8_t(255 * x / side);
                p[1] = uint8_t(255 * y / side);
                p[2] = 90;
                p[3] = transparentCorner && x < side / 4 && y < side / 4 ? 0 : 255;
            }
        const std::string path = dir.file(name);
        EXPECT_TRUE(testsupport::writePng(path, bgra.data(), side, side, side * 4));
        return path;
    }

    GraphicServices services;
    testsupport::TempDir dir;
    testsupport::TraceCapture trace;
};

TEST_F(Graphics, NamesFromCounterAndFileName)
{
    AM_Graphic plain(&services, 0);
    EXPECT_STREQ(plain.getName(), "Shape 0");
    EXPECT_EQ(plain.getFlags() & kGuiGraphicBit, kGuiGraphicBit);
    EXPECT_EQ(plain.getWidth(), 256.0f);
    EXPECT_TRUE(plain.isScalable());
    EXPECT_STREQ(plain.getTypeName(), "no type");

    struct Case {
        const char* fileName;
        const char* pngName;
        const char* aggName;
    };
    for (const Case c : {Case{"knob_big.png", "knob_big", "knob_big"}, Case{"a.png", "a.png", "a"},
                         Case{"abcd", "abcd", ""},
                         Case{"a_very_long_file_name_of_a_strip.png", "png %d",
                              "a_very_long_file_name_of_a_str"}}) {
        AM_PngGraphic png(&services, c.fileName, 0);
        std::string expected = c.pngName;
        if (expected == "png %d")
            expected = "png " + std::to_string(AM_Graphic::nextCounterValue());
        EXPECT_EQ(png.getName(), expected);
        EXPECT_EQ(png.getKind(), uint32_t(AM_Graphic::kPng));
        AM_AGG_Graphic agg(&services, "/x", c.fileName, 0);
        EXPECT_STREQ(agg.getName(), c.aggName);
    }
}

TEST_F(Graphics, PropertiesAndScriptLines)
{
    AM_PngGraphic png(&services, "knob_big.png", 3);
    png.setPathIndex(2);
    png.setProperty("width", 0, "0");
    png.setProperty("height", 0, "-4");
    EXPECT_EQ(png.getWidth(), 256.0f);
    EXPECT_EQ(png.getHeight(), 256.0f);
    png.setProperty("width", 0, "64.5");
    png.setProperty("height", 0, "inf");
    png.setProperty("scalable", 0, "Yes");
    EXPECT_EQ(png.getWidth(), 64.5f);
    EXPECT_EQ(png.getHeight(), 256.0f);
    EXPECT_FALSE(png.isScalable());

    std::string script;
    png.receiveMessage(nullptr, kGuiMsgSaveObjects, 0, &script);
    EXPECT_EQ(script, ""); // never used
    png.load(0);
    png.receiveMessage(nullptr, kGuiMsgSaveObjects, 0, &script);
    EXPECT_EQ(script,
              "\n\nGRAPHIC name='knob_big' path='2' type='png'"
              "\nGR_PROPERTY graphic='knob_big' name='width' id='0' value='64.50'"
              "\nGR_PROPERTY graphic='knob_big' name='height' id='0' value='256.00'"
              "\nGR_PROPERTY graphic='knob_big' name='scalable' id='0' value='no'"
              "\nGR_PROPERTY graphic='knob_big' name='filename' id='0' value='knob_big.png'");
    script.clear();
    png.setMarks(true, true, false);
    png.receiveMessage(nullptr, kGuiMsgSaveObjects, 0, &script);
    EXPECT_EQ(script, "");
    png.writeScript(nullptr);
}

TEST_F(Graphics, FindByNameAndKeyAndByFileName)
{
    auto* head = new AM_PngGraphic(&services, "knob.png", 0);
    head->appendSibling(new AM_PngGraphic(&services, "knob.png", 1));
    head->appendSibling(new AM_Graphic(&services, 0));
    head->appendSibling(new AM_PngGraphic(&services, "slider.png", 0));
    EXPECT_EQ(head->find("knob.png", 1), head->getNext());
    EXPECT_EQ(head->find("knob.png", 0), head);
    EXPECT_EQ(head->find("knob.png", 2), nullptr);
    EXPECT_EQ(head->findByFileName("slider.png"), head->getNext()->getNext()->getNext());
    EXPECT_EQ(head->findByFileName("nothing.png"), nullptr);
    delete head;
}

TEST_F(Graphics, TwoGraphicsShareOneDecodeUntilTheLastIsGone)
{
    const std::string path = imageFile("knob.png", 40, true);
    auto first = std::make_unique<AM_AGG_Graphic>(&services, path.c_str(), "knob.png", 0);
    auto second = std::make_unique<AM_AGG_Graphic>(&services, path.c_str(), "knob.png", 0);
    first->load(0);
    second->load(0);
    ASSERT_NE(first->getPixelMap(), nullptr);
    EXPECT_EQ(first->getPixelMap(), second->getPixelMap());
    EXPECT_EQ(AM_ImageCache::referenceCount(first->getPixelMap()), 2);
    EXPECT_EQ(first->getWidth(), 40.0f);
    EXPECT_TRUE(first->hasAlpha());
    // A second load of the same graphic takes no second reference.
    first->load(0);
    EXPECT_EQ(AM_ImageCache::referenceCount(first->getPixelMap()), 2);
    EXPECT_EQ(first->getUseCount(), 2u);

    // The same file under another path is decoded again.
    AM_AGG_Graphic other(&services, (dir.path() + "//knob.png").c_str(), "knob.png", 0);
    other.load(0);
    EXPECT_NE(other.getPixelMap(), first->getPixelMap());
    EXPECT_EQ(AM_ImageCache::recordCount(), 2u);

    second.reset();
    EXPECT_EQ(AM_ImageCache::referenceCount(first->getPixelMap()), 1);
    first.reset();
    EXPECT_EQ(AM_ImageCache::recordCount(), 1u);
}

TEST_F(Graphics, OpaqueImagesAndTheEditModeOverride)
{
    const std::string path = imageFile("panel.png", 16);
    AM_AGG_Graphic run(&services, path.c_str(), "panel.png", 0);
    run.load(0);
    EXPECT_FALSE(run.hasAlpha());
    EXPECT_EQ(trace.text(), "");

    services.editMode = true;
    AM_AGG_Graphic edit(&services, path.c_str(), "panel.png", 0);
    edit.load(0);
    EXPECT_TRUE(edit.hasAlpha());
    EXPECT_TRUE(trace.contains("overriding Alpha - panel.png\n"));

    // At 1:1 and half a unit off the grid, the opaque image is copied to
    // whole pixels; with the override it is filtered and blended.
    const std::string bigPath = imageFile("big.png", 128);
    AM_AGG_Graphic copied(&services, bigPath.c_str(), "big.png", 0);
    services.editMode = false;
    copied.load(0);
    services.editMode = true;
    AM_AGG_Graphic filtered(&services, bigPath.c_str(), "big.png", 0);
    filtered.load(0);
    const AM_Rect r{0.5f, 0.5f, 128, 128};
    testsupport::HeadlessCanvas a(140, 140, 1.0f);
    testsupport::HeadlessCanvas b(140, 140, 1.0f);
    a.begin();
    b.begin();
    copied.draw(&a.context(), &r, 0);
    filtered.draw(&b.context(), &r, 0);
    // The first pixel unblended: red 90, corrected for the screen gamma.
    EXPECT_EQ(a.pixel(0, 0), 0xFF6A0000u);
    EXPECT_NE(b.pixel(0, 0), a.pixel(0, 0));
    EXPECT_NE(b.pixel(0, 0) & 0xFF, 0u); // blended toward the white below
}

TEST_F(Graphics, UnreadableFilesKeepTheirSizeAndAreNotRetried)
{
    AM_AGG_Graphic missing(&services, dir.file("missing.png").c_str(), "missing.png", 0);
    missing.setWidth(30);
    missing.load(0);
    missing.load(0);
    EXPECT_EQ(trace.count("Can't open '" + dir.file("missing.png") + "'"), 1);
    EXPECT_EQ(missing.getPixelMap(), nullptr);
    EXPECT_EQ(missing.getWidth(), 30.0f);
    EXPECT_EQ(AM_ImageCache::recordCount(), 0u);

    dir.writeFile("broken.png", "\x89PNG\r\n\x1a\nbroken");
    AM_AGG_Graphic broken(&services, dir.file("broken.png").c_str(), "broken.png", 0);
    broken.load(0);
    EXPECT_TRUE(trace.contains("problem reading '" + dir.file("broken.png") + "'"));

    testsupport::HeadlessCanvas canvas(40, 40, 1.0f);
    canvas.begin();
    const AM_Rect r{0, 0, 40, 40};
    broken.draw(&canvas.context(), &r, 0);
    trace.clear();
    broken.drawRotated(&canvas.context(), &r, 0, 30, 1);
    canvas.context().copyGraphic(&broken, &r);
    EXPECT_EQ(trace.count("Graphic is NULL"), 2);
    EXPECT_EQ(canvas.inkCount(), 0);
}

// A script naming many large images (each under the per-image cap, small
// on disk) gets them only up to the cache's budget of decoded bytes; the
// rest are refused with a trace line and their controls draw without them.
TEST_F(Graphics, ImagesPastTheCachesBudgetAreRefused)
{
    constexpr int kSide = 512; // 1 MiB decoded
    constexpr uint64_t kImageBytes = uint64_t(kSide) * kSide * 4;
    AM_ImageCache::setBudgetBytes(3 * kImageBytes + kImageBytes / 2);
    std::vector<std::unique_ptr<AM_AGG_Graphic>> graphics;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "bomb" + std::to_string(i) + ".png";
        const std::string path = imageFile(name, kSide);
        graphics.push_back(
            std::make_unique<AM_AGG_Graphic>(&services, path.c_str(), name.c_str(), 0));
        graphics.back()->setWidth(20);
        graphics.back()->load(0);
    }
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(graphics[i]->getPixelMap() != nullptr, i < 3) << i;
    EXPECT_EQ(AM_ImageCache::bytesInUse(), 3 * kImageBytes);
    EXPECT_EQ(trace.count("is not loaded: the images would take more than 3 MiB"), 3);
    EXPECT_TRUE(trace.contains("Image '" + dir.file("bomb3.png") + "' (512 x 512) is not loaded"));
    // A refused graphic keeps its own size and draws nothing.
    EXPECT_EQ(graphics[4]->getWidth(), 20.0f);
    testsupport::HeadlessCanvas canvas(40, 40, 1.0f);
    canvas.begin();
    const AM_Rect r{0, 0, 40, 40};
    graphics[4]->draw(&canvas.context(), &r, 0);
    EXPECT_EQ(canvas.inkCount(), 0);

    // A shared image costs the budget once; a released one gives its bytes back.
    AM_AGG_Graphic shared(&services, dir.file("bomb0.png").c_str(), "bomb0.png", 0);
    shared.load(0);
    EXPECT_NE(shared.getPixelMap(), nullptr);
    EXPECT_EQ(AM_ImageCache::bytesInUse(), 3 * kImageBytes);
    graphics[1].reset();
    AM_AGG_Graphic later(&services, dir.file("bomb5.png").c_str(), "bomb5.png", 0);
    later.load(0);
    EXPECT_NE(later.getPixelMap(), nullptr);
    EXPECT_EQ(AM_ImageCache::bytesInUse(), 3 * kImageBytes);
}

// The same images drawn through the context at zooms 1 and 2: copies of an
// opaque image at 1:1, 2x and 2.5x, the filtered path for a small one, an
// image with alpha blended 1:1 and turned at half opacity.
TEST_F(Graphics, DrawPathsThroughTheContextAtZoomsOneAndTwo)
{
    const std::string big = imageFile("big.png", 128);
    const std::string small = imageFile("small.png", 64);
    const std::string alpha = imageFile("alpha.png", 128, true);
    AM_AGG_Graphic bigGraphic(&services, big.c_str(), "big.png", 0);
    AM_AGG_Graphic smallGraphic(&services, small.c_str(), "small.png", 0);
    AM_AGG_Graphic alphaGraphic(&services, alpha.c_str(), "alpha.png", 0);
    for (AM_AGG_Graphic* g : {&bigGraphic, &smallGraphic, &alphaGraphic})
        g->load(0);
    for (const float zoom : {1.0f, 2.0f}) {
        testsupport::HeadlessCanvas canvas(560, 300, zoom);
        canvas.begin();
        canvas.clear(0xd0d0d0ff);
        AM_AGG_Context& c = canvas.context();
        const float oneToOne = 128 / zoom;
        const AM_Rect r1{10, 10, oneToOne, oneToOne};
        const AM_Rect r2{150, 10, 128, 128};
        const AM_Rect r3{290, 10, 160, 160};
        const AM_Rect r4{10, 160, 64, 64};
        const AM_Rect r5{100, 160, oneToOne, oneToOne};
        const AM_Rect r6{250, 160, 128, 128};
        bigGraphic.draw(&c, &r1, 0);
        bigGraphic.draw(&c, &r2, 0);
        bigGraphic.draw(&c, &r3, 0);
        smallGraphic.draw(&c, &r4, 0);
        alphaGraphic.draw(&c, &r5, 0);
        alphaGraphic.drawRotated(&c, &r6, 0, 30, 0.5f);
        EXPECT_EQ(canvas.compare("graphics_z" + std::to_string(int(zoom)), 1), "");
    }
}

} // namespace

#include "gui/graphics/AM_MultiFrameGraphic.h"

namespace {

TEST_F(Graphics, StripsFromFoldersOfFrames)
{
    dir.makeDir("Knob_rot270");
    for (const char* name : {"f02.png", "f01.png", "f03.png"})
        imageFile(std::string("Knob_rot270/") + name, 20, true);
    dir.writeFile("Knob_rot270/readme.txt", "frames");
    AM_MultiFrameGraphic strip(&services, 4);
    strip.setName("Knob_rot270");
    EXPECT_EQ(strip.addFramesFromFolder((dir.file("Knob_rot270") + "/").c_str()), 3u);
    EXPECT_EQ(strip.getFrameCount(), 3u);
    EXPECT_STREQ(strip.getFrame(0)->getName(), "f01");
    EXPECT_STREQ(strip.getFrame(2)->getName(), "f03");
    EXPECT_EQ(strip.getFrame(1)->getKey(), 4u);
    strip.load(0); // loads every frame
    EXPECT_EQ(AM_ImageCache::recordCount(), 3u);
    EXPECT_EQ(strip.getWidth(), 20.0f); // the frames' size, known once loaded
    EXPECT_EQ(strip.addFramesFromFolder(dir.file("missing/").c_str()), 0u);
}

} // namespace

#include "AllocationCounter.h"
#include "gui/graphics/text/AM_FontSettings.h"

namespace {

TEST_F(Graphics, SteadyRedrawOfImagesAndTextAllocatesNothing)
{
    const std::string font = KK_VERA_TTF;
    AM_FontSettings::reset();
    AM_FontSettings::setFolder(font.substr(0, font.rfind('/') + 1).c_str());
    const std::string path = imageFile("alpha.png", 128, true);
    AM_AGG_Graphic graphic(&services, path.c_str(), "alpha.png", 0);
    graphic.load(0);
    testsupport::HeadlessCanvas canvas(300, 200, 1.0f);
    AM_AGG_Context& c = canvas.context();
    auto redraw = [&] {
        canvas.begin();
        const AM_Rect a{10, 10, 128, 128};
        const AM_Rect b{150, 10, 64, 64};
        graphic.draw(&c, &a, 0);
        graphic.draw(&c, &b, 0);
        graphic.drawRotated(&c, &b, 0, 20, 0.5f);
        c.setFontSize(11);
        const AM_Rect t{10, 150, 200, 20};
        c.drawText("Cutoff 1234.5 Hz", &t, 1, true);
    };
    // The first redraws fill the glyph cache (measuring and drawing each
    // have their font) and grow the buffers; then nothing is allocated.
    redraw();
    redraw();
    for (int part = 0; part < 4; ++part) {
        canvas.begin();
        testsupport::AllocationCounter counter;
        const AM_Rect a{10, 10, 128, 128};
        const AM_Rect b{150, 10, 64, 64};
        const AM_Rect t{10, 150, 200, 20};
        if (part == 0)
            graphic.draw(&c, &a, 0);
        if (part == 1)
            graphic.draw(&c, &b, 0);
        if (part == 2)
            graphic.drawRotated(&c, &b, 0, 20, 0.5f);
        if (part == 3)
            c.drawText("Cutoff 1234.5 Hz", &t, 1, true);
        EXPECT_EQ(counter.count(), 0u) << part;
    }
    AM_FontSettings::reset();
}

} // namespace
