#include "gui/graphics/image/AM_ImageCache.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ImageCache : public ::testing::Test {
protected:
    void SetUp() override { AM_ImageCache::reset(); }
    void TearDown() override { AM_ImageCache::reset(); }

    static std::unique_ptr<AM_PixelMap> image(uint32_t side)
    {
        auto map = std::make_unique<AM_PixelMap>();
        map->create(side, side);
        return map;
    }
};

TEST_F(ImageCache, SharesOneImagePerPathAndFileName)
{
    EXPECT_EQ(AM_ImageCache::acquire("/a/knob.png", "knob.png"), nullptr);
    AM_PixelMap* first = AM_ImageCache::add("/a/knob.png", "knob.png", image(4));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(AM_ImageCache::referenceCount(first), 1);

    EXPECT_EQ(AM_ImageCache::acquire("/a/knob.png", "knob.png"), first);
    EXPECT_EQ(AM_ImageCache::referenceCount(first), 2);
    // The same file name under another path is another image.
    EXPECT_EQ(AM_ImageCache::acquire("/b/knob.png", "knob.png"), nullptr);
    EXPECT_EQ(AM_ImageCache::acquire("/a/knob.png", "KNOB.png"), nullptr);
    AM_PixelMap* other = AM_ImageCache::add("/b/knob.png", "knob.png", image(2));
    EXPECT_NE(other, first);
    EXPECT_EQ(AM_ImageCache::recordCount(), 2u);
}

TEST_F(ImageCache, TheLastReleaseFreesTheRecord)
{
    AM_PixelMap* shared = AM_ImageCache::add("/p/strip.png", "strip.png", image(8));
    AM_ImageCache::acquire("/p/strip.png", "strip.png");
    EXPECT_TRUE(AM_ImageCache::release(shared));
    EXPECT_EQ(AM_ImageCache::referenceCount(shared), 1);
    EXPECT_EQ(AM_ImageCache::recordCount(), 1u);
    EXPECT_TRUE(AM_ImageCache::release(shared));
    EXPECT_EQ(AM_ImageCache::recordCount(), 0u);
    EXPECT_EQ(AM_ImageCache::acquire("/p/strip.png", "strip.png"), nullptr);
}

TEST_F(ImageCache, UnknownImagesAreNotReleased)
{
    AM_PixelMap stray;
    EXPECT_FALSE(AM_ImageCache::release(&stray));
    EXPECT_FALSE(AM_ImageCache::release(nullptr));
    EXPECT_EQ(AM_ImageCache::referenceCount(&stray), 0);
    EXPECT_EQ(AM_ImageCache::add("/x.png", "x.png", nullptr), nullptr);
    EXPECT_EQ(AM_ImageCache::recordCount(), 0u);
}

TEST_F(ImageCache, ReleasingOneImageKeepsTheOthers)
{
    AM_PixelMap* a = AM_ImageCache::add("/p/a.png", "a.png", image(1));
    AM_PixelMap* b = AM_ImageCache::add("/p/b.png", "b.png", image(1));
    AM_PixelMap* c = AM_ImageCache::add("/p/c.png", "c.png", image(1));
    EXPECT_TRUE(AM_ImageCache::release(b));
    EXPECT_EQ(AM_ImageCache::recordCount(), 2u);
    EXPECT_EQ(AM_ImageCache::acquire("/p/a.png", "a.png"), a);
    EXPECT_EQ(AM_ImageCache::acquire("/p/c.png", "c.png"), c);
}

} // namespace
